// zorvin-emusim: a stand-in for the EPROM emulator board on a pseudo-terminal,
// so F6 can be tried and tested without the hardware.
//
//   zorvin-emusim --link PATH [--dump FILE] [--log FILE] [--silent]
//                 [--banner-delay MS] [--reply-delay MS] [--once]

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "emulator_device.h"
#include "pty_link.h"

namespace zorvin::emusim {
namespace {

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int) { g_stop = 1; }

// The host opens, flushes and configures the port in one go; output sent
// before that is discarded by its flush, so the banner never comes earlier.
constexpr std::int64_t kSettleMs = 40;
// While nobody has the port open the master only says "hang-up"; look for
// the host's open this often.
constexpr int kOpenCheckMs = 10;

struct Options {
  std::string link;
  std::string dump;
  std::string log;
  bool silent = false;
  bool once = false;
  int banner_delay_ms = 1000;
  int reply_delay_ms = 0;
};

constexpr const char* kUsage =
    "usage: zorvin-emusim --link PATH [--dump FILE] [--log FILE] [--silent]\n"
    "                     [--banner-delay MS] [--reply-delay MS] [--once]\n"
    "Simulates the EPROM emulator on a pseudo-terminal reachable as PATH.\n";

std::optional<int> parse_ms(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--silent") {
      options.silent = true;
    } else if (arg == "--once") {
      options.once = true;
    } else if (arg == "--link" && has_value) {
      options.link = argv[++i];
    } else if (arg == "--dump" && has_value) {
      options.dump = argv[++i];
    } else if (arg == "--log" && has_value) {
      options.log = argv[++i];
    } else if ((arg == "--banner-delay" || arg == "--reply-delay") && has_value) {
      const std::optional<int> ms = parse_ms(argv[++i]);
      if (!ms) return std::nullopt;
      (arg == "--banner-delay" ? options.banner_delay_ms : options.reply_delay_ms) = *ms;
    } else {
      return std::nullopt;
    }
  }
  if (options.link.empty()) return std::nullopt;
  return options;
}

std::string quoted(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0x0F];
    }
  }
  return out + "\"";
}

class Simulator {
 public:
  Simulator(const Options& options, PtyLink& link) : options_(options), link_(link) {
    if (!options_.log.empty()) log_.open(options_.log, std::ios::trunc);
  }

  int run(const sigset_t& wait_mask) {
    log("waiting on " + link_.slave_name() + " as " + options_.link);
    while (!g_stop && !finished_) {
      if (!connected_) {
        if (link_.host_has_port_open()) {
          host_opened();
          continue;
        }
        const timespec pause{0, kOpenCheckMs * 1000000L};
        ::ppoll(nullptr, 0, &pause, &wait_mask);
        continue;
      }
      pollfd master{link_.master_fd(), POLLIN, 0};
      std::optional<timespec> timeout = next_timeout();
      const int ready = ::ppoll(&master, 1, timeout ? &*timeout : nullptr, &wait_mask);
      if (ready > 0 && (master.revents & POLLIN) != 0) read_from_host();
      if (connected_ && ready > 0 && (master.revents & (POLLHUP | POLLERR)) != 0 &&
          !link_.host_has_port_open()) {
        host_closed();
      }
      if (!connected_) continue;
      DeviceOutput out;
      device_.give_up_if_due(now_ms(), out);
      handle(out);
      send_due_lines();
    }
    log("exit");
    return 0;
  }

 private:
  std::int64_t now_ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now() - start_)
        .count();
  }

  void log(const std::string& text) {
    if (!log_.is_open()) return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f ", static_cast<double>(now_ms()) / 1000.0);
    log_ << stamp << text << '\n' << std::flush;
  }

  void host_opened() {
    connected_ = true;
    device_.reset();
    pending_.clear();
    log("port opened by the host: reset");
    const std::int64_t due = now_ms() + std::max<std::int64_t>(options_.banner_delay_ms, kSettleMs);
    if (!options_.silent) {
      for (const std::string& line : device_.banner()) pending_.push_back({due, line});
    }
  }

  void host_closed() {
    connected_ = false;
    pending_.clear();
    log("port closed by the host");
    if (options_.once && emulation_started_) finished_ = true;
  }

  void read_from_host() {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(link_.master_fd(), buffer, sizeof buffer);
      if (n > 0) {
        const std::string_view bytes(buffer, static_cast<std::size_t>(n));
        log("RX " + quoted(bytes));
        DeviceOutput out;
        device_.receive(bytes, now_ms(), out);
        handle(out);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      return;  // EAGAIN: all read; EIO: the host closed, seen by the caller
    }
  }

  void handle(const DeviceOutput& out) {
    for (const std::string& error : out.errors) log("protocol error: " + error);
    if (!options_.silent) {
      const std::int64_t due = now_ms() + options_.reply_delay_ms;
      for (const std::string& line : out.replies) pending_.push_back({due, line});
    }
    if (out.emulation_started) {
      emulation_started_ = true;
      write_dump();
    }
  }

  void write_dump() {
    if (options_.dump.empty()) return;
    const auto memory = device_.loaded();
    std::ofstream file(options_.dump, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(memory.data()),
               static_cast<std::streamsize>(memory.size()));
    log("dump of " + std::to_string(memory.size()) + " bytes written to " + options_.dump +
        (file ? "" : " FAILED"));
  }

  void send_due_lines() {
    while (!pending_.empty() && pending_.front().due_ms <= now_ms()) {
      const std::string line = pending_.front().text + "\r\n";
      pending_.pop_front();
      const ssize_t n = ::write(link_.master_fd(), line.data(), line.size());
      log("TX " + quoted(line) +
          (n == static_cast<ssize_t>(line.size()) ? "" : " (not taken by the line)"));
    }
  }

  // Until the next reply is due or the device gives up waiting for data.
  std::optional<timespec> next_timeout() const {
    std::optional<std::int64_t> due = device_.deadline();
    if (!pending_.empty() && (!due || pending_.front().due_ms < *due)) {
      due = pending_.front().due_ms;
    }
    if (!due) return std::nullopt;
    const std::int64_t wait = std::max<std::int64_t>(*due - now_ms(), 0);
    return timespec{static_cast<time_t>(wait / 1000), static_cast<long>(wait % 1000) * 1000000L};
  }

  struct PendingLine {
    std::int64_t due_ms;
    std::string text;
  };

  const Options& options_;
  PtyLink& link_;
  EmulatorDevice device_;
  std::ofstream log_;
  std::deque<PendingLine> pending_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  bool connected_ = false;
  bool emulation_started_ = false;
  bool finished_ = false;
};

int main_program(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  const std::optional<Options> options = parse_options(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }

  // SIGINT and SIGTERM are only taken while waiting, so no wake-up is lost.
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  sigset_t blocked;
  sigset_t wait_mask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &blocked, &wait_mask);
  sigdelset(&wait_mask, SIGINT);
  sigdelset(&wait_mask, SIGTERM);

  PtyLink link;
  if (const std::string error = link.create(options->link); !error.empty()) {
    std::cerr << "zorvin-emusim: " << error << '\n';
    return 1;
  }
  Simulator simulator(*options, link);
  const int status = simulator.run(wait_mask);
  link.destroy();
  return status;
}

}  // namespace
}  // namespace zorvin::emusim

int main(int argc, char** argv) { return zorvin::emusim::main_program(argc, argv); }
