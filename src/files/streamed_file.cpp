#include "files/streamed_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/file_identity.h"
#include "files/file_rewrite.h"
#include "files/regular_file.h"

namespace zorvin::files {

namespace {

namespace fs = std::filesystem;

// Links may lead to links; a loop of them ends somewhere.
constexpr int kMaxLinks = 40;

std::string followed_links(const std::string& path) {
  std::string current = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) break;
    const fs::path link(std::string(buffer, static_cast<std::size_t>(n)));
    current = link.is_absolute() ? link.string() : (fs::path(current).parent_path() / link).string();
  }
  return current;
}

// Makes a rename durable; a failure here changes nothing the user could act on.
void sync_directory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool read_whole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return !in.bad() && !text.fail();
}

}  // namespace

std::string output_target(const std::string& path) {
  const fs::path target(followed_links(path));
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  char buffer[PATH_MAX];
  if (::realpath(folder.c_str(), buffer) == nullptr) return target.string();
  return (fs::path(buffer) / target.filename()).string();
}

bool same_output(const std::string& a, const std::string& b) {
  const auto first = identity_of(a);
  const auto second = identity_of(b);
  if (first || second) return first == second;
  return output_target(a) == output_target(b);
}

StreamedFile::~StreamedFile() { discard(); }

bool StreamedFile::fail(int error) {
  error_ = error_text(error);
  return false;
}

bool StreamedFile::open(const std::string& path) {
  discard();
  error_.clear();
  target_ = output_target(path);
  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (exists) {
    // Only a regular file that may be written; it is not touched yet.
    const OpenedFile check = open_regular_file(target_, O_WRONLY);
    if (!check.ok()) return fail(check.error);
    ::close(check.fd);
  }
  temp_ = target_ + ".XXXXXX";
  int fd = ::mkostemp(temp_.data(), O_CLOEXEC);
  beside_ = fd >= 0;
  if (fd < 0) {
    if (!exists) return fail(errno);
    temp_ = (fs::temp_directory_path() / "zorvin-XXXXXX").string();
    fd = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd < 0) return fail(errno);
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
    return fail(error);
  }
  return true;
}

bool StreamedFile::commit() {
  if (file_ == nullptr) return fail(EBADF);
  errno = 0;
  int error = 0;
  // A write that failed on the way (a full disk) leaves its mark in ferror.
  if (std::fflush(file_) != 0 || std::ferror(file_)) error = errno != 0 ? errno : EIO;
  if (error == 0 && ::fsync(::fileno(file_)) != 0) error = errno;
  if (std::fclose(file_) != 0 && error == 0) error = errno;
  file_ = nullptr;
  if (error != 0) {
    discard();
    return fail(error);
  }
  struct stat old {};
  const bool exists = ::stat(target_.c_str(), &old) == 0;
  const bool replaceable =
      !exists || (S_ISREG(old.st_mode) && old.st_nlink == 1 && old.st_uid == ::geteuid() && old.st_gid == ::getegid());
  if (beside_ && replaceable) {
    if (::chmod(temp_.c_str(), exists ? (old.st_mode & 07777) : new_file_mode()) != 0 ||
        ::rename(temp_.c_str(), target_.c_str()) != 0) {
      const int failed = errno;
      discard();
      return fail(failed);
    }
    temp_.clear();
    sync_directory(fs::path(target_).parent_path().string());
    return true;
  }
  std::string bytes;
  if (!read_whole(temp_, bytes)) {
    discard();
    return fail(EIO);
  }
  discard();
  const RewriteResult written = rewrite_file(target_, bytes);
  error_ = written.error;
  return written.ok;
}

void StreamedFile::discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace zorvin::files
