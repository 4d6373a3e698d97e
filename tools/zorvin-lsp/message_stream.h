// The protocol's framing over a pair of file descriptors: header lines
// ("Content-Length: N"), an empty line, then N bytes of JSON. Reading is
// bounded everywhere: a header line, the number of headers and a body each
// have a limit, so no input makes the server hang on memory or wait for
// bytes it was never promised.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvin::lsp {

inline constexpr std::size_t kMaxHeaderLine = 8 * 1024;
inline constexpr std::size_t kMaxHeaderLines = 64;
// The assembler takes texts of up to 16 MiB; escaped in JSON they may grow.
inline constexpr std::size_t kMaxBodyBytes = 64 * 1024 * 1024;

struct ReadMessage {
  enum class Kind {
    Message,      // `body` holds one message
    EndOfInput,   // the client closed the stream
    BadHeader,    // a header block without a usable Content-Length; skipped
    TooLarge,     // a body over kMaxBodyBytes; its bytes were skipped
  } kind = Kind::EndOfInput;
  std::string body;
};

class MessageReader {
 public:
  explicit MessageReader(int fd) : fd_(fd) {}
  ReadMessage next();

 private:
  bool fill();                        // false at the end of input
  bool read_line(std::string& line);  // false at the end of input
  bool skip(std::size_t count);
  int fd_;
  std::string buffer_;
  std::size_t at_ = 0;
};

// Writes one message with its header; false when the stream is gone.
bool write_message(int fd, std::string_view body);

}  // namespace zorvin::lsp
