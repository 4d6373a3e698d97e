#include "files/file_identity.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace zorvin::files {

std::optional<FileIdentity> identity_of(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

bool same_file(const std::string& a, const std::string& b) {
  const auto first = identity_of(a);
  return first && first == identity_of(b);
}

bool same_destination(const std::string& a, const std::string& b) {
  if (same_file(a, b)) return true;
  // Files yet to be made have no identity: their places are compared, with
  // the links of the folders that exist followed.
  std::error_code error_a, error_b;
  const auto place_a = std::filesystem::weakly_canonical(std::filesystem::absolute(a), error_a);
  const auto place_b = std::filesystem::weakly_canonical(std::filesystem::absolute(b), error_b);
  return !error_a && !error_b && place_a == place_b;
}

}  // namespace zorvin::files
