// The EPROM emulator board without any I/O: a state machine stepped by the
// caller's clock. Bytes from the host go in with the time they arrived;
// the board's output comes out byte by byte once it has left the serial
// line; next_deadline() tells the driver when to look again.
//
// The firmware is a single loop: while it prints its start-up, loads from
// the SPI backup or writes a block to it, it reads nothing and the bytes
// wait in its 64-byte receive buffer. A reset starts the protocol afresh;
// the SRAM, the SPI backup and the settings in the EEPROM outlast it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device_time.h"
#include "firmware.h"
#include "number_reader.h"
#include "wire.h"

namespace zorvin::emusim {

struct DeviceConfig {
  Firmware firmware = Firmware::Current;
  Micros boot_pause = ms(1000);  // the bootloader's, after each reset
  Micros reply_delay = 0;        // added before each reply to a command
  // Line noise: the host's bytes with these numbers (from 1, counted over
  // the simulator's life) never reach the board.
  std::set<std::uint64_t> lost_on_line;
};

class EmulatorDevice {
 public:
  static constexpr std::size_t kMemorySize = 64 * 1024;
  static constexpr std::size_t kReceiveBuffer = 64;
  static constexpr std::size_t kMaxBlock = 512;
  static constexpr Micros kReadTimeout = ms(1000);
  static constexpr Micros kPageLoadTime = 2540;            // one page of an auto-load
  static constexpr Micros kBackupWritePerPage = ms(5);     // per started 128 bytes

  // `backup` is the SPI memory's content, shorter ones filled with 0FFH.
  EmulatorDevice(DeviceConfig config, StoredSettings settings,
                 std::vector<unsigned char> backup = {});

  // The board resets (the host raised DTR): boot pause, then the start-up.
  // Until the first reset the board reads nothing.
  void reset(Micros now);
  // Bytes from the host that arrived at `now`.
  void receive(std::string_view bytes, Micros now);
  // Runs the firmware up to `now`.
  void advance(Micros now);
  // The next time advance() has something to do, if any.
  std::optional<Micros> next_deadline() const;

  // The output that has left the board by `now`.
  std::string take_output(Micros now) { return wire_.take(now); }
  // Lines for the log: lost bytes, stalled and refused blocks.
  std::vector<std::string> take_notes() { return std::exchange(notes_, {}); }
  // After ":EMUON": loaded() as it was at the latest one since the last call.
  std::optional<std::vector<unsigned char>> take_emulation_start() {
    return std::exchange(emulation_start_, std::nullopt);
  }

  // SRAM from 0 to the end of the highest address a block has written.
  std::span<const unsigned char> loaded() const { return {sram_.data(), written_end_}; }
  std::span<const unsigned char> sram() const { return sram_; }
  std::span<const unsigned char> backup() const { return backup_; }
  const StoredSettings& settings() const { return settings_; }
  bool device_holds_bus() const { return device_holds_bus_; }

 private:
  enum class Reading { Frame, Offset, Count, Data };
  struct Received {
    unsigned char value;
    Micros arrived;
  };

  // emulator_device.cpp: timing and the receive buffer.
  std::optional<Micros> give_up_at() const;
  bool take_byte(unsigned char c);
  void time_out();
  void lose(std::uint64_t number, const char* why);

  // start_up.cpp
  Micros start_up(Micros at);
  Micros auto_load(Micros at);

  // device_commands.cpp: frames and :SBN blocks.
  void frame_byte(unsigned char c);
  void run_command(std::string_view frame);
  void number_read();
  void data_byte(unsigned char c);
  void block_done(bool stalled);
  void reply(std::string_view text);

  DeviceConfig config_;
  StoredSettings settings_;
  std::vector<unsigned char> sram_;
  std::vector<unsigned char> backup_;
  std::size_t written_end_ = 0;
  bool device_holds_bus_ = false;

  bool powered_ = false;
  bool started_ = false;  // the start-up after the last reset has run
  Micros boot_end_ = 0;
  Micros clock_ = 0;       // where the firmware is in time
  Micros busy_until_ = 0;  // reads nothing before this
  std::deque<Received> receive_buffer_;
  std::uint64_t host_bytes_ = 0;
  Wire wire_;

  Reading reading_ = Reading::Frame;
  std::string frame_;
  NumberReader number_;
  std::uint16_t offset_ = 0;
  std::uint16_t count_ = 0;
  std::size_t received_ = 0;
  std::array<unsigned char, kMaxBlock + 1> block_{};  // line feed + data; keeps old bytes

  std::vector<std::string> notes_;
  std::string loss_note_;  // a run of lost bytes not yet noted
  std::uint64_t loss_first_ = 0, loss_last_ = 0;
  std::optional<std::vector<unsigned char>> emulation_start_;
};

}  // namespace zorvin::emusim
