#include "asm/split_pass.h"

#include "files/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// Only blanks are trimmed; other control characters stay part of the text.
std::string_view trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Tabs become blanks, the comment from the first ";" on is dropped, and the
// rest is trimmed. A ";" inside a character literal also starts a comment.
std::string clean_line(std::string_view raw) {
  std::string line(raw);
  for (char& c : line)
    if (c == '\t') c = ' ';
  std::string_view view = trim_blanks(line);
  view = trim_blanks(view.substr(0, view.find(';')));
  return std::string(view);
}

bool is_end_line(std::string_view line) {
  const std::string folded = fold_case(line);
  return folded == "end" || folded == ".end";
}

void split_operands(std::string_view text, LineRecord& record) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) {
    if (fold_case(text.substr(0, 3)) == "equ") {
      record.is_equ = true;
      text = trim_blanks(text.substr(3));
    }
    record.operand1 = std::string(text);
    return;
  }
  record.operand1 = std::string(trim_blanks(text.substr(0, comma)));
  const std::string_view rest = text.substr(comma + 1);
  record.operand2 = std::string(trim_blanks(rest.substr(0, rest.find(','))));
}

}  // namespace

std::int32_t split_pass(const std::vector<std::string_view>& lines, LineTable& table) {
  table.records.clear();
  std::string pending_label;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = clean_line(lines[i]);
    if (is_end_line(line)) break;
    if (line.empty()) continue;

    LineRecord& record = table.records.emplace_back();
    record.line_no = static_cast<std::int32_t>(i + 1);
    std::string_view rest = line;

    // A ":" in the first column is no label.
    const auto colon = rest.find(':');
    if (colon != std::string_view::npos && colon > 0) {
      record.label = std::string(rest.substr(0, colon + 1));
      pending_label = record.label;
      rest = trim_blanks(rest.substr(colon + 1));
    }

    const auto blank = rest.find(' ');
    record.mnemonic = std::string(rest.substr(0, blank));
    rest = blank == std::string_view::npos ? std::string_view{} : trim_blanks(rest.substr(blank));

    // A label standing alone also belongs to the next line with a mnemonic.
    if (!record.mnemonic.empty() && !pending_label.empty()) {
      record.label = std::move(pending_label);
      pending_label.clear();
    }

    split_operands(rest, record);
  }
  return table.last_index();
}

}  // namespace zorvin::asm48
