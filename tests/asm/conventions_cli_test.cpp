// What other assemblers' sources say about the run's output: SB-Assembler's
// .TF (the file the program goes to) and .LI ON/OFF (lines left out of the
// listing file), as the command-line assembler carries them out.
#include "cli_fixture.h"

#include "asm/assembler.h"

namespace zorvin::test::asm_cli {
namespace {

constexpr const char* kNopHex = ":0100000000FF\r\n:00000001FF\r\n";

TEST_F(Cli, SbTargetFileTakesTheImageOrTheIntelHex) {
  struct Case {
    const char* directives;  // the lines between .CR and the program
    const char* arguments;   // before the source's name
    const char* written;     // the file that holds the program
    const char* contents;    // what it holds
    const char* absent;      // a file that must not be there, or ""
    const char* says;        // a line of the output, or ""
  };
  const Case cases[] = {
      {"        .TF     prog.rom,BIN\n", "", "prog.rom", "\x00", "t.bin", "Zeile: 2 -> Hinweis: Zieldatei laut .TF: prog.rom"},
      {"        .TF     prog.rom\n", "", "prog.rom", "\x00", "t.bin", ""},
      {"        .tf     prog.hex\n", "", "prog.hex", kNopHex, "", ""},
      {"        .TF     out.rom,int\n", "", "out.rom", kNopHex, "", ""},
      {"        .TF     prog.rom,BIN\n", "--output other.bin ", "other.bin", "\x00", "prog.rom",
       "Zieldatei laut .TF (prog.rom) bleibt unbeachtet: die Befehlszeile nennt other.bin"},
      {"        .TF     prog.s19,MOT\n", "", "t.bin", "\x00", "prog.s19",
       "Zeile: 2 -> Warnung: .TF-Format kann zorvin nicht schreiben (nur BIN und INT), die Zieldatei bleibt die "
       "übliche: MOT"},
      {"        .TF     one.rom\n        .TF     two.rom\n", "", "one.rom", "\x00", "two.rom",
       "Zeile: 3 -> Warnung: zorvin schreibt das Programm in eine Zieldatei; dieses .TF bleibt unbeachtet: two.rom"},
      {"        .TF\n", "", "t.bin", "\x00", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directives);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    write_file(dir_ / "t.asm", std::string("        .CR     8048\n") + c.directives + "        NOP\n");
    const Outcome result = assemble(std::string(c.arguments) + "t.asm");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const std::string contents = c.contents[0] == '\0' ? std::string(1, '\0') : std::string(c.contents);
    EXPECT_EQ(read_file(dir_ / c.written), contents);
    if (*c.absent) {
      EXPECT_FALSE(fs::exists(dir_ / c.absent)) << c.absent;
    }
    if (*c.says) {
      EXPECT_NE(result.out.find(c.says), std::string::npos) << result.out;
    }
  }
}

TEST_F(Cli, SbTargetFileNeverReplacesTheSource) {
  write_file(dir_ / "t.asm", "        .CR     8048\n        .TF     t.asm,BIN\n        NOP\n");
  const Outcome result = assemble("t.asm");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("würde die Quelle überschreiben"), std::string::npos) << result.err;
  EXPECT_EQ(read_file(dir_ / "t.asm"), "        .CR     8048\n        .TF     t.asm,BIN\n        NOP\n");
}

TEST_F(Cli, SbListOffLeavesLinesOutOfTheListingFile) {
  write_file(dir_ / "t.asm",
             "        .CR     8048\n"
             "START   NOP\n"
             "        .LI     OFF\n"
             "HIDDEN  MOV     A,#1\n"
             "        .LI     ON\n"
             "        JMP     START\n");
  const Outcome result = assemble("--listing-file t.lst t.asm");
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  const std::string listing = read_file(dir_ / "t.lst");
  EXPECT_NE(listing.find("    2  0000 00           1  START   NOP\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("    6  0003 04 00        2          JMP     START\n"), std::string::npos) << listing;
  EXPECT_EQ(listing.find(".LI"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("MOV     A,#1"), std::string::npos) << listing;
  EXPECT_NE(listing.find("HIDDEN                  0001H"), std::string::npos) << "the symbols stay: " << listing;
  EXPECT_EQ(read_file(dir_ / "t.bin"), std::string("\x00\x23\x01\x04\x00", 5));
}

// expect around an include takes the included file's messages; one inside
// an included file takes those of its own lines only.
TEST_F(Cli, ExpectCoversIncludedLines) {
  write_file(dir_ / "a.inc", "        jmp     nowhere\n");
  write_file(dir_ / "b.inc", "        expect  1320\n        mov     a,#300\n        endexpect\n        mov     a,#400\n");
  write_file(dir_ / "t.asm",
             "        cpu     8048\n        expect  1010\n        include \"a.inc\"\n        endexpect\n"
             "        include \"b.inc\"\n");
  const Outcome result = assemble("t.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out.find("nowhere"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find(": 300"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("b.inc, Zeile 4: Wert außerhalb des zulässigen Bereiches: 400"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("1 Fehler beim Assemblieren!"), std::string::npos) << result.out;
}

// The lines .LI OFF leaves out of the file stay in the run's listing, which
// the debugger maps addresses to source lines with.
TEST(SbListing, LinesLeftOutOfTheFileStayKnownToTheRun) {
  asm48::Assembler assembler;
  assembler.keep_listing(true);
  ASSERT_TRUE(assembler.run("        .CR 8048\n        .LI OFF\n        NOP\n        .LI ON\n        RET\n").ok());
  std::vector<std::pair<int, bool>> lines;  // line number, left out
  for (const auto& line : assembler.extended_listing().lines) lines.emplace_back(line.line_no, line.unlisted);
  EXPECT_EQ(lines, (std::vector<std::pair<int, bool>>{{1, false}, {2, true}, {3, true}, {4, true}, {5, false}, {6, false}}));
}

}  // namespace
}  // namespace zorvin::test::asm_cli
