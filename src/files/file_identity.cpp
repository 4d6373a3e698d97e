#include "files/file_identity.h"

#include <sys/stat.h>

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

}  // namespace zorvin::files
