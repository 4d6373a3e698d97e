// The server's side of a session: takes each message the client sends and
// returns what to send back (a response, diagnostics notifications). Keeps
// the protocol's order: initialize first, shutdown, then exit. A message
// that is no JSON, no request or lacks its params gets the protocol's error
// answer; nothing a client sends ends the server but exit and the end of
// its input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "workspace.h"

namespace zorvin::lsp {

// The protocol's error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kServerNotInitialized = -32002;

class Server {
 public:
  // Message bodies to write, in order.
  std::vector<std::string> handle(std::string_view body);

  // A body that answers no request: the framing failed before a body.
  static std::string error_without_id(int code, const std::string& message);

  bool exit_requested() const { return exit_requested_; }
  // 0 after a shutdown, 1 for an exit without one.
  int exit_code() const { return shutdown_ ? 0 : 1; }

 private:
  using json = nlohmann::json;
  void request(const json& id, const std::string& method, const json& params, std::vector<std::string>& out);
  void notification(const std::string& method, const json& params, std::vector<std::string>& out);
  json initialize(const json& params);
  void publish(const OpenDocument& document, std::vector<std::string>& out);
  void change(const json& params, std::vector<std::string>& out);

  Workspace workspace_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exit_requested_ = false;
};

}  // namespace zorvin::lsp
