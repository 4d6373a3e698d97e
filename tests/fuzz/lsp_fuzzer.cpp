// Fuzz target: the language server. The input goes in three ways: as the
// byte stream of a session (headers and bodies, through the same reader as
// stdin), as one message body, and as a source the editor opens, asked about
// at positions the input gives. Beyond "no crash": every answer is JSON in
// valid UTF-8, and every request gets exactly one answer with its id.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "message_stream.h"
#include "server.h"
#include "text/text_codec.h"

namespace {

using nlohmann::json;
using zorvin::fuzz::require;

// Hands a body to the server and checks what comes back; `id` is the
// request's, or -1 for a notification (which gets no answer of its own).
void converse(zorvin::lsp::Server& server, std::string_view body, int id = -1) {
  int answers = 0;
  for (const std::string& out : server.handle(body)) {
    require(zorvin::fuzz::is_valid_utf8(out), "answer is not UTF-8", out);
    const json message = json::parse(out, nullptr, false);
    require(message.is_object(), "answer is not a JSON object", out);
    if (message.contains("id") && id >= 0 && message["id"] == id) ++answers;
  }
  if (id >= 0) require(answers == 1, "a request did not get exactly one answer", body);
}

// The input as a session on the wire: read back through a pipe.
void as_stream(zorvin::lsp::Server& server, std::string_view input) {
  int ends[2];
  if (input.size() > 60000 || pipe(ends) != 0) return;  // beyond the pipe's buffer the write would block
  const ssize_t written = write(ends[1], input.data(), input.size());
  close(ends[1]);
  if (written == static_cast<ssize_t>(input.size())) {
    zorvin::lsp::MessageReader reader(ends[0]);
    for (int messages = 0; messages < 1000; ++messages) {
      const auto read = reader.next();
      if (read.kind == zorvin::lsp::ReadMessage::Kind::EndOfInput) break;
      if (read.kind == zorvin::lsp::ReadMessage::Kind::Message) converse(server, read.body);
    }
  }
  close(ends[0]);
}

json request(int id, const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  zorvin::lsp::Server server;
  converse(server, request(1, "initialize", json::object()).dump(), 1);
  as_stream(server, input);
  converse(server, input);

  // The input as a source, read as 8-bit text like a file on disk.
  const std::string uri = "file:///fuzz/quelle.asm";
  const std::string text = zorvin::latin1_to_utf8(input);
  converse(server, json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                        {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}}}.dump());
  // Questions at positions the input gives, each about what its byte picks.
  constexpr const char* kQuestions[] = {"textDocument/hover", "textDocument/definition", "textDocument/references",
                                        "textDocument/completion", "textDocument/documentSymbol"};
  int id = 2;
  for (std::size_t i = 0; i + 1 < size && i < 16; i += 2, ++id) {
    const json at = {{"textDocument", {{"uri", uri}}},
                     {"position", {{"line", data[i] % 32}, {"character", data[i + 1] % 48}}},
                     {"context", {{"includeDeclaration", (data[i] & 1) != 0}}}};
    converse(server, request(id, kQuestions[(data[i] ^ data[i + 1]) % 5], at).dump(), id);
  }
  // An edit at a position the input gives, then the source asked once more.
  if (size >= 4) {
    const json from = {{"line", data[0] % 32}, {"character", data[1] % 48}};
    const json to = {{"line", data[2] % 32}, {"character", data[3] % 48}};
    converse(server, json{{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
                          {"params", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                      {"contentChanges", json::array({{{"range", {{"start", from}, {"end", to}}},
                                                                       {"text", zorvin::latin1_to_utf8(input.substr(0, 32))}}})}}}}.dump());
    converse(server, request(id, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}}).dump(), id);
  }
  ++id;
  converse(server, request(id, "shutdown", nullptr).dump(), id);
  return 0;
}
