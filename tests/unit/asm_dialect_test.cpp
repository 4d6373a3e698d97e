// Which dialect a source is read in, what the first message line says about
// it, and what the choice changes in the bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/dialect/recognition.h"

namespace zorvin::asm48 {
namespace {

std::vector<std::uint8_t> code_bytes(const Assembler& assembler) {
  std::vector<std::uint8_t> bytes;
  for (const LineRecord& record : assembler.table().records) {
    const auto code = assembler.table().code_of(record);
    bytes.insert(bytes.end(), code.begin(), code.end());
  }
  return bytes;
}

TEST(Dialect, TheFirstMessageLineNamesItAndWhy) {
  struct Case {
    const char* source;
    const char* line;
  };
  const Case cases[] = {
      {"  nop\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      {"; cpu 8048 in a comment\n  nop\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      {"cpu equ 5\n  mov a,#cpu\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      {"  nop\n  end\n#define X\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      {"  nop\n\tEND   ; done\n#define X\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      // Only "end" alone ends the search: not a word that starts like it,
      // nor end with an operand or a comma in front.
      {"  end x\n#define X\n", "Dialekt: TASM (erkannt an #define, Zeile 2)"},
      {"  ,end\n#define X\n", "Dialekt: TASM (erkannt an #define, Zeile 2)"},
      {"  endm\n", "Dialekt: Makroassembler (erkannt an endm, Zeile 1)"},
      {"  cpu 8048\n  nop\n", "Dialekt: Makroassembler (festgelegt durch cpu 8048, Zeile 1)"},
      {"  nop\n#DEFINE FAST\n  nop\n", "Dialekt: TASM (erkannt an #DEFINE, Zeile 2)"},
      {"LIMIT .EQU 5\n", "Dialekt: TASM (erkannt an .EQU, Zeile 1)"},
      {"  .equ limit, 5\n", "Dialekt: ASxxxx/asm48 (erkannt an .equ, Zeile 1)"},
      {"  .area CODE (ABS)\n", "Dialekt: ASxxxx/asm48 (erkannt an .area, Zeile 1)"},
      {"LIMIT .EQ 5\n", "Dialekt: SB-Assembler (erkannt an .EQ, Zeile 1)"},
      // asm48 without .equ: words the plain dialect does not have.
      {"  addc a,#$5\n  .dw L\nL: .db 1,2\n", "Dialekt: ASxxxx/asm48 (erkannt an .dw, Zeile 2)"},
      {"  .set X, 5\n", "Dialekt: ASxxxx/asm48 (erkannt an .set, Zeile 1)"},
      {"LIMIT .SET 5\n", "Dialekt: TASM (erkannt an .SET, Zeile 1)"},
      {"  .define Z, 7\n", "Dialekt: ASxxxx/asm48 (erkannt an .define, Zeile 1)"},
      {"  nop\n  .exit\n", "Dialekt: ASxxxx/asm48 (erkannt an .exit, Zeile 2)"},
      {"  .db 1\n  .org 10h\n", "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)"},
      {"  .CR 8048\n", "Dialekt: SB-Assembler (festgelegt durch .CR 8048, Zeile 1)"},
      {"$MOD48\n  NOP\n", "Dialekt: Intel ASM48 (festgelegt durch $MOD48, Zeile 1)"},
      {"  ifdef X\n  endif\n", "Dialekt: Makroassembler (erkannt an ifdef, Zeile 1)"},
      // A marker line decides over a word seen before it.
      {"#define X\n  cpu 8048\n", "Dialekt: Makroassembler (festgelegt durch cpu 8048, Zeile 2)"},
      // The file in quotes is the macro assembler's include, without them Intel's.
      {"  include \"a.inc\"\n", "Dialekt: Makroassembler (erkannt an include, Zeile 1)"},
      {"  INCLUDE(a.inc)\n", "Dialekt: Intel ASM48 (erkannt an INCLUDE, Zeile 1)"},
      {"  INCLUDE a.inc\n", "Dialekt: Intel ASM48 (erkannt an INCLUDE, Zeile 1)"},
      // asm48's own words in column 1; "label .SET" stays no mark.
      {".set X, 5\n", "Dialekt: ASxxxx/asm48 (erkannt an .set, Zeile 1)"},
      {".define Z, 7\n", "Dialekt: ASxxxx/asm48 (erkannt an .define, Zeile 1)"},
      {"  nop\n  .dbr 1\n", "Dialekt: ASxxxx/asm48 (erkannt an .dbr, Zeile 2)"},
      // .dw alone marks the source; any other mark decides over it.
      {"  .dw 1\n", "Dialekt: ASxxxx/asm48 (erkannt an .dw, Zeile 1)"},
      {"  .dw 1\n#define X\n", "Dialekt: TASM (erkannt an #define, Zeile 2)"},
      {"  .dw 1\nL .EQ 5\n", "Dialekt: SB-Assembler (erkannt an .EQ, Zeile 2)"},
  };
  for (const Case& c : cases) {
    Assembler assembler;
    EXPECT_EQ(assembler.run(c.source).dialect_line, c.line) << c.source;
  }
}

TEST(Dialect, PercentIsBinaryOnlyWhereTheConventionSaysSo) {
  struct Case {
    const char* source;
    std::uint8_t immediate;
    bool warned;
  };
  const Case cases[] = {
      {"  mov a,#%00000011\n", 0x11, true},                          // plain: hexadecimal, with a word
      {"#define X\n  mov a,#%00000011\n", 0x03, true},               // recognised TASM
      {"  .cr 8048\n  mov a,#%00000011\n", 0x03, false},             // SB-Assembler named by its marker
      {"  cpu 8048\n  mov a,#%11\n", 0x03, false},                   // the macro assembler: binary
  };
  for (const Case& c : cases) {
    Assembler assembler;
    const AssemblyResult result = assembler.run(c.source);
    ASSERT_TRUE(result.ok()) << c.source << (result.error_lines.empty() ? "" : result.error_lines[0]);
    EXPECT_EQ(code_bytes(assembler), (std::vector<std::uint8_t>{0x23, c.immediate})) << c.source;
    bool warned = false;
    for (const std::string& line : result.warning_lines) warned = warned || line.find("%") != std::string::npos;
    EXPECT_EQ(warned, c.warned) << c.source;
  }
}

TEST(Dialect, TheOptionOverridesTheSourceAndDefinitionsReachIt) {
  Assembler assembler;
  assembler.set_options({"tasm", {}});
  AssemblyResult result = assembler.run("  mov a,#$10\n");
  EXPECT_EQ(result.dialect_line, "Dialekt: TASM (gewählt: tasm)");
  EXPECT_EQ(code_bytes(assembler), (std::vector<std::uint8_t>{0x23, 0x10}));

  const std::string variant = "  cpu 8048\n  ifdef FAST\n  mov a,#SPEED\n  else\n  nop\n  endif\n";
  assembler.set_options({"", {{"FAST", 1}, {"SPEED", 0x42}}});
  result = assembler.run(variant);
  ASSERT_TRUE(result.ok()) << result.error_lines.at(0);
  EXPECT_EQ(code_bytes(assembler), (std::vector<std::uint8_t>{0x23, 0x42}));
  assembler.set_options({});
  result = assembler.run(variant);
  EXPECT_EQ(code_bytes(assembler), (std::vector<std::uint8_t>{0x00}));

  // The plain dialect has no use for them, and says so.
  assembler.set_options({"plain", {{"FAST", 1}}});
  result = assembler.run("  nop\n");
  ASSERT_EQ(result.warning_lines.size(), 1u);
  EXPECT_NE(result.warning_lines[0].find("-D"), std::string::npos);
}

TEST(Dialect, UserMessagesAndWideValues) {
  struct Case {
    const char* source;
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"  cpu 8048\n  error \"kaputt\"\n", {"Zeile: 2 -> Fehler: kaputt"}, {}},
      {"  cpu 8048\n  warning \"langsam\"\n  message \"fertig\"\n",
       {},
       {"Zeile: 2 -> Warnung: langsam", "Zeile: 3 -> Meldung: fertig"}},
      {"  cpu 8048\n  fatal \"halt\"\n  foo\n", {"Zeile: 2 -> Fehler: halt"}, {}},
      // The macro assembler refuses a value too wide; TASM takes its low byte.
      {"  cpu 8048\n  mov a,#1234h\n", {"Zeile: 2 -> Wert außerhalb des zulässigen Bereiches: 4660 (erlaubt -128 bis 255)"}, {}},
      {"#define X\n  mov a,#1234h\n",
       {},
       {"Zeile: 2 -> Warnung: Wert passt nicht in ein Byte, unteres Byte genommen: 4660"}},
  };
  for (const Case& c : cases) {
    Assembler assembler;
    const AssemblyResult result = assembler.run(c.source);
    EXPECT_EQ(result.error_lines, c.errors) << c.source;
    EXPECT_EQ(result.warning_lines, c.warnings) << c.source;
  }
}

TEST(Dialect, IncludeFoundInAnotherCaseIsNamed) {
  const std::filesystem::path dir = std::filesystem::path(ZORVIN_BINARY_DIR) / "dialect_include";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "ports.inc") << "PORT .EQU $3C\n";
  Assembler assembler;
  const AssemblyResult result = assembler.run("#INCLUDE \"PORTS.INC\"\n  MOV A,#PORT\n", dir.string());
  ASSERT_TRUE(result.ok()) << result.error_lines.at(0);
  EXPECT_EQ(code_bytes(assembler), (std::vector<std::uint8_t>{0x23, 0x3C}));
  ASSERT_EQ(result.warning_lines.size(), 1u);
  EXPECT_EQ(result.warning_lines[0],
            "Zeile: 1 -> Hinweis: Datei in anderer Schreibweise gefunden: " + (dir / "ports.inc").string());
  // A missing file is still an error.
  EXPECT_FALSE(assembler.run("#INCLUDE \"NONE.INC\"\n", dir.string()).ok());
}

}  // namespace
}  // namespace zorvin::asm48

namespace zorvin::asm48 {
namespace {

// Where a message points: the line at fault within a continued #DEFINE,
// else its first line; a label on a line with a mistake still stands.
TEST(Dialect, MessagesNameTheLineAtFault) {
  struct Case {
    const char* source;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"#DEFINE TWO  MOV A,#1 \\\n  MOV A,#\"ab \\\n  NOP\n  .ORG 0\n",
       {"Zeile: 2 -> Fehler im Ausdruck: \"ab \\"}},
      {"#DEFINE T NOP\n#DEFINE T NOP \\\n  NOP\n", {"Zeile: 2 -> Symbol doppelt definiert: T"}},
      {"  .ORG 0\n#DEFINE Y 1 \\\n + \\\n 2\n", {"Zeile: 2 -> Fehler im Ausdruck: \\"}},  // a value has no "\\"
      {"  cpu 8048\nstart:  mov a,#\"x\n  jmp start\n", {"Zeile: 2 -> Fehler im Ausdruck: \"x"}},
      {"  .CR 8048\nLOOP    wait here\n  DJNZ R2,LOOP\n",
       {"Zeile: 2 -> kein Befehl, keine Direktive, kein Makro: wait (ein Kommentar ohne Befehl beginnt mit \";\")"}},
  };
  for (const Case& c : cases) {
    Assembler assembler;
    EXPECT_EQ(assembler.run(c.source).error_lines, c.errors) << c.source;
  }
}

}  // namespace
}  // namespace zorvin::asm48
