// The dialect the user chose for each source file, newest first and at
// most kMaxSourceDialects of them, kept in zorvin.ini's group [Dialekte]
// as "Datei1 = tasm|/pfad/zur/quelle.asm". Numbered keys keep the order and
// let a path hold any character, "=" and ";" too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::settings {

class IniStore;

struct SourceDialect {
  std::string path;     // the source file as it was loaded
  std::string dialect;  // an option name ("tasm"); never empty
};

inline constexpr std::size_t kMaxSourceDialects = 100;

// The chosen dialect of that file, empty when it has none (recognised).
std::string chosen_dialect(const std::vector<SourceDialect>& list, std::string_view path);

// Puts the file's choice first; an empty dialect forgets it. The oldest
// entries beyond kMaxSourceDialects go. A path with a line break is not kept.
void choose_dialect(std::vector<SourceDialect>& list, std::string_view path, std::string_view dialect);

// The group as read from and written to the settings file. Reading skips
// entries without "|" or path; writing removes numbers no longer used.
std::vector<SourceDialect> read_source_dialects(IniStore& ini);
void write_source_dialects(IniStore& ini, const std::vector<SourceDialect>& list);
// The same for other texts kept per source file in their own group (the
// text before the "|" holds no "|").
std::vector<SourceDialect> read_source_dialects(IniStore& ini, std::string_view group);
void write_source_dialects(IniStore& ini, const std::vector<SourceDialect>& list, std::string_view group);

}  // namespace zorvin::settings
