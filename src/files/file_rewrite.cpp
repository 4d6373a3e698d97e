#include "files/file_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "files/binary_path.h"
#include "files/regular_file.h"

namespace zorvin::files {

namespace {

// Errors of a rewrite carry errno values; 0 means success.
int write_all_at_start(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

bool read_all(int fd, std::size_t size, std::string& out) {
  out.resize(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string directory_of(const std::string& path) {
  const std::string folder = folder_of(path);
  return folder.empty() ? "." : folder;
}

// The file a symbolic link leads to, so that the link itself survives.
// Links in the folders above do not matter to a rename in the last one.
std::string resolved(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) return path;
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
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
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(temp_fd, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  return ::fchmod(temp_fd, old.st_mode & 07777) == 0;
}

constexpr int kRenameNotPossible = -2;  // apart from kNotARegularFile

// 0 when replaced, an errno value when writing failed (the old file is
// untouched then), or kRenameNotPossible.
int replace_by_rename(const std::string& target, const struct stat& old, std::string_view bytes) {
  // A rename would cut a hard link off from the other names of the file.
  if (old.st_nlink != 1) return kRenameNotPossible;
  std::string temp_path = target + ".XXXXXX";
  const int temp_fd = ::mkostemp(temp_path.data(), O_CLOEXEC);
  if (temp_fd < 0) return kRenameNotPossible;
  if (!copy_owner_and_mode(temp_fd, old)) {
    ::close(temp_fd);
    ::unlink(temp_path.c_str());
    return kRenameNotPossible;
  }
  int error = write_all_at_start(temp_fd, bytes);
  if (error == 0 && ::fsync(temp_fd) != 0) error = errno;
  if (::close(temp_fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp_path.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp_path.c_str());
    return error;
  }
  sync_directory(directory_of(target));
  return 0;
}

// Reserving the blocks first means a full disk or a size limit shows before
// the old text is touched. Where the file system cannot reserve, writing
// goes ahead and relies on putting the old text back.
int reserve_space(int fd, std::size_t size) {
  if (size == 0) return 0;
  const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  return (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL || error == EBADF) ? 0 : error;
}

int rewrite_in_place(int fd, const struct stat& old, std::string_view bytes) {
  const auto old_size = static_cast<std::size_t>(old.st_size);
  std::string old_bytes;
  const bool can_restore = read_all(fd, old_size, old_bytes);
  int error = reserve_space(fd, bytes.size());
  if (error == 0) error = write_all_at_start(fd, bytes);
  if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (error != 0) {
    if (can_restore) write_all_at_start(fd, old_bytes);
    ::ftruncate(fd, old.st_size);
  }
  return error;
}

OpenedFile open_for_rewrite(const std::string& path) {
  OpenedFile file = open_regular_file(path, O_RDWR | O_CREAT);
  // A file the user may write but not read can still be replaced, only
  // without a copy of its old text.
  if (file.error == EACCES) {
    OpenedFile write_only = open_regular_file(path, O_WRONLY | O_CREAT);
    if (write_only.ok()) return write_only;
  }
  return file;
}

}  // namespace

RewriteResult rewrite_file(const std::string& path, std::string_view bytes) {
  RewriteResult result;
  struct stat before {};
  const bool existed = ::stat(path.c_str(), &before) == 0;
  const OpenedFile file = open_for_rewrite(path);
  if (!file.ok()) {
    result.error = error_text(file.error);
    return result;
  }
  const std::string target = resolved(path);
  int error = replace_by_rename(target, file.info, bytes);
  if (error == kRenameNotPossible) error = rewrite_in_place(file.fd, file.info, bytes);
  ::close(file.fd);
  if (error != 0) {
    if (!existed) ::unlink(target.c_str());
    result.error = error_text(error);
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace zorvin::files
