#include "settings/source_dialects.h"

#include <algorithm>

#include "settings/ini_store.h"

namespace zorvin::settings {

namespace {

constexpr std::string_view kGroup = "Dialekte";

std::string entry_key(std::size_t number) { return "Datei" + std::to_string(number); }

}  // namespace

std::string chosen_dialect(const std::vector<SourceDialect>& list, std::string_view path) {
  for (const SourceDialect& entry : list)
    if (entry.path == path) return entry.dialect;
  return {};
}

void choose_dialect(std::vector<SourceDialect>& list, std::string_view path, std::string_view dialect) {
  std::erase_if(list, [path](const SourceDialect& entry) { return entry.path == path; });
  // A path with a line break cannot stand in the settings file.
  if (path.empty() || dialect.empty() || path.find_first_of("\r\n") != std::string_view::npos) return;
  list.insert(list.begin(), SourceDialect{std::string(path), std::string(dialect)});
  if (list.size() > kMaxSourceDialects) list.resize(kMaxSourceDialects);
}

std::vector<SourceDialect> read_source_dialects(IniStore& ini) { return read_source_dialects(ini, kGroup); }

void write_source_dialects(IniStore& ini, const std::vector<SourceDialect>& list) {
  write_source_dialects(ini, list, kGroup);
}

std::vector<SourceDialect> read_source_dialects(IniStore& ini, std::string_view group) {
  std::vector<SourceDialect> list;
  if (!ini.select_group(group)) return list;
  for (std::size_t number = 1; number <= kMaxSourceDialects; ++number) {
    const std::string value = ini.read_text(entry_key(number), "");
    const auto bar = value.find('|');
    if (bar == std::string::npos || bar == 0 || bar + 1 == value.size()) continue;
    const std::string path = value.substr(bar + 1);
    // A file named twice (edited by hand) keeps its newer choice.
    if (chosen_dialect(list, path).empty()) list.push_back({path, value.substr(0, bar)});
  }
  return list;
}

void write_source_dialects(IniStore& ini, const std::vector<SourceDialect>& list, std::string_view group) {
  const bool there = ini.select_group(group);
  if (!there && list.empty()) return;  // a file without choices gets no group
  const std::size_t count = std::min(list.size(), kMaxSourceDialects);
  for (std::size_t i = 0; i < count; ++i) ini.write_text(entry_key(i + 1), list[i].dialect + "|" + list[i].path);
  for (std::size_t number = count + 1; number <= kMaxSourceDialects; ++number) ini.remove_key(entry_key(number));
}

}  // namespace zorvin::settings
