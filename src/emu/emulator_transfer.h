// F6: loads the binary image of the last assembly into the EPROM emulator.
#pragma once

#include <string>

#include "emu/serial_ports.h"
#include "emu/transfer_view.h"
#include "settings/settings.h"

namespace zorvin::emu {

struct TransferTiming {
  int reply_timeout_ms = 3000;     // per step; also bounds each step's writes
  int poll_interval_ms = 100;      // reply polling
  int first_event_wait_ms = 1000;  // the window event after the "geöffnet" line
  int quiet_ms = 300;              // silence after which the device counts as ready
  int settle_limit_ms = 5000;      // the longest start-up output (an auto-load) waited for
  // An "ACK" this late means the device gave up waiting for the block's
  // bytes (after 1 s) and stored whatever its buffer held.
  int stalled_block_ms = 900;
};

// Checks and reads the image (at most 2048 bytes, padded with 00H to whole
// 128-byte blocks), opens `port_name` (a character device) as port 0 with
// 115200 8N1, waits until the device's start-up output (banner, auto-load)
// has ended, syncs with ":EMUOFF" (its reply must hold the device's version
// line), then sends the SPI and auto-load flags, the blocks, the EPROM code
// and ":EMUON", checking each reply before the next step. The first missing
// or wrong reply stops the transfer; nothing further is sent. Closes the port
// and ends with a verdict line. Every outcome is a line in the message pane.
// Returns true only when the device confirmed every step.
bool emulator_transfer(const std::string& image_path, const settings::Settings& settings, SerialPorts& ports,
                       TransferView& view, TransferTiming timing = {});

}  // namespace zorvin::emu
