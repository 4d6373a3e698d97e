#include "files/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/file_rewrite.h"
#include "files/text_codec.h"

namespace zorvin::files {

namespace {

std::string describe(int error) { return std::strerror(error); }

}  // namespace

LoadedSource read_source_file(const std::string& path) {
  LoadedSource result;
  // Non-blocking, so a FIFO chosen by mistake cannot hang the window; only
  // regular files are read (a device such as /dev/zero never ends).
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.error = describe(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result.error = S_ISDIR(info.st_mode) ? describe(EISDIR) : "keine normale Datei";
    ::close(fd);
    return result;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      result.error = describe(errno);
      ::close(fd);
      return result;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  result.ok = true;
  result.size = bytes.size();
  result.text = latin1_to_utf8(bytes);
  return result;
}

SavedSource write_source_file(const std::string& path, std::string_view text) {
  SavedSource result;
  const Latin1Text bytes = utf8_to_latin1(text);
  result.dropped = bytes.dropped;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    result.error = describe(errno);
    return result;
  }
  errno = 0;
  result.ok = rewrite_file(path, fd, bytes.bytes);
  const int rewrite_error = errno;
  if (::close(fd) != 0 && result.ok) result.ok = false;
  if (!result.ok) {
    result.error = describe(rewrite_error ? rewrite_error : EIO);
    return result;
  }
  result.size = bytes.bytes.size();
  return result;
}

}  // namespace zorvin::files
