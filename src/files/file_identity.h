// Telling whether two paths name the same file: by device and inode, so that
// symbolic and hard links count as what they are.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace zorvin::files {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The file `path` leads to (links followed); none when there is none.
std::optional<FileIdentity> identity_of(const std::string& path);

// True when both paths lead to one existing file.
bool same_file(const std::string& a, const std::string& b);

// True when writing to both paths would write one file: the same existing
// file, or the same place for a file not made yet.
bool same_destination(const std::string& a, const std::string& b);

}  // namespace zorvin::files
