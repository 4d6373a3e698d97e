// Helpers for the emulator link tests: a pseudo-terminal that plays the
// device, and a view that records what the transfer shows.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "emu/transfer_view.h"

namespace zorvin::emu::testing {

// The test holds the master side; the code under test opens `slave_name()`.
// `keep_slave` holds a slave descriptor of the test's own, so the master keeps
// its data after the code under test closed the port.
class TestPty {
 public:
  explicit TestPty(bool keep_slave = true) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    grantpt(master_);
    unlockpt(master_);
    slave_name_ = ptsname(master_);
    if (keep_slave) own_slave_ = ::open(slave_name_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  }
  ~TestPty() { unplug(); }
  TestPty(const TestPty&) = delete;
  TestPty& operator=(const TestPty&) = delete;

  const std::string& slave_name() const { return slave_name_; }
  int master() const { return master_; }
  int own_slave() const { return own_slave_; }

  // What the device is sent: everything the host wrote so far.
  std::string received() const {
    std::string all;
    char buffer[4096];
    for (;;) {
      pollfd ready{master_, POLLIN, 0};
      if (::poll(&ready, 1, 20) <= 0 || (ready.revents & POLLIN) == 0) break;
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      all.append(buffer, static_cast<std::size_t>(n));
    }
    return all;
  }

  // The device answers.
  void send(std::string_view bytes) const {
    if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      abort();
    }
  }

  // Bytes waiting at the host's end (shared by every slave descriptor).
  int waiting_at_host() const {
    int count = 0;
    ::ioctl(own_slave_, FIONREAD, &count);
    return count;
  }

  // Whether any slave descriptor is still open (the master reports a hang-up
  // once the last one closed).
  bool slave_closed() const {
    pollfd probe{master_, 0, 0};
    ::poll(&probe, 1, 0);
    return (probe.revents & POLLHUP) != 0;
  }

  // The device goes away, as when the USB adapter is pulled.
  void unplug() {
    if (own_slave_ >= 0) ::close(own_slave_);
    if (master_ >= 0) ::close(master_);
    own_slave_ = master_ = -1;
  }

 private:
  int master_ = -1;
  int own_slave_ = -1;
  std::string slave_name_;
};

// A device that answers from a script: once the host has sent exactly the
// bytes of the next entry (after everything before it), it waits `delay_ms`
// and sends the entry's reply. It stops answering at the first byte that is
// not in the script, so a host that sends too much is caught by comparing
// `received` with what was expected.
class ScriptedDevice {
 public:
  struct Entry {
    std::string expect;
    std::string reply;
    int delay_ms = 0;
  };

  ScriptedDevice(const TestPty& pty, std::vector<Entry> script) : pty_(pty), script_(std::move(script)) {}
  ~ScriptedDevice() { stop(); }

  // Call once the host has opened the port (its open discards what came before).
  void start() {
    thread_ = std::thread([this] { run(); });
  }
  void stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Everything the host sent; valid after stop().
  const std::string& received() const { return received_; }

 private:
  void run() {
    std::size_t next = 0;
    std::size_t expected_end = script_.empty() ? 0 : script_[0].expect.size();
    while (!stopping_) {
      if (next < script_.size() && received_.size() == expected_end &&
          received_.ends_with(script_[next].expect)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(script_[next].delay_ms));
        pty_.send(script_[next].reply);
        if (++next < script_.size()) expected_end += script_[next].expect.size();
        continue;
      }
      received_ += pty_.received();
    }
    received_ += pty_.received();
  }

  const TestPty& pty_;
  std::vector<Entry> script_;
  std::string received_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

class RecordingView : public TransferView {
 public:
  std::vector<std::string> lines;
  int scrolls = 0;
  std::vector<int> event_waits;
  // Runs at every scroll or update, i.e. after each reply shown.
  std::function<void(int scroll_number)> on_scroll;
  // Runs when the transfer waits for a window event, right after the open.
  std::function<void()> on_event_wait;

  void append_message(const std::string& line) override { lines.push_back(line); }
  void scroll_messages_to_end() override {
    ++scrolls;
    if (on_scroll) on_scroll(scrolls);
  }
  void update_messages() override { scroll_messages_to_end(); }
  void wait_for_one_event(int timeout_ms) override {
    event_waits.push_back(timeout_ms);
    if (on_event_wait) on_event_wait();
  }
};

}  // namespace zorvin::emu::testing
