#include "asm/split_pass.h"

#include <cstring>
#include <utility>

#include "text/editor_lines.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// Only blanks are trimmed; other control characters stay part of the text.
// Most cuts below leave one end of an already trimmed text untouched, and
// only the other end is trimmed.
std::string_view trim_front(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && text[first] == ' ') ++first;
  return text.substr(first);
}

std::string_view trim_back(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return text.substr(0, end);
}

std::string_view trim_blanks(std::string_view text) { return trim_back(trim_front(text)); }

// The comment from the first ";" on is dropped and the rest is trimmed. A
// ";" inside a character literal also starts a comment.
std::string_view clean_line(std::string_view line) { return trim_blanks(line.substr(0, line.find(';'))); }

bool is_end_line(std::string_view line) { return equals_folded(line, "end") || equals_folded(line, ".end"); }

void split_operands(std::string_view text, LineRecord& record) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) {
    if (equals_folded(text.substr(0, 3), "equ")) {
      record.is_equ = true;
      text = trim_front(text.substr(3));
    }
    record.operand1 = text;
    return;
  }
  record.operand1 = trim_back(text.substr(0, comma));
  const std::string_view rest = text.substr(comma + 1);
  record.operand2 = trim_blanks(rest.substr(0, rest.find(',')));
}

// The table keeps the text itself, tabs turned into blanks once for all.
std::string_view keep_source(std::string text, LineTable& table) {
  const std::span<char> kept = table.keep_source(std::move(text));
  if (kept.empty()) return {};
  for (char* tab = kept.data(); (tab = static_cast<char*>(std::memchr(tab, '\t', kept.data() + kept.size() - tab)));)
    *tab = ' ';
  return {kept.data(), kept.size()};
}

}  // namespace

std::int32_t split_pass(std::string text, LineTable& table) {
  table.clear();
  const std::string_view source = keep_source(std::move(text), table);
  table.records.reserve(editor_line_count(source));
  EditorLineReader lines(source);
  std::string_view pending_label;
  std::string_view raw;
  for (std::int32_t line_no = 1; lines.next(raw); ++line_no) {
    const std::string_view line = clean_line(raw);
    if (is_end_line(line)) break;
    if (line.empty()) continue;

    LineRecord& record = table.records.emplace_back();
    record.line_no = line_no;
    std::string_view rest = line;

    // A ":" in the first column is no label.
    const auto colon = rest.find(':');
    if (colon != std::string_view::npos && colon > 0) {
      record.label = rest.substr(0, colon + 1);
      pending_label = record.label;
      rest = trim_front(rest.substr(colon + 1));
    }

    const auto blank = rest.find(' ');
    record.mnemonic = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view{} : trim_front(rest.substr(blank));

    // A label standing alone also belongs to the next line with a mnemonic.
    if (!record.mnemonic.empty() && !pending_label.empty()) {
      record.label = pending_label;
      pending_label = {};
    }

    split_operands(rest, record);
  }
  return table.last_index();
}

}  // namespace zorvin::asm48
