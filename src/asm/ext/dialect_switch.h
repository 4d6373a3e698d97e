// Which dialect a source is written in. A `cpu` statement anywhere before
// the plain dialect's `end` switches the whole source to the extended
// dialect; in the plain dialect that line is a "Syntaxfehler", so no source
// that assembles there changes meaning.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvin::asm48::ext {

// The operand of the first `cpu` statement ("8048", "8041", ...), or none
// for a source in the plain dialect.
std::optional<std::string> cpu_statement(std::string_view editor_text);

}  // namespace zorvin::asm48::ext
