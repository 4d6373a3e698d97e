// Which convention a source is written in: chosen by the user (--dialect,
// the window's menu), named by the source's own marker line (`cpu 8048`,
// `.cr 8048`, `$MOD48`, `.8048`), or recognised from words only one
// convention has (#DEFINE, .EQ, .area, ifdef, ...). Without any of them
// the source is in the plain dialect: none of these words assembles there,
// so no source that assembles in the plain dialect changes its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/dialect/convention.h"

namespace zorvin::asm48 {

struct DialectChoice {
  const Convention* convention = nullptr;  // nullptr: the plain dialect
  enum class How { None, Option, Marker, Recognised } how = How::None;
  std::string mark;         // the word or option as written
  std::int32_t line = 0;    // source line of the marker or mark
  std::string cpu;          // operand of a cpu or .cr line, else empty
};

DialectChoice recognise_dialect(std::string_view text);

// "Dialekt: TASM (erkannt an #DEFINE, Zeile 3)".
std::string dialect_line(const DialectChoice& choice);

// Warnings where the dialect read a number form (%..., $...) that another
// convention reads otherwise; none when the user named the dialect.
std::vector<std::string> number_form_warnings(std::string_view text, const DialectChoice& choice);

}  // namespace zorvin::asm48
