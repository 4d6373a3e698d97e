// The debugger in the window: the menu "Simulator" and its keys, a window
// with the registers, flags, timer, ports, pins, cycles and the internal
// RAM, breakpoints and the current line in the editor's gutter, and a
// running program that goes on in slices from the event loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/board/board_panel.h"
#include "app/board/board_window.h"
#include "app/debugger/debugger_session.h"
#include "app/debugger/signal_profile.h"
#include "app/debugger/signal_window.h"
#include "app/panes.h"
#include "asm/assembler.h"
#include "settings/settings.h"
#include "ui/repeating_task.h"
#include "ui/tool_window.h"
#include "ui/toolkit.h"

namespace zorvin::app {

class Debugger {
 public:
  // `assemble` runs F5 and tells whether it succeeded.
  Debugger(ui::Toolkit& ui, Panes& panes, settings::Settings& settings, std::function<bool()> assemble);
  Debugger(const Debugger&) = delete;
  Debugger& operator=(const Debugger&) = delete;

  // The menu "Simulator" and the keys of the main window.
  void build_menu();
  // Clicks into the editor's gutter toggle breakpoints (once the editor is built).
  void attach_editor();
  // A debugger command; false for any other id.
  bool command(int id);
  // After every successful F5: the program, the text it came from and where
  // its included files are.
  void program_assembled(const asm48::Assembler& assembler, const std::string& text, const std::string& source_dir);
  // Opens the panes that were open at the end of the last run.
  void reopen_panes();
  static constexpr const char* kWindowTitle = "Simulator";
  // The user changed the source: the run no longer fits it.
  void source_edited();
  // The editor got a new text (loaded, new): its breakpoints are gone.
  void source_replaced();

  // For tests and the views.
  DebuggerSession& session() { return session_; }
  ui::ToolWindow& window() { return window_; }
  BoardPanel& panel() { return panel_; }
  SignalProfile& profile() { return profile_; }
  SignalWindow& signals() { return signals_; }
  BoardWindow& board_window() { return board_; }
  bool running() const { return session_.running(); }

 private:
  // debugger.cpp: commands and runs.
  bool ensure_program();
  // The assembled program into the session, on the board beside the source.
  void load_program();
  void run(std::optional<int> address);
  void stop_run();
  void step();
  void step_over();
  void step_back();
  void back_to_breakpoint();
  void back_to_change();
  void run_to_cursor();
  void toggle_breakpoint(int line);
  void sync_breakpoints();
  void reset();
  bool slice();
  void stopped(DebugStop why);
  std::uint64_t slice_budget() const;
  // debugger_source_settings.cpp: the watch list and the board kept per
  // source file.
  void follow_source(bool loaded);
  void keep_source_settings();

  // debugger_view.cpp: the window.
  void build_window();
  void show_clock();
  void show_window();
  void refresh(bool at_stop);
  void show_place();
  void field_edited(int id, const std::string& text);
  void check_toggled(int id, bool ticked);
  void ram_edited(int id, int index, const std::string& text);

  ui::Toolkit& ui_;
  Panes& panes_;
  settings::Settings& settings_;
  std::function<bool()> assemble_;
  ui::ToolWindow window_;
  ui::RepeatingTask task_;
  DebuggerSession session_;
  BoardPanel panel_{ui_, session_};
  SignalProfile profile_{ui_, settings_, session_};
  SignalWindow signals_{ui_, session_, panel_};
  BoardWindow board_{ui_, session_};

  // The last successful assembly, until the session takes it.
  std::optional<DebuggerLineMap> assembled_;
  sim::Variant assembled_variant_ = sim::Variant::I8048;
  std::string assembled_text_;
  bool stale_ = false;  // the source changed since the session's program was assembled
  int loads_ = 0;       // programs loaded into the session so far

  // The state at the last stop, and the one before it: what the last step
  // or run changed is shown in colour until the next stop.
  sim::State last_stop_;
  sim::State before_last_stop_;
  std::chrono::steady_clock::time_point last_view_;
  std::chrono::steady_clock::time_point run_started_;
  std::uint64_t run_started_cycles_ = 0;
  double cycles_per_ms_ = 2000.0;  // measured while running
  bool real_time_ = false;
  bool placed_ = false;  // the window was put beside the main window once
  std::string source_key_;  // the source file the watch list and board belong to
  std::vector<std::string> watch_names_;
  std::string followed_text_;  // the editor's text when the source was last followed
  bool customised_ = false;    // the user set a watch or the board for this source
};

}  // namespace zorvin::app
