// zorvin-lsp: the language server for 8048 sources. Speaks the Language
// Server Protocol over stdin and stdout (JSON-RPC with Content-Length
// headers); editors start it and get the assembler's messages as F5 shows
// them, hover, go to definition, references, document symbols and
// completion. Takes no arguments but --version and --help; exits after the
// client's exit notification (status 0 after shutdown, 1 without) or at
// the end of its input.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "message_stream.h"
#include "server.h"

namespace {

constexpr const char* kUsage =
    "Aufruf: zorvin-lsp\n"
    "Sprachserver für 8048-Quellen (Language Server Protocol über stdin/stdout);\n"
    "wird vom Editor gestartet, nicht von Hand.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    if (std::strcmp(argv[1], "--version") == 0) {
      std::puts("zorvin-lsp " ZORVIN_VERSION);
      return 0;
    }
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  // A client that goes away while we write ends the session, not the process by a signal.
  std::signal(SIGPIPE, SIG_IGN);
  using zorvin::lsp::ReadMessage;
  zorvin::lsp::MessageReader reader(STDIN_FILENO);
  zorvin::lsp::Server server;
  for (;;) {
    const ReadMessage message = reader.next();
    if (message.kind == ReadMessage::Kind::EndOfInput) return server.exit_code();
    std::vector<std::string> replies;
    if (message.kind == ReadMessage::Kind::BadHeader) {
      replies.push_back(zorvin::lsp::Server::error_without_id(zorvin::lsp::kParseError, "Kopfzeilen ohne gültige Content-Length"));
    } else if (message.kind == ReadMessage::Kind::TooLarge) {
      replies.push_back(zorvin::lsp::Server::error_without_id(zorvin::lsp::kInvalidRequest, "Nachricht zu groß"));
    } else {
      replies = server.handle(message.body);
    }
    for (const std::string& reply : replies)
      if (!zorvin::lsp::write_message(STDOUT_FILENO, reply)) return 1;
    if (server.exit_requested()) return server.exit_code();
  }
}
