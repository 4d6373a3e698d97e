#include "files/source_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/file_rewrite.h"
#include "files/regular_file.h"
#include "files/text_codec.h"

namespace zorvin::files {

namespace {

std::string too_large_text(std::uintmax_t limit) {
  return "größer als " + std::string(limit == kMaxSourceBytes ? kMaxSourceText : kMaxLargeSourceText);
}

// Reads to the end, but never more than the limit and one byte: a file that
// grows while it is read is refused as well. The bytes go straight into the
// text, sized from what the file's size promises.
bool read_limited(int fd, std::uintmax_t expected, std::uintmax_t limit, std::string& bytes, std::string& error) {
  bytes.resize(static_cast<std::size_t>(expected) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(std::min<std::size_t>(2 * bytes.size() + 4096, limit + 1));
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = error_text(errno);
      return false;
    }
    filled += static_cast<std::size_t>(got);
    if (filled > limit) {
      error = too_large_text(limit);
      return false;
    }
  }
  bytes.resize(filled);
  return true;
}

}  // namespace

LoadedSource read_source_file(const std::string& path, bool allow_large) {
  LoadedSource result;
  const OpenedFile file = open_regular_file(path, O_RDONLY);
  if (!file.ok()) {
    result.error = error_text(file.error);
    return result;
  }
  const std::uintmax_t limit = allow_large ? kMaxLargeSourceBytes : kMaxSourceBytes;
  const auto size = static_cast<std::uintmax_t>(file.info.st_size);
  std::string bytes;
  bool read = false;
  if (size > limit)
    result.error = too_large_text(limit);
  else
    read = read_limited(file.fd, size, limit, bytes, result.error);
  result.large = !allow_large && !read && result.error == too_large_text(limit);
  ::close(file.fd);
  if (!read) return result;
  result.ok = true;
  result.size = bytes.size();
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) {
    result.cut_at_zero = true;
    result.bytes_not_loaded = bytes.size() - zero;
  }
  result.text = latin1_to_utf8_reusing(std::move(bytes));
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
