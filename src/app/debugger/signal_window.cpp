#include "app/debugger/signal_window.h"

#include <filesystem>

#include "app/debugger/debugger_format.h"
#include "files/streamed_file.h"

namespace zorvin::app {

namespace {

struct Shown {
  sim::Port port;
  const char* name;
  int width;
};

constexpr Shown kPins[] = {
    {sim::Port::P1, "P1", 8},  {sim::Port::P2, "P2", 8},  {sim::Port::Bus, "BUS", 8},
    {sim::Port::T0, "T0", 1},  {sim::Port::T1, "T1", 1},  {sim::Port::Int, "INT", 1},
};
constexpr int kRows = 8;  // the pins and the two serial lines
constexpr std::size_t kMostSinglePins = 16;

const std::vector<ui::FileFilter> kVcdFilters = {
    {"Signalverläufe (*.vcd)", "*.[vV][cC][dD]"},
    {"Alle Dateien (*.*)", "*"},
};

std::string pin_name(const sim::PinRef& pin) {
  static constexpr const char* kNames[] = {"BUS", "P1", "P2", "P4", "P5", "P6", "P7", "T0", "T1", "INT"};
  std::string text = kNames[static_cast<int>(pin.port)];
  if (pin.bit >= 0) text.append(1, '.').append(std::to_string(pin.bit));
  return text;
}

std::uint8_t bit_of(const sim::PinRef& pin, std::uint8_t level) {
  return static_cast<std::uint8_t>(pin.bit < 0 ? level & 1 : (level >> pin.bit) & 1);
}

}  // namespace

SignalWindow::SignalWindow(ui::Toolkit& ui, DebuggerSession& session, BoardPanel& panel)
    : ui_(ui), session_(session), panel_(panel), window_(ui, signals::kWindow) {}

void SignalWindow::build() {
  window_.create("Signale", 1);
  window_.add_button(signals::kZoomIn, "Vergrößern (+)", "Zeitachse dehnen (auch Strg+Mausrad)");
  window_.add_button(signals::kZoomOut, "Verkleinern (−)", "Zeitachse stauchen (auch Strg+Mausrad)");
  window_.add_button(signals::kZoomAll, "Alles", "Die ganze Aufzeichnung zeigen");
  window_.add_button(signals::kExport, "VCD exportieren …", "Die Aufzeichnung als VCD-Datei speichern, wie zorvin-sim --vcd");
  const int traces = window_.add_group(0, "Pins (Klick: Cursor A, Rechtsklick: Cursor B)");
  window_.add_signal_view(traces, signals::kView, kRows);
  const int cursors = window_.add_group(0, "Cursor");
  window_.add_field(cursors, signals::kCursorA, 0, 0, "A", 22, false);
  window_.add_field(cursors, signals::kCursorB, 0, 1, "B", 22, false);
  window_.add_field(cursors, signals::kCursorDelta, 0, 2, "B − A", 26, false);
  const int singles = window_.add_group(0, "Einzelne Pins");
  window_.add_field(singles, signals::kSinglePins, 0, 0, "Pins (z. B. P1.0 P2.7)", 40, true);
  window_.on_field_edited([this](int id, const std::string& text) {
    if (id == signals::kSinglePins) pins_edited(text);
  });
  view().on_cursors_changed([this] { show_cursors(); });
}

bool SignalWindow::command(int id) {
  switch (id) {
    case signals::kShow:
      show();
      return true;
    case signals::kZoomIn:
      view().zoom(2.0);
      return true;
    case signals::kZoomOut:
      view().zoom(0.5);
      return true;
    case signals::kZoomAll:
      view().zoom_all();
      return true;
    case signals::kExport:
      if (const auto path = ui_.choose_file_to_save("Signale als VCD exportieren", kVcdFilters, "signale.vcd"))
        export_vcd(*path);
      return true;
    default:
      return false;
  }
}

void SignalWindow::show() {
  if (!window_.created()) build();
  if (!window_.visible() && !placed_) window_.place_beside(ui_.gtk_window(window::kMain));
  placed_ = true;
  window_.show();
  refresh();
}

void SignalWindow::attach() {
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  record_.start(sim);
  auto before = sim.pin_listener();
  sim.set_pin_listener([this, before](const sim::PinEvent& event) {
    if (before) before(event);
    record_.pin_changed(session_.simulator(), event);
  });
  if (window_.created()) {
    view().set_cursor(0, std::nullopt);
    view().set_cursor(1, std::nullopt);
  }
  refresh();
}

ui::SignalPicture SignalWindow::picture() const {
  ui::SignalPicture picture;
  const sim::Simulator& sim = session_.simulator();
  picture.begin = record_.start_cycle();
  picture.now = sim.state().cycles;
  picture.end = std::max(record_.last_cycle(), picture.now);
  picture.seconds_per_cycle = sim.seconds(1);
  const auto& levels = record_.start_levels();
  for (const Shown& pin : kPins)
    picture.traces.push_back({pin.name, pin.width, levels[static_cast<std::size_t>(pin.port)], {}});
  // The serial lines and the single pins: one bit of a port each.
  const sim::SerialConfig& line = panel_.serial_config();
  std::vector<sim::PinRef> wires = {line.tx, line.rx};
  wires.insert(wires.end(), single_pins_.begin(), single_pins_.end());
  for (std::size_t i = 0; i < wires.size(); ++i)
    picture.traces.push_back({std::string(i == 0 ? "TX " : i == 1 ? "RX " : "") + pin_name(wires[i]), 1,
                              bit_of(wires[i], levels[static_cast<std::size_t>(wires[i].port)]), {}});
  for (std::size_t i = 0; i < record_.size(); ++i) {
    const sim::RecordedChange& change = record_[i];
    for (std::size_t t = 0; t < std::size(kPins); ++t)
      if (kPins[t].port == change.port) picture.traces[t].changes.emplace_back(change.cycle, change.level);
    for (std::size_t s = 0; s < wires.size(); ++s) {
      if (wires[s].port != change.port) continue;
      ui::SignalTrace& trace = picture.traces[std::size(kPins) + s];
      const std::uint8_t bit = bit_of(wires[s], change.level);
      const std::uint8_t was = trace.changes.empty() ? trace.initial : trace.changes.back().second;
      if (bit != was) trace.changes.emplace_back(change.cycle, bit);
    }
  }
  return picture;
}

// "P1.0 P2.7" or "P1.0, P1.1": port pins shown as wires of their own.
void SignalWindow::pins_edited(const std::string& text) {
  std::vector<sim::PinRef> pins;
  std::string word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (c != ' ' && c != ',' && c != ';' && c != '\t') {
      word += c;
      continue;
    }
    if (word.empty()) continue;
    const auto pin = sim::parse_pin(word);
    if (!pin || pin->bit < 0 || pins.size() == kMostSinglePins) {
      window_.set_status(pins.size() == kMostSinglePins ? "Höchstens " + std::to_string(kMostSinglePins) + " einzelne Pins"
                                                        : "'" + word + "' ist kein Pin eines Ports (P1.0 … P2.7, BUS.0 …)");
      return;
    }
    pins.push_back(*pin);
    word.clear();
  }
  const bool more = pins.size() > single_pins_.size();
  single_pins_ = std::move(pins);
  refresh();
  // More rows: the window grows to show them and what is below them.
  if (GtkWindow* shown = window_.gtk_window(); more && window_.visible() && GTK_IS_WINDOW(shown)) {
    int width = 0, height = 0, natural = 0;
    gtk_window_get_size(shown, &width, &height);
    gtk_widget_get_preferred_height(GTK_WIDGET(shown), nullptr, &natural);
    if (natural > height) gtk_window_resize(shown, width, natural);
  }
}

void SignalWindow::refresh() {
  if (!session_.loaded() || !window_.visible()) return;
  view().set_picture(picture());
  std::string status = std::to_string(record_.size()) + " Pegelwechsel aufgezeichnet";
  if (record_.dropped())
    status += " (die letzten " + std::to_string(record_.capacity()) + ", ältere verworfen)";
  window_.set_status(status);
  show_cursors();
}

void SignalWindow::show_cursors() {
  if (!session_.loaded()) return;
  const sim::Simulator& sim = session_.simulator();
  const auto a = view().cursor(0);
  const auto b = view().cursor(1);
  auto at = [&](std::optional<std::uint64_t> cycle) {
    return cycle ? time_text(sim.seconds(*cycle)) + " (" + std::to_string(*cycle) + ")" : std::string("–");
  };
  window_.set_text(signals::kCursorA, at(a));
  window_.set_text(signals::kCursorB, at(b));
  if (!a || !b) {
    window_.set_text(signals::kCursorDelta, "–");
    return;
  }
  const std::uint64_t cycles = *a < *b ? *b - *a : *a - *b;
  window_.set_text(signals::kCursorDelta,
                   std::string(*b < *a ? "−" : "") + time_text(sim.seconds(cycles)) + " = " + std::to_string(cycles) + " Zyklen");
}

bool SignalWindow::export_vcd(const std::string& path) {
  if (!session_.loaded()) {
    window_.set_status("Noch nichts aufgezeichnet – erst das Programm im Simulator starten");
    return false;
  }
  files::StreamedFile file;
  bool ok = file.open(path);
  if (ok) {
    const sim::Simulator& sim = session_.simulator();
    sim::write_vcd(file.file(), record_, sim.part().name, sim.clock_hz());
    ok = file.commit();
  }
  if (!ok) {
    window_.set_status(path + " – nicht gespeichert (" + file.error() + ")");
    return false;
  }
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  window_.set_status(path + " (" + std::to_string(size) + " Byte) gespeichert");
  return true;
}

}  // namespace zorvin::app
