// Input an editor should never send, and the order of the session's ends:
// the server answers with the protocol's errors, goes on serving, and
// neither crashes nor waits for ever.
#include <gtest/gtest.h>

#include <random>

#include "lsp_client.h"

namespace zorvin::lsp::testing {
namespace {

int error_code(const json& answer) {
  return answer.contains("error") && answer["error"].is_object() ? answer["error"].value("code", 0) : 0;
}

// A request after the damage shows the server still serves.
void expect_still_serving(LspClient& client) {
  const json answer = client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", "file:///tmp/a.asm"}}}});
  EXPECT_TRUE(answer.contains("result")) << answer.dump();
}

TEST(LspProtocolErrors, BadMessagesGetTheirErrorCodes) {
  struct Case {
    std::string body;
    int code;
  };
  const std::vector<Case> cases = {
      {"{nicht json", -32700},
      {"[1,2]", -32600},
      {R"({"jsonrpc":"2.0","id":{"x":1},"method":"initialize"})", -32600},
      {R"({"jsonrpc":"2.0","id":7,"method":42})", -32600},
      {R"({"jsonrpc":"2.0","id":7,"method":"workspace/symbol","params":{}})", -32601},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/a.asm"},"position":{"line":"eins","character":0}}})", -32602},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/a.asm"},"position":{"line":-1,"character":0}}})", -32602},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///tmp/zu.asm"},"position":{"line":0,"character":0}}})", -32602},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/completion","params":null})", -32602},
      {R"({"jsonrpc":"2.0","id":7,"method":"initialize","params":{}})", -32600},
      // Nesting a million deep, closed and not: no stack runs out.
      {R"({"jsonrpc":"2.0","id":7,"method":"x","params":)" + std::string(1000000, '[') + std::string(1000000, ']') + "}", -32601},
      {std::string(1000000, '['), -32700},
      {"{\"jsonrpc\":\"2.0\",\"id\":7,\"method\":\"x\xFF\"}", -32700},  // not UTF-8
  };
  LspClient client;
  ASSERT_TRUE(client.initialize().contains("result"));
  client.notify("textDocument/didOpen", {{"textDocument", {{"uri", "file:///tmp/a.asm"}, {"version", 1}, {"text", "x: nop\n"}}}});
  // Broken notifications are dropped without an answer.
  client.notify("textDocument/didOpen", {{"textDocument", {{"uri", 5}}}});
  client.notify("textDocument/didChange", {{"textDocument", {{"uri", "file:///tmp/a.asm"}}}, {"contentChanges", "x"}});
  client.notify("textDocument/didChange", {{"textDocument", {{"uri", "file:///tmp/a.asm"}}},
                                           {"contentChanges", json::array({{{"range", {{"start", {{"line", 99}, {"character", 99}}}, {"end", {{"line", 0}, {"character", 0}}}}}, {"text", "y"}}})}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    client.write_raw("Content-Length: " + std::to_string(c.body.size()) + "\r\n\r\n" + c.body);
    std::optional<json> answer;
    while ((answer = client.next_message()) && answer->contains("method")) {
    }
    ASSERT_TRUE(answer);
    EXPECT_EQ(error_code(*answer), c.code) << answer->dump();
  }
  expect_still_serving(client);
}

TEST(LspProtocolErrors, BrokenFramingIsSkipped) {
  LspClient client;
  ASSERT_TRUE(client.initialize().contains("result"));
  client.notify("textDocument/didOpen", {{"textDocument", {{"uri", "file:///tmp/a.asm"}, {"version", 1}, {"text", "x: nop\n"}}}});
  ASSERT_TRUE(client.take_notification("textDocument/publishDiagnostics"));
  client.write_raw("Content-Type: nur das\r\n\r\n");
  client.write_raw("Content-Length: zwölf\r\n\r\n");
  client.write_raw(std::string(20000, 'x') + "\r\n\r\n");
  // Random bytes without a line feed or colon, then the end of the block.
  std::mt19937 random(8048);
  std::string noise;
  for (int i = 0; i < 5000; ++i) {
    const char c = static_cast<char>(random() & 0xFF);
    noise += (c == '\n' || c == ':') ? ' ' : c;
  }
  client.write_raw(noise + "\r\n\r\n");
  for (int i = 0; i < 4; ++i) {
    const auto answer = client.next_message();
    ASSERT_TRUE(answer);
    EXPECT_EQ(error_code(*answer), -32700);
  }
  expect_still_serving(client);
}

TEST(LspProtocolErrors, RequestsBeforeInitializeAndAfterShutdown) {
  LspClient client;
  EXPECT_EQ(error_code(client.request("textDocument/hover", at("file:///tmp/a.asm", 0, 0))), -32002);
  ASSERT_TRUE(client.initialize().contains("result"));
  EXPECT_TRUE(client.request("shutdown", nullptr).contains("result"));
  EXPECT_EQ(error_code(client.request("textDocument/hover", at("file:///tmp/a.asm", 0, 0))), -32600);
  client.notify("exit", nullptr);
  EXPECT_EQ(client.wait_exit(), 0);
}

TEST(LspProtocolErrors, SessionEndsWithoutHanging) {
  struct Case {
    std::string name;
    std::string input;  // then stdin closes, if the server still reads
    int status;
  };
  const std::vector<Case> cases = {
      {"exit without shutdown", "Content-Length: 33\r\n\r\n{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}", 1},
      {"end of input", "", 1},
      {"body cut short", "Content-Length: 500\r\n\r\n{\"jsonrpc\":", 1},
      {"length beyond the limit", "Content-Length: 999999999999\r\n\r\n{}", 1},
      {"length beyond any number", "Content-Length: 99999999999999999999999999\r\n\r\n{}", 1},
      {"endless header line", std::string(100000, 'h'), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LspClient client;
    client.write_raw(c.input);
    client.close_input();
    EXPECT_EQ(client.wait_exit(), c.status);
  }
}

}  // namespace
}  // namespace zorvin::lsp::testing
