#include "golden_expectations.h"

#include <sstream>

#include "text/editor_lines.h"

namespace zorvin::golden {

namespace {

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

bool parse_hex(const std::string& text, unsigned limit, unsigned& value) {
  if (text.empty() || text.size() > 4) return false;
  std::size_t used = 0;
  try {
    value = static_cast<unsigned>(std::stoul(text, &used, 16));
  } catch (...) {
    return false;
  }
  return used == text.size() && value <= limit;
}

// Hex byte pairs separated by blanks; false on anything else.
bool parse_bytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    unsigned value = 0;
    if (word.size() != 2 || !parse_hex(word, 0xFF, value)) return false;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return true;
}

bool parse_line_expectation(const std::string& text, LineExpectation& expectation) {
  std::string rest = text;
  if (rest.starts_with('@')) {
    const auto equals = rest.find('=');
    unsigned address = 0;
    if (equals == std::string::npos || !parse_hex(trim(rest.substr(1, equals - 1)), 0xFFFF, address)) return false;
    expectation.address = static_cast<std::int32_t>(address);
    rest = rest.substr(equals);
  }
  rest = trim(rest.substr(1));
  return parse_bytes(rest, expectation.bytes) && !expectation.bytes.empty();
}

bool parse_directive(const std::string& text, Expectations& out) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string key = trim(text.substr(1, colon - 1));
  const std::string value = trim(text.substr(colon + 1));
  if (key == "fill") {
    if (value != "00" && value != "FF") return false;
    out.fill_byte = value == "FF" ? 0xFF : 0x00;
    return true;
  }
  if (key == "image") {
    if (!out.image) out.image.emplace();
    return parse_bytes(value, *out.image);
  }
  if (key == "length") {
    unsigned length = 0;
    std::istringstream number(value);
    if (!(number >> length) || !number.eof()) return false;
    out.length = length;
    return true;
  }
  if (key == "listing") {
    // Rows are 9 characters; one-byte rows end in blanks that trimming took.
    std::string row = value;
    if (row.size() < 9) row.resize(9, ' ');
    out.listing_rows.push_back(row);
    return true;
  }
  if (key == "summary") {
    out.summary = value;
    return !value.empty();
  }
  return false;
}

}  // namespace

Expectations parse_expectations(const std::string& source) {
  Expectations out;
  const auto lines = editor_lines(source);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The first ";" that an expectation follows: a character constant like
    // ';' may stand before it, and an expected message may hold a ";".
    std::string text;
    for (auto semicolon = lines[i].find(';'); semicolon != std::string_view::npos;
         semicolon = lines[i].find(';', semicolon + 1)) {
      text = trim(lines[i].substr(semicolon + 1));
      if (text.starts_with('=') || text.starts_with('@') || text.starts_with("error") || text.starts_with('!')) break;
    }
    const auto line_no = static_cast<std::int32_t>(i + 1);
    bool parsed = true;
    if (text.starts_with('=') || text.starts_with('@')) {
      LineExpectation expectation;
      expectation.line_no = line_no;
      parsed = parse_line_expectation(text, expectation);
      out.lines.push_back(expectation);
    } else if (text.starts_with("error")) {
      parsed = text.starts_with("error: ") && text.size() > 7;
      out.error_lines.push_back("Zeile: " + std::to_string(line_no) + " -> " + text.substr(7));
    } else if (text.starts_with('!')) {
      parsed = parse_directive(text, out);
    }
    if (!parsed) out.problems.push_back("line " + std::to_string(line_no) + ": cannot parse \"" + text + "\"");
  }
  return out;
}

}  // namespace zorvin::golden
