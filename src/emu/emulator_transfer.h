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
};

// Checks and reads the image (at most 2048 bytes, padded with 00H to whole
// 128-byte blocks), opens `port_name` as port 0 with 115200 8N1, sends
// ":EMUOFF", the SPI and auto-load flags, the blocks, the EPROM code and
// ":EMUON", waiting for one reply line after the open and after each step,
// and closes the port. Every outcome is a line in the message pane. Stops
// with an error line when the device no longer takes data.
void emulator_transfer(const std::string& image_path, const settings::Settings& settings,
                       SerialPorts& ports, TransferView& view, TransferTiming timing = {});

}  // namespace zorvin::emu
