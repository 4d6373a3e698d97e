// The command-line assembler as a script would use it: output, exit status
// and the files it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "cli_fixture.h"

using namespace zorvin::test::asm_cli;

namespace {

// The example program with its header comment, as an 8-bit file: "ü" and
// "ä" are single bytes FCH and E4H.
const std::string kExample =
    ";  Beschreibung:    automatisch erzeugtes Programmger\xFCst\n"
    ";  ge\xE4ndert am:     07.12.2026\n"
    "ORG 0\n   JMP START\n\nORG 3\n   JMP ISR\n\nORG 7\n   JMP TIMER\n\n"
    "ISR:\n   NOP\n   ;... Dein Code ...\n   RETR\n\nTIMER:\n   NOP\n   RETR\n\n"
    "START:\n   SEL RB0\n   SEL MB0\n\nHAUPT:\n   NOP\n   JMP HAUPT\n\nEND";

const std::string kExampleImage("\x04\x0D\x00\x04\x09\x00\x00\x04\x0B\x00\x93\x00\x93\xC5\xE5\x00\x04\x0F", 18);

TEST_F(Cli, ListingMessagesAndImageOfTheExampleProgram) {
  write_file(dir_ / "hallowelt.asm", kExample);
  const Outcome result = assemble("--listing hallowelt.asm");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "Adr Opcode\n000 04 0D\n003 04 09\n007 04 0B\n009 00   \n00A 93   \n00B 00   \n00C 93   \n"
            "00D C5   \n00E E5   \n00F 00   \n010 04 0F\n"
            "hallowelt.bin (18 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
  EXPECT_EQ(read_file(dir_ / "hallowelt.bin"), kExampleImage);
  EXPECT_EQ(read_file(dir_ / "hallowelt.asm"), kExample);
}

TEST_F(Cli, FillByteAndOutputFile) {
  write_file(dir_ / "hallowelt.asm", kExample);
  const Outcome result = assemble("--fill FF --output image.rom hallowelt.asm");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "image.rom (18 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
  std::string expected = kExampleImage;
  expected[2] = expected[5] = expected[6] = '\xFF';
  EXPECT_EQ(read_file(dir_ / "image.rom"), expected);
  EXPECT_FALSE(fs::exists(dir_ / "hallowelt.bin"));
}

TEST_F(Cli, SourceIsReadAsLatin1AndPrintedAsUtf8) {
  write_file(dir_ / "chars.asm", "db '\xE4'\nfoo\xFC\n");
  const Outcome result = assemble("chars.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Zeile: 2 -> Syntaxfehler\n1 Fehler beim Assemblieren!\n");
  write_file(dir_ / "chars.asm", "db '\xE4'\n");
  EXPECT_EQ(assemble("chars.asm").status, 0);
  EXPECT_EQ(read_file(dir_ / "chars.bin"), "\xE4");
}

TEST_F(Cli, AssemblyErrorsWriteNoImage) {
  write_file(dir_ / "bad.asm", "  mov a,#300\n  jmp nowhere\n  org 900h\n");
  const Outcome result = assemble("--listing bad.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "Zeile: 1 -> Wert au\xC3\x9F" "erhalb des zul\xC3\xA4ssigen Bereiches\n"
            "Zeile: 3 -> Wert au\xC3\x9F" "erhalb des zul\xC3\xA4ssigen Bereiches\n"
            "2 Fehler beim Assemblieren!\n");
  EXPECT_FALSE(fs::exists(dir_ / "bad.bin"));
}

TEST_F(Cli, BlankSourceHasNothingToAssemble) {
  write_file(dir_ / "blank.asm", " \t\r\n\n  ");
  const Outcome result = assemble("blank.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Es gibt nichts zu assemblieren.\n");
  EXPECT_FALSE(fs::exists(dir_ / "blank.bin"));
}

TEST_F(Cli, UsageErrorsAndUnreadableSources) {
  write_file(dir_ / "ok.asm", "nop\n");
  for (const char* arguments : {"", "--fill 12 ok.asm", "--bogus ok.asm", "ok.asm ok.asm", "--output"}) {
    const Outcome result = assemble(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.err.find("zorvin-asm"), std::string::npos) << arguments;
    EXPECT_TRUE(result.out.empty()) << arguments;
  }
  const Outcome missing = assemble("missing.asm");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("missing.asm"), std::string::npos);
  EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
  fs::create_directories(dir_ / "folder.asm");
  const Outcome directory = assemble("folder.asm");
  EXPECT_EQ(directory.status, 2);
  EXPECT_NE(directory.err.find("folder.asm"), std::string::npos);
  const Outcome onto_source = assemble("--output ok.asm ok.asm");
  EXPECT_EQ(onto_source.status, 2);
  EXPECT_EQ(read_file(dir_ / "ok.asm"), "nop\n");
}

TEST_F(Cli, ImageThatCannotBeWrittenIsReported) {
  write_file(dir_ / "ok.asm", "nop\n");
  const Outcome result = assemble("--output no/such/dir/ok.bin ok.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "no/such/dir/ok.bin - Fehler beim Speichern der Bin\xC3\xA4rdatei (Datei oder Ordner nicht gefunden "
            "(No such file or directory))\n"
            "Assembliert, aber nicht alle Ausgabedateien gespeichert: Fehler beim Speichern!\n");
}

TEST_F(Cli, SourceNamedLikeItsImageIsNeverOverwritten) {
  write_file(dir_ / "prog", "nop\n");
  write_file(dir_ / "x.bin", "ret\n");
  EXPECT_EQ(assemble("prog").out, "prog.bin (1 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
  EXPECT_EQ(assemble("x.bin").out, "x.bin.bin (1 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
  EXPECT_EQ(read_file(dir_ / "prog"), "nop\n");
  EXPECT_EQ(read_file(dir_ / "x.bin"), "ret\n");
  EXPECT_EQ(read_file(dir_ / "x.bin.bin"), "\x83");
}

// FIFOs and devices fail at once instead of blocking or reading for ever; a
// r.bin linked to r.asm is not written; a 00H byte ending the text fails the run.
TEST_F(Cli, HostileFilesAreRefusedAndTheSourceIsNeverOverwritten) {
  const std::string cut("nop\n\0ret\n", 9);
  write_file(dir_ / "q.asm", cut);
  write_file(dir_ / "huge.asm", std::string(1024 * 1024 + 1, ';'));
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const char* source : {"fifo", "/dev/zero", "huge.asm"}) EXPECT_EQ(assemble(source).status, 2) << source;
  EXPECT_NE(assemble("huge.asm").err.find("gr\xC3\xB6\xC3\x9F" "er als 1 MiB"), std::string::npos);
  write_file(dir_ / "r.asm", "nop\n");
  EXPECT_EQ(assemble("--output fifo r.asm").out.find("fifo - Fehler beim Speichern der Bin\xC3\xA4rdatei (keine normale"),
            0u);
  fs::create_hard_link(dir_ / "r.asm", dir_ / "r.bin");
  const Outcome linked = assemble("r.asm");
  EXPECT_EQ(linked.status, 1);
  EXPECT_EQ(linked.out.find("r.bin - ist die Quelle selbst"), 0u) << linked.out;
  EXPECT_EQ(read_file(dir_ / "r.asm"), "nop\n");
  const Outcome cut_short = assemble("q.asm");
  EXPECT_EQ(cut_short.status, 1);
  EXPECT_EQ(cut_short.out.find("Zeile: 2 -> hier steht ein 00H-Byte in der Quelldatei"), 0u) << cut_short.out;
  EXPECT_EQ(read_file(dir_ / "q.asm"), cut);
}

// The listing file's cycle column: 1 or 2 per instruction, none for data,
// for org lines or for a macro call's own line, in both dialects.
TEST_F(Cli, ListingFileGivesTheCyclesOfEachInstruction) {
  struct Case {
    const char* source;
    std::vector<const char*> rows;
  };
  const Case cases[] = {
      {"        org 0\ndelay:  mov r7,#10\nloop:   djnz r7,loop\n        db 1\n        nop\n        ret\n",
       {"Zeile  Adr  Code       Zyk  Quelle\n", "    1  0000                         org 0\n",
        "    2  0000 BF 0A        2  delay:  mov r7,#10\n", "    3  0002 EF 02        2  loop:   djnz r7,loop\n",
        "    4  0004 01                      db 1\n", "    5  0005 00           1          nop\n",
        "    6  0006 83           2          ret\n"}},
      {"cpu 8048\ntwice macro v\n db v,v\n endm\nstart: twice 3\n movx a,@r0\n inc a\n jmp start\n",
       {"    5  0000                 start: twice 3\n", "    5+ 0000 03 03            db 3,3\n",
        "    6  0002 80           2   movx a,@r0\n", "    7  0003 17           1   inc a\n",
        "    8  0004 04 00        2   jmp start\n"}},
      // A jump into the other bank with the sel mb1 put in front: both count.
      {"cpu 8048\n jmp far\n org 900h\nfar: ret\n",
       {"    2  0000 F5 24 00     3   jmp far\n", "    4  0900 83           2  far: ret\n"}},
      // Code overwritten by a later line: each line counts only its own.
      {"org 6\njmp ende\norg 7\nnop\nende:\nret\n",
       {"    2  0006 04 08        2  jmp ende\n", "    4  0007 00           1  nop\n"}},
  };
  for (const Case& c : cases) {
    write_file(dir_ / "zyklen.asm", c.source);
    const Outcome result = assemble("--listing-file zyklen.lst zyklen.asm");
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    const std::string listing = read_file(dir_ / "zyklen.lst");
    for (const char* row : c.rows) EXPECT_NE(listing.find(row), std::string::npos) << row << "\nin\n" << listing;
  }
}

TEST_F(Cli, IntelHexOfTheUsedRangeAndAListingFileForBothDialects) {
  write_file(dir_ / "hallowelt.asm", kExample);
  Outcome result = assemble("--hex hallowelt.hex --listing-file hallowelt.lst hallowelt.asm");
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  // 16-byte data records with their checksums, then the end record.
  EXPECT_EQ(read_file(dir_ / "hallowelt.hex"),
            ":10000000040D0004090000040B00930093C5E500F3\r\n:02001000040FDB\r\n:00000001FF\r\n");
  const std::string plain_listing = read_file(dir_ / "hallowelt.lst");
  EXPECT_NE(plain_listing.find("    4  0000 04 0D        2     JMP START\n"), std::string::npos) << plain_listing;
  EXPECT_NE(plain_listing.find("Programmger\xFCst"), std::string::npos) << "8-bit text like the source";
  EXPECT_NE(plain_listing.find("\nHAUPT                   000FH\n"), std::string::npos) << plain_listing;

  // The extended dialect, started from another folder: the include is found
  // beside the source, and the listing shows the macro's expansion.
  fs::create_directories(dir_ / "sub");
  write_file(dir_ / "sub" / "main.asm",
             "cpu 8048\n include \"defs.inc\"\ntwice macro v\n db v,v\n endm\nstart: twice VALUE\n jmp start\n");
  write_file(dir_ / "sub" / "defs.inc", "VALUE equ 42h\n");
  result = assemble("--hex out.hex --listing-file out.lst sub/main.asm");
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(read_file(dir_ / "sub" / "main.bin"), std::string("\x42\x42\x04\x00", 4));
  EXPECT_EQ(read_file(dir_ / "out.hex"), ":040000004242040074\r\n:00000001FF\r\n");
  const std::string listing = read_file(dir_ / "out.lst");
  for (const char* row : {"    6  0000                 start: twice VALUE\n", "    6+ 0000 42 42            db VALUE,VALUE\n",
                          "    7  0002 04 00        2   jmp start\n", "\nVALUE                   0042H\n"})
    EXPECT_NE(listing.find(row), std::string::npos) << row << "\nin\n" << listing;

  // DATE and TIME come from SOURCE_DATE_EPOCH (UTC) for reproducible images.
  write_file(dir_ / "stamp.asm", "cpu 8048\n db DATE, 0, TIME\n");
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // 2023-11-14 22:13:20 UTC
  result = assemble("stamp.asm");
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(read_file(dir_ / "stamp.bin"), std::string("11/14/23\0" "22:13:20", 17));

  // Neither file may replace the source.
  result = assemble("--hex sub/main.asm sub/main.asm");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(read_file(dir_ / "sub" / "main.asm").find("cpu 8048"), std::string::npos);
}

}  // namespace

// No output may replace a file the run read: the source or an included
// file, whichever name leads to it.
TEST_F(Cli, OutputsNeverReplaceAFileTheRunRead) {
  const std::string defs = "LED equ 1\n";
  write_file(dir_ / "defs.inc", defs);
  write_file(dir_ / "s.asm", " cpu 8048\n include \"defs.inc\"\n mov a,#LED\n");
  fs::create_hard_link(dir_ / "defs.inc", dir_ / "hard.inc");
  fs::create_symlink("defs.inc", dir_ / "soft.inc");
  for (const char* arguments : {"--hex defs.inc s.asm", "--listing-file defs.inc s.asm", "--output defs.inc s.asm",
                                "--hex hard.inc s.asm", "--output soft.inc s.asm", "--listing-file ./defs.inc s.asm"}) {
    SCOPED_TRACE(arguments);
    const Outcome result = assemble(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out.find("gespeichert"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("defs.inc"), std::string::npos) << result.err;
    EXPECT_EQ(read_file(dir_ / "defs.inc"), defs);
  }
  // The binary beside the source is refused as well when an include is it.
  write_file(dir_ / "t.bin", defs);
  write_file(dir_ / "t.asm", " cpu 8048\n include \"t.bin\"\n nop\n");
  const Outcome beside = assemble("t.asm");
  EXPECT_EQ(beside.status, 1);
  EXPECT_EQ(beside.out, "t.bin - ist die eingebundene Datei t.bin, Bin\xC3\xA4rdatei nicht gespeichert\n"
                        "Assembliert, aber nicht alle Ausgabedateien gespeichert: Fehler beim Speichern!\n");
  EXPECT_EQ(read_file(dir_ / "t.bin"), defs);
}

// Included files: a 00H byte, a missing file, a folder; each says what.
TEST_F(Cli, IncludedFilesThatCannotBeUsedSayWhy) {
  write_file(dir_ / "zero.inc", std::string(" nop\n\0 nop\n", 11));
  fs::create_directories(dir_ / "folder.inc");
  const struct {
    const char* include;
    const char* message;
  } cases[] = {
      {"zero.inc", "Zeile: 2 -> Datei enth\xC3\xA4lt ein 00H-Byte, kein Quelltext: zero.inc (6 Byte ab dort)\n"},
      {"none.inc", "Zeile: 2 -> Datei kann nicht gelesen werden: none.inc - Datei oder Ordner nicht gefunden "
                   "(No such file or directory)\n"},
      {"folder.inc", "Zeile: 2 -> Datei kann nicht gelesen werden: folder.inc - ist ein Ordner (Is a directory)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.include);
    write_file(dir_ / "s.asm", std::string(" cpu 8048\n include \"") + c.include + "\"\n");
    const Outcome result = assemble("s.asm");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, std::string(c.message) + "1 Fehler beim Assemblieren!\n");
  }
}

// Numbers and results beyond 32 bits are errors, not their low bits.
TEST_F(Cli, ValuesBeyondThirtyTwoBitsAreErrors) {
  const struct {
    const char* line;
    const char* out;  // error line, or the image in hex
  } cases[] = {
      {" db 1<<100", "Zeile: 2 -> \xC3\x9C" "berlauf: Ergebnis passt nicht in 32 Bit: 1 << 100"},
      {" db 0FFFFFFFFFFFFFFFFFFFFFFFFh", "Zeile: 2 -> Zahl passt nicht in 32 Bit: 0FFFFFFFFFFFFFFFFFFFFFFFFh"},
      {" db 99999999999 - 99999999990", "Zeile: 2 -> Zahl passt nicht in 32 Bit: 99999999999"},
      {"x equ 100000h * 100000h\n db x", "Zeile: 2 -> \xC3\x9C" "berlauf: Ergebnis passt nicht in 32 Bit: 1048576 * 1048576"},
      {" db 80000000h + 80000000h", "Zeile: 2 -> \xC3\x9C" "berlauf: Ergebnis passt nicht in 32 Bit: -2147483648 + -2147483648"},
      {" db -80000000h - 1", "Zeile: 2 -> \xC3\x9C" "berlauf: Ergebnis passt nicht in 32 Bit: -2147483648 - 1"},
      {" db 0FFFFFFFFh + 1, 1 << 7, (1 << 31) >> 31", "00 80 FF"},
      {" dw 0FFFFh * 1, 7FFFFFFFh - 7FFFFFFEh", "FF FF 01 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    write_file(dir_ / "v.asm", std::string(" cpu 8048\n") + c.line + "\n");
    const Outcome result = assemble("v.asm");
    const std::string out = c.out;
    if (out.starts_with("Zeile")) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.out, out + "\n1 Fehler beim Assemblieren!\n");
    } else {
      EXPECT_EQ(result.status, 0) << result.out;
      std::string hex;
      for (const unsigned char byte : read_file(dir_ / "v.bin")) {
        char text[4];
        std::snprintf(text, sizeof text, "%s%02X", hex.empty() ? "" : " ", byte);
        hex += text;
      }
      EXPECT_EQ(hex, out);
    }
  }
}

// An output that could not be written never ends in the success line.
TEST_F(Cli, OutputsThatFailEndInAFailureLine) {
  write_file(dir_ / "ok.asm", "nop\n");
  for (const char* arguments : {"--hex no/dir/ok.hex ok.asm", "--listing-file no/dir/ok.lst ok.asm",
                                "--output no/dir/ok.bin ok.asm"}) {
    SCOPED_TRACE(arguments);
    const Outcome result = assemble(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.ends_with("Fehler beim Speichern!\n")) << result.out;
    EXPECT_EQ(result.out.find("ohne Fehler beendet"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Datei oder Ordner nicht gefunden (No such file or directory)"), std::string::npos);
  }
}

// A source saved as UTF-8 with its byte-order mark is read as UTF-8 and
// said so; the characters are those of the text, not of its bytes.
TEST_F(Cli, Utf8SourceWithByteOrderMark) {
  write_file(dir_ / "bom.asm", "\xEF\xBB\xBF nop ; \xC3\xA4nderung\n db '\xC3\xA4'\n");
  const Outcome result = assemble("bom.asm");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out,
            "bom.asm - als UTF-8 gelesen (Datei beginnt mit der UTF-8-Kennung EF BB BF)\n"
            "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)\n"
            "bom.bin (2 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
  EXPECT_EQ(read_file(dir_ / "bom.bin"), std::string("\x00\xE4", 2));
}

// Code placed twice: the later line's bytes, and one warning per overlap.
TEST_F(Cli, OrgBackOverPlacedCodeWarns) {
  const struct {
    const char* source;
    const char* warnings;
    std::string image;
  } cases[] = {
      {" org 0\n nop\n nop\n org 1\n cpl a\n", "Warnung: Code ab Zeile 5 \xC3\xBC" "berschreibt Code ab Zeile 3 (0001H bis 0001H)\n",
       std::string("\x00\x37", 2)},
      {"start: jmp start\n org 0\n ret\n ret\n org 1\n cpl a\n",
       "Warnung: Code ab Zeile 3 \xC3\xBC" "berschreibt Code ab Zeile 1 (0000H bis 0001H)\n"
       "Warnung: Code ab Zeile 6 \xC3\xBC" "berschreibt Code ab Zeile 4 (0001H bis 0001H)\n",
       std::string("\x83\x37", 2)},
      {" cpu 8048\n org 1\n db 1,2\n org 0\n dw 0\n", "Warnung: Code ab Zeile 5 \xC3\xBC" "berschreibt Code ab Zeile 3 (0001H bis 0001H)\n",
       std::string("\x00\x00\x02", 3)},
      {" org 0\n nop\n org 1\n nop\n", "", std::string("\x00\x00", 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    write_file(dir_ / "o.asm", c.source);
    const Outcome result = assemble("o.asm");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, std::string(c.warnings) + "o.bin (" + std::to_string(c.image.size()) +
                              " Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
    EXPECT_EQ(read_file(dir_ / "o.bin"), c.image);
  }
}

namespace {

// --dialect and -D as a build script uses them: the dialect line first,
// the definition picking the build variant, wrong calls refused.
TEST_F(Cli, DialectOptionAndDefinitions) {
  write_file(dir_ / "variant.asm", "        ifdef   FAST\n        mov     a,#SPEED\n        else\n"
                                   "        nop\n        endif\n");
  Outcome result = assemble("--dialect as -D FAST -DSPEED=0x42 variant.asm");
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.dialect, "Dialekt: Makroassembler (gewählt: as)");
  EXPECT_EQ(read_file(dir_ / "variant.bin"), std::string("\x23\x42", 2));
  result = assemble("--dialect as variant.asm");
  EXPECT_EQ(read_file(dir_ / "variant.bin"), std::string(1, '\0'));

  for (const char* wrong : {"--dialect cobol variant.asm", "-D 1X variant.asm", "-D X=zwei variant.asm", "--dialect"}) {
    result = assemble(wrong);
    EXPECT_EQ(result.status, 2) << wrong;
    EXPECT_TRUE(result.out.empty()) << wrong;
  }
}

}  // namespace
