#include "settings/ini_text.h"

#include <algorithm>

#include "text/text_codec.h"

namespace zorvin::settings {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_front(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trim_back(std::string_view s) {
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// The file's text as UTF-8. A 00H byte would end the text for the Latin-1
// converter and everything after it would be lost on the next rewrite, so
// it counts as a line break instead.
std::string file_text_as_utf8(std::string_view bytes, bool is_utf8) {
  std::string text;
  for (;;) {
    const std::size_t nul = bytes.find('\0');
    const std::string_view piece = bytes.substr(0, nul);
    text += is_utf8 ? std::string(piece) : latin1_to_utf8(piece);
    if (nul == std::string_view::npos) return text;
    text += '\n';
    bytes.remove_prefix(nul + 1);
  }
}

IniEntry parse_content(std::string_view line) {
  // Both marks are common in INI files; "#" lines taken as keys would be
  // rewritten as "# ... = ".
  if (line.front() == ';' || line.front() == '#') {
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return {IniEntry::Kind::comment, std::string(line), {}, {}};
  }
  if (line.front() == '[') {
    line.remove_prefix(1);
    return {IniEntry::Kind::group, std::string(line.substr(0, line.find(']'))), {}, {}};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return {IniEntry::Kind::key, std::string(trim_back(line)), {}, {}};
  }
  return {IniEntry::Kind::key, std::string(trim_back(line.substr(0, equals))),
          std::string(trim_front(line.substr(equals + 1))), {}};
}

// `line` starts with its first non-blank character; `whole` is the line as
// the file has it, kept for writing it back.
IniEntry parse_line(std::string_view line, std::string_view whole) {
  IniEntry entry = parse_content(line);
  entry.line = std::string(whole);
  return entry;
}

// Line breaks inside a name or value would split the entry into several on
// the next read, so they are written as blanks.
void append_one_line(std::string& out, std::string_view s) {
  for (char c : s) out += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
}

// The whole file as UTF-8 text. A file saved as UTF-16 by an editor is
// decoded as such: taken as 8-bit text, every second byte would be a 00H
// line break, and the rewrite would scatter it into one-letter keys.
std::string file_text(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LittleEndianMark)) return file_text_as_utf8(utf16_to_utf8(bytes.substr(2), false), true);
  if (bytes.starts_with(kUtf16BigEndianMark)) return file_text_as_utf8(utf16_to_utf8(bytes.substr(2), true), true);
  if (bytes.starts_with(kByteOrderMark)) return file_text_as_utf8(bytes.substr(kByteOrderMark.size()), true);
  return file_text_as_utf8(bytes, false);
}

}  // namespace

IniText parse_ini(std::string_view file_bytes) {
  IniText result;
  result.encoding = file_bytes.empty() ? IniEncoding::unknown : IniEncoding::utf8;
  const std::string text = file_text(file_bytes);

  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view whole = rest.substr(0, end);
    const std::string_view line = trim_front(whole);
    if (!line.empty()) result.entries.push_back(parse_line(line, whole));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return result;
}

std::string compose_ini(const IniText& text) {
  std::string out;
  if (text.encoding == IniEncoding::utf8) {
    out += kByteOrderMark;
    out += '\n';
  }
  for (const IniEntry& entry : text.entries) {
    // The user's lines stay as they are; only what the program wrote is
    // put in its own form.
    if (!entry.line.empty()) {
      append_one_line(out, entry.line);
      out += '\n';
      continue;
    }
    switch (entry.kind) {
      case IniEntry::Kind::group:
        out += '[';
        append_one_line(out, entry.name);
        out += ']';
        break;
      case IniEntry::Kind::comment:
        out += "; ";
        append_one_line(out, entry.name);
        break;
      case IniEntry::Kind::key:
        append_one_line(out, entry.name);
        out += " = ";
        append_one_line(out, entry.value);
        break;
    }
    out += '\n';
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> split_items(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> items;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    const std::string_view item = text.substr(start, end - start);
    start = end + 1;
    const auto equals = item.find('=');
    if (equals != std::string_view::npos)
      items.emplace_back(std::string(item.substr(0, equals)), std::string(item.substr(equals + 1)));
  }
  return items;
}

}  // namespace zorvin::settings
