// "Signale": a logic analyzer on the session's simulator. The pins of P1,
// P2, BUS, T0, T1 and INT and the terminal's serial lines as traces over
// time (and single port pins the user names as wires of their own), from a bounded record of the latest pin changes; two cursors with
// the time between them at the crystal, and the record exported as the VCD
// zorvin-sim --vcd writes.
#pragma once

#include <string>
#include <vector>

#include "app/board/board_panel.h"
#include "app/ids.h"
#include "app/debugger/debugger_session.h"
#include "sim/signal_recorder.h"
#include "sim/stimulus.h"
#include "ui/signal_view.h"
#include "ui/tool_window.h"
#include "ui/toolkit.h"

namespace zorvin::app {

class SignalWindow {
 public:
  SignalWindow(ui::Toolkit& ui, DebuggerSession& session, BoardPanel& panel);

  void build();
  // Its commands (the menu item, the buttons); false for any other id.
  bool command(int id);
  // The session has a new simulator: record its pins from here (the
  // board's listener goes on hearing them first).
  void attach();
  // The traces as recorded so far (only while the window is open).
  void refresh();

  ui::ToolWindow& window() { return window_; }
  ui::SignalView& view() { return *window_.signal_view(signals::kView); }
  const sim::SignalRecorder& record() const { return record_; }
  // Writes the record as VCD; false with the reason in the status line.
  bool export_vcd(const std::string& path);

 private:
  void show();
  void show_cursors();
  void pins_edited(const std::string& text);
  ui::SignalPicture picture() const;

  ui::Toolkit& ui_;
  DebuggerSession& session_;
  BoardPanel& panel_;
  ui::ToolWindow window_;
  sim::SignalRecorder record_;
  std::vector<sim::PinRef> single_pins_;  // shown as wires of their own
  bool placed_ = false;
};

}  // namespace zorvin::app
