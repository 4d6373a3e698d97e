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

class IniStore {
 public:
  IniStore() = default;
  IniStore(const IniStore&) = delete;
  IniStore& operator=(const IniStore&) = delete;
  ~IniStore() { close(); }

  // Opens an existing regular file, for writing if allowed, otherwise for
  // reading only, and reads its entries. False when it cannot be read.
  bool open(const std::string& path);
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

  // Writes the file if anything was written to the store, then forgets it.
  void close();

 private:
  std::size_t group_begin() const;
  std::size_t group_end() const;
  std::optional<std::size_t> find_key(std::string_view key) const;
  bool take_file(int fd, bool writable);

  std::string path_;
  int fd_ = -1;
  bool writable_ = false;
  IniText text_;
  std::optional<std::size_t> current_group_;  // index of its group entry
  std::optional<std::string> pending_group_;
  bool write_back_ = false;
};

}  // namespace zorvin::settings
