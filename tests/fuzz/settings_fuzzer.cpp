// Fuzz target: the settings file reader and writer.
//
// Hand-edited files: whatever bytes zorvin.ini holds, reading gives entries
// without line breaks, and writing them and reading again gives the same
// entries; a second write gives the same bytes as the first. That is exact,
// because the reader itself never yields what the writer cannot reproduce
// (no value starts with a blank, no key ends in one, no name holds a line
// break). Entries are valid UTF-8 except where a file with byte-order mark
// holds bytes that are not: those are kept for the rewrite on purpose (the
// store hands such values to the program as U+FFFD).
//
// Values the program writes: these come from the dialog and may hold
// anything, so the round trip is not exact. A value read back equals the
// written one with its line breaks (CR, LF, 00H) turned into blanks, because
// a line break would split the entry, and without its leading blanks and
// TABs, because the reader cannot tell them from the blank after "=". The
// program reads values with both ends trimmed, so it gets back what it wrote
// as long as the value holds no line break.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/unicode_text.h"
#include "fuzz_support.h"
#include "settings/ini_text.h"

namespace {

using namespace zorvin;
using fuzz::require;
using settings::IniEntry;
using settings::IniText;

bool same_entries(const std::vector<IniEntry>& a, const std::vector<IniEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].value != b[i].value) return false;
  return true;
}

bool has_line_break(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != text.npos; }

bool starts_with_utf8_mark(std::string_view bytes) { return bytes.starts_with("\xEF\xBB\xBF"); }

void check_entry_text(std::string_view text, bool may_be_malformed) {
  require(may_be_malformed || fuzz::is_valid_utf8(text), "entry text is valid UTF-8", text);
  require(!has_line_break(text), "entry text holds no line break", text);
}

void check_file_round_trip(std::string_view bytes) {
  const IniText first = settings::parse_ini(bytes);
  const bool kept_as_is = starts_with_utf8_mark(bytes);
  for (const IniEntry& entry : first.entries) {
    check_entry_text(entry.name, kept_as_is);
    check_entry_text(entry.value, kept_as_is);
  }
  const std::string written = settings::compose_ini(first);
  const IniText second = settings::parse_ini(written);
  require(second.encoding == first.encoding, "encoding survives the rewrite");
  require(same_entries(first.entries, second.entries), "entries survive the rewrite");
  require(settings::compose_ini(second) == written, "a second rewrite writes the same bytes");
}

std::string as_read_back(std::string_view written) {
  std::string value;
  for (char c : written) value += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
  return value.substr(std::min(value.find_first_not_of(" \t"), value.size()));
}

// The fuzz bytes, split at FFH (which never occurs in UTF-8), become the
// values of the keys the program writes, in its own groups.
void check_written_values(std::string_view bytes) {
  static const std::vector<std::pair<std::string, std::string>> kKeys = {
      {"Emulator", "COM"}, {"Emulator", "EPROM"}, {"Fenster", "F0X"}, {"Speicher", "Wert"}};
  IniText text;
  std::vector<std::string> values;
  std::string current_group;
  for (std::size_t i = 0; !bytes.empty() || i == 0; ++i) {
    const std::size_t cut = bytes.find('\xFF');
    // Dialog text is UTF-8; malformed bytes become U+FFFD as everywhere.
    values.push_back(encode_utf8(decode_utf8(bytes.substr(0, cut))));
    bytes.remove_prefix(cut == bytes.npos ? bytes.size() : cut + 1);
    const auto& [group, key] = kKeys[i % kKeys.size()];
    if (group != current_group) text.entries.push_back({IniEntry::Kind::group, group, {}, {}});
    current_group = group;
    text.entries.push_back({IniEntry::Kind::key, key, values.back(), {}});
  }
  const IniText read = settings::parse_ini(settings::compose_ini(text));
  require(read.entries.size() == text.entries.size(), "every written entry is read back");
  std::size_t value_index = 0;
  for (std::size_t i = 0; i < read.entries.size(); ++i) {
    require(read.entries[i].kind == text.entries[i].kind && read.entries[i].name == text.entries[i].name,
            "groups and keys read back as written", read.entries[i].name);
    if (read.entries[i].kind != IniEntry::Kind::key) continue;
    require(read.entries[i].value == as_read_back(values[value_index++]), "value read back as written",
            read.entries[i].value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_file_round_trip(bytes);
  check_written_values(bytes);
  return 0;
}
