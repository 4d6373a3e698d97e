// The language server's answers on a source of about 2,000 lines, in the
// plain dialect and in the macro assembler's (`cpu 8048`): the re-check
// after a change (one line edited, the whole text sent as editors do with
// full sync, diagnostics built), hover, completion, definition and
// references. Goals: hover and completion under 50 ms, the re-check under
// 100 ms. Measured in the process, JSON included; the pipe to the editor
// adds a few microseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "realistic_program.h"
#include "server.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;
constexpr int kRounds = 30;

std::string message(const std::string& method, json params, int id = 0) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id) m["id"] = id;
  return m.dump();
}

json at(const std::string& uri, int line, int character) {
  return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}};
}

// Best and worst of kRounds, in milliseconds.
// The answer's size tells that the step found what it looked for.
template <typename Step>
void measure(const char* what, Step step) {
  std::vector<double> ms;
  std::size_t answer = 0;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = Clock::now();
    answer = step(i);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("  %-26s median %7.2f ms   worst %7.2f ms   (answer %zu bytes)\n", what, ms[ms.size() / 2], ms.back(), answer);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// A line and column of the first use of `word` after the line `from`.
std::pair<int, int> find_word(const std::vector<std::string>& lines, const std::string& word, std::size_t from) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (const std::size_t at = lines[i].find(word); at != std::string::npos) return {static_cast<int>(i), static_cast<int>(at + 1)};
  return {0, 0};
}

void run(const char* title, const std::string& text) {
  const std::vector<std::string> lines = lines_of(text);
  std::printf("%s (%zu lines)\n", title, lines.size());
  zorvin::lsp::Server server;
  server.handle(message("initialize", json::object(), 1));
  const std::string uri = "file:///tmp/bench_lsp.asm";
  server.handle(message("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}));
  // Every change edits a line in the middle: an operand that changes. The
  // editor's messages are made beforehand; only the server's work counts.
  std::vector<std::string> edited = lines;
  const std::size_t middle = lines.size() / 2;
  std::vector<std::string> changes;
  for (int round = 0; round < kRounds; ++round) {
    edited[middle] = "        mov   a,#" + std::to_string(round % 200);
    std::string changed;
    for (const std::string& line : edited) changed += line + "\n";
    changes.push_back(message("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", round + 2}}},
                                                          {"contentChanges", json::array({{{"text", changed}}})}}));
  }
  measure("re-check after a change", [&](int round) {
    const auto out = server.handle(changes[static_cast<std::size_t>(round)]);
    return out.empty() ? std::size_t{0} : out.front().size();
  });
  const auto [call_line, call_column] = find_word(lines, "call", middle);
  // A conditional jump to a local label of a routine: "jnz   scan61b".
  const auto [use_line, use_column] = find_word(lines, "jnz   ", middle);
  auto ask = [&](const std::string& method, const json& params) {
    return [&server, method, params](int) { return server.handle(message(method, params, 2)).front().size(); };
  };
  const int label_column = use_column + 7;  // on the name after "jnz   "
  measure("hover on an instruction", ask("textDocument/hover", at(uri, call_line, call_column)));
  measure("hover on a label", ask("textDocument/hover", at(uri, use_line, label_column)));
  measure("completion of a mnemonic", ask("textDocument/completion", at(uri, call_line, call_column + 1)));
  measure("completion, nothing typed", ask("textDocument/completion", at(uri, call_line, call_column - 1)));
  // All registers and every name of the program.
  measure("operand, nothing typed", ask("textDocument/completion", at(uri, use_line, use_column + 5)));
  measure("definition", ask("textDocument/definition", at(uri, use_line, label_column)));
  json references = at(uri, use_line, label_column);
  references["context"] = {{"includeDeclaration", true}};
  measure("references", ask("textDocument/references", references));
}

}  // namespace

int main() {
  const std::string plain = zorvin::bench::realistic_program(2000);
  run("plain dialect", plain);
  run("macro assembler (cpu 8048)", "        cpu   8048\n" + plain);
  return 0;
}
