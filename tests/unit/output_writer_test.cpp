#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "asm/assembler.h"
#include "files/binary_path.h"
#include "output/listing.h"
#include "output/output_writer.h"
#include "files/regular_file.h"

namespace {

namespace fs = std::filesystem;
using zorvin::asm48::Assembler;
using zorvin::asm48::LineRecord;
using zorvin::asm48::LineTable;
using namespace zorvin::files;
using namespace zorvin::output;

void add_code(LineTable& table, std::int32_t address, std::vector<std::uint8_t> bytes) {
  table.add_record(1, bytes).address = address;
}

fs::path scratch_dir(const char* name) {
  const fs::path dir = fs::path(ZORVIN_BINARY_DIR) / "output_writer_test" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(OutputBinaryPath, ExtensionReplaced) {
  EXPECT_EQ(binary_path("/home/user/asm/blink.asm"), "/home/user/asm/blink.bin");
  EXPECT_EQ(binary_path("/home/user/Blink.ASM"), "/home/user/Blink.bin");
  EXPECT_EQ(binary_path("/home/user/x.a48"), "/home/user/x.bin");
  EXPECT_EQ(binary_path("/home/asm/blink.asm"), "/home/asm/blink.bin");
  EXPECT_EQ(binary_path("/home/user/blink."), "/home/user/blink.bin");
  EXPECT_EQ(binary_path("/home/x.BIN"), "/home/x.bin");
}

TEST(OutputBinaryPath, NeverTheSourceItself) {
  EXPECT_EQ(binary_path("/home/user/blink"), "/home/user/blink.bin");
  EXPECT_EQ(binary_path("/home/user/blink.bin"), "/home/user/blink.bin.bin");
  EXPECT_EQ(binary_path("/home/v1.2/blink"), "/home/v1.2/blink.bin");
  EXPECT_EQ(binary_path("/home/.profile"), "/home/.profile.bin");
  EXPECT_EQ(binary_path("a\\.b"), "a\\.b.bin");
  EXPECT_EQ(binary_path(".hidden"), ".hidden.bin");
  EXPECT_EQ(binary_path("/my file.x y"), "/my file.x y.bin");
}

TEST(OutputBinaryPath, FolderOf) {
  EXPECT_EQ(folder_of("prog/sub/blink.asm"), "prog/sub");
  EXPECT_EQ(folder_of("/blink.asm"), "/");
  EXPECT_EQ(folder_of("blink.asm"), "");
}

TEST(OutputImage, ListingRowsImageAndLength) {
  LineTable table;
  table.records.push_back(LineRecord{});  // label-only: no row
  add_code(table, 0x000, {0x04, 0x0D});
  add_code(table, 0x009, {0x00});
  add_code(table, 0x7FE, {0x93});
  const auto image = build_image(table, 0xFF);
  EXPECT_EQ(listing_rows(table), (std::vector<std::string>{"Adr Opcode", "000 04 0D", "009 00   ", "7FE 93   "}));
  EXPECT_EQ(image.length, 0x7FFu);
  EXPECT_EQ(image.bytes[0], 0x04);
  EXPECT_EQ(image.bytes[1], 0x0D);
  EXPECT_EQ(image.bytes[2], 0xFF);
  EXPECT_EQ(image.bytes[0x7FE], 0x93);
}

// A front end may give a line any number of bytes, or reserve bytes that
// keep the fill: the rows continue two bytes at a time, reserved bytes show
// only as a gap.
TEST(OutputImage, LongLinesContinueAndReservedBytesKeepTheFill) {
  LineTable table;
  add_code(table, 0x100, {0x48, 0x41, 0x4C, 0x4C, 0x4F});
  table.add_record(2, {}, 3).address = 0x105;
  add_code(table, 0x108, {0x0D, 0x0A});
  const auto image = build_image(table, 0xFF);
  EXPECT_EQ(listing_rows(table),
            (std::vector<std::string>{"Adr Opcode", "100 48 41", "102 4C 4C", "104 4F   ", "108 0D 0A"}));
  EXPECT_EQ(image.bytes[0x104], 0x4F);
  EXPECT_EQ(image.bytes[0x105], 0xFF);
  EXPECT_EQ(image.bytes[0x107], 0xFF);
  EXPECT_EQ(image.length, 0x10Au);
}

TEST(OutputImage, NoCodeGivesOneFillByte) {
  const auto image = build_image(LineTable{}, 0xFF);
  EXPECT_EQ(image.length, 1u);
  EXPECT_EQ(image.bytes[0], 0xFF);
  EXPECT_EQ(listing_rows(LineTable{}), (std::vector<std::string>{"Adr Opcode"}));
}

TEST(OutputImage, BytesOutsideTheImageAreNeverStored) {
  LineTable table;
  add_code(table, 0xFFF, {0x23, 0x01});  // second byte at 1000H
  add_code(table, -1, {0x00});
  add_code(table, 5000, {0x00});
  const auto image = build_image(table, 0x00);
  EXPECT_EQ(image.length, kImageSize);
  EXPECT_EQ(image.bytes[0xFFF], 0x23);
}

TEST(OutputWriter, WritesBesideTheSourceAndReports) {
  const fs::path dir = scratch_dir("beside");
  Assembler assembler;
  ASSERT_TRUE(assembler.run("org 256\nnop\n").ok());
  const std::string source = (dir / "prog.asm").string();
  const auto result = write_output(assembler.table(), 0xFF, source);
  const std::string image_path = (dir / "prog.bin").string();
  EXPECT_EQ(result.image_path, image_path);
  EXPECT_TRUE(result.image_written);
  EXPECT_EQ(result.messages, (std::vector<std::string>{image_path + " (257 Byte) gespeichert"}));
  EXPECT_EQ(read_file(image_path), std::string(256, '\xFF') + '\x00');
  EXPECT_EQ(listing_rows(assembler.table()), (std::vector<std::string>{"Adr Opcode", "100 00   "}));
}

TEST(OutputWriter, ReplacesAnOlderLongerImage) {
  const fs::path dir = scratch_dir("replace");
  const std::string image_path = (dir / "old.bin").string();
  std::ofstream(image_path, std::ios::binary) << std::string(100, 'x');
  Assembler assembler;
  ASSERT_TRUE(assembler.run("ret").ok());
  EXPECT_TRUE(write_output_to(assembler.table(), 0x00, image_path, "").image_written);
  EXPECT_EQ(read_file(image_path), "\x83");
}

TEST(OutputWriter, WithoutSourcePathOnlyTheListing) {
  Assembler assembler;
  ASSERT_TRUE(assembler.run("nop").ok());
  const auto result = write_output(assembler.table(), 0x00, "");
  EXPECT_FALSE(result.image_path);
  EXPECT_TRUE(result.messages.empty());
  EXPECT_EQ(listing_rows(assembler.table()), (std::vector<std::string>{"Adr Opcode", "000 00   "}));
}

TEST(OutputWriter, FailedWriteIsReportedAndPathStillRecorded) {
  const fs::path dir = scratch_dir("failed");
  Assembler assembler;
  ASSERT_TRUE(assembler.run("nop").ok());
  const std::string source = (dir / "missing" / "prog.asm").string();
  const auto result = write_output(assembler.table(), 0x00, source);
  const std::string image_path = (dir / "missing" / "prog.bin").string();
  EXPECT_EQ(result.image_path, image_path);
  EXPECT_FALSE(result.image_written);
  EXPECT_EQ(result.messages, (std::vector<std::string>{image_path + " - Fehler beim Speichern der Binärdatei (" +
                                                       zorvin::files::error_text(ENOENT) + ")"}));
  EXPECT_EQ(listing_rows(assembler.table()).size(), 2u);
}

TEST(OutputWriter, ShortWriteOnAFullDeviceIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::uint8_t bytes[2048] = {};
  EXPECT_FALSE(write_file_bytes("/dev/full", bytes, sizeof bytes));
}

// q.bin linked to q.asm: F6 must not get the source as the image either.
TEST(OutputWriter, AnImagePathLeadingToTheSourceIsNeitherWrittenNorRecorded) {
  const fs::path dir = scratch_dir("link");
  std::ofstream(dir / "q.asm") << "nop\n";
  fs::create_hard_link(dir / "q.asm", dir / "q.bin");
  Assembler assembler;
  ASSERT_TRUE(assembler.run("nop").ok());
  EXPECT_FALSE(write_output(assembler.table(), 0x00, (dir / "q.asm").string()).image_path);
  EXPECT_EQ(read_file(dir / "q.asm"), "nop\n");
}

}  // namespace
