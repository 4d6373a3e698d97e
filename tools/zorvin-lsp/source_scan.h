// What the language features need to know of a source's text without
// assembling it: the names it defines (labels, equates, macros) with their
// places, the files it includes, and its name-like words outside comments
// and strings. Works on the text as it is, also while it does not assemble.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/dialect/convention.h"

namespace zorvin::lsp {

// A place in a text: 0-based line, byte columns [begin, end) within it.
struct Spot {
  std::size_t line = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
};

struct Word {
  std::string_view text;
  Spot spot;
  char prefix = 0;  // '#' or '$' written right before the word, else 0
};

enum class NameKind { Label, Equate, Macro };

struct DefinedName {
  std::string name;    // as written
  std::string folded;  // for comparing without regard to case
  NameKind kind = NameKind::Label;
  Spot spot;
};

struct IncludedName {
  std::string name;  // as written, relative to the including file's folder
  std::size_t line = 0;
};

struct SourceScan {
  std::vector<DefinedName> definitions;
  std::vector<IncludedName> includes;
};

// `convention` is the dialect's (nullptr: the plain dialect, whose labels
// always end in ":").
SourceScan scan_source(std::string_view text, const asm48::Convention* convention);

// The words of one line outside its comment and its strings.
std::vector<Word> words_of_line(std::string_view line, std::size_t line_no);

// The word at or right before a byte column, if any.
std::optional<Word> word_at(std::string_view line, std::size_t line_no, std::size_t column);

// The line without its comment (";" outside quotes).
std::string_view code_part(std::string_view line);

// The word folded, with its '#' or '$' prefix: how directives are looked up.
std::string keyword_of(const Word& word);

// Whether the folded word is an instruction's mnemonic (either set).
bool is_mnemonic(std::string_view folded);

// Whether the folded word (with its '#' or '$' prefix) is a directive of any
// convention.
bool is_directive(std::string_view folded);

}  // namespace zorvin::lsp
