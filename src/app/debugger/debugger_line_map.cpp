#include "app/debugger/debugger_line_map.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "text/editor_lines.h"
#include "files/source_file.h"
#include "sim/profile.h"

namespace zorvin::app {

namespace {

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  std::string_view line;
  while (!text.empty() && next_editor_line(text, pos, line)) lines.emplace_back(line);
  return lines;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool starts_with_word(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if ((text[i] | 0x20) != word[i]) return false;
  return text.size() == word.size() || text[word.size()] == ' ' || text[word.size()] == '\t' ||
         text[word.size()] == '"';
}

// A symbol's value as the listings write it: "0123H", "12", "1010B".
std::optional<int> symbol_value(std::string_view text) {
  text = trimmed(text);
  if (text.empty() || text.size() > 12 || text.front() < '0' || text.front() > '9') return std::nullopt;
  int base = 10;
  const char last = static_cast<char>(text.back() | 0x20);
  if (last == 'h') base = 16;
  if (last == 'b' && text.find_first_not_of("01bB") == std::string_view::npos) base = 2;
  if (last == 'h' || (base == 2 && last == 'b')) text.remove_suffix(1);
  int value = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : 99;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFF) return std::nullopt;
  }
  return value;
}

}  // namespace

std::string included_file_name(const std::string& line) {
  std::string_view rest = trimmed(line);
  // A label may stand before the statement.
  if (const auto colon = rest.find(':'); colon != std::string_view::npos && colon < rest.find('"'))
    rest = trimmed(rest.substr(colon + 1));
  if (!starts_with_word(rest, "include")) return {};
  const auto open = rest.find('"');
  const auto close = open == std::string_view::npos ? open : rest.find('"', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(rest.substr(open + 1, close - open - 1));
}

DebuggerLineMap::DebuggerLineMap(const asm48::LineTable& table, const asm48::SourceListing& listing,
                                 const std::string& source, const std::string& source_dir, std::uint8_t fill_byte)
    : source_lines_(split_lines(source)),
      source_dir_(source_dir),
      image_(kProgramAddresses, fill_byte),
      code_lines_(sim::code_lines(table)) {
  line_of_.fill(0);
  starts_.fill(false);
  for (const asm48::LineRecord& record : table.records) {
    std::string label(record.label);
    if (!label.empty() && label.back() == ':') label.pop_back();
    if (!label.empty() && !record.is_equ) add_symbol(label, record.address, true);
    if (record.is_equ)
      if (const auto value = symbol_value(record.operand1)) add_symbol(std::string(record.mnemonic), *value, false);
    if (record.is_equ || record.code_size() == 0) continue;
    if (record.address >= 0 && record.address < kProgramAddresses) {
      starts_[static_cast<std::size_t>(record.address)] = true;
      if (record.is_data)
        for (int i = record.address; i < record.address + record.length && i < kProgramAddresses; ++i)
          starts_[static_cast<std::size_t>(i)] = true;
    }
    const auto code = table.code_of(record);
    for (std::size_t i = 0; i < code.size(); ++i) {
      const auto address = static_cast<std::size_t>(record.address) + i;
      if (address >= image_.size()) break;
      image_[address] = code[i];
      line_of_[address] = record.line_no;
    }
    first_address_.emplace_back(record.line_no, record.address);
  }
  // Per line its lowest address; a line may hold code at several places.
  std::sort(first_address_.begin(), first_address_.end());
  first_address_.erase(std::unique(first_address_.begin(), first_address_.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       first_address_.end());

  std::vector<std::pair<int, std::string>> seen;  // (line, text) of earlier expansion lines
  for (const asm48::ListingLine& listed : listing.lines) {
    if (!listed.expansion || !listed.address) continue;
    const int occurrence = static_cast<int>(
        std::count(seen.begin(), seen.end(), std::pair<int, std::string>(listed.line_no, listed.text)));
    seen.emplace_back(listed.line_no, listed.text);
    if (listed.bytes.empty()) continue;
    expansions_.push_back(
        {*listed.address, static_cast<int>(listed.bytes.size()), listed.line_no, listed.text, occurrence});
  }
  std::stable_sort(expansions_.begin(), expansions_.end(),
                   [](const Expansion& a, const Expansion& b) { return a.address < b.address; });
  for (const asm48::ListingLine& listed : listing.lines)
    if (listed.address && !listed.bytes.empty() && *listed.address >= 0 && *listed.address < kProgramAddresses)
      starts_[static_cast<std::size_t>(*listed.address)] = true;
  // The extended dialect lists its symbols with their values.
  for (const asm48::ListedSymbol& symbol : listing.symbols)
    if (const auto value = symbol_value(symbol.value)) add_symbol(symbol.name, *value, false);
}

void DebuggerLineMap::add_symbol(std::string name, int value, bool label) {
  auto& names = label ? labels_ : equates_;
  for (const auto& [known_value, known_name] : names)
    if (known_value == value && known_name == name) return;
  names.emplace_back(value, std::move(name));
}

std::string DebuggerLineMap::name_of(int address) const {
  for (const auto* names : {&labels_, &equates_})
    for (const auto& [value, name] : *names)
      if (value == address) return name;
  return {};
}

std::optional<int> DebuggerLineMap::value_of(const std::string& name) const {
  for (const auto* names : {&labels_, &equates_})
    for (const auto& [value, known] : *names)
      if (known.size() == name.size() && std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
          }))
        return value;
  return std::nullopt;
}

std::optional<int> DebuggerLineMap::line_of(int address) const {
  if (address < 0 || address >= kProgramAddresses || line_of_[static_cast<std::size_t>(address)] == 0)
    return std::nullopt;
  return line_of_[static_cast<std::size_t>(address)];
}

std::optional<int> DebuggerLineMap::address_of(int line) const {
  const auto found = std::lower_bound(first_address_.begin(), first_address_.end(), std::pair<int, int>(line, -1));
  if (found == first_address_.end()) return std::nullopt;
  return found->second;
}

std::string DebuggerLineMap::origin_of(int address) const {
  const auto found = std::find_if(expansions_.begin(), expansions_.end(), [address](const Expansion& e) {
    return address >= e.address && address < e.address + e.length;
  });
  if (found == expansions_.end()) return {};
  const std::string text(trimmed(found->text));
  const auto index = static_cast<std::size_t>(found->line - 1);
  const std::string file = index < source_lines_.size() ? included_file_name(source_lines_[index]) : std::string();
  if (file.empty()) return "aus Makro oder Schleife in Zeile " + std::to_string(found->line) + ": " + text;
  // The line in the file: the same text, counted as often as it came before.
  const std::string path = (std::filesystem::path(source_dir_) / file).lexically_normal().string();
  const files::LoadedSource loaded = files::read_source_file(path);
  if (loaded.ok) {
    const std::vector<std::string> lines = split_lines(loaded.text);
    int left = found->occurrence;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (trimmed(lines[i]) != trimmed(found->text)) continue;
      if (left-- == 0) return "Zeile " + std::to_string(i + 1) + " in " + file + ": " + text;
    }
  }
  return "in " + file + " (eingebunden in Zeile " + std::to_string(found->line) + "): " + text;
}

}  // namespace zorvin::app
