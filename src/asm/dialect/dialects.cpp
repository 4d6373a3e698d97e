#include "asm/dialect/dialects.h"

#include <array>

#include "text/unicode_text.h"

namespace zorvin::asm48 {

std::span<const Convention* const> engine_conventions() {
  static const std::array<const Convention*, 5> all = {&macro_convention(), &sbasm_convention(), &intel_convention(),
                                                       &tasm_convention(), &asxxxx_convention()};
  return all;
}

DialectName dialect_by_option(std::string_view option) {
  const std::string folded = fold_case(option);
  if (folded == "plain" || folded == "einfach") return {true, nullptr};
  for (const Convention* convention : engine_conventions())
    if (folded == convention->option) return {true, convention};
  return {};
}

}  // namespace zorvin::asm48
