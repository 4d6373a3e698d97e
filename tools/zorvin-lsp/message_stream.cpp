#include "message_stream.h"

#include <cerrno>
#include <charconv>
#include <unistd.h>

#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool MessageReader::fill() {
  // What was read is dropped, so the buffer holds at most one message
  // and one chunk.
  if (at_ > 0) {
    buffer_.erase(0, at_);
    at_ = 0;
  }
  char chunk[kChunk];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(got));
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

bool MessageReader::read_line(std::string& line) {
  line.clear();
  for (;;) {
    const std::size_t end = buffer_.find('\n', at_);
    if (end != std::string::npos) {
      // An overlong line is cut to the limit; it can never be a header we know.
      line.append(buffer_, at_, std::min(end - at_, kMaxHeaderLine + 1 - std::min(line.size(), kMaxHeaderLine + 1)));
      at_ = end + 1;
      return true;
    }
    const std::size_t room = kMaxHeaderLine + 1 - std::min(line.size(), kMaxHeaderLine + 1);
    line.append(buffer_, at_, std::min(buffer_.size() - at_, room));
    at_ = buffer_.size();
    if (!fill()) return false;
  }
}

bool MessageReader::skip(std::size_t count) {
  while (count > 0) {
    if (at_ == buffer_.size() && !fill()) return false;
    const std::size_t taken = std::min(count, buffer_.size() - at_);
    at_ += taken;
    count -= taken;
  }
  return true;
}

ReadMessage MessageReader::next() {
  ReadMessage message;
  std::string line;
  bool have_length = false;
  bool bad = false;
  std::size_t length = 0;
  std::size_t lines = 0;
  // Blank lines before a header block are tolerated.
  for (;;) {
    if (!read_line(line)) return message;
    const std::string_view header = trimmed(line);
    if (header.empty()) {
      if (lines == 0) continue;
      break;
    }
    if (++lines > kMaxHeaderLines || line.size() > kMaxHeaderLine) bad = true;
    const std::size_t colon = header.find(':');
    if (colon == std::string_view::npos) {
      bad = true;
      continue;
    }
    if (!equals_folded(trimmed(header.substr(0, colon)), "content-length")) continue;
    const std::string_view value = trimmed(header.substr(colon + 1));
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), length);
    if (parsed.ec == std::errc::result_out_of_range) {
      length = kMaxBodyBytes + 1;
    } else if (parsed.ec != std::errc() || parsed.ptr != value.data() + value.size() || value.empty()) {
      bad = true;
      continue;
    }
    have_length = true;
  }
  if (!have_length || bad) {
    // Without a trustworthy length the body's end is unknown: the next
    // header block is looked for line by line.
    message.kind = ReadMessage::Kind::BadHeader;
    return message;
  }
  if (length > kMaxBodyBytes) {
    message.kind = skip(length) ? ReadMessage::Kind::TooLarge : ReadMessage::Kind::EndOfInput;
    return message;
  }
  while (buffer_.size() - at_ < length) {
    if (!fill()) return message;  // the stream ended inside the body
  }
  message.kind = ReadMessage::Kind::Message;
  message.body.assign(buffer_, at_, length);
  at_ += length;
  return message;
}

bool write_message(int fd, std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  std::size_t written = 0;
  while (written < out.size()) {
    const ssize_t done = ::write(fd, out.data() + written, out.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    written += static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace zorvin::lsp
