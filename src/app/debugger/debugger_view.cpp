// The debugger window: its layout, the values it shows, and what the user
// changes in it.
#include <array>
#include <memory>
#include <optional>

#include "app/debugger/debugger.h"
#include "app/debugger/debugger_code.h"
#include "app/debugger/debugger_watch.h"
#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_format.h"
#include "app/ids.h"
#include "ui/debug_marks.h"
#include "ui/dock.h"

namespace zorvin::app {

namespace f = debug_field;

namespace {

struct PortRow {
  sim::Port port;
  const char* name;
  int latch, pins, input;
};

constexpr std::array<PortRow, 3> kPorts = {{
    {sim::Port::P1, "P1", f::kP1Latch, f::kP1Pins, f::kP1Input},
    {sim::Port::P2, "P2", f::kP2Latch, f::kP2Pins, f::kP2Input},
    {sim::Port::Bus, "BUS", f::kBusLatch, f::kBusPins, f::kBusInput},
}};

std::uint8_t latch_of(const sim::State& s, sim::Port port) {
  return port == sim::Port::P1 ? s.p1 : port == sim::Port::P2 ? s.p2 : s.bus;
}

std::uint8_t& latch_of(sim::State& s, sim::Port port) {
  return port == sim::Port::P1 ? s.p1 : port == sim::Port::P2 ? s.p2 : s.bus;
}

const char* mode_text(sim::TimerMode mode) {
  switch (mode) {
    case sim::TimerMode::Timer: return "Zeitgeber";
    case sim::TimerMode::Counter: return "Zähler";
    default: return "gestoppt";
  }
}

// The mode typed as it is shown, or its first letters ("z" is ambiguous).
std::optional<sim::TimerMode> mode_named(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  if (text.empty()) return std::nullopt;
  std::optional<sim::TimerMode> found;
  for (sim::TimerMode mode : {sim::TimerMode::Stopped, sim::TimerMode::Timer, sim::TimerMode::Counter}) {
    const std::string name = mode_text(mode);
    if (text.size() > name.size()) continue;
    if (g_ascii_strncasecmp(text.c_str(), name.c_str(), text.size()) != 0) continue;
    if (found) return std::nullopt;
    found = mode;
  }
  return found;
}

// A count typed in decimal, digits only.
std::optional<std::uint64_t> parse_count(const std::string& text) {
  std::uint64_t value = 0;
  int digits = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (c < '0' || c > '9' || ++digits > 15) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (digits == 0) return std::nullopt;
  return value;
}

}  // namespace

void Debugger::build_window() {
  window_.create(kWindowTitle, 3);
  window_.add_button(debug::kRun, "Start (F9)", "Start / Fortsetzen");
  window_.add_button(debug::kStop, "Anhalten", "Anhalten (Umschalt+F9)");
  window_.add_button(debug::kStep, "Schritt (F7)", "Einzelschritt");
  window_.add_button(debug::kStepOver, "Prozedurschritt (Umschalt+F7)", "Ein call läuft bis zu seiner Rückkehr");
  window_.add_button(debug::kRunToCursor, "Bis Cursor (F4)", "Ausführen bis zur Zeile des Cursors");
  window_.add_button(debug::kStepBack, "Zurück (Strg+F7)", "Schritt zurück: der Zustand vor dem letzten Schritt");
  window_.add_button(debug::kBackToBreakpoint, "Zurück bis Haltepunkt (Strg+F9)",
                     "Rückwärts bis zum letzten Haltepunkt im aufgezeichneten Verlauf");
  window_.add_button(debug::kReset, "Reset", "Zurücksetzen wie der RESET-Anschluss (Strg+F2)");

  const int registers = window_.add_group(0, "Register");
  window_.add_field(registers, f::kPc, 0, 0, "PC", 4, true);
  window_.add_field(registers, f::kA, 0, 1, "A", 3, true);
  window_.add_field(registers, f::kPsw, 1, 0, "PSW", 4, true);
  window_.add_field(registers, f::kSp, 1, 1, "SP (0-7)", 3, true);
  window_.add_check(registers, f::kCarry, 2, 0, "C", true);
  window_.add_check(registers, f::kAuxCarry, 2, 1, "AC", true);
  window_.add_check(registers, f::kF0, 2, 2, "F0", true);
  window_.add_check(registers, f::kF1, 3, 0, "F1", true);
  window_.add_check(registers, f::kBank, 3, 1, "BS (Bank 1)", true);
  window_.add_check(registers, f::kMemoryBank, 3, 2, "MBF", true);
  const int instruction = window_.add_group(0, "Befehl am PC");
  window_.add_field(instruction, f::kInstruction, 0, 0, "", 26, false);
  // Docked, the groups stand one below the other in this order: what is
  // looked at with every step first. The ones looked at less often start
  // collapsed: the pane opens quicker, with more of it in sight.
  const int watch = window_.add_group(2, "Beobachten: Namen, Register, RAM-Adressen, X:Adresse");
  window_.add_field(watch, f::kWatchNames, 0, 0, "", 44, true);
  window_.add_text_view(watch, f::kWatch, 1, 4, 46);
  const int stack = window_.add_group(2, "Aufrufe (Stapel RAM 08H-17H)");
  window_.add_text_view(stack, f::kCallStack, 0, 5, 46);
  for (int bank = 0; bank < 2; ++bank) {
    const int group = window_.add_group(0, bank == 0 ? "Bank 0 (RAM 00H-07H)" : "Bank 1 (RAM 18H-1FH)", bank == 0);
    const int first = bank == 0 ? f::kBank0 : f::kBank1;
    for (int n = 0; n < 8; ++n)
      window_.add_field(group, first + n, n % 4, n / 4, std::string(1, 'R').append(std::to_string(n)), 3, true);
  }

  const int timer = window_.add_group(1, "Zeitgeber / Zähler", false);
  window_.add_field(timer, f::kTimer, 0, 0, "T", 3, true);
  window_.add_field(timer, f::kPrescaler, 0, 1, "Vorteiler (0-1F)", 3, true);
  window_.add_field(timer, f::kTimerMode, 1, 0, "Modus", 9, true);
  window_.add_check(timer, f::kTimerFlag, 1, 1, "TF", true);
  window_.add_check(timer, f::kInterruptEnabled, 2, 0, "EN I", true);
  window_.add_check(timer, f::kTimerInterruptEnabled, 2, 1, "EN TCNTI", true);
  window_.add_check(timer, f::kInInterrupt, 3, 0, "Interrupt läuft", false);

  const int ports = window_.add_group(1, "Ports (Latch, Pins, Eingang von außen)");
  for (std::size_t i = 0; i < kPorts.size(); ++i) {
    const int row = static_cast<int>(i);
    window_.add_field(ports, kPorts[i].latch, row, 0, kPorts[i].name, 3, true);
    window_.add_field(ports, kPorts[i].pins, row, 1, "Pins", 3, false);
    window_.add_field(ports, kPorts[i].input, row, 2, "Eingang", 3, true);
  }
  const int inputs = window_.add_group(1, "Eingänge (angehakt = 1)", false);
  window_.add_check(inputs, f::kT0, 0, 0, "T0", true);
  window_.add_check(inputs, f::kT1, 0, 1, "T1", true);
  window_.add_check(inputs, f::kInt, 0, 2, "INT (aktiv 0)", true);

  const int time = window_.add_group(1, "Zeit", false);
  window_.add_field(time, f::kClock, 0, 0, "Takt (MHz)", 10, true);
  window_.add_check(time, f::kRealTime, 0, 1, "Echtzeit", true);
  window_.add_field(time, f::kCycles, 1, 0, "Zyklen (dez.)", 12, true);
  window_.add_field(time, f::kTime, 1, 1, "Zeit", 14, false);
  window_.add_field(time, f::kStopwatchCycles, 2, 0, "Stoppuhr (dez.)", 12, false);
  window_.add_field(time, f::kStopwatchTime, 2, 1, "", 14, false);
  window_.add_button_in_group(time, debug::kZeroStopwatch, 3, 0, "Stoppuhr nullen");

  const int history = window_.add_group(1, "Verlauf", false);
  window_.add_field(history, f::kBackWatch, 0, 0, "Wert", 10, true);
  window_.add_button_in_group(history, debug::kBackToChange, 0, 1, "Zurück bis Änderung");

  const int ram = window_.add_group(2, "Interner RAM");
  window_.add_hex_grid(ram, f::kRam, 64);
  const int xram = window_.add_group(2, "Externer RAM (MOVX)", false);
  window_.add_hex_grid(xram, f::kExternalRam, 256, 4);
  const int code = window_.add_group(1, "Code um den PC", false);
  window_.add_text_view(code, f::kCode, 0, 9, 48);

  window_.on_field_edited([this](int id, const std::string& text) { field_edited(id, text); });
  window_.on_check_toggled([this](int id, bool ticked) { check_toggled(id, ticked); });
  window_.on_cell_edited([this](int id, int index, const std::string& text) { ram_edited(id, index, text); });
  show_clock();  // built after a load, it shows the crystal the program runs at (a board's)
  std::string watches;
  for (const std::string& name : watch_names_) watches += (watches.empty() ? "" : ", ") + name;
  window_.set_text(f::kWatchNames, watches);
  window_.set_status("Kein Programm geladen – F9 oder F7 assembliert und startet.");
}

// The crystal the program runs at: once loaded the run's (a board's
// crystal or the setting), before that the setting.
void Debugger::show_clock() {
  const std::uint64_t clock_hz =
      session_.loaded() ? session_.simulator().clock_hz() : static_cast<std::uint64_t>(settings_.clock_hz);
  window_.set_text(f::kClock, mhz_text(static_cast<std::int32_t>(clock_hz)));
}

void Debugger::show_window() {
  const bool first = !window_.created();
  if (first) build_window();
  if (!window_.visible() && !placed_) window_.place_beside(ui_.gtk_window(window::kMain));
  placed_ = true;
  window_.show();
  if (first && session_.loaded() && !session_.running()) {
    refresh(true);  // the status line tells where it stands
    return;
  }
  refresh(false);
}

// The panes that were open when the program last ended.
void Debugger::reopen_panes() {
  const ui::Dock* dock = ui_.dock();
  if (!dock) return;
  if (ui::parse_pane_layout(dock->layout(kWindowTitle)).open) show_window();
  if (ui::parse_pane_layout(dock->layout(BoardPanel::kTitle)).open) panel_.show();
}

// Every value of the simulator into the window; `at_stop` also marks the
// current line in the editor. Values that differ from the last stop are
// shown in colour.
void Debugger::refresh(bool at_stop) {
  if (!session_.loaded()) return;
  const sim::Simulator& sim = session_.simulator();
  const sim::State& s = sim.state();
  // Running: what changed since the stop; stopped: what the last step or
  // run changed (an edit in the window changes neither).
  const sim::State& was = session_.running() ? last_stop_ : before_last_stop_;
  auto byte = [&](int id, std::uint8_t now, std::uint8_t before) { window_.set_text(id, hex_text(now, 2), now != before); };
  auto flag = [&](int id, bool now, bool before) { window_.set_check(id, now, now != before); };

  window_.set_text(f::kPc, hex_text(s.pc, 3), s.pc != was.pc);
  byte(f::kA, s.a, was.a);
  const std::uint8_t psw = sim.psw();
  byte(f::kPsw, psw, static_cast<std::uint8_t>((was.carry << 7) | (was.aux_carry << 6) | (was.f0 << 5) |
                                               (was.bank1 << 4) | 0x08 | was.sp));
  window_.set_text(f::kSp, std::to_string(s.sp), s.sp != was.sp);
  flag(f::kCarry, s.carry, was.carry);
  flag(f::kAuxCarry, s.aux_carry, was.aux_carry);
  flag(f::kF0, s.f0, was.f0);
  flag(f::kF1, s.f1, was.f1);
  flag(f::kBank, s.bank1, was.bank1);
  flag(f::kMemoryBank, s.memory_bank1, was.memory_bank1);
  window_.set_text(f::kInstruction, hex_text(s.pc, 3) + "H: " + named_instruction(sim, session_.lines(), s.pc));
  const int ram_size = sim.part().ram_size;
  for (int n = 0; n < 8; ++n) {
    byte(f::kBank0 + n, s.ram[static_cast<std::size_t>(n)], was.ram[static_cast<std::size_t>(n)]);
    byte(f::kBank1 + n, s.ram[static_cast<std::size_t>(24 + n)], was.ram[static_cast<std::size_t>(24 + n)]);
  }
  byte(f::kTimer, s.timer, was.timer);
  window_.set_text(f::kPrescaler, hex_text(s.prescaler, 2), s.prescaler != was.prescaler);
  window_.set_text(f::kTimerMode, mode_text(s.timer_mode), s.timer_mode != was.timer_mode);
  flag(f::kTimerFlag, s.timer_flag, was.timer_flag);
  flag(f::kInterruptEnabled, s.interrupt_enabled, was.interrupt_enabled);
  flag(f::kTimerInterruptEnabled, s.timer_interrupt_enabled, was.timer_interrupt_enabled);
  flag(f::kInInterrupt, s.in_interrupt, was.in_interrupt);
  for (const PortRow& port : kPorts) {
    byte(port.latch, latch_of(s, port.port), latch_of(was, port.port));
    window_.set_text(port.pins, hex_text(sim.pin_level(port.port), 2));
    window_.set_text(port.input, hex_text(sim.driven(port.port), 2));
  }
  window_.set_check(f::kT0, sim.driven(sim::Port::T0) != 0);
  window_.set_check(f::kT1, sim.driven(sim::Port::T1) != 0);
  window_.set_check(f::kInt, sim.driven(sim::Port::Int) != 0);
  window_.set_text(f::kCycles, std::to_string(s.cycles), s.cycles != was.cycles);
  window_.set_text(f::kTime, time_text(sim.seconds(s.cycles)));
  window_.set_text(f::kStopwatchCycles, std::to_string(session_.stopwatch_cycles()));
  window_.set_text(f::kStopwatchTime, time_text(sim.seconds(session_.stopwatch_cycles())));
  window_.set_check(f::kRealTime, real_time_);

  // Plain bools: std::vector<bool> has no contiguous storage.
  const auto ram_bytes = static_cast<std::size_t>(ram_size);
  std::unique_ptr<bool[]> changed(new bool[ram_bytes]);
  for (std::size_t i = 0; i < ram_bytes; ++i) changed[i] = s.ram[i] != was.ram[i];
  window_.set_bytes(f::kRam, std::span(s.ram.data(), ram_bytes), std::span<const bool>(changed.get(), ram_bytes));
  std::array<bool, 256> xram_changed{};
  for (std::size_t i = 0; i < xram_changed.size(); ++i) xram_changed[i] = s.xram[i] != was.xram[i];
  window_.set_bytes(f::kExternalRam, s.xram, xram_changed);
  window_.set_all_text(f::kCode, code_around(sim, session_.lines(), 3, 5));
  window_.set_all_text(f::kCallStack, call_stack(sim, session_.lines(), session_.stack_wrapped()));
  std::vector<std::string> watched;
  std::vector<bool> watched_changed;
  for (const WatchLine& line : watch_lines(watch_names_, sim, was, session_.lines())) {
    watched.push_back(line.text);
    watched_changed.push_back(line.changed);
  }
  window_.set_lines(f::kWatch, watched, watched_changed);
  panel_.refresh();
  signals_.refresh();
  if (!session_.running()) profile_.show(stale_);
  board_.refresh();
  if (session_.running()) {
    window_.set_status("Läuft … " + std::string(sim.part().name) + ", PC " + hex_text(s.pc, 3) + "H");
  } else if (at_stop) {
    show_place();
  }
}

// The line the program stands at: marked in the editor, and told in the
// status line (the included file and its line, or the instruction when no
// source line has it).
void Debugger::show_place() {
  const sim::Simulator& sim = session_.simulator();
  const std::uint16_t pc = sim.state().pc;
  std::string place = std::string(sim.part().name) + " angehalten bei " + hex_text(pc, 3) + "H";
  if (const std::string label = session_.lines().name_of(pc); !label.empty() && !stale_) place += " (" + label + ")";
  if (stale_) {
    ui::set_current_line(ui_, control::kEditor, -1);
    window_.set_status(place + " – Quelle geändert, keine Zeile");
    return;
  }
  const auto line = session_.lines().line_of(pc);
  ui::set_current_line(ui_, control::kEditor, line ? *line - 1 : -1);
  if (!line) {
    place += ", ohne Quellzeile: " + named_instruction(sim, session_.lines(), pc);
  } else {
    place += ", Zeile " + std::to_string(*line);
    const std::string origin = session_.lines().origin_of(pc);
    if (!origin.empty()) place += " – " + origin;
  }
  window_.set_status(place);
}

void Debugger::field_edited(int id, const std::string& text) {
  if (id == f::kBackWatch) {  // Return in the field runs back to the change
    back_to_change();
    return;
  }
  if (id == f::kWatchNames) {
    watch_names_ = watch_names(text);
    keep_source_settings();
    refresh(false);
    return;
  }
  if (id == f::kClock) {
    // The board's crystal is the run's: it is changed in its file.
    if (board_.board()) {
      show_clock();
      window_.set_status("Der Takt kommt aus der Platinendatei (Quarz unter [Platine]) und wird dort geändert.");
      return;
    }
    if (const auto hz = parse_mhz(text)) {
      settings_.clock_hz = *hz;
      session_.simulator().set_clock_hz(static_cast<std::uint64_t>(*hz));
      panel_.attach();  // the bit time follows the crystal
    }
    show_clock();
    refresh(false);
    return;
  }
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  sim::State& s = sim.state();
  if (id == f::kTimerMode) {
    if (const auto mode = mode_named(text)) s.timer_mode = *mode;
    refresh(!session_.running());
    return;
  }
  if (id == f::kCycles) {
    if (const auto count = parse_count(text); count && !session_.running()) {
      session_.set_cycles(*count);
      panel_.attach();  // the terminal counts its bits from the new figure
    }
    refresh(!session_.running());
    return;
  }
  const unsigned max = id == f::kPc ? 0xFFF : id == f::kSp ? 7 : id == f::kPrescaler ? 0x1F : 0xFF;
  const auto value = parse_hex(text, max);
  if (value) {
    const auto v = static_cast<std::uint8_t>(*value);
    if (id == f::kPc) s.pc = static_cast<std::uint16_t>(*value);
    if (id == f::kA) s.a = v;
    if (id == f::kPsw) sim.set_psw(v);
    if (id == f::kSp) s.sp = v;
    if (id >= f::kBank0 && id < f::kBank0 + 8) s.ram[static_cast<std::size_t>(id - f::kBank0)] = v;
    if (id >= f::kBank1 && id < f::kBank1 + 8) s.ram[static_cast<std::size_t>(24 + id - f::kBank1)] = v;
    if (id == f::kTimer) s.timer = v;
    if (id == f::kPrescaler) s.prescaler = v;
    for (const PortRow& port : kPorts) {
      if (id == port.latch) latch_of(s, port.port) = v;
      if (id == port.input) sim.drive(port.port, v);
    }
  }
  // A value that is no number goes back to what the simulator holds.
  refresh(!session_.running());
}

void Debugger::check_toggled(int id, bool ticked) {
  if (id == f::kRealTime) {
    real_time_ = ticked;
    run_started_ = std::chrono::steady_clock::now();
    if (session_.loaded()) run_started_cycles_ = session_.simulator().state().cycles;
    return;
  }
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  sim::State& s = sim.state();
  if (id == f::kCarry) s.carry = ticked;
  if (id == f::kAuxCarry) s.aux_carry = ticked;
  if (id == f::kF0) s.f0 = ticked;
  if (id == f::kF1) s.f1 = ticked;
  if (id == f::kBank) s.bank1 = ticked;
  if (id == f::kMemoryBank) s.memory_bank1 = ticked;
  if (id == f::kTimerFlag) s.timer_flag = ticked;
  if (id == f::kInterruptEnabled) s.interrupt_enabled = ticked;
  if (id == f::kTimerInterruptEnabled) s.timer_interrupt_enabled = ticked;
  if (id == f::kT0) sim.drive(sim::Port::T0, ticked ? 1 : 0);
  if (id == f::kT1) sim.drive(sim::Port::T1, ticked ? 1 : 0);
  if (id == f::kInt) sim.drive(sim::Port::Int, ticked ? 1 : 0);
  refresh(!session_.running());
}

void Debugger::ram_edited(int id, int index, const std::string& text) {
  if (!session_.loaded()) return;
  sim::State& s = session_.simulator().state();
  const bool external = id == f::kExternalRam;
  if (index < 0 || index >= (external ? 256 : session_.simulator().part().ram_size)) return;
  if (const auto value = parse_hex(text, 0xFF)) {
    (external ? s.xram : s.ram)[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(*value);
    // The view shows a board's RAM at bus addresses 00H-FFH: an edit goes there too.
    board::Board* devices = board_.board();
    if (external && devices && devices->file().ram) {
      const auto& ram = *devices->file().ram;
      const auto address = static_cast<std::uint32_t>(index);
      if (address >= ram.address && address < ram.address + ram.size)
        devices->ram()[address - ram.address] = static_cast<std::uint8_t>(*value);
    }
  }
  refresh(!session_.running());
}

}  // namespace zorvin::app
