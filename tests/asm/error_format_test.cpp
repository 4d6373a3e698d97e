// Messages in the GNU convention ("datei.asm:12: Fehler: Syntaxfehler") for
// Make, Vim's quickfix list, Emacs and VS Code, beside the window's lines;
// and an error in an included file naming that file in both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "asm/diagnostics.h"
#include "cli_fixture.h"

using namespace zorvin::test::asm_cli;

namespace {

using zorvin::asm48::Diagnostic;
using zorvin::asm48::Severity;

TEST(GnuFormat, EachKindOfDiagnostic) {
  struct Case {
    Diagnostic diagnostic;
    const char* gnu;
  };
  const Case cases[] = {
      {{Severity::Error, 12, {}, " -> Syntaxfehler", 0}, "prog.asm:12: Fehler: Syntaxfehler"},
      {{Severity::Warning, 3, {}, " -> Warnung: Wert ohne # als Direktwert gelesen: 5", 0},
       "prog.asm:3: Warnung: Wert ohne # als Direktwert gelesen: 5"},
      {{Severity::Note, 4, {}, " -> Hinweis: Datei in anderer Schreibweise gefunden: a.inc", 0},
       "prog.asm:4: Hinweis: Datei in anderer Schreibweise gefunden: a.inc"},
      {{Severity::Note, 4, {}, " -> bis hierher", 0}, "prog.asm:4: Hinweis: bis hierher"},
      // The error directive's own text begins with "Fehler: " already.
      {{Severity::Error, 7, {}, " -> Fehler: boom", 0}, "prog.asm:7: Fehler: boom"},
      // In an included file: that file and its line, not the include line.
      {{Severity::Error, 4, "sub/defs.inc", " -> Syntaxfehler", 2}, "sub/defs.inc:2: Fehler: Syntaxfehler"},
      {{Severity::Warning, 4, "sub/defs.inc", " -> Warnung: w", 9}, "sub/defs.inc:9: Warnung: w"},
      // About the whole run: as it is.
      {{Severity::Warning, 0, {}, "Warnung: Code ab Zeile 5 überschreibt Code ab Zeile 3 (0000H bis 0000H)", 0},
       "Warnung: Code ab Zeile 5 überschreibt Code ab Zeile 3 (0000H bis 0000H)"},
  };
  for (const Case& c : cases) EXPECT_EQ(zorvin::asm48::format_gnu_diagnostic(c.diagnostic, "prog.asm"), c.gnu);
  EXPECT_EQ(zorvin::asm48::format_diagnostic({Severity::Error, 4, "sub/defs.inc", " -> Syntaxfehler", 2}),
            "Zeile: 4 -> sub/defs.inc, Zeile 2: Syntaxfehler");
}

// A source whose second line is wrong, and one that includes a wrong file.
const std::string kPlain = " org 0\n xyz\n mov a,#300\n nop\n";
const std::string kMain = "  cpu 8048\n  nop\n  include \"inc/defs.inc\"\n  frob\n";
const std::string kIncluded = "  nop\n  mov a,#300\n  if 1\n  nop\n";

class ErrorFormat : public Cli {
 protected:
  void TearDown() override { unsetenv("ZORVIN_FEHLERFORMAT"); }
  void write_sources() {
    write_file(dir_ / "plain.asm", kPlain);
    write_file(dir_ / "main.asm", kMain);
    fs::create_directories(dir_ / "inc");
    write_file(dir_ / "inc" / "defs.inc", kIncluded);
  }
};

TEST_F(ErrorFormat, OptionAndVariableChooseTheFormat) {
  write_sources();
  const std::string plain_default =
      "Zeile: 2 -> Syntaxfehler\nZeile: 3 -> Wert außerhalb des zulässigen Bereiches\n2 Fehler beim Assemblieren!\n";
  const std::string plain_gnu =
      "plain.asm:2: Fehler: Syntaxfehler\nplain.asm:3: Fehler: Wert außerhalb des zulässigen Bereiches\n"
      "2 Fehler beim Assemblieren!\n";
  struct Case {
    const char* variable;  // ZORVIN_FEHLERFORMAT, or none
    const char* arguments;
    const std::string* out;
    const char* err;
  };
  const Case cases[] = {
      {nullptr, "plain.asm", &plain_default, ""},
      {nullptr, "--fehlerformat standard plain.asm", &plain_default, ""},
      {nullptr, "--fehlerformat gnu plain.asm", &plain_gnu, ""},
      {nullptr, "plain.asm --fehlerformat gnu", &plain_gnu, ""},
      {"gnu", "plain.asm", &plain_gnu, ""},
      {"", "plain.asm", &plain_default, ""},
      {"gnu", "--fehlerformat standard plain.asm", &plain_default, ""},
      {"GNU", "plain.asm", &plain_default,
       "zorvin-asm: ZORVIN_FEHLERFORMAT=GNU ist unbekannt (gnu oder standard); es gilt das Format standard\n"},
      // The option wins, so a wrong variable says nothing.
      {"vim", "--fehlerformat gnu plain.asm", &plain_gnu, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable ? c.variable : "(unset)") + " " + c.arguments);
    if (c.variable) setenv("ZORVIN_FEHLERFORMAT", c.variable, 1);
    else unsetenv("ZORVIN_FEHLERFORMAT");
    const Outcome result = assemble(c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, *c.out);
    EXPECT_EQ(result.err, c.err);
  }
}

TEST_F(ErrorFormat, WrongValueIsAWrongCall) {
  write_sources();
  for (const char* arguments : {"--fehlerformat vim plain.asm", "plain.asm --fehlerformat"}) {
    SCOPED_TRACE(arguments);
    const Outcome result = assemble(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.find("Aufruf: zorvin-asm") != std::string::npos) << result.err;
  }
  EXPECT_TRUE(assemble("--fehlerformat vim plain.asm")
                  .err.starts_with("zorvin-asm: --fehlerformat erwartet gnu oder standard, nicht 'vim'\n"));
}

TEST_F(ErrorFormat, ErrorsInAnIncludedFileNameIt) {
  write_sources();
  Outcome result = assemble("main.asm");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "Zeile: 3 -> inc/defs.inc, Zeile 2: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)\n"
            "Zeile: 3 -> inc/defs.inc, Zeile 3: endif fehlt\n"
            "Zeile: 4 -> Syntaxfehler\n3 Fehler beim Assemblieren!\n");
  result = assemble("--fehlerformat gnu main.asm");
  EXPECT_EQ(result.out,
            "inc/defs.inc:2: Fehler: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)\n"
            "inc/defs.inc:3: Fehler: endif fehlt\n"
            "main.asm:4: Fehler: Syntaxfehler\n3 Fehler beim Assemblieren!\n");
  // Named by a path from elsewhere, the files keep paths that open from there.
  result = assemble("--fehlerformat gnu ../" + dir_.filename().string() + "/main.asm");
  const std::string prefix = "../" + dir_.filename().string() + "/";
  EXPECT_TRUE(result.out.starts_with(prefix + "inc/defs.inc:2: Fehler: ")) << result.out;
  EXPECT_NE(result.out.find("\n" + prefix + "main.asm:4: Fehler: Syntaxfehler\n"), std::string::npos) << result.out;
}

// Each kind of message from an included file, in both formats: the window's
// names the file after the including line, GNU's names only the file.
TEST_F(ErrorFormat, EveryMessageOfAnIncludedFileNamesIt) {
  struct Case {
    const char* included;
    const char* standard;  // the message lines, without the summary
    const char* gnu;
  };
  const Case cases[] = {
      {"  jmp later\n", "Zeile: 3 -> inc/defs.inc, Zeile 1: Symbol nicht definiert: later\n",
       "inc/defs.inc:1: Fehler: Symbol nicht definiert: later\n"},
      {"  nop\nm macro\n  nop\n", "Zeile: 3 -> inc/defs.inc, Zeile 2: endm fehlt\n",
       "inc/defs.inc:2: Fehler: endm fehlt\n"},
      {"  nop\n  error \"kaputt\"\n", "Zeile: 3 -> inc/defs.inc, Zeile 2: Fehler: kaputt\n",
       "inc/defs.inc:2: Fehler: kaputt\n"},
      {"  warning \"w\"\n  message \"m\"\n  frob\n",
       "Zeile: 3 -> inc/defs.inc, Zeile 1: Warnung: w\nZeile: 3 -> inc/defs.inc, Zeile 2: Meldung: m\n"
       "Zeile: 3 -> inc/defs.inc, Zeile 3: Syntaxfehler\n",
       "inc/defs.inc:1: Warnung: w\ninc/defs.inc:2: Meldung: m\ninc/defs.inc:3: Fehler: Syntaxfehler\n"},
      // A file included by an included file: the innermost one.
      {"  nop\n  include \"more.inc\"\n", "Zeile: 3 -> inc/more.inc, Zeile 2: Syntaxfehler\n",
       "inc/more.inc:2: Fehler: Syntaxfehler\n"},
  };
  fs::create_directories(dir_ / "inc");
  write_file(dir_ / "main.asm", "  cpu 8048\n  nop\n  include \"inc/defs.inc\"\n");
  write_file(dir_ / "inc" / "more.inc", "  nop\n  frob\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.included);
    write_file(dir_ / "inc" / "defs.inc", c.included);
    const std::string standard = assemble("main.asm").out;
    EXPECT_EQ(standard.substr(0, standard.find("1 Fehler")), c.standard);
    const std::string gnu = assemble("--fehlerformat gnu main.asm").out;
    EXPECT_EQ(gnu.substr(0, gnu.find("1 Fehler")), c.gnu);
  }
}

// Vim's quickfix list, with the error format GCC's messages are read by,
// takes each message with its file and line and leaves the other lines.
TEST_F(ErrorFormat, VimsQuickfixListReadsTheMessages) {
  if (std::system("command -v vim >/dev/null 2>&1") != 0) GTEST_SKIP() << "vim is not installed (scripts/deps.sh)";
  write_sources();
  const Outcome result = assemble("--fehlerformat gnu main.asm");
  ASSERT_EQ(result.status, 1);
  write_file(dir_ / "messages.txt", result.dialect + "\n" + result.out);
  const std::string command =
      "cd '" + dir_.string() +
      "' && timeout 20 vim -es -N -u NONE -i NONE -c 'set encoding=utf-8' -c 'set errorformat=%f:%l:\\ %m' "
      "-c 'cgetfile messages.txt' -c 'redir! > quickfix.txt' "
      "-c 'for e in getqflist() | if e.valid | echo bufname(e.bufnr) . \"|\" . e.lnum . \"|\" . e.text | endif | "
      "endfor' -c 'redir END' -c 'qa!' </dev/null >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_file(dir_ / "quickfix.txt"),
            "\ninc/defs.inc|2|Fehler: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)"
            "\ninc/defs.inc|3|Fehler: endif fehlt"
            "\nmain.asm|4|Fehler: Syntaxfehler");
}

}  // namespace
