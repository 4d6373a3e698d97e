// Waiting for one reply line from the EPROM emulator.
#pragma once

#include "emu/serial_ports.h"
#include "emu/transfer_view.h"

namespace zorvin::emu {

// The port the emulator link uses.
inline constexpr int kEmulatorPort = 0;

// Every `poll_interval_ms` (the first poll only after one interval) reads the
// bytes waiting on the emulator port, at most 2048. If the text of a round
// (ending before a 00H byte) holds a CR LF, every CR LF pair is removed, the
// rest is shown as one line and the wait ends; a round without CR LF is
// dropped. Gives up after `timeout_ms`, then appending "Fehler bei der
// Übertragung - Wartezeit abgelaufen" if `report_timeout`. Scrolls the
// message pane at the end. Returns whether a reply line was shown.
bool wait_reply(SerialPorts& ports, TransferView& view, int timeout_ms, int poll_interval_ms,
                bool report_timeout);

}  // namespace zorvin::emu
