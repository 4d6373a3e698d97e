#include "app/board/board_window.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/debugger/debugger_format.h"
#include "app/ids.h"
#include "board/board_file_edit.h"
#include "files/binary_path.h"
#include "files/file_rewrite.h"

namespace zorvin::app {

namespace field = board_field;

namespace {

constexpr sim::Port kExpanderPorts[] = {sim::Port::P4, sim::Port::P5, sim::Port::P6, sim::Port::P7};

// What the keys of a PC keyboard are called on a board's keys.
struct Alias {
  const char* typed;
  const char* key;
};
constexpr Alias kAliases[] = {
    {"*", "STERN"},        {"#", "RAUTE"},         {"Return", "ENTER"},   {"Return", "EINGABE"},
    {"KP_Enter", "ENTER"}, {"KP_Enter", "EINGABE"}, {"space", "LEER"},    {"space", "SPACE"},
    {"Shift_L", "SHIFT"},  {"Shift_R", "SHIFT"},   {"BackSpace", "DEL"},  {"Delete", "DEL"},
    {"Escape", "ESC"},     {"KP_Multiply", "STERN"}, {"KP_Add", "+"},     {"KP_Subtract", "-"},
};

// Below the working folder the path is shown from there (it is long).
std::string shown_path(const std::string& path) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  const std::string prefix = folder.string() + "/";
  if (error || !path.starts_with(prefix)) return path;
  return path.substr(prefix.size());
}

std::string status_text(std::uint8_t status) {
  return hex_text(status, 2) + "H  OBF=" + std::to_string(status & 1) + " IBF=" + std::to_string((status >> 1) & 1) +
         " F0=" + std::to_string((status >> 2) & 1) + " F1=" + std::to_string((status >> 3) & 1);
}

}  // namespace

BoardWindow::BoardWindow(ui::Toolkit& ui, DebuggerSession& session)
    : ui_(ui), session_(session), window_(ui, board_window::kWindow) {}

void BoardWindow::build() {
  window_.create("Platine", 2);
  const int file = window_.add_group(0, "Platinendatei");
  window_.add_field(file, field::kFile, 0, 0, "Datei", 30, false);
  lcd_group_ = window_.add_group(0, "LCD (HD44780)");
  window_.add_lcd(lcd_group_, field::kLcd, 0);
  keys_group_ = window_.add_group(0, "Tastatur (Maus oder PC-Tasten)");
  window_.add_key_pad(keys_group_, field::kKeys, 0);
  host_group_ = window_.add_group(1, "Host (UPI-Datenbus)");
  window_.add_field(host_group_, field::kHostByte, 0, 0, "Byte (hex)", 4, true);
  window_.add_button_in_group(host_group_, board_window::kHostWriteData, 1, 0, "Daten schreiben");
  window_.add_button_in_group(host_group_, board_window::kHostWriteCommand, 1, 1, "Befehl schreiben");
  window_.add_button_in_group(host_group_, board_window::kHostRead, 2, 0, "Daten lesen");
  window_.add_button_in_group(host_group_, board_window::kHostStatus, 2, 1, "Status lesen");
  window_.add_field(host_group_, field::kHostStatus, 3, 0, "Status", 24, false);
  window_.add_text_view(host_group_, field::kHostLog, 4, 10, 34);
  window_.add_button_in_group(host_group_, board_window::kClearHostLog, 5, 1, "Protokoll leeren");
  expander_group_ = window_.add_group(1, "8243 an P20-P23: LEDs, Schalter (angehakt = 1), Richtung");
  for (int port = 0; port < 4; ++port) {
    const std::string name = "P" + std::to_string(4 + port);
    window_.add_port_leds(expander_group_, field::kExpanderLeds + port, port, name, 4);
    for (int bit = 3; bit >= 0; --bit) {
      const int id = field::kExpanderSwitches + 4 * port + bit;
      window_.add_check(expander_group_, id, port, 2 + (3 - bit), std::to_string(bit), true);
      window_.set_check(id, true);
    }
    window_.add_field(expander_group_, field::kExpanderDirections + port, port, 6, "", 8, false);
  }
  window_.on_pad_key([this](int, int row, int column, const std::string& typed, bool down) {
    return pad_key(row, column, typed, down);
  });
  window_.on_check_toggled([this](int id, bool ticked) { check_toggled(id, ticked); });
  build_for_file();
}

// The groups of the devices the board has; the others stay hidden.
void BoardWindow::build_for_file() {
  window_.set_text(field::kFile, path_.empty() ? "keine (Name der Quelle mit .ini, neben ihr)" : shown_path(path_));
  const bool lcd = file_ && file_->lcd;
  const bool keys = file_ && file_->keyboard;
  window_.set_group_visible(lcd_group_, lcd);
  window_.set_group_visible(keys_group_, keys);
  window_.set_group_visible(expander_group_, file_ && file_->expander);
  // The 8243's switches as the file sets their pins (high without a level).
  for (int port = 0; port < 4; ++port)
    for (int bit = 0; bit < 4; ++bit) {
      bool high = true;
      if (file_)
        for (const board::PinLevel& level : file_->levels)
          if (level.pin.port == kExpanderPorts[port] && level.pin.bit == bit) high = level.high;
      window_.set_check(field::kExpanderSwitches + 4 * port + bit, high);
    }
  window_.set_group_visible(host_group_, file_ && file_->host);
  if (lcd) {
    const std::string blank(static_cast<std::size_t>(file_->lcd->columns), ' ');
    window_.set_lcd(field::kLcd, std::vector<std::string>(static_cast<std::size_t>(file_->lcd->rows), blank), false);
  }
  window_.set_key_pad(field::kKeys, keys ? file_->keyboard->layout : std::vector<std::vector<std::string>>{});
  held_.clear();
  pressed_at_.clear();
  releases_.clear();
}

void BoardWindow::show() {
  if (!window_.created()) {
    build();
    build_for_file();
  }
  if (!window_.visible() && !placed_) window_.place_beside(ui_.gtk_window(window::kMain));
  placed_ = true;
  window_.show();
  refresh();
}

void BoardWindow::read(const std::string& source_path) {
  SourceBoard read = read_source_board(source_path);
  read_message_ = read.error;
  const bool changed = read.path != path_ || read.board.has_value() != file_.has_value();
  path_ = read.path;
  file_ = std::move(read.board);
  // Built for a board, or when first shown.
  if (file_ && !window_.created()) build();
  if (window_.created() && (changed || file_)) build_for_file();
}

std::optional<sim::Variant> BoardWindow::part() const {
  return file_ ? std::optional<sim::Variant>(file_->part) : std::nullopt;
}

std::optional<std::uint64_t> BoardWindow::clock_hz() const {
  return file_ ? std::optional<std::uint64_t>(file_->clock_hz) : std::nullopt;
}

bool BoardWindow::attach(std::string& error) {
  board_.reset();
  shown_faults_ = 0;
  if (!file_ || !session_.loaded()) return true;
  sim::Simulator& sim = session_.simulator();
  auto fresh = std::make_unique<board::Board>(*file_);
  auto earlier = sim.pin_listener();
  if (!fresh->attach(sim, error)) {
    sim.set_pin_listener(earlier);
    return false;
  }
  board::Board* devices = fresh.get();
  sim.set_pin_listener([devices, earlier](const sim::PinEvent& event) {
    devices->pin_changed(event);
    if (earlier) earlier(event);
  });
  // The 8243's switches stand as the file's levels, which the board drives:
  // driving them here as well would override key columns on those pins.
  board_ = std::move(fresh);
  held_.clear();
  pressed_at_.clear();
  releases_.clear();
  show_keys();
  refresh();
  return true;
}

void BoardWindow::refresh() {
  if (!board_ || !session_.loaded()) return;
  release_due();
  const sim::Simulator& sim = session_.simulator();
  if (const board::Lcd* lcd = board_->lcd()) {
    window_.set_lcd(field::kLcd, lcd->lines(), lcd->display_on());
    // A byte the display lost is a fault of the program: the status line says where.
    if (lcd->faults().size() > shown_faults_) {
      shown_faults_ = lcd->faults().size();
      const board::LcdFault& fault = lcd->faults().back();
      window_.set_status("LCD bei Zyklus " + std::to_string(fault.cycle) + ": " + fault.text +
                         (shown_faults_ > 1 ? " (" + std::to_string(shown_faults_) + " Fehler)" : ""));
    }
  }
  if (file_->host) window_.set_text(field::kHostStatus, status_text(sim.host_status()));
  if (file_->expander)
    for (int port = 0; port < 4; ++port) {
      window_.set_leds(field::kExpanderLeds + port, sim.pin_level(kExpanderPorts[port]) & 0x0F);
      // movd a,p makes a port an input, movd/anld/orld p,a an output.
      const bool output = (sim.state().expander_outputs >> port) & 1;
      window_.set_text(field::kExpanderDirections + port, output ? "Ausgang" : "Eingang");
    }
}

std::optional<board::KeyPosition> BoardWindow::key_for_typed(const board::Board& board, const std::string& typed) {
  if (auto key = board.key_named(typed)) return key;
  // The keypad's digits are the digits.
  if (typed.size() == 4 && typed.starts_with("KP_") && typed[3] >= '0' && typed[3] <= '9')
    return board.key_named(typed.substr(3));
  for (const Alias& alias : kAliases)
    if (typed == alias.typed)
      if (auto key = board.key_named(alias.key)) return key;
  return std::nullopt;
}

// A key goes down and up with the mouse button or the PC's key; a latching
// key changes with each press. A PC key held down repeats its press: only
// the first counts.
bool BoardWindow::pad_key(int row, int column, const std::string& typed, bool down) {
  if (!file_ || !file_->keyboard) return false;
  if (!board_) {
    if (down) window_.set_status("Die Tasten wirken, sobald das Programm im Simulator geladen ist (F7 oder F9).");
    return row >= 0;
  }
  board::KeyPosition key{row, column};
  if (row < 0) {
    const auto found = key_for_typed(*board_, typed);
    if (!found) return false;
    key = *found;
  }
  // The attached board's layout, even after a new file was read.
  if (!board_->file().keyboard) return false;
  const auto& layout = board_->file().keyboard->layout;
  if (static_cast<std::size_t>(key.row) >= layout.size() ||
      static_cast<std::size_t>(key.column) >= layout[static_cast<std::size_t>(key.row)].size())
    return false;
  const auto place = std::make_pair(key.row, key.column);
  const bool was_held = held_.count(place) != 0;
  if (down == was_held) return true;
  if (down) held_.insert(place);
  else held_.erase(place);
  const std::string& name = layout[static_cast<std::size_t>(key.row)][static_cast<std::size_t>(key.column)];
  const std::uint64_t now = session_.simulator().state().cycles;
  if (board_->latching(name)) {
    if (down) board_->set_contact(key, !board_->contact(key));
  } else if (down) {
    releases_.erase(place);
    pressed_at_[place] = now;
    board_->set_contact(key, true);
  } else if (now - std::min(now, pressed_at_[place]) >= shortest_press()) {
    board_->set_contact(key, false);
  } else {
    releases_[place] = pressed_at_[place] + shortest_press();
  }
  show_keys();
  refresh();
  return true;
}

// 30 ms and the bounce twice: a click of the mouse may take no simulated
// time at all, and a keyboard controller scans every few milliseconds.
std::uint64_t BoardWindow::shortest_press() const {
  const std::uint64_t ms = 30 + 2 * static_cast<std::uint64_t>(file_->keyboard->bounce_ms);
  return ms * session_.simulator().clock_hz() / (1000 * sim::kClocksPerCycle);
}

void BoardWindow::release_due() {
  const std::uint64_t now = session_.simulator().state().cycles;
  bool released = false;
  for (auto release = releases_.begin(); release != releases_.end();) {
    if (release->second > now) {
      ++release;
      continue;
    }
    board_->set_contact({release->first.first, release->first.second}, false);
    release = releases_.erase(release);
    released = true;
  }
  if (released) show_keys();
}

// Keys down: held ones and those whose contact is closed.
void BoardWindow::show_keys() {
  if (!file_ || !file_->keyboard) return;
  const auto& layout = file_->keyboard->layout;
  for (std::size_t row = 0; row < layout.size(); ++row)
    for (std::size_t column = 0; column < layout[row].size(); ++column) {
      const board::KeyPosition key{static_cast<int>(row), static_cast<int>(column)};
      // The attached board may still have another file's matrix.
      const bool on_board = board_ && board_->file().keyboard && row < board_->file().keyboard->layout.size() &&
                            column < board_->file().keyboard->layout[row].size();
      const bool down = held_.count({key.row, key.column}) != 0 || (on_board && board_->contact(key));
      window_.set_key_down(field::kKeys, key.row, key.column, down);
    }
}

// A switch drives its pin and is kept as the pin's level in the board
// file, so that the next run and zorvin-sim find it so.
void BoardWindow::check_toggled(int id, bool ticked) {
  if (id < field::kExpanderSwitches || id >= field::kExpanderSwitches + 16 || !file_) return;
  const int index = id - field::kExpanderSwitches;
  // A pin a device of the board uses is not a switch's: it springs back.
  if (!keep_level("P" + std::to_string(4 + index / 4) + "." + std::to_string(index % 4), ticked)) {
    window_.set_check(id, !ticked);
    return;
  }
  if (board_) session_.simulator().drive_bit(kExpanderPorts[index / 4], index % 4, ticked);
  refresh();
}

bool BoardWindow::keep_level(const std::string& pin, bool high) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    window_.set_status("Die Platinendatei " + shown_path(path_) + " kann nicht gelesen werden: " + pin +
                       " bleibt ungespeichert.");
    return true;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string changed = board::set_board_value(text, "Platine", pin, high ? "1" : "0");
  board::ParsedBoard parsed = board::parse_board_file(changed, files::folder_of(path_));
  if (!parsed.board) {
    window_.set_status(pin + " nicht in " + shown_path(path_) +
                       " gespeichert, die Datei wäre damit falsch: " + parsed.error);
    return false;
  }
  const files::RewriteResult written = files::rewrite_file(path_, changed);
  if (!written.ok) {
    window_.set_status(shown_path(path_) + " kann nicht geschrieben werden: " + written.error);
    return true;
  }
  file_ = std::move(parsed.board);
  window_.set_status(pin + " = " + (high ? "1" : "0") + " in " + shown_path(path_) + " gespeichert");
  return true;
}

bool BoardWindow::command(int id) {
  switch (id) {
    case board_window::kShowWindow:
      show();
      return true;
    case board_window::kHostWriteData:
    case board_window::kHostWriteCommand:
    case board_window::kHostRead:
    case board_window::kHostStatus:
      host_command(id);
      return true;
    case board_window::kClearHostLog:
      window_.set_all_text(field::kHostLog, "");
      return true;
    default:
      return false;
  }
}

// The host's accesses take effect at the cycle the program stands at.
void BoardWindow::host_command(int id) {
  if (!board_ || !file_->host) {
    window_.set_status("Der Host wirkt, sobald das Programm im Simulator geladen ist (F7 oder F9).");
    return;
  }
  sim::Simulator& sim = session_.simulator();
  const std::string at = "Zyklus " + std::to_string(sim.state().cycles) + ": ";
  if (id == board_window::kHostRead) {
    const bool fresh = sim.state().obf;
    const std::uint8_t value = sim.host_read();
    log(at + "Daten gelesen " + hex_text(value, 2) + "H" + (fresh ? "" : " (OBF war 0: kein neues Byte)"));
  } else if (id == board_window::kHostStatus) {
    log(at + "Status gelesen " + status_text(sim.host_status()));
  } else {
    const std::string typed = window_.text(field::kHostByte);
    const auto value = parse_hex(typed, 0xFF);
    if (!value) {
      window_.set_status("Kein Byte in Hex (00 bis FF): '" + typed + "'");
      return;
    }
    const bool command = id == board_window::kHostWriteCommand;
    const bool overwrites = sim.state().ibf;
    sim.host_write(static_cast<std::uint8_t>(*value), command);
    log(at + (command ? "Befehl " : "Daten ") + hex_text(*value, 2) + "H geschrieben" +
        (overwrites ? " (IBF war 1: das vorige Byte ist überschrieben)" : ""));
  }
  refresh();
}

void BoardWindow::log(const std::string& line) {
  const std::string before = window_.all_text(field::kHostLog);
  window_.append_text(field::kHostLog, (before.empty() ? "" : "\n") + line);
}

}  // namespace zorvin::app
