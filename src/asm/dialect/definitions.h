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

enum class DefinitionFault {
  None,
  NoDefinition,  // no name, or a value that is no number in any of the usual forms
  TooWide,       // a value beyond 32 bits
};

// One "NAME" or "NAME=VALUE"; the value in any of the usual forms
// (12, 0Ch, 0x0C, 1100b, ...).
DefinitionFault read_definition(std::string_view text, Definition& definition);
// The same, true when it is a definition.
bool parse_definition(std::string_view text, Definition& definition);

// The definition of the same name (compared without regard to case, as the
// assembler compares names), or nullptr.
const Definition* same_name(const std::vector<Definition>& definitions, std::string_view name);

struct DefinitionsParse {
  bool ok = true;
  std::vector<Definition> definitions;
  std::string error;  // German, naming the entry that is wrong
};

// "NAME=WERT, NAME2": blanks around entries, names and values do not count; an empty text
// defines nothing.
DefinitionsParse parse_definitions(std::string_view text);

}  // namespace zorvin::asm48
