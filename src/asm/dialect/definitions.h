// Names defined from outside the source, for ifdef and expressions: one
// "NAME" or "NAME=VALUE" as the command line's -D takes it, or a list of
// them separated by commas as the window's settings keep them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvin::asm48 {

using Definition = std::pair<std::string, std::int32_t>;  // a name without value is 1

// False when the text is no name, or its value no number in any of the
// usual forms (12, 0Ch, 0x0C, 1100b, ...).
bool parse_definition(std::string_view text, Definition& definition);

struct DefinitionsParse {
  bool ok = true;
  std::vector<Definition> definitions;
  std::string error;  // German, naming the entry that is wrong
};

// "NAME=WERT, NAME2": blanks around entries, names and values do not count; an empty text
// defines nothing.
DefinitionsParse parse_definitions(std::string_view text);

}  // namespace zorvin::asm48
