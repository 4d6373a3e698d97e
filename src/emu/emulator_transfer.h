// F6: loads the binary image of the last assembly into the EPROM emulator.
#pragma once

#include <string>

#include "emu/serial_ports.h"
#include "emu/transfer_view.h"
#include "settings/settings.h"

namespace zorvin::emu {

struct TransferTiming {
  int reply_timeout_ms = 3000;    // per step; also bounds each step's writes
  int idle_wait_ms = 100;         // how often a port that hung up is looked at
  int first_event_wait_ms = 100;  // the window event after the "geöffnet" line
  // Silence on a freshly opened port after which a device counts as running
  // and is sent the sync; a running device prints nothing by itself.
  int ready_quiet_ms = 40;
  // Silence after start-up output (banner, auto-load) that means the device
  // is done; long enough for the reply to a sync it had buffered meanwhile.
  int quiet_ms = 100;
  int settle_limit_ms = 5000;  // the longest start-up output (an auto-load) waited for
  // An "ACK" this late means the device gave up waiting for the block's
  // bytes (after 1 s) and stored whatever its buffer held.
  int stalled_block_ms = 900;
};

// Checks and reads the image (at most 4096 bytes and no more than the EPROM
// type holds, padded with 00H to whole 128-byte blocks), opens `port_name`
// (a terminal device) as port 0 with 115200 8N1, syncs with ":EMUOFF" (its
// reply must hold the device's version line) once the device is quiet,
// repeating it after start-up output (banner, auto-load) that a reset on the
// open brings, then sends the SPI and auto-load flags, the blocks, the EPROM
// code and ":EMUON". Each step goes out as soon as the reply to the one
// before is complete, so the device is never sent more than it reads. The
// first missing or wrong reply stops the transfer; nothing further is sent.
// Closes the port and ends with a verdict line. Every outcome is a line in
// the message pane. Returns true only when the device confirmed every step.
bool emulator_transfer(const std::string& image_path, const settings::Settings& settings, SerialPorts& ports,
                       TransferView& view, TransferTiming timing = {});

}  // namespace zorvin::emu
