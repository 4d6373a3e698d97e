// The peripherals beside the debugger: the levels of the P1, P2 and BUS
// pins as LEDs, switches on the P1 and P2 pins, and a terminal on a
// bit-banged serial line (output pin, input pin, bit rate, polarity).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/debugger_session.h"
#include "sim/serial_line.h"
#include "ui/tool_window.h"

namespace zorvin::app {

class DebuggerPanel {
 public:
  DebuggerPanel(ui::Toolkit& ui, DebuggerSession& session);

  void build();
  void show();
  // The session has a new simulator: listen to its pins again.
  void attach();
  // The LEDs, the switches and what the terminal received since.
  void refresh();

  ui::ToolWindow& window() { return window_; }

 private:
  void field_edited(int id, const std::string& text);
  void check_toggled(int id, bool ticked);
  void apply_line();

  DebuggerSession& session_;
  ui::ToolWindow window_;
  sim::SerialConfig config_;
  std::optional<sim::SerialTerminal> terminal_;
  std::size_t shown_chars_ = 0;
  std::size_t shown_problems_ = 0;
  std::uint64_t typing_until_ = 0;  // the cycle the last typed text is sent by
};

}  // namespace zorvin::app
