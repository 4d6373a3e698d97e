// A language client for the tests: starts the built zorvin-lsp with pipes
// for stdin and stdout and speaks JSON-RPC with Content-Length headers.
// Every wait has a time limit, so a server that hangs fails the test
// instead of stopping it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace zorvin::lsp::testing {

using nlohmann::json;

inline constexpr int kWaitMs = 10000;

class LspClient {
 public:
  LspClient();
  ~LspClient();
  LspClient(const LspClient&) = delete;
  LspClient& operator=(const LspClient&) = delete;

  bool started() const { return pid_ > 0; }

  // Raw bytes, for malformed input.
  void write_raw(std::string_view bytes);
  void send(const json& message);
  void notify(const std::string& method, json params);
  // Sends a request and returns its response; notifications that arrive
  // meanwhile are kept for take_notification.
  json request(const std::string& method, json params);
  // The next message from the server, or none within the time limit.
  std::optional<json> next_message(int wait_ms = kWaitMs);
  // The next notification of the method (kept or new), or none.
  std::optional<json> take_notification(const std::string& method);
  // Ends stdin; the exit status within the limit, or -1.
  void close_input();
  int wait_exit(int wait_ms = kWaitMs);

  // initialize and initialized.
  json initialize(json options = nullptr);

 private:
  pid_t pid_ = -1;
  int to_server_ = -1;
  int from_server_ = -1;
  int next_id_ = 1;
  int status_ = -1;
  std::string buffer_;
  std::vector<json> kept_;
};

// A text document position's params.
json at(const std::string& uri, int line, int character);

}  // namespace zorvin::lsp::testing
