#include "files/source_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/file_rewrite.h"
#include "files/regular_file.h"
#include "text/text_codec.h"
#include "text/unicode_text.h"

namespace zorvin::files {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool is_utf8(std::string_view bytes) { return encode_utf8(decode_utf8(bytes)) == bytes; }

// Whether the file at `path` holds UTF-8 after the byte-order mark now.
bool begins_with_mark(const std::string& path) {
  const OpenedFile file = open_regular_file(path, O_RDONLY);
  if (!file.ok()) return false;
  char head[3] = {};
  const ssize_t got = ::read(file.fd, head, sizeof head);
  ::close(file.fd);
  return got == 3 && std::string_view(head, 3) == kUtf8Mark;
}

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
  // Saved by an editor as UTF-8 with its mark: read as what it is, so that
  // neither the mark nor any character turns into Latin-1 debris. A file
  // that is no valid UTF-8 after all stays 8-bit text, byte for byte.
  const std::string_view before_zero = std::string_view(bytes).substr(0, zero);
  if (before_zero.starts_with(kUtf8Mark) && is_utf8(before_zero.substr(kUtf8Mark.size()))) {
    result.utf8_with_mark = true;
    result.text = std::string(before_zero.substr(kUtf8Mark.size()));
    return result;
  }
  result.text = latin1_to_utf8_reusing(std::move(bytes));
  return result;
}

SavedSource write_source_file(const std::string& path, std::string_view text, bool utf8_with_mark) {
  SavedSource result;
  Latin1Text bytes;
  // A text that still begins with the mark's three characters was read as
  // 8-bit text (no UTF-8 after the mark) and goes back so.
  const bool read_as_8_bit = text.starts_with("\u00EF\u00BB\u00BF");
  if (utf8_with_mark || (!read_as_8_bit && begins_with_mark(path))) {
    bytes.bytes = std::string(kUtf8Mark).append(text);
  } else {
    bytes = utf8_to_latin1(text);
  }
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
