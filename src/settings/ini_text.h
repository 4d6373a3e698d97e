// The text form of an INI file: turning the file's bytes into a list of
// entries and the list back into the bytes the program writes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvin::settings {

enum class IniEncoding {
  unknown,  // the file was empty: written back without byte-order mark
  utf8,
};

struct IniEntry {
  enum class Kind { group, comment, key };
  Kind kind = Kind::key;
  std::string name;   // group name, comment text or key
  std::string value;  // key entries only
  std::string line;   // the line as the file had it; written back unchanged until the entry is written
};

struct IniText {
  IniEncoding encoding = IniEncoding::utf8;
  std::vector<IniEntry> entries;  // in file order
};

// Takes UTF-8 after a UTF-8 byte-order mark, UTF-16 after a UTF-16 one
// (either byte order), otherwise ISO 8859-1. Empty lines, blank-only lines
// and 00H characters (taken as line breaks) leave no entry. Lines starting
// with ";" or "#" are comments; a line without "=" reads as a key with an
// empty value. Every entry keeps its line as it was.
IniText parse_ini(std::string_view file_bytes);

// The file's new bytes: mark and empty first line for UTF-8, then one line
// per entry, each ended by a single LF: the line as read for an entry from
// the file, "key = value" for one the program wrote.
std::string compose_ini(const IniText& text);

// The "key=value" items of a value that holds several, separated by ";"
// (a pane's layout, the board panel's settings); items without "=" are
// left out.
std::vector<std::pair<std::string, std::string>> split_items(std::string_view text);

}  // namespace zorvin::settings
