#include "files/source_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_rewrite.h"
#include "files/regular_file.h"
#include "files/text_codec.h"

namespace zorvin::files {

namespace {

std::string too_large_text() { return "größer als " + std::string(kMaxSourceText); }

// Reads to the end, but never more than the limit and one byte: a file that
// grows while it is read is refused as well.
bool read_limited(int fd, std::string& bytes, std::string& error) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = error_text(errno);
      return false;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > kMaxSourceBytes) {
      error = too_large_text();
      return false;
    }
  }
}

}  // namespace

LoadedSource read_source_file(const std::string& path) {
  LoadedSource result;
  const OpenedFile file = open_regular_file(path, O_RDONLY);
  if (!file.ok()) {
    result.error = error_text(file.error);
    return result;
  }
  std::string bytes;
  bool read = false;
  if (static_cast<std::uintmax_t>(file.info.st_size) > kMaxSourceBytes)
    result.error = too_large_text();
  else
    read = read_limited(file.fd, bytes, result.error);
  ::close(file.fd);
  if (!read) return result;
  result.ok = true;
  result.size = bytes.size();
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) {
    result.cut_at_zero = true;
    result.bytes_not_loaded = bytes.size() - zero;
  }
  result.text = latin1_to_utf8(bytes);
  return result;
}

SavedSource write_source_file(const std::string& path, std::string_view text) {
  SavedSource result;
  const Latin1Text bytes = utf8_to_latin1(text);
  result.dropped = bytes.dropped;
  const RewriteResult written = rewrite_file(path, bytes.bytes);
  if (!written.ok) {
    result.error = written.error;
    return result;
  }
  result.ok = true;
  result.size = bytes.bytes.size();
  return result;
}

}  // namespace zorvin::files
