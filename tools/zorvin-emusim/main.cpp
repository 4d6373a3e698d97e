// zorvin-emusim: a stand-in for the EPROM emulator board on a pseudo-terminal,
// so F6 can be tried and tested without the hardware. The board itself is
// EmulatorDevice; this file only moves bytes between it and the pty, tells
// it the time, and resets it when the host's open raises DTR.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "emulator_device.h"
#include "files/file_rewrite.h"
#include "files/regular_file.h"
#include "options.h"
#include "output_paths.h"
#include "pty_link.h"
#include "repeating_text.h"
#include "usb_adapter.h"
#include "wire.h"

namespace zorvin::emusim {
namespace {

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int) { g_stop = 1; }

// The host opens, flushes and configures the port in one go; output sent
// before its flush would be discarded, so the boot pause is never shorter.
constexpr Micros kSettle = ms(20);
// While nobody has the port open the master only says "hang-up"; look for
// the host's open this often.
constexpr Micros kOpenCheck = ms(10);
// Output goes to the pty in slices of this length, as from a USB adapter,
// instead of one wake-up per byte.
constexpr Micros kOutputSlice = ms(1);

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

timespec as_timespec(Micros wait) {
  return {static_cast<time_t>(wait / 1'000'000), static_cast<long>(wait % 1'000'000) * 1000L};
}

class Simulator {
 public:
  Simulator(const Options& options, PtyLink& link, EmulatorDevice& device)
      : options_(options), link_(link), device_(device), adapter_(ms(options.latency_ms)) {
    if (!options_.log.empty()) log_.open(options_.log, std::ios::trunc);
    if (options_.stream) stream_.emplace(*options_.stream);
  }

  int run(const sigset_t& wait_mask) {
    log("wartet an " + link_.slave_name() + " als " + options_.link);
    while (!g_stop && !finished_) {
      const Micros now = now_us();
      const bool open = link_.host_has_port_open();
      if (open && !connected_) host_opened(now);
      if (connected_) read_from_host(now);
      if (!open && connected_) host_closed();
      deliver_to_board(now);
      device_.advance(now);
      send_output(now);
      report();
      wait_for_work(wait_mask);
    }
    log("Ende");
    return 0;
  }

 private:
  Micros now_us() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now() - start_)
        .count();
  }

  void log(const std::string& text) {
    if (!log_.is_open()) return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f ", static_cast<double>(now_us()) / 1e6);
    log_ << stamp << text << '\n' << std::flush;
  }

  // Opening the port raises DTR; that resets the board only when DTR was
  // down: before the first open, and after a close with HUPCL.
  void host_opened(Micros now) {
    connected_ = true;
    if (stream_) {
      stream_->start(now);
      log("sendet den Text von --stream statt der Ausgabe des Geräts");
    }
    if (!dtr_down_) {
      log("Schnittstelle vom Host geöffnet; DTR blieb oben, also kein Reset");
      return;
    }
    log(first_open_ ? "Schnittstelle vom Host geöffnet: Reset (erstes Öffnen)"
                    : "Schnittstelle vom Host geöffnet: Reset (DTR fiel beim letzten Schließen)");
    first_open_ = false;
    dtr_down_ = false;
    device_.reset(now);
  }

  void host_closed() {
    connected_ = false;
    adapter_.clear();
    dtr_down_ = options_.reset_on_open || link_.hangs_up_on_close();
    log(options_.reset_on_open ? "Schnittstelle vom Host geschlossen: der Treiber nimmt DTR weg (--reset-on-open)"
        : dtr_down_            ? "Schnittstelle vom Host mit HUPCL geschlossen: DTR fällt"
                               : "Schnittstelle vom Host ohne HUPCL geschlossen: DTR bleibt oben");
    flush_tx_log();
    if (options_.once && emulation_started_) finished_ = true;
  }

  void read_from_host(Micros now) {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(link_.master_fd(), buffer, sizeof buffer);
      if (n > 0) {
        const std::string_view bytes(buffer, static_cast<std::size_t>(n));
        log("RX " + quoted(bytes));
        to_board_.send(now, bytes);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      return;  // EAGAIN: all read; EIO: the host closed, seen by the caller
    }
  }

  // The host's bytes reach the board one after the other at 115200 baud.
  void deliver_to_board(Micros now) {
    for (std::optional<Micros> due; (due = to_board_.next_due()) && *due <= now;) {
      device_.receive(to_board_.take(*due), *due);
    }
  }

  // The board's output through the adapter, or the --stream text instead of
  // it; what leaves while nobody has the port open is lost, as behind a real
  // adapter.
  void send_output(Micros now) {
    adapter_.receive(device_.take_output(now), now);
    const std::string output = adapter_.take(now);
    if (!connected_) return;
    if (stream_) {
      // A host that does not read loses the text, as on a real line.
      const std::string text = stream_->take(now);
      [[maybe_unused]] const ssize_t n = ::write(link_.master_fd(), text.data(), text.size());
      return;
    }
    if (options_.silent || output.empty()) return;
    const ssize_t n = ::write(link_.master_fd(), output.data(), output.size());
    const std::size_t taken = n > 0 ? static_cast<std::size_t>(n) : 0;
    log_tx(output.substr(0, taken));
    if (taken < output.size()) {
      log(std::to_string(output.size() - taken) + " Bytes nahm die Leitung nicht an");
    }
  }

  // TX lines are logged whole, once their line end has gone out.
  void log_tx(std::string_view bytes) {
    for (const char c : bytes) {
      tx_line_.push_back(c);
      if (c == '\n' || tx_line_.size() >= 256) flush_tx_log();
    }
  }
  void flush_tx_log() {
    if (!tx_line_.empty()) log("TX " + quoted(std::exchange(tx_line_, {})));
  }

  void report() {
    for (const std::string& note : device_.take_notes()) log(note);
    if (const auto memory = device_.take_emulation_start()) {
      emulation_started_ = true;
      write_dump(*memory);
    }
  }

  // Replaced whole (written beside, then renamed), so a reader never sees
  // half a dump.
  void write_dump(const std::vector<unsigned char>& memory) {
    if (options_.dump.empty()) return;
    const files::RewriteResult written = files::rewrite_file(
        options_.dump, std::string_view(reinterpret_cast<const char*>(memory.data()), memory.size()));
    if (!written.ok) {
      std::cerr << "zorvin-emusim: Abzug nach " << options_.dump << " nicht geschrieben: " << written.error << '\n';
    }
    log(written.ok ? "Abzug von " + std::to_string(memory.size()) + " Bytes nach " + options_.dump + " geschrieben"
                   : "Abzug nach " + options_.dump + " nicht geschrieben: " + written.error);
  }

  // Sleeps until the board, the stream or the host has something to do.
  void wait_for_work(const sigset_t& wait_mask) {
    const Micros now = now_us();
    std::optional<Micros> due = device_.next_deadline();
    const auto consider = [&due](Micros at) { due = due ? std::min(*due, at) : at; };
    if (const std::optional<Micros> packet = adapter_.next_due()) consider(*packet);
    if (const std::optional<Micros> byte = to_board_.next_due()) consider(*byte);
    if (stream_ && connected_) consider(stream_->next_due());
    if (!connected_) consider(now + kOpenCheck);
    std::optional<timespec> timeout;
    if (due) timeout = as_timespec(std::max(*due - now, kOutputSlice));
    pollfd master{link_.master_fd(), POLLIN, 0};
    ::ppoll(connected_ ? &master : nullptr, connected_ ? 1 : 0, timeout ? &*timeout : nullptr,
            &wait_mask);
  }

  const Options& options_;
  PtyLink& link_;
  EmulatorDevice& device_;
  Wire to_board_;  // the host's bytes on their way to the board
  UsbAdapter adapter_;
  std::optional<RepeatingText> stream_;
  std::ofstream log_;
  std::string tx_line_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  bool connected_ = false;
  bool first_open_ = true;
  bool dtr_down_ = true;
  bool emulation_started_ = false;
  bool finished_ = false;
};

// The SPI backup from --spi-image; empty leaves it erased (0FFH). Sets
// `error` when it cannot be had.
std::vector<unsigned char> read_backup(const std::string& path, std::string& error) {
  if (path.empty()) return {};
  const files::OpenedFile file = files::open_regular_file(path, O_RDONLY);
  if (!file.ok()) {
    error = "--spi-image " + path + " kann nicht gelesen werden: " + files::error_text(file.error);
    return {};
  }
  std::vector<unsigned char> bytes;
  unsigned char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = "--spi-image " + path + " kann nicht gelesen werden: " + files::error_text(errno);
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (bytes.size() > EmulatorDevice::kMemorySize) {
      error = "--spi-image " + path + " ist größer als der SPI-Speicher (64 KiB)";
      break;
    }
  }
  ::close(file.fd);
  return bytes;
}

int main_program(int argc, char** argv) {
  const cli::Tool tool = {"zorvin-emusim", kUsage};
  std::string error;
  const std::optional<Options> options = parse_options(argc, argv, error);
  if (!options) {
    cli::complain(tool, error);
    return cli::usage_error(tool);
  }
  if (options->request) return cli::answer(tool, *options->request);
  if (const std::optional<std::string> clash = file_clash(*options)) {
    std::cerr << "zorvin-emusim: " << *clash << '\n';
    return 2;
  }
  std::vector<unsigned char> backup = read_backup(options->spi_image, error);
  if (error.empty() && !options->log.empty()) {
    const int log = ::open(options->log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) error = "--log " + options->log + " kann nicht geschrieben werden: " + files::error_text(errno);
    if (log >= 0) ::close(log);
  }
  if (!error.empty()) {
    std::cerr << "zorvin-emusim: " << error << '\n';
    return 1;
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
  DeviceConfig config;
  config.firmware = options->firmware;
  config.boot_pause = std::max(ms(options->banner_delay_ms), kSettle);
  config.reply_delay = ms(options->reply_delay_ms);
  config.lost_on_line = options->lose_bytes;
  EmulatorDevice device(std::move(config), options->settings, std::move(backup));
  Simulator simulator(*options, link, device);
  const int status = simulator.run(wait_mask);
  link.destroy();
  return status;
}

}  // namespace
}  // namespace zorvin::emusim

int main(int argc, char** argv) { return zorvin::emusim::main_program(argc, argv); }
