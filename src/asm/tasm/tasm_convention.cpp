// TASM's convention: dot directives (.EQU, .DB, .TEXT, ...), #DEFINE,
// #INCLUDE and #IF lines, $1F hexadecimal, %0101 binary, @17 octal, "*" or
// "$" as the location counter, expressions read left to right. A value too
// large for a byte is cut to its low byte, with a warning.
#include <array>

#include "asm/dialect/dialects.h"
#include "asm/dialect/operator_tables.h"

namespace zorvin::asm48 {

namespace {

constexpr std::array<DirectiveAlias, 26> kDirectives = {{
    {".equ", "equ"},       {".set", "set"},         {".org", "org"},        {".db", "db"},
    {".byte", "db"},       {".text", "db"},         {".dw", "dw"},          {".word", "dw"},
    {".block", "ds"},      {".end", "end"},         {".echo", "message"},   {".module", "ignore"},
    {".msfirst", "ignore"}, {".lsfirst", "ignore"}, {".list", "ignore"},    {".nolist", "ignore"},
    {".eject", "ignore"},  {".title", "ignore"},    {"#define", "define"},  {"#include", "include"},
    {"#if", "if"},         {"#ifdef", "ifdef"},     {"#ifndef", "ifndef"},  {"#else", "else"},
    {"#endif", "endif"},   {".fill", "fill_n"},
}};

}  // namespace

const Convention& tasm_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::Tasm;
    c.name = "TASM";
    c.option = "tasm";
    c.dollar_hex = true;
    c.percent_binary = true;
    c.at_octal = true;
    c.star_location = true;
    c.operators = kLeftToRightOperators;
    c.hash_words = true;
    c.low_byte_of_wide = true;
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
