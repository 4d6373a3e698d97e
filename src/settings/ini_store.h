// The settings store: one INI file opened, read and changed as a list of
// entries, and written back when it is closed after a change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_text.h"

namespace zorvin::settings {

// A settings file is a few hundred bytes; one far larger is no settings
// file, and reading it would stall the start for seconds.
inline constexpr std::uintmax_t kMaxSettingsBytes = 1024 * 1024;
inline constexpr std::string_view kSettingsTooLarge = "größer als 1 MiB, keine Einstellungsdatei";

class IniStore {
 public:
  IniStore() = default;
  IniStore(const IniStore&) = delete;
  IniStore& operator=(const IniStore&) = delete;
  ~IniStore() { close(); }

  // Reads the entries of an existing regular file. False when it cannot be
  // read; the file itself is not kept open. A file over kMaxSettingsBytes
  // is not read.
  bool open(const std::string& path);
  // After open() failed: whether something is at the path that must not be
  // replaced (anything but a missing file), and why it was not read.
  bool refused() const { return refused_; }
  // Starts an empty UTF-8 file at `path`; closing writes it even unchanged.
  bool create(const std::string& path);

  // Finds the first group of that name (case-insensitive); an empty name
  // means the keys before the first group. A group that is not there is
  // kept as pending: reads give their defaults and the first write appends
  // the group at the end of the file.
  bool select_group(std::string_view name);

  std::int32_t read_integer(std::string_view key, std::int32_t fallback) const;
  std::string read_text(std::string_view key, std::string_view fallback) const;
  void write_integer(std::string_view key, std::int32_t value);
  void write_text(std::string_view key, std::string_view value);
  // Takes the key out of the selected group, if it is there.
  void remove_key(std::string_view key);

  // Writes the file if anything was written to the store (replacing it as a
  // whole, or not at all, and never a file the user may not write), then
  // forgets it. False when the file should have been written and was not.
  bool close();

  // Why the last open() or close() failed, in German; empty after success.
  const std::string& problem() const { return problem_; }

 private:
  std::size_t group_begin() const;
  std::size_t group_end() const;
  std::optional<std::size_t> find_key(std::string_view key) const;

  std::string path_;
  bool open_ = false;
  IniText text_;
  std::optional<std::size_t> current_group_;  // index of its group entry
  std::optional<std::string> pending_group_;
  bool write_back_ = false;
  bool refused_ = false;
  std::string problem_;
};

}  // namespace zorvin::settings
