#include "asm/dialect/definitions.h"

#include "asm/ext/lexer.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// An entry as the message quotes it: at most 16 characters, so that the
// message still fits the dialog's line.
std::string quoted(std::string_view entry) {
  constexpr int kShown = 16;
  int characters = 0;
  std::string out = "'";  // built by appending: GCC 12 warns falsely about "'" + string at -O3
  for (std::size_t i = 0; i < entry.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(entry[i]) & 0xC0) != 0x80;
    if (starts_character && ++characters > kShown) return out.append(entry.substr(0, i)).append("…'");
  }
  return out.append(entry).append("'");
}

}  // namespace

DefinitionFault read_definition(std::string_view text, Definition& definition) {
  const auto equals = text.find('=');
  const std::string_view name = ext::trim_blanks(text.substr(0, equals));
  const bool name_ok =
      !name.empty() && ext::is_name_start(name[0]) && name.find_first_of(" \t=;,'\"") == std::string_view::npos;
  if (!name_ok) return DefinitionFault::NoDefinition;
  std::int32_t value = 1;
  bool too_wide = false;
  if (equals != std::string_view::npos &&
      !ext::read_number(ext::trim_blanks(text.substr(equals + 1)), value, &too_wide))
    return DefinitionFault::NoDefinition;
  // Its low 32 bits would be another value than the one written.
  if (too_wide) return DefinitionFault::TooWide;
  definition = {std::string(name), value};
  return DefinitionFault::None;
}

bool parse_definition(std::string_view text, Definition& definition) {
  return read_definition(text, definition) == DefinitionFault::None;
}

const Definition* same_name(const std::vector<Definition>& definitions, std::string_view name) {
  const std::string folded = fold_case(name);
  for (const Definition& definition : definitions)
    if (fold_case(definition.first) == folded) return &definition;
  return nullptr;
}

DefinitionsParse parse_definitions(std::string_view text) {
  DefinitionsParse parse;
  if (ext::trim_blanks(text).empty()) return parse;
  std::size_t start = 0;
  for (int number = 1;; ++number) {
    const std::size_t comma = text.find(',', start);
    const std::string_view entry = ext::trim_blanks(text.substr(start, comma - start));
    Definition definition;
    if (entry.empty()) {
      return {false, {}, "Eintrag " + std::to_string(number) + " ist leer (NAME oder NAME=ZAHL, durch Kommas getrennt)"};
    }
    switch (read_definition(entry, definition)) {
      case DefinitionFault::None:
        break;
      case DefinitionFault::TooWide:
        return {false, {}, quoted(entry) + ": Zahl passt nicht in 32 Bit"};
      case DefinitionFault::NoDefinition:
        return {false, {}, quoted(entry) + " ist keine Definition (NAME oder NAME=ZAHL)"};
    }
    // The assembler would keep only one of them, without a word.
    if (same_name(parse.definitions, definition.first))
      return {false, {}, quoted(definition.first) + " ist zweimal definiert"};
    parse.definitions.push_back(std::move(definition));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parse;
}

}  // namespace zorvin::asm48
