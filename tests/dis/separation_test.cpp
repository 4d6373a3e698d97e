// Code and data told apart on images made by hand, and what the source
// says about them: labels, table comments, db lines, text and org.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dis/disassembler.h"
#include "dis/opcode_map.h"
#include "dis/program_map.h"

namespace {

using zorvin::asm48::ext::InstructionSet;
using zorvin::dis::ByteRole;

struct Roles {
  std::vector<int> code;  // offsets that must start an instruction
  std::vector<int> data;  // offsets that must stay data
};

struct SeparationCase {
  const char* name;
  std::vector<std::uint8_t> bytes;  // from 010H on, after the vectors (from 000H when bare)
  Roles roles;
  std::vector<std::string> in_source;  // texts the source must hold
  std::vector<std::int32_t> entries = {};
  bool bare = false;
  InstructionSet set = InstructionSet::Mcs48;
};

// Reset jumps to 010H, both interrupt vectors hold a retr, the rest is fill.
const std::vector<std::uint8_t> kVectors = {0x04, 0x10, 0xFF, 0x93, 0xFF, 0xFF, 0xFF, 0x93,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

std::vector<std::uint8_t> with_fill(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(size, 0xFF);
  return bytes;
}

const SeparationCase kCases[] = {
    {"data after ret",
     {0x23, 0x05, 0x83, 0x41, 0x42, 0x43, 0x44},  // mov a,#5 / ret / "ABCD"
     {{0, 2}, {3, 4, 5, 6}},
     {"mov     a,#05h", "ret", "db      \"ABCD\""}},
    {"movp table after the code that reads it",
     {0x23, 0x08, 0xA3, 0x39, 0x04, 0x10, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44},
     // mov a,#8 / movp a,@a / outl p1,a / jmp 010 / 00 00 / table
     {{0, 2, 3, 4}, {6, 7, 8, 9, 10, 11}},
     {"movp    a,@a", "Tabelle von movp a,@a (0012H)", "T0016:", "jmp     L0010"}},
    {"movp3 table in page 3",
     with_fill({0xE3, 0x83}, 0x300),  // movp3 a,@a / ret, table at 300H
     {{0, 1}, {0x2F0, 0x2F1}},
     {"T0300:", "Tabelle von movp3 a,@a (0010H)", "org     0300h"}},
    {"jmpp table: its page stays data unless a path leads there",
     {0x23, 0x01, 0xB3, 0x16, 0x17, 0x1A, 0x00, 0x04, 0x00, 0x00, 0x00, 0x83},
     // mov a,#1 / jmpp @a / table 16 17 1A / 00 (nop) ...
     {{0, 2}, {3, 4, 5, 6, 7, 11}},
     {"jmpp    @a", "Sprungtabelle von jmpp @a (0012H)", "T0013:"}},
    {"jmpp table entries followed when the user names them",
     {0x23, 0x01, 0xB3, 0x16, 0x1A, 0x00, 0x04, 0x10, 0x00, 0x00, 0x00, 0x83},
     {{0, 2, 6, 10, 11}, {3, 4, 5}},
     {"L0016:", "L001A:"},
     {0x16, 0x1A}},
    {"code reached only through the interrupt vector",
     {0x04, 0x00, 0xFF, 0x04, 0x09, 0xFF, 0xFF, 0x93, 0xFF, 0xD3, 0x01, 0x93},
     // jmp 000 / FF / jmp 009 / FF FF / retr / FF / xrl a,#1 / retr
     {{0, 3, 7, 9, 11}, {2, 5, 6, 8}},
     {"L0009:", "xrl     a,#01h", "retr"},
     {},
     true},
    {"jump into the middle of an instruction",
     {0x23, 0x04, 0x04, 0x11},  // mov a,#04 / jmp 011: the byte 04 is an immediate
     {{0, 2}, {}},
     {"L0010:", "jmp     L0010+1"}},
    {"undefined opcodes end a path and become db",
     {0x00, 0x01, 0x00},  // nop / 01 is undefined on the 8048
     {{0}, {1, 2}},
     {"nop", "db      01h, 00h"}},
    {"sel mb1 sends jmp and call into the upper bank",
     with_fill({0xF5, 0x14, 0x10, 0xE5, 0x04, 0x10}, 0x802),  // sel mb1 / call 810 / sel mb0 / jmp 010
     {{0, 1, 3, 4, 0x800}, {0x7EF}},
     {"call    L0810", "sel     mb1", "org     0810h"}},
    {"UPI-41 opcodes",
     {0x22, 0x02, 0x90, 0x86, 0x00, 0x08},  // in a,dbb / out dbb,a / mov sts,a / jobf 000 / 08: ins lacks on the UPI
     {{0, 1, 2, 3}, {5}},
     {"in      a,dbb", "out     dbb,a", "mov     sts,a", "jobf    L0000", "db      08h"},
     {},
     true,
     InstructionSet::Upi41},
};

TEST(DisSeparation, CodeAndDataOfHandMadeImages) {
  for (const SeparationCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const bool banks = c.set == InstructionSet::Mcs48;
    std::vector<std::uint8_t> image = c.bare ? std::vector<std::uint8_t>{} : kVectors;
    image.insert(image.end(), c.bytes.begin(), c.bytes.end());
    const std::size_t offset = c.bare ? 0 : kVectors.size();
    const auto map = zorvin::dis::follow_program(0, image, zorvin::dis::opcode_map(c.set), banks, c.entries);
    for (const int at : c.roles.code) EXPECT_EQ(map.roles[offset + static_cast<std::size_t>(at)], ByteRole::Opcode) << at;
    for (const int at : c.roles.data) EXPECT_EQ(map.roles[offset + static_cast<std::size_t>(at)], ByteRole::Data) << at;
    zorvin::dis::DisassemblyOptions options;
    options.cpu = banks ? "8048" : "8041";
    options.entries = c.entries;
    options.fill_byte = 0xFF;
    const auto source = zorvin::dis::disassemble(0, image, options);
    ASSERT_TRUE(source.ok()) << source.error;
    for (const std::string& text : c.in_source) EXPECT_NE(source.text.find(text), std::string::npos) << text << "\n" << source.text;
  }
}

// The first line of the text that holds `part`.
std::string line_with(const std::string& text, std::string_view part) {
  const auto at = text.find(part);
  if (at == std::string::npos) return "(none in)\n" + text;
  const auto start = text.rfind('\n', at) + 1;
  return text.substr(start, text.find('\n', at) - start);
}

TEST(DisSource, CpuLineFirstThenCommentsWithAddressBytesAndCycles) {
  const std::vector<std::uint8_t> image = {0x23, 0x12, 0x83};
  const auto source = zorvin::dis::disassemble(0, image, {});
  ASSERT_TRUE(source.ok());
  EXPECT_TRUE(source.text.starts_with("        cpu     8048\n")) << source.text;
  EXPECT_EQ(line_with(source.text, "a,#12h"), "        mov     a,#12h                  ; 0000  23 12  2 Zyklen");
  EXPECT_EQ(line_with(source.text, "ret"), "        ret                             ; 0002  83     2 Zyklen");
}

TEST(DisSource, LongGapsOfTheFillByteBecomeOrgAndDataLinesHoldSixteenBytes) {
  std::vector<std::uint8_t> image(0x200, 0x00);
  image[0] = image[3] = image[7] = 0x83;  // ret at reset and at both interrupt vectors
  for (int i = 0; i < 40; ++i) image[0x100 + i] = static_cast<std::uint8_t>(0x80 + i);
  zorvin::dis::DisassemblyOptions options;
  options.fill_byte = 0x00;
  const auto source = zorvin::dis::disassemble(0, image, options);
  ASSERT_TRUE(source.ok());
  EXPECT_NE(source.text.find("org     0100h"), std::string::npos) << source.text;
  EXPECT_NE(source.text.find("db      80h, 81h, 82h, 83h, 84h, 85h, 86h, 87h, 88h, 89h, 8Ah, 8Bh, 8Ch, 8Dh, 8Eh, 8Fh ; 0100"),
            std::string::npos)
      << source.text;
  // The last byte is written even though it is fill: the image keeps its length.
  EXPECT_NE(source.text.find("org     01FFh"), std::string::npos) << source.text;
  EXPECT_EQ(line_with(source.text, "; 01FF"), "        db      00h                     ; 01FF");
}

TEST(DisSource, AnImageAboveTheVectorsIsEnteredAtItsFirstByte) {
  const std::vector<std::uint8_t> image = {0x23, 0x01, 0x83};  // at 0800H: mov a,#1 / ret
  const auto source = zorvin::dis::disassemble(0x800, image, {});
  ASSERT_TRUE(source.ok());
  EXPECT_EQ(line_with(source.text, "L0800"), "L0800:");
  EXPECT_EQ(line_with(source.text, "#01h"), "        mov     a,#01h                  ; 0800  23 01  2 Zyklen");
}

TEST(DisSource, TextStartsANewDataLineRatherThanBeingCut) {
  std::vector<std::uint8_t> image = {0x83, 0x00, 0x00, 0x83, 0x00, 0x00, 0x00, 0x83};  // ret at the vectors
  image.insert(image.end(), 10, 0x80);
  const std::string text = "Hallo Welt, Hallo 8048";
  image.insert(image.end(), text.begin(), text.end());
  zorvin::dis::DisassemblyOptions options;
  options.fill_byte = 0xFF;
  const auto source = zorvin::dis::disassemble(0, image, options);
  ASSERT_TRUE(source.ok());
  EXPECT_EQ(line_with(source.text, "; 0008"), "        db      80h, 80h, 80h, 80h, 80h, 80h, 80h, 80h, 80h, 80h ; 0008");
  EXPECT_EQ(line_with(source.text, "; 0012"), "        db      \"Hallo Welt, Hall\"      ; 0012");
  EXPECT_EQ(line_with(source.text, "; 0022"), "        db      \"o 8048\"                ; 0022");
}

TEST(DisSource, ImagesThePartCannotHoldAreRefused) {
  const std::vector<std::uint8_t> big(4097, 0);
  const std::vector<std::uint8_t> upi_big(2049, 0);
  zorvin::dis::DisassemblyOptions upi;
  upi.cpu = "8042";
  zorvin::dis::DisassemblyOptions unknown;
  unknown.cpu = "6502";
  EXPECT_FALSE(zorvin::dis::disassemble(0, big, {}).ok());
  EXPECT_FALSE(zorvin::dis::disassemble(0, upi_big, upi).ok());
  EXPECT_FALSE(zorvin::dis::disassemble(0xF00, std::vector<std::uint8_t>(0x101, 0), {}).ok());
  EXPECT_FALSE(zorvin::dis::disassemble(0, std::vector<std::uint8_t>{}, {}).ok());
  EXPECT_FALSE(zorvin::dis::disassemble(0, std::vector<std::uint8_t>{0}, unknown).ok());
  EXPECT_TRUE(zorvin::dis::disassemble(0xF00, std::vector<std::uint8_t>(0x100, 0), {}).ok());
}

}  // namespace
