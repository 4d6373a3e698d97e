// Text rules of the conventions: TASM's #DEFINE texts put into a line and
// its bodies split into statements; SB-Assembler's fields that end at blanks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/dialect/dialects.h"
#include "asm/ext/lexer.h"
#include "asm/ext/macro_text.h"

namespace zorvin::asm48::ext {
namespace {

TEST(TextDefines, ArePutInWhereTheirNameAndArgumentsStand) {
  const std::vector<TextDefine> defines = {
      {"ofs", {"x"}, "(x+2)"},
      {"sum", {"a", "b"}, "(a+b)"},
      {"none", {}, "7"},
  };
  struct Case {
    const char* line;
    const char* expected;  // nullptr: nothing replaced
  };
  const Case cases[] = {
      {" mov a,#OFS(3)", " mov a,#(3+2)"},
      {" mov a,#ofs (3)", " mov a,#(3+2)"},           // blanks before "(" as in C
      {" mov a,#Sum(1, (2,3))", " mov a,#(1+(2,3))"},  // arguments split at top-level commas only
      {" mov a,#OFS(OFS(1))", " mov a,#(OFS(1)+2)"},  // one level per call: the pass calls again
      {" mov a,#none()+1", " mov a,#7+1"},
      {" db 'OFS(1)', \"OFS(2)\"", nullptr},          // quoted text stays
      {" nop ; OFS(1)", nullptr},                     // so does the comment
      {" mov a,#xOFS(1)", nullptr},                   // part of another name
      {" mov a,#OFS(1", nullptr},                     // not closed: the expression reports it
      {" mov a,#SUM(1)", " mov a,#(1+)"},             // a missing argument is empty
  };
  for (const Case& c : cases) {
    std::string out;
    const bool replaced = put_in_text_defines(c.line, defines, out, 4096);
    EXPECT_EQ(replaced, c.expected != nullptr) << c.line;
    if (c.expected) {
      EXPECT_EQ(out, c.expected) << c.line;
    }
  }
}

TEST(TextDefines, BodiesSplitIntoStatementsAtBackslashes) {
  struct Case {
    const char* body;
    std::vector<std::string_view> statements;
  };
  const Case cases[] = {
      {"MOV A,#1 \\ MOV R0,A", {"MOV A,#1", "MOV R0,A"}},
      {"MOV A,#1 \\  \\ CLR C \\", {"MOV A,#1", "CLR C"}},
      {"DB '\\\\', \"a\\\\b\" \\ NOP", {"DB '\\\\', \"a\\\\b\"", "NOP"}},
      {"NOP", {"NOP"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_statements(c.body), c.statements) << c.body;
}

// The token texts of a line in SB-Assembler's convention.
std::vector<std::string_view> sbasm_tokens(std::string_view line) {
  static TokenLine tokens;
  tokenize_into(line, tokens, 0, sbasm_convention());
  std::vector<std::string_view> texts;
  for (const Token& t : tokens.tokens) texts.push_back(t.text);
  return texts;
}

TEST(SbAsmFields, WhatFollowsTheOperandFieldIsAComment) {
  struct Case {
    std::string_view line;
    std::vector<std::string_view> tokens;
  };
  const Case cases[] = {
      {"        .DB $06   06 ?.", {".DB", "$06"}},
      {"LOOP    DJNZ R2,LOOP back", {"LOOP", "DJNZ", "R2", ",", "LOOP"}},
      {"        MOV A,#'A'  a letter", {"MOV", "A", ",", "#", "'A'"}},
      {"        .AS \"A B\" text", {".AS", "\"A B\""}},
      {"        MOV A,#(1 + 2)", {"MOV", "A", ",", "#", "(", "1"}},  // a blank ends the operand field
      {"        NOP   wait ; here", {"NOP", "wait"}},           // the pass takes "wait" for a comment
      {"X       .EQ 3 ; three", {"X", ".EQ", "3"}},
      {"* a comment line", {}},                                  // "*" in column 1
      {"        .AS /a b/ text", {".AS", "/a b/"}},              // any two equal characters
      {"X       .AS #$0D,/x,y/ t", {"X", ".AS", "$0D", ",", "/x,y/"}},  // #value items among them
      {"        .DB /2", {".DB", "/", "2"}},                     // elsewhere "/" is an operator
      {"        .DB *", {".DB", "*"}},                           // elsewhere a value
  };
  for (const Case& c : cases) EXPECT_EQ(sbasm_tokens(c.line), c.tokens) << c.line;
  // Other conventions read on to ";".
  TokenLine tokens;
  tokenize_into("        .DB $06   06", tokens, 0, tasm_convention());
  EXPECT_EQ(tokens.tokens.size(), 3u);
}

}  // namespace
}  // namespace zorvin::asm48::ext
