// Scratch directories and whole-file reads and writes for the settings tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "settings/settings.h"

namespace zorvin::settings::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvin-settings-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      out.insert(entry.path().filename().string());
    }
    return out;
  }

 private:
  std::string path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Loads the file, saves the record back and returns the new file.
inline std::string round_trip(const std::string& file_bytes) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  write_file(path, file_bytes);
  Settings settings;
  load_settings(settings, path);
  save_settings(settings, path);
  return read_file(path);
}

}  // namespace zorvin::settings::testing
