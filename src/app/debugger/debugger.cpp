#include "app/debugger/debugger.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "app/ids.h"
#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_format.h"
#include "asm/dialect/recognition.h"
#include "sim/expectation.h"
#include "ui/debug_marks.h"

namespace zorvin::app {

namespace {

using Clock = std::chrono::steady_clock;

// A slice of the run takes about this long; the timer leaves room between
// slices for the window's own work.
constexpr double kSliceMs = 6.0;
constexpr int kSliceIntervalMs = 10;
// The views follow a running program this often.
constexpr auto kViewInterval = std::chrono::milliseconds(200);

struct Key {
  guint keyval;
  GdkModifierType modifiers;
  int command;
};

// The keys of the Borland family of debuggers (F9 run, F7 trace into, F4 to
// the cursor, Ctrl+F8 breakpoint, Ctrl+F2 reset). Their step over, F8, goes
// through the error lines here, and F10 opens the menu bar as in every GTK
// program: step over is the shifted single step. Going back in time is the
// Ctrl variant of the step and of the run.
constexpr Key kKeys[] = {
    {GDK_KEY_F9, GdkModifierType(0), debug::kRun},
    {GDK_KEY_F9, GDK_SHIFT_MASK, debug::kStop},
    {GDK_KEY_F7, GdkModifierType(0), debug::kStep},
    {GDK_KEY_F7, GDK_SHIFT_MASK, debug::kStepOver},
    {GDK_KEY_F7, GDK_CONTROL_MASK, debug::kStepBack},
    {GDK_KEY_F9, GDK_CONTROL_MASK, debug::kBackToBreakpoint},
    {GDK_KEY_F4, GdkModifierType(0), debug::kRunToCursor},
    {GDK_KEY_F8, GDK_CONTROL_MASK, debug::kToggleBreakpoint},
    {GDK_KEY_F2, GDK_CONTROL_MASK, debug::kReset},
};

sim::Variant variant_of(const std::string& text) {
  const std::string cpu = asm48::recognise_dialect(text).cpu;
  if (cpu.empty()) return sim::Variant::I8048;
  return sim::variant_named(cpu).value_or(sim::Variant::I8048);
}

}  // namespace

Debugger::Debugger(ui::Toolkit& ui, Panes& panes, settings::Settings& settings, std::function<bool()> assemble)
    : ui_(ui), panes_(panes), settings_(settings), assemble_(std::move(assemble)), window_(ui, debug::kWindow) {}

void Debugger::build_menu() {
  ui_.add_menu(window::kMain, debug::kMenu, "Simulator");
  ui_.add_menu_item(debug::kMenu, debug::kShowWindow, "Simulatorfenster");
  ui_.add_menu_item(debug::kMenu, debug::kShowPanel, "Peripherie (LEDs, Schalter, Terminal)");
  ui_.add_menu_item(debug::kMenu, signals::kShow, "Signale");
  ui_.add_menu_item(debug::kMenu, board_window::kShowWindow, "Platine (LCD, Tasten, Host, 8243)");
  ui_.add_menu_separator(debug::kMenu);
  ui_.add_menu_item(debug::kMenu, debug::kRun, "Start / Fortsetzen\tF9");
  ui_.add_menu_item(debug::kMenu, debug::kStop, "Anhalten\tUmschalt+F9");
  ui_.add_menu_item(debug::kMenu, debug::kStep, "Einzelschritt\tF7");
  ui_.add_menu_item(debug::kMenu, debug::kStepOver, "Prozedurschritt\tUmschalt+F7");
  ui_.add_menu_item(debug::kMenu, debug::kRunToCursor, "Ausführen bis Cursor\tF4");
  ui_.add_menu_item(debug::kMenu, debug::kStepBack, "Schritt zurück\tStrg+F7");
  ui_.add_menu_item(debug::kMenu, debug::kBackToBreakpoint, "Zurück bis Haltepunkt\tStrg+F9");
  ui_.add_menu_separator(debug::kMenu);
  ui_.add_menu_item(debug::kMenu, debug::kToggleBreakpoint, "Haltepunkt ein/aus\tStrg+F8");
  ui_.add_menu_item(debug::kMenu, debug::kClearBreakpoints, "Alle Haltepunkte löschen");
  ui_.add_menu_separator(debug::kMenu);
  ui_.add_menu_item(debug::kMenu, debug::kReset, "Zurücksetzen (Reset)\tStrg+F2");
  ui_.add_menu_item(debug::kMenu, debug::kZeroStopwatch, "Stoppuhr nullen");
  profile_.build_menu(debug::kMenu);
  for (const Key& key : kKeys) ui_.add_shortcut(window::kMain, key.keyval, key.command, key.modifiers);
  // The windows are built when first shown (the board's also when a board
  // file is read): a user who never opens the simulator never waits for them.
  panel_.on_settings_changed([this] { keep_source_settings(); });
  for (ui::ToolWindow* window : {&window_, &panel_.window(), &signals_.window(), &board_.window()}) {
    for (const Key& key : kKeys) window->add_key(key.keyval, key.modifiers, key.command);
    window->add_key(GDK_KEY_F5, GdkModifierType(0), command::kAssemble);
  }
}

void Debugger::attach_editor() {
  ui::on_gutter_clicked(ui_, control::kEditor, [this](int line) { toggle_breakpoint(line); });
}

bool Debugger::command(int id) {
  // Before a run the window shows the board the run will have.
  if (id == board_window::kShowWindow && !board_.board()) board_.read(panes_.source_path());
  if (board_.command(id)) return true;
  switch (id) {
    case debug::kShowWindow:
      show_window();
      return true;
    case debug::kShowPanel:
      panel_.show();
      return true;
    case debug::kClearTerminal:
    case debug::kSendWithoutCr:
    case debug::kSendHexByte:
      panel_.terminal_command(id);
      return true;
    case debug::kRun:
      run(std::nullopt);
      return true;
    case debug::kStop:
      stop_run();
      return true;
    case debug::kStep:
      step();
      return true;
    case debug::kStepOver:
      step_over();
      return true;
    case debug::kRunToCursor:
      run_to_cursor();
      return true;
    case debug::kStepBack:
      step_back();
      return true;
    case debug::kBackToBreakpoint:
      back_to_breakpoint();
      return true;
    case debug::kBackToChange:
      back_to_change();
      return true;
    case debug::kToggleBreakpoint:
      toggle_breakpoint(panes_.cursor_line() - 1);
      return true;
    case debug::kClearBreakpoints:
      ui::clear_breakpoints(ui_, control::kEditor);
      sync_breakpoints();
      return true;
    case debug::kReset:
      reset();
      return true;
    case debug::kZeroStopwatch:
      session_.zero_stopwatch();
      refresh(false);
      return true;
    default:
      return profile_.command(id) || signals_.command(id);
  }
}

void Debugger::program_assembled(const asm48::Assembler& assembler, const std::string& text,
                                 const std::string& source_dir) {
  assembled_.emplace(assembler.table(), assembler.extended_listing(), text, source_dir, settings_.fill_byte);
  assembled_variant_ = variant_of(text);
  assembled_text_ = text;
  follow_source(false);
  followed_text_ = text;  // what a save under a new name would carry over
  if (!session_.loaded()) return;  // taken when the user starts
  const bool same = assembled_->image() == session_.lines().image() &&
                    board_.part().value_or(assembled_variant_) == session_.simulator().variant();
  stale_ = false;
  if (same) {
    session_.renew_lines(std::move(*assembled_));
    panes_.append_message("Simulator: Programm unverändert, der Lauf geht weiter.");
  } else {
    stop_run();
    load_program();
    last_stop_ = before_last_stop_ = session_.simulator().state();
    panes_.append_message("Simulator: neues Programm geladen, Neustart ab Reset.");
  }
  assembled_.reset();
  sync_breakpoints();
  refresh(true);
}

void Debugger::source_edited() {
  if (stale_ || !session_.loaded()) return;
  stale_ = true;
  profile_.show(true);  // the figures belong to the text as it was
  // A running program pauses where it is; the window and the message pane
  // both say why.
  const bool was_running = session_.running();
  if (was_running) {
    session_.stop();
    task_.stop();
    before_last_stop_ = last_stop_;
    last_stop_ = session_.simulator().state();
    refresh(false);
  }
  ui::set_current_line(ui_, control::kEditor, -1);
  const std::string why = was_running ? "angehalten: Quelle geändert" : "Quelle geändert";
  panes_.append_message("Simulator: " + why +
                        ". Das Programm passt nicht mehr zum Text; F5 oder ein Schritt assembliert neu.");
  panes_.show_last_message();
  window_.set_status(why + " – F5 oder ein Schritt assembliert neu");
}

void Debugger::source_replaced() {
  ui::clear_breakpoints(ui_, control::kEditor);
  follow_source(true);
  source_edited();
}

// The session runs the program of the last F5 of the current text; an
// older or missing one is assembled first.
bool Debugger::ensure_program() {
  const bool current = session_.loaded() && !stale_;
  if (current) return true;
  if (!assembled_ || assembled_text_ != panes_.editor_text()) {
    if (!assemble_()) {
      panes_.append_message("Simulator: Das Programm hat Fehler – erst beheben, dann starten.");
      panes_.show_last_message();
      return false;
    }
    if (session_.loaded() && !stale_) return true;  // program_assembled took it
  }
  if (!assembled_) return false;
  load_program();
  assembled_.reset();
  stale_ = false;
  last_stop_ = before_last_stop_ = session_.simulator().state();
  sync_breakpoints();
  panes_.append_message(std::string("Simulator: ") + std::string(session_.simulator().part().name) +
                        " bereit, Programm geladen, Reset.");
  panes_.show_last_message();
  show_window();
  refresh(true);
  return true;
}

// A board file beside the source gives the part and the crystal; one with
// a problem is named with its line, and the program runs without it.
void Debugger::load_program() {
  board_.read(panes_.source_path());
  if (!board_.message_after_read().empty()) {
    panes_.append_message(board_.message_after_read() + " – das Programm läuft ohne Platine.");
    panes_.show_last_message();
  }
  const sim::Variant part = board_.part().value_or(assembled_variant_);
  const std::uint64_t clock_hz = board_.clock_hz().value_or(static_cast<std::uint64_t>(settings_.clock_hz));
  session_.load(std::move(*assembled_), part, clock_hz);
  show_clock();
  ++loads_;
  panel_.attach();
  profile_.attach();
  signals_.attach();
  std::string error;
  if (!board_.attach(error)) {
    panes_.append_message("Platine: " + error + " – das Programm läuft ohne Platine.");
    panes_.show_last_message();
  }
}

void Debugger::run(std::optional<int> address) {
  if (session_.running() || !ensure_program()) return;
  session_.start_run(address);
  run_started_ = Clock::now();
  run_started_cycles_ = session_.simulator().state().cycles;
  last_view_ = Clock::now();
  ui::set_current_line(ui_, control::kEditor, -1);
  window_.set_status("Läuft …");
  task_.start(kSliceIntervalMs, [this] { return slice(); });
}

void Debugger::stop_run() {
  if (!session_.running()) return;
  session_.stop();
  task_.stop();
  stopped(DebugStop::User);
}

// A program just loaded stands before its first instruction: the first
// step shows it there, nothing run yet.
void Debugger::step() {
  const int loads = loads_;
  if (session_.running() || !ensure_program()) return;
  if (loads_ != loads) return stopped(DebugStop::Step);
  const bool recorded = session_.history().steps_ahead() > 0;
  stopped(session_.step());
  if (recorded) panel_.show_driven_switches();
}

void Debugger::step_over() {
  const int loads = loads_;
  if (session_.running() || !ensure_program()) return;
  if (loads_ != loads) {
    stopped(DebugStop::Step);
    return;
  }
  if (!session_.start_step_over()) {
    stopped(DebugStop::Step);
    return;
  }
  // The call may take long (a delay loop): it runs like any other run.
  run_started_ = Clock::now();
  run_started_cycles_ = session_.simulator().state().cycles;
  last_view_ = Clock::now();
  task_.start(kSliceIntervalMs, [this] { return slice(); });
}

// Back in time: only in the program that ran (an edited source would need
// a new one, and that starts at reset).
void Debugger::step_back() {
  if (session_.running() || !session_.loaded() || stale_) return;
  if (!session_.step_back()) {
    window_.set_status("Kein früherer Schritt aufgezeichnet");
    return;
  }
  panel_.show_driven_switches();
  stopped(DebugStop::Step);
}

void Debugger::back_to_breakpoint() {
  if (session_.running() || !session_.loaded() || stale_) return;
  const sim::BackStop stop = session_.back_to_breakpoint();
  if (stop != sim::BackStop::Nothing) panel_.show_driven_switches();
  switch (stop) {
    case sim::BackStop::Nothing:
      window_.set_status("Kein früherer Schritt aufgezeichnet");
      return;
    case sim::BackStop::Oldest:
      stopped(DebugStop::Step);
      window_.set_status("Kein Haltepunkt im Verlauf – ältester aufgezeichneter Schritt – " + window_.status());
      return;
    case sim::BackStop::Found:
      stopped(DebugStop::Breakpoint);
      return;
  }
}

// The field "Beobachten" names the value as zorvin-sim's --expect does:
// A, R0-R7, RAM[20], XRAM[05], P1, T, C, ...
void Debugger::back_to_change() {
  if (session_.running() || !session_.loaded() || stale_) return;
  const std::string name = window_.text(debug_field::kBackWatch);
  const sim::ParsedExpectation parsed = sim::parse_expectation(name + "=0");
  if (name.empty() || !parsed.expectation) {
    window_.set_status("Beobachten: '" + name + "' ist kein Wert des Simulators (A, R0-R7, RAM[20], XRAM[05], P1, T …)");
    return;
  }
  const sim::Expectation watched = *parsed.expectation;
  const sim::BackStop stop =
      session_.back_to_change([&](const sim::Simulator& sim) { return sim::observed(sim, watched); });
  if (stop == sim::BackStop::Nothing) {
    window_.set_status("Kein früherer Schritt aufgezeichnet");
    return;
  }
  panel_.show_driven_switches();
  stopped(DebugStop::Step);
  window_.set_status((stop == sim::BackStop::Found ? "Vor der letzten Änderung von " + name
                                                   : name + " hat sich im Verlauf nicht geändert – ältester aufgezeichneter Schritt") +
                     " – " + window_.status());
}

void Debugger::run_to_cursor() {
  if (session_.running() || !ensure_program()) return;
  const int line = panes_.cursor_line();
  const auto address = session_.lines().address_of(line);
  if (!address) {
    panes_.append_message("Simulator: Ab Zeile " + std::to_string(line) + " steht kein Code mehr.");
    panes_.show_last_message();
    return;
  }
  run(*address);
}

void Debugger::toggle_breakpoint(int line) {
  if (line < 0) return;
  ui::set_breakpoint(ui_, control::kEditor, line, !ui::has_breakpoint(ui_, control::kEditor, line));
  sync_breakpoints();
}

// The breakpoints are the marks in the gutter; the simulator stops at the
// first code address of each marked line (or of the next line with code).
void Debugger::sync_breakpoints() {
  if (!session_.loaded() || stale_) return;
  std::vector<int> addresses;
  for (int line : ui::breakpoint_lines(ui_, control::kEditor))
    if (const auto address = session_.lines().address_of(line + 1)) addresses.push_back(*address);
  session_.set_breakpoints(addresses);
}

void Debugger::reset() {
  if (!ensure_program()) return;
  stop_run();
  session_.simulator().reset();
  session_.forget_stack_wrap();
  profile_.clear();
  stopped(DebugStop::Step);
}

std::uint64_t Debugger::slice_budget() const {
  const auto budget = static_cast<std::uint64_t>(cycles_per_ms_ * kSliceMs);
  if (!real_time_) return budget;
  // As many cycles as the crystal would have run since the start.
  const double elapsed_s = std::chrono::duration<double>(Clock::now() - run_started_).count();
  const double due = elapsed_s * static_cast<double>(session_.simulator().clock_hz()) / sim::kClocksPerCycle;
  const double done = static_cast<double>(session_.simulator().state().cycles - run_started_cycles_);
  return due <= done ? 0 : std::min(budget, static_cast<std::uint64_t>(due - done) + 1);
}

bool Debugger::slice() {
  const std::uint64_t budget = slice_budget();
  if (budget == 0) return true;
  const bool flat_out = budget == static_cast<std::uint64_t>(cycles_per_ms_ * kSliceMs);
  const auto begun = Clock::now();
  const std::uint64_t before = session_.simulator().state().cycles;
  const DebugStop why = session_.run_slice(budget);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begun).count();
  const auto done = static_cast<double>(session_.simulator().state().cycles - before);
  // The budget follows the measured speed; a slice far too short to
  // measure lets it grow.
  if (why == DebugStop::Running && done > 0 && flat_out) {
    cycles_per_ms_ = ms < 0.5 ? cycles_per_ms_ * 4 : 0.5 * cycles_per_ms_ + 0.5 * done / ms;
    cycles_per_ms_ = std::clamp(cycles_per_ms_, 100.0, 1.0e7);
  }
  if (why != DebugStop::Running) {
    stopped(why);
    return false;
  }
  if (Clock::now() - last_view_ >= kViewInterval) {
    last_view_ = Clock::now();
    refresh(false);
  }
  return true;
}

void Debugger::stopped(DebugStop why) {
  task_.stop();
  if (why == DebugStop::Undefined) {
    panes_.append_message("Simulator: " + session_.stop_message());
    panes_.show_last_message();
  }
  before_last_stop_ = last_stop_;
  last_stop_ = session_.simulator().state();
  refresh(true);
  if (why == DebugStop::Breakpoint) window_.set_status("Haltepunkt – " + window_.status());
  if (why == DebugStop::Undefined) window_.set_status(session_.stop_message());
}

}  // namespace zorvin::app
