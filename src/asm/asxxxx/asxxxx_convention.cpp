// The ASxxxx (as8048) and asm48 convention: dot directives, "." as the
// location counter, 1$: labels local between two ordinary labels, radix
// prefixes (0x, 0b, 0o/0q, 0d, 0h; $ before hex digits), %0101 binary,
// C's operator ranks, "#" before a term inside an expression (#4 + #5),
// unary < and > for the low and high byte, 'c as a character. A value too large for a byte is
// cut to its low byte, with a warning.
#include <array>

#include "asm/dialect/dialects.h"
#include "asm/dialect/operator_tables.h"

namespace zorvin::asm48 {

namespace {

constexpr std::array<DirectiveAlias, 33> kDirectives = {{
    {".equ", "equ"},     {".org", "org"},       {".db", "db"},         {".byte", "db"},      {".fcb", "db"},
    {".ascii", "db"},    {".str", "db"},        {".asciz", "asciz"},   {".strz", "asciz"},   {".dw", "dw"},
    {".word", "dw"},     {".fdb", "dw"},        {".ds", "ds"},         {".blkb", "ds"},      {".rmb", "ds"},
    {".if", "if"},       {".else", "else"},     {".endif", "endif"},   {".ifdef", "ifdef"},  {".ifndef", "ifndef"},
    {".include", "include"}, {".end", "end"},   {".area", "ignore"},   {".module", "ignore"}, {".globl", "ignore"},
    {".title", "ignore"}, {".sbttl", "ignore"}, {".8048", "ignore"},   {".list", "ignore"},
    // asm48: .set and .define give a name a value that may change, .dbr
    // bytes with their bit order reversed, .exit ends the source.
    {".set", "set"},     {".define", "set"},    {".dbr", "db_rev"},    {".exit", "end"},
}};

}  // namespace

const Convention& asxxxx_convention() {
  static const Convention convention = [] {
    Convention c;
    c.id = DialectId::Asxxxx;
    c.name = "ASxxxx/asm48";
    c.option = "asxxxx";
    c.dollar_hex = true;
    c.prefix_radix = true;
    c.percent_binary = true;
    c.operators = kCOperators;
    c.hash_in_expression = true;
    c.local_dollar = true;
    c.dot_location = true;
    c.byte_prefixes = true;
    c.quote_once_char = true;
    c.low_byte_of_wide = true;
    c.location_word = ".here";
    c.directives = kDirectives;
    return c;
  }();
  return convention;
}

}  // namespace zorvin::asm48
