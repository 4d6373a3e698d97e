#include "files/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zorvin::files {

std::string error_text(int error) {
  return error == kNotARegularFile ? "keine normale Datei" : std::strerror(error);
}

OpenedFile open_regular_file(const std::string& path, int flags) {
  OpenedFile file;
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
    file.error = S_ISDIR(before.st_mode) ? EISDIR : kNotARegularFile;
    return file;
  }
  // Non-blocking, in case a FIFO took the file's place since the check.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) {
    file.error = errno == ENXIO ? kNotARegularFile : errno;
    return file;
  }
  if (::fstat(fd, &file.info) != 0 || !S_ISREG(file.info.st_mode)) {
    ::close(fd);
    file.error = kNotARegularFile;
    return file;
  }
  // Back to blocking: the caller's flags hold no status flag but the
  // O_NONBLOCK added above (F_SETFL ignores the access mode and O_CREAT).
  ::fcntl(fd, F_SETFL, flags);
  file.fd = fd;
  return file;
}

}  // namespace zorvin::files
