// The code analysis in the editor: its hints join the diagnostics (on by
// default, off with {"analyse": false}) and hover over a routine's label
// gives its cycles.
#include <gtest/gtest.h>

#include <string>

#include "lsp_client.h"

namespace zorvin::lsp::testing {
namespace {

const std::string kUri = "file:///tmp/stapel.asm";

// Nine nested calls: one more than the 8048's stack holds. The deepest
// call, s8's, is on line 17.
std::string nine_calls_deep() {
  std::string text = "start:  call s1\n        jmp start\n";
  for (int level = 1; level <= 8; ++level)
    text += "s" + std::to_string(level) + ":     call s" + std::to_string(level + 1) + "\n        ret\n";
  return text + "s9:     mov r7,#3\nwarte:  djnz r7,warte\n        ret\n";
}

json open_in(LspClient& client, const std::string& text) {
  client.notify("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"languageId", "asm48"}, {"version", 1}, {"text", text}}}});
  const auto published = client.take_notification("textDocument/publishDiagnostics");
  return published ? (*published)["params"]["diagnostics"] : json();
}

TEST(LspAnalysis, TooDeepAStackIsAHintOnTheDeepestCall) {
  LspClient client;
  ASSERT_TRUE(client.initialize().contains("result"));
  const json diagnostics = open_in(client, nine_calls_deep());
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics;
  EXPECT_EQ(diagnostics[0]["severity"], 4);
  EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], 16);
  const std::string message = diagnostics[0]["message"];
  EXPECT_EQ(message.rfind("Zeile: 17 -> Hinweis: Stapeltiefe 9 übersteigt die 8 Ebenen des Stapels: ", 0), 0u) << message;

  // The label of a routine: its straight run's cycles (mov, djnz and ret 2
  // each; s9 at 4 + 8 * 3 bytes), the loop's count known.
  const json answer = client.request("textDocument/hover", at(kUri, 18, 1));
  ASSERT_TRUE(answer["result"].is_object()) << answer;
  const std::string hover = answer["result"]["contents"]["value"];
  EXPECT_NE(hover.find("Zyklen ab s9 (01Ch) bis 020h: 6, mit Schleifen: 4+2·N; N = 3 (r7): 10"), std::string::npos)
      << hover;
}

TEST(LspAnalysis, SwitchedOffThereAreNoHints) {
  LspClient client;
  ASSERT_TRUE(client.initialize({{"analyse", false}}).contains("result"));
  EXPECT_EQ(open_in(client, nine_calls_deep()), json::array());
}

}  // namespace
}  // namespace zorvin::lsp::testing
