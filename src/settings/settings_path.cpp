#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "settings/settings.h"

namespace zorvin::settings {

namespace {

constexpr const char* kFileName = "zorvin.ini";

// Empty when the working directory cannot be determined.
std::string working_directory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string settings_file_path() {
  std::string path = working_directory();
  // Without a known directory the name alone still means the working one.
  if (path.empty()) return kFileName;
  if (path.back() != '/') path += '/';
  return path + kFileName;
}

SettingsFileResult load_or_create_settings(Settings& settings, const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    default_settings(settings);
    return save_settings(settings, path);
  }
  return load_settings(settings, path);
}

}  // namespace zorvin::settings
