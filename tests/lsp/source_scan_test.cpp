// The names and includes each convention's spelling defines, as the
// language features find them without assembling.
#include <gtest/gtest.h>

#include "asm/dialect/dialects.h"
#include "source_scan.h"

namespace zorvin::lsp {
namespace {

std::string listed(const SourceScan& scan) {
  std::string text;
  for (const DefinedName& name : scan.definitions) {
    const char kind = name.kind == NameKind::Label ? 'L' : name.kind == NameKind::Equate ? 'E' : 'M';
    text += name.name + ":" + kind + std::to_string(name.spot.line) + "@" + std::to_string(name.spot.begin) + " ";
  }
  for (const IncludedName& include : scan.includes) text += "<" + include.name + ">" + std::to_string(include.line) + " ";
  return text;
}

TEST(LspSourceScan, EachConventionsDefinitionsAndIncludes) {
  struct Case {
    const asm48::Convention* convention;
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Plain: labels need their colon; a word in column 1 alone is none.
      {nullptr, "zahl equ 12h\nstart:  mov a,#zahl\nnop\n  anders: ret ; ende: nein\n",
       "zahl:E0@0 start:L1@0 anders:L3@2 "},
      {&asm48::macro_convention(),
       "        cpu 8048\nwarte   macro n\n        endm\ntakt    = 6\nzwei:   set 2\nhaupt   nop\n        include 'a.inc'\n",
       "warte:M1@0 takt:E3@0 zwei:E4@0 haupt:L5@0 <a.inc>6 "},
      {&asm48::tasm_convention(),
       "#define WERT 5\n#include \"b.inc\" ; Kommentar\nSTART   .equ 1\nLOOP    djnz r7,LOOP\n        .org 0\n",
       "WERT:E0@8 START:E2@0 LOOP:L3@0 <b.inc>1 "},
      {&asm48::asxxxx_convention(), "        .include \"c.inc\"\nwert    == 7\n        .macro zeige x\n",
       "wert:E1@0 zeige:M2@15 <c.inc>0 "},
      {&asm48::sbasm_convention(), "        .cr 8048\n        .in d.inc\n* Kommentar\n        .ma warte\nWERT    .eq 5\n.loop   djnz r7,.loop\n",
       "warte:M3@12 WERT:E4@0 .loop:L5@0 <d.inc>1 "},
      {&asm48::intel_convention(), "$MOD48\n$INCLUDE(e.inc)\nWERT    EQU 5\nSTART:  MOV A,#'a;b'\n",
       "WERT:E2@0 START:L3@0 <e.inc>1 "},
  };
  for (const Case& c : cases) EXPECT_EQ(listed(scan_source(c.text, c.convention)), c.expected) << c.text;
}

TEST(LspSourceScan, WordsSkipCommentsStringsAndNumbers) {
  std::string words;
  for (const Word& word : words_of_line("lab: mov a,#0FFh ; kommentar", 0)) words += std::string(word.text) + " ";
  for (const Word& word : words_of_line("  db 'x;y', \"z\", $1F, %01, ziel", 1)) words += std::string(word.text) + " ";
  EXPECT_EQ(words, "lab mov a db ziel ");
}

}  // namespace
}  // namespace zorvin::lsp
