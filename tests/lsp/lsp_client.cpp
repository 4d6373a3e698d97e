#include "lsp_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "built_program.h"

namespace zorvin::lsp::testing {

LspClient::LspClient() {
  signal(SIGPIPE, SIG_IGN);
  int in[2];
  int out[2];
  if (pipe(in) != 0) return;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> command = test::built_program_command(ZORVIN_LSP_EXE);
  std::vector<char*> argv = test::argv_of(command);
  if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  to_server_ = in[1];
  from_server_ = out[0];
}

LspClient::~LspClient() {
  if (to_server_ >= 0) close(to_server_);
  if (pid_ > 0 && wait_exit(2000) < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (from_server_ >= 0) close(from_server_);
}

void LspClient::write_raw(std::string_view bytes) {
  while (!bytes.empty() && to_server_ >= 0) {
    const ssize_t done = write(to_server_, bytes.data(), bytes.size());
    if (done <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

void LspClient::send(const json& message) {
  const std::string body = message.dump();
  write_raw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

void LspClient::notify(const std::string& method, json params) {
  send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

json LspClient::request(const std::string& method, json params) {
  const int id = next_id_++;
  send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
  while (const auto message = next_message()) {
    if (message->contains("id") && (*message)["id"] == id) return *message;
    kept_.push_back(*message);
  }
  return {{"error", "no answer within the time limit"}};
}

std::optional<json> LspClient::next_message(int wait_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    const std::size_t end_of_header = buffer_.find("\r\n\r\n");
    if (end_of_header != std::string::npos) {
      const std::size_t field = buffer_.find("Content-Length: ");
      if (field == std::string::npos || field > end_of_header) return std::nullopt;
      const std::size_t length = std::stoul(buffer_.substr(field + 16, end_of_header - field - 16));
      if (buffer_.size() >= end_of_header + 4 + length) {
        const json message = json::parse(buffer_.substr(end_of_header + 4, length), nullptr, false);
        buffer_.erase(0, end_of_header + 4 + length);
        return message;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd ready{from_server_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char chunk[65536];
    const ssize_t got = read(from_server_, chunk, sizeof chunk);
    if (got <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

std::optional<json> LspClient::take_notification(const std::string& method) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->value("method", "") == method) {
      json found = *it;
      kept_.erase(it);
      return found;
    }
  }
  while (const auto message = next_message()) {
    if (message->value("method", "") == method) return message;
    kept_.push_back(*message);
  }
  return std::nullopt;
}

void LspClient::close_input() {
  if (to_server_ >= 0) close(to_server_);
  to_server_ = -1;
}

int LspClient::wait_exit(int wait_ms) {
  if (pid_ <= 0) return status_;
  for (int waited = 0; waited <= wait_ms; waited += 10) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return status_;
    }
    usleep(10000);
  }
  return -1;
}

json LspClient::initialize(json options) {
  json answer = request("initialize", {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", json::object()},
                                       {"initializationOptions", std::move(options)}});
  notify("initialized", json::object());
  return answer;
}

json at(const std::string& uri, int line, int character) {
  return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}};
}

}  // namespace zorvin::lsp::testing
