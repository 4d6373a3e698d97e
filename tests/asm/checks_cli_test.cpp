// What zorvin-asm refuses instead of doing something else than asked: a
// number that does not fit, a source it could not read whole, outputs that
// would land on one file. Each case ends in an error and a status other than 0.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli_fixture.h"

using namespace zorvin::test::asm_cli;

namespace {

const std::string kOutOfRange = "Wert au\xC3\x9F" "erhalb des zul\xC3\xA4ssigen Bereiches";

// Numbers: every one that does not fit is an error, in every dialect; a
// value up to 32 bits keeps working.
TEST_F(Cli, NumbersThatDoNotFitAreErrors) {
  const struct {
    const char* dialect;  // --dialect, or empty: the source's own
    const char* source;
    std::string out;  // the lines after the dialect line; the image in hex when it assembles
  } cases[] = {
      {"", " org 4294967296\n nop\n", "Zeile: 1 -> " + kOutOfRange},
      {"", " db 4294967297\n", "Zeile: 1 -> " + kOutOfRange},
      {"", " db 100000001h\n", "Zeile: 1 -> " + kOutOfRange},
      {"", " mov a,#0x1000000FF\n", "Zeile: 1 -> " + kOutOfRange},
      {"", " mov a,#0FFFFFFFFh\n", "Zeile: 1 -> " + kOutOfRange},
      {"", " db 0000000000000000000041h\n mov a,#0x00000000000042\n", "41 23 42"},
      {"", "X equ 4294967296\n db X\n", "Zeile: 2 -> " + kOutOfRange},
      {"", " cpu 8048\n db 4294967297\n", "Zeile: 2 -> Zahl passt nicht in 32 Bit: 4294967297"},
      {"tasm", " .db $100000000\n", "Zeile: 1 -> Zahl passt nicht in 32 Bit: $100000000"},
      {"tasm", " .db %100000000000000000000000000000000\n",
       "Zeile: 1 -> Zahl passt nicht in 32 Bit: %100000000000000000000000000000000"},
      {"tasm", " .db @40000000000\n", "Zeile: 1 -> Zahl passt nicht in 32 Bit: @40000000000"},
      {"asxxxx", " .db 0h100000000\n", "Zeile: 1 -> Zahl passt nicht in 32 Bit: 0h100000000"},
      {"sbasm", " .db %100000000000000000000000000000001\n",
       "Zeile: 1 -> Zahl passt nicht in 32 Bit: %100000000000000000000000000000001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    write_file(dir_ / "n.asm", c.source);
    fs::remove(dir_ / "n.bin");
    const Outcome result = assemble(*c.dialect ? std::string("--dialect ") + c.dialect + " n.asm" : "n.asm");
    if (c.out.starts_with("Zeile")) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.out, c.out + "\n1 Fehler beim Assemblieren!\n");
      EXPECT_FALSE(fs::exists(dir_ / "n.bin"));
      continue;
    }
    EXPECT_EQ(result.status, 0) << result.out;
    std::string hex;
    for (const unsigned char byte : read_file(dir_ / "n.bin")) {
      char text[4];
      std::snprintf(text, sizeof text, "%s%02X", hex.empty() ? "" : " ", byte);
      hex += text;
    }
    EXPECT_EQ(hex, c.out);
  }
}

// -D: a value beyond 32 bits and a name given twice are refused before
// anything runs.
TEST_F(Cli, DefinitionsThatWouldBeChangedOrDropped) {
  write_file(dir_ / "d.asm", " cpu 8048\n db X\n");
  const struct {
    const char* arguments;
    const char* err;
  } cases[] = {
      {"-D X=4294967296 d.asm", "zorvin-asm: -D X=4294967296: Zahl passt nicht in 32 Bit\n"},
      {"-DX=0x1FFFFFFFF d.asm", "zorvin-asm: -D X=0x1FFFFFFFF: Zahl passt nicht in 32 Bit\n"},
      {"-D X=1 -D X=2 d.asm", "zorvin-asm: -D X=2: X ist schon mit -D definiert (Wert 1)\n"},
      {"-D X=1 -D x d.asm", "zorvin-asm: -D x: X ist schon mit -D definiert (Wert 1)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome result = assemble(c.arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_TRUE(result.err.starts_with(c.err)) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "d.bin"));
  }
  EXPECT_EQ(assemble("-D X=0FFFFFFFFh -D Y=7 d.asm").status, 0) << "32 bits: -1";
  EXPECT_EQ(read_file(dir_ / "d.bin"), "\xFF");
  EXPECT_EQ(assemble("-D X=0x41 d.asm").status, 0);
  EXPECT_EQ(read_file(dir_ / "d.bin"), "A");
}

// A 00H byte ends what was read of the source: the run fails on the line
// where it stands, whatever came before it, and writes no image.
TEST_F(Cli, SourceCutByAZeroByteFails) {
  const std::string message =
      " -> hier steht ein 00H-Byte in der Quelldatei; der Rest der Datei wurde nicht gelesen und fehlt im Programm\n";
  const struct {
    std::string source;
    const char* out;
  } cases[] = {
      {std::string(" nop\n\0 jmp start\n", 17), "Zeile: 2"},
      {std::string(" nop\n ret\0\n", 11), "Zeile: 2"},
      {std::string("\0 nop\n", 6), "Zeile: 1"},
      {std::string(" cpu 8048\n db 1,2\n\0", 19), "Zeile: 3"},
      {std::string(" mov a,#300\n\0", 13), "Zeile: 1 -> Wert au\xC3\x9F" "erhalb des zul\xC3\xA4ssigen Bereiches\nZeile: 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    write_file(dir_ / "z.asm", c.source);
    const Outcome result = assemble("z.asm");
    EXPECT_EQ(result.status, 1);
    const int errors = std::string(c.out).find('\n') == std::string::npos ? 1 : 2;
    EXPECT_EQ(result.out, c.out + message + std::to_string(errors) + " Fehler beim Assemblieren!\n");
    EXPECT_FALSE(fs::exists(dir_ / "z.bin"));
  }
}

// Two outputs of one run on one file: refused before any file is written.
TEST_F(Cli, OutputsOntoEachOtherAreRefused) {
  write_file(dir_ / "p.asm", " nop\n");
  fs::create_directories(dir_ / "sub");
  const struct {
    const char* arguments;
    const char* err;
  } cases[] = {
      {"--hex p.bin p.asm", "--hex p.bin und die Bin\xC3\xA4rdatei p.bin"},
      {"--listing-file ./p.bin p.asm", "--listing-file ./p.bin und die Bin\xC3\xA4rdatei p.bin"},
      {"--output x.bin --hex x.bin p.asm", "--hex x.bin und --output x.bin"},
      {"--output sub/../x.bin --listing-file x.bin p.asm", "--listing-file x.bin und --output sub/../x.bin"},
      {"--hex h.hex --listing-file sub/../h.hex p.asm", "--listing-file sub/../h.hex und --hex h.hex"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome result = assemble(c.arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_EQ(result.err.find(std::string("zorvin-asm: ") + c.err + " w\xC3\xA4ren dieselbe Datei; nichts geschrieben\n"),
              0u)
        << result.err;
    for (const char* name : {"p.bin", "x.bin", "h.hex"}) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
  }
  // An existing file reached by a link counts as the same file.
  write_file(dir_ / "old.hex", "");
  fs::create_symlink("old.hex", dir_ / "link.lst");
  EXPECT_EQ(assemble("--hex old.hex --listing-file link.lst p.asm").status, 2);
  EXPECT_EQ(read_file(dir_ / "old.hex"), "");
  const Outcome apart = assemble("--hex p.hex --listing-file p.lst p.asm");
  EXPECT_EQ(apart.status, 0) << apart.err;
  for (const char* name : {"p.bin", "p.hex", "p.lst"}) EXPECT_TRUE(fs::exists(dir_ / name)) << name;
}

// SOURCE_DATE_EPOCH that is no time fails a run that uses DATE or TIME;
// an empty one counts as unset.
TEST_F(Cli, InvalidSourceDateEpochIsAnError) {
  write_file(dir_ / "t.asm", " cpu 8048\n db TIME\n");
  for (const char* value : {"abc", "12x", "-5", " 5", "+5", "99999999999999999999"}) {
    SCOPED_TRACE(value);
    setenv("SOURCE_DATE_EPOCH", value, 1);
    const Outcome result = assemble("t.asm");
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out.find("Zeile: 2 -> SOURCE_DATE_EPOCH ist ung\xC3\xBCltig ('" + std::string(value) + "'"), 0u)
        << result.out;
  }
  setenv("SOURCE_DATE_EPOCH", "", 1);
  EXPECT_EQ(assemble("t.asm").status, 0);
  setenv("SOURCE_DATE_EPOCH", "abc", 1);
  write_file(dir_ / "u.asm", " cpu 8048\n nop\n");
  EXPECT_EQ(assemble("u.asm").status, 0) << "unused, it changes nothing";
  unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
