#include "files/file_rewrite.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvin::files {

namespace {

enum class Outcome { replaced, failed, not_possible };

bool write_all_at_start(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable; a failure here changes nothing the user
// could act on, so it is not reported.
void sync_directory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The temporary file must look like the old one before it takes its place.
bool copy_owner_and_mode(int temp_fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(temp_fd, &now) != 0) return false;
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(temp_fd, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  return ::fchmod(temp_fd, old.st_mode & 07777) == 0;
}

Outcome replace_by_rename(const std::string& path, std::string_view bytes) {
  struct stat old {};
  // A rename would cut a symbolic or hard link off from the file it names.
  if (::lstat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode) || old.st_nlink != 1) {
    return Outcome::not_possible;
  }
  std::string temp_path = path + ".XXXXXX";
  const int temp_fd = ::mkostemp(temp_path.data(), O_CLOEXEC);
  if (temp_fd < 0) return Outcome::not_possible;
  if (!copy_owner_and_mode(temp_fd, old)) {
    ::close(temp_fd);
    ::unlink(temp_path.c_str());
    return Outcome::not_possible;
  }
  const bool written = write_all_at_start(temp_fd, bytes) && ::fsync(temp_fd) == 0;
  const bool closed = ::close(temp_fd) == 0;
  if (!written || !closed || ::rename(temp_path.c_str(), path.c_str()) != 0) {
    ::unlink(temp_path.c_str());
    return Outcome::failed;
  }
  sync_directory(directory_of(path));
  return Outcome::replaced;
}

bool rewrite_in_place(int fd, std::string_view bytes) {
  if (!write_all_at_start(fd, bytes)) return false;
  if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return false;
  return ::fsync(fd) == 0;
}

}  // namespace

bool rewrite_file(const std::string& path, int writable_fd, std::string_view bytes) {
  switch (replace_by_rename(path, bytes)) {
    case Outcome::replaced:
      return true;
    case Outcome::failed:
      return false;
    case Outcome::not_possible:
      break;
  }
  return rewrite_in_place(writable_fd, bytes);
}

}  // namespace zorvin::files
