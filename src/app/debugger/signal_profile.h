// Where the time went, beside the editor's lines: the debugger counts every
// step the session's simulator runs (as zorvin-sim --profile does) and
// shows per line its executions and cycles in the gutter whenever the
// program stops; a reset or a new program starts the count again, an edit
// takes the figures away. "Simulator → Laufzeitprofil im Rand" switches it
// off (remembered in zorvin.ini); then nothing is counted.
#pragma once

#include <optional>

#include "app/debugger/debugger_session.h"
#include "settings/settings.h"
#include "sim/profile.h"
#include "ui/toolkit.h"

namespace zorvin::app {

class SignalProfile {
 public:
  SignalProfile(ui::Toolkit& ui, settings::Settings& settings, DebuggerSession& session)
      : ui_(ui), settings_(settings), session_(session) {}

  void build_menu(int menu);
  // Its menu item; false for any other id.
  bool command(int id);
  // The session has a new simulator or was reset: counting starts anew.
  void attach();
  void clear();
  // At a stop: the figures of the run so far; `stale`: the text no longer
  // fits the program, so none.
  void show(bool stale);

  // The counts (none while switched off).
  const sim::Profile* profile() const { return profile_ ? &*profile_ : nullptr; }

 private:
  ui::Toolkit& ui_;
  settings::Settings& settings_;
  DebuggerSession& session_;
  std::optional<sim::Profile> profile_;
};

}  // namespace zorvin::app
