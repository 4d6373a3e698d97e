// The conventions zorvin reads, each from its own folder, and how one is
// found by its option name.
#pragma once

#include <span>
#include <string_view>

#include "asm/dialect/convention.h"

namespace zorvin::asm48 {

const Convention& macro_convention();   // the macro assembler's (`cpu 8048`)
const Convention& asxxxx_convention();  // ASxxxx / as8048 and asm48 dot directives
const Convention& tasm_convention();
const Convention& sbasm_convention();   // SB-Assembler (`.cr 8048`)
const Convention& intel_convention();   // Intel ASM48 (`$MOD48`)

// Every convention the engine reads, in the order recognition tries them.
std::span<const Convention* const> engine_conventions();

// "plain" names the plain dialect (nullptr); none when the name is unknown.
struct DialectName {
  bool known = false;
  const Convention* convention = nullptr;  // nullptr: the plain dialect
};
DialectName dialect_by_option(std::string_view option);

inline constexpr std::string_view kPlainDialectName = "einfach";
inline constexpr std::string_view kDialectOptions = "plain, as, asxxxx, tasm, sbasm, asm48";

}  // namespace zorvin::asm48
