// zorvin-dis as a script would use it: exit statuses, messages, the files
// it writes, and the round trip through zorvin-asm.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "program_outcome.h"

namespace {

namespace fs = std::filesystem;

using Outcome = zorvin::test::ProgramOutcome;

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class DisCli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) /
           ("cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  Outcome run(const char* program, const std::string& arguments) {
    return zorvin::test::run_built_program(dir_, program, arguments);
  }

  fs::path dir_;
};

// mov a,#41h / jmp 000 / "ABCD" / fill to 20H, as zorvin-asm writes it with --fill FF.
const std::string kImage = std::string("\x23\x41\x04\x00", 4) + "ABCD" + std::string(24, '\xFF') + "\x83";

TEST_F(DisCli, SourceThatZorvinAsmTurnsBackIntoTheImage) {
  write_file(dir_ / "rom.bin", kImage);
  const Outcome dis = run(ZORVIN_DIS_EXE, "rom.bin --fill FF -o rom.asm");
  ASSERT_EQ(dis.status, 0) << dis.err;
  EXPECT_EQ(dis.out, "rom.asm (" + std::to_string(fs::file_size(dir_ / "rom.asm")) + " Byte) gespeichert\n");
  EXPECT_EQ(read_file(dir_ / "rom.bin"), kImage);
  const Outcome assembled = run(ZORVIN_ASM_EXE, "--fill FF --output again.bin rom.asm");
  ASSERT_EQ(assembled.status, 0) << assembled.out;
  EXPECT_EQ(read_file(dir_ / "again.bin"), kImage);
}

TEST_F(DisCli, HexInputAndStandardOutput) {
  write_file(dir_ / "rom.hex", ":0301000023058351\r\n:00000001FF\r\n");
  const Outcome dis = run(ZORVIN_DIS_EXE, "rom.hex --entry 0100h");
  ASSERT_EQ(dis.status, 0) << dis.err;
  EXPECT_TRUE(dis.out.starts_with("        cpu     8048\n")) << dis.out;
  EXPECT_NE(dis.out.find("org     0100h"), std::string::npos) << dis.out;
  EXPECT_NE(dis.out.find("L0100:"), std::string::npos) << dis.out;
}

TEST_F(DisCli, ExitStatusesAndMessages) {
  write_file(dir_ / "rom.bin", kImage);
  write_file(dir_ / "empty.bin", "");
  write_file(dir_ / "big.bin", std::string(4097, '\0'));
  write_file(dir_ / "upi.bin", std::string(2049, '\0'));
  write_file(dir_ / "cut.hex", ":0301000023058351\r\n");
  write_file(dir_ / "upi1k.bin", std::string(1025, '\0'));
  // 23 05 83 at 0100H, then 84H again at 0102H
  write_file(dir_ / "twice.hex", ":0301000023058351\r\n:010102008478\r\n:00000001FF\r\n");
  const struct {
    std::string arguments;
    int status;
    std::string message;  // start of the first line on standard error
  } cases[] = {
      {"", 2, "zorvin-dis: keine Abbilddatei angegeben"},
      {"rom.bin --cpu 6502", 2, "zorvin-dis: unbekannter Prozessor '6502'"},
      {"rom.bin --entry", 2, "zorvin-dis: unbekanntes oder unvollständiges Argument '--entry'"},
      {"rom.bin --base 1000h", 2, "zorvin-dis: --base erwartet eine Adresse von 0 bis 0FFFh, nicht '1000h'"},
      {"rom.bin --base 100000100h", 2, "zorvin-dis: --base erwartet eine Adresse von 0 bis 0FFFh, nicht '100000100h'"},
      {"rom.bin --fill 12", 2, "zorvin-dis: --fill erwartet 00 oder FF, nicht '12'"},
      {"missing.bin", 2, "zorvin-dis: missing.bin kann nicht gelesen werden"},
      {"big.bin", 2, "zorvin-dis: big.bin ist zu groß (mehr als 4096 Byte)"},
      {"empty.bin", 2, "zorvin-dis: empty.bin ist leer"},
      {"cut.hex", 2, "zorvin-dis: cut.hex: Intel-HEX-Zeile 1: Endesatz fehlt"},
      {"rom.bin -o rom.bin", 2, "zorvin-dis: -o rom.bin würde das Abbild überschreiben"},
      {"upi.bin --cpu 8041", 1, "zorvin-dis: upi.bin: Das Abbild reicht über den Programmspeicher des 8041 hinaus"},
      {"upi1k.bin --cpu 8741", 1, "zorvin-dis: upi1k.bin: Das Abbild reicht über den Programmspeicher des 8741 hinaus (1024 Byte)"},
      {"upi1k.bin --cpu 8042", 0, ""},
      {"twice.hex", 2, "zorvin-dis: twice.hex: Intel-HEX-Zeile 2: Adresse 102H schon mit 83H belegt (Zeile 1), hier 84H"},
      {"rom.bin --base 0FF0h", 1, "zorvin-dis: rom.bin: Das Abbild reicht über den Programmspeicher"},
      {"rom.bin -o nofolder/x.asm", 1, ""},
      {"rom.bin --entry 0F00h", 0, "zorvin-dis: Einsprung 0F00H liegt nicht im Abbild und bleibt unbeachtet"},
  };
  for (const auto& c : cases) {
    const Outcome result = run(ZORVIN_DIS_EXE, c.arguments);
    EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.err;
    EXPECT_TRUE(result.err.starts_with(c.message)) << c.arguments << "\n" << result.err;
  }
  EXPECT_EQ(read_file(dir_ / "rom.bin"), kImage);
}

}  // namespace
