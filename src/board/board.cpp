#include "board/board.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "files/file_rewrite.h"

namespace zorvin::board {

namespace {

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

void watch(std::array<bool, sim::kPortCount>& ports, const std::vector<Pin>& pins) {
  for (const Pin& pin : pins) ports[static_cast<std::size_t>(pin.port)] = true;
}

}  // namespace

Board::Board(BoardFile file) : file_(std::move(file)) {
  if (file_.keyboard) {
    const KeyboardWiring& keys = *file_.keyboard;
    matrix_ = std::make_unique<KeyMatrix>(static_cast<int>(keys.layout.size()), static_cast<int>(keys.columns.size()),
                                          keys.diodes);
    watch(keyboard_ports_, keys.rows);
    watch(keyboard_ports_, keys.select);
    for (const PinLevel& level : keys.enable) keyboard_ports_[static_cast<std::size_t>(level.pin.port)] = true;
  }
  if (file_.lcd && !file_.lcd->address) {
    watch(lcd_ports_, {file_.lcd->e, file_.lcd->rs});
    if (file_.lcd->rw) watch(lcd_ports_, {*file_.lcd->rw});
  }
  if (file_.ram) ram_.assign(file_.ram->size, 0);
}

bool Board::attach(sim::Simulator& simulator, std::string& error) {
  if (simulator.variant() != file_.part) {
    error = "die Platine hat einen " + std::string(sim::info(file_.part).name) + ", das Programm läuft auf einem " +
            std::string(sim::info(simulator.variant()).name);
    return false;
  }
  if (file_.ram && !file_.ram->file.empty()) {
    std::ifstream in(file_.ram->file, std::ios::binary);
    if (in) {
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (bytes.size() != ram_.size()) {
        error = file_.ram->file + " hat " + std::to_string(bytes.size()) + " Byte, das RAM " +
                std::to_string(ram_.size()) + " Byte";
        return false;
      }
      std::transform(bytes.begin(), bytes.end(), ram_.begin(), [](char c) { return static_cast<std::uint8_t>(c); });
    }
  }
  simulator_ = &simulator;
  // The state's xram shows bus addresses 00H-FFH, for --expect XRAM[..] and a debugger's view.
  for (std::uint32_t address = 0; address < 256; ++address) simulator.state().xram[address] = ram_at(address);
  for (const PinLevel& level : file_.levels) drive_pin(simulator, level.pin, level.high);
  if (file_.lcd) lcd_ = std::make_unique<Lcd>(file_.lcd->columns, file_.lcd->rows, simulator.clock_hz());
  if (!sim::info(file_.part).upi)
    simulator.set_external_bus({[this](std::uint8_t low) { return bus_read(low); },
                                [this](std::uint8_t low, std::uint8_t value) { bus_write(low, value); }});
  simulator.set_pin_listener([this](const sim::PinEvent& event) { pin_changed(event); });
  update_columns();
  // The pins come up high: E may already be high, which is no transfer.
  lcd_e_high_ = file_.lcd && !file_.lcd->address && pin_high(simulator, file_.lcd->e);
  lcd_read_ = true;
  return true;
}

void Board::pin_changed(const sim::PinEvent& event) {
  if (simulator_ == nullptr) return;
  const auto port = static_cast<std::size_t>(event.port);
  if (lcd_ports_[port]) lcd_pins_changed(event.cycle);
  if (keyboard_ports_[port]) update_columns();
}

// --- key matrix ---------------------------------------------------------------

std::optional<KeyPosition> Board::key_named(std::string_view name) const {
  if (!file_.keyboard) return std::nullopt;
  const auto& layout = file_.keyboard->layout;
  for (std::size_t row = 0; row < layout.size(); ++row)
    for (std::size_t column = 0; column < layout[row].size(); ++column)
      if (layout[row][column] != "-" && same_name(layout[row][column], name))
        return KeyPosition{static_cast<int>(row), static_cast<int>(column)};
  return std::nullopt;
}

bool Board::latching(std::string_view name) const {
  if (!file_.keyboard) return false;
  const auto& keys = file_.keyboard->latching;
  return std::any_of(keys.begin(), keys.end(), [&](const std::string& key) { return same_name(key, name); });
}

void Board::set_contact(KeyPosition key, bool closed) {
  if (!matrix_) return;
  matrix_->set_closed(key.row, key.column, closed);
  update_columns();
}

void Board::update_columns() {
  if (!matrix_ || simulator_ == nullptr) return;
  const KeyboardWiring& keys = *file_.keyboard;
  std::uint32_t low_rows = 0;
  if (!keys.rows.empty()) {
    for (std::size_t row = 0; row < keys.rows.size(); ++row)
      if (!pin_high(*simulator_, keys.rows[row])) low_rows |= 1u << row;
  } else if (std::all_of(keys.enable.begin(), keys.enable.end(),
                         [&](const PinLevel& level) { return pin_high(*simulator_, level.pin) == level.high; })) {
    unsigned selected = 0;
    for (std::size_t bit = 0; bit < keys.select.size(); ++bit)
      if (pin_high(*simulator_, keys.select[bit])) selected |= 1u << bit;
    low_rows = 1u << selected;
  }
  const std::uint32_t levels = matrix_->column_levels(low_rows);
  for (std::size_t column = 0; column < keys.columns.size(); ++column)
    drive_pin(*simulator_, keys.columns[column], ((levels >> column) & 1) != 0);
}

// --- LCD on port pins -------------------------------------------------------------

void Board::lcd_pins_changed(std::uint64_t cycle) {
  const LcdWiring& wiring = *file_.lcd;
  const bool e = pin_high(*simulator_, wiring.e);
  const bool four = wiring.data.size() == 4;
  const bool rose = e && !lcd_e_high_;
  const bool fell = !e && lcd_e_high_;
  lcd_e_high_ = e;
  // RS and R/W count as they stand when E rises (they must be set up
  // before it); the data as it stands when E falls.
  if (rose) {
    lcd_rs_ = pin_high(*simulator_, wiring.rs);
    lcd_read_ = wiring.rw && pin_high(*simulator_, *wiring.rw);
  }
  const bool rs = lcd_rs_;
  const bool read = lcd_read_;
  if (fell && !read) {
    unsigned value = 0;
    for (std::size_t bit = 0; bit < wiring.data.size(); ++bit)
      if (pin_high(*simulator_, wiring.data[bit])) value |= 1u << bit;
    if (four) lcd_->write_nibble(rs, static_cast<std::uint8_t>(value), cycle);
    else lcd_->write(rs, static_cast<std::uint8_t>(value), cycle);
  }
  // While E is high with R/W high the controller drives DB0-DB7.
  const bool drives = e && read && lcd_reading_;
  if (rose && read) {
    const unsigned value = four ? lcd_->read_nibble(rs, cycle) : lcd_->read(rs, cycle);
    lcd_reading_ = true;
    for (std::size_t bit = 0; bit < wiring.data.size(); ++bit)
      drive_pin(*simulator_, wiring.data[bit], ((value >> bit) & 1) != 0);
  } else if (!drives && lcd_reading_) {
    lcd_reading_ = false;
    for (const Pin& pin : wiring.data) drive_pin(*simulator_, pin, true);
  }
}

// --- the MOVX bus -------------------------------------------------------------------

std::uint32_t Board::bus_address(std::uint8_t low) const {
  std::uint32_t address = low;
  for (std::size_t bit = 0; bit < file_.address_pins.size(); ++bit)
    if (pin_high(*simulator_, file_.address_pins[bit])) address |= 0x100u << bit;
  return address;
}

std::uint8_t Board::ram_at(std::uint32_t address) const {
  if (file_.ram && address >= file_.ram->address && address < file_.ram->address + file_.ram->size)
    return ram_[address - file_.ram->address];
  return 0xFF;  // nothing answers: the bus floats high
}

// The strobe comes in the instruction's second cycle.
std::uint8_t Board::bus_read(std::uint8_t low) {
  const std::uint32_t address = bus_address(low);
  if (file_.ram && address >= file_.ram->address && address < file_.ram->address + file_.ram->size)
    return ram_[address - file_.ram->address];
  if (lcd_ && file_.lcd->address && (address & ~1u) == *file_.lcd->address)
    return lcd_->read((address & 1) != 0, simulator_->state().cycles + 1);
  return 0xFF;  // nothing answers: the bus floats high
}

void Board::bus_write(std::uint8_t low, std::uint8_t value) {
  const std::uint32_t address = bus_address(low);
  if (file_.ram && address >= file_.ram->address && address < file_.ram->address + file_.ram->size) {
    ram_[address - file_.ram->address] = value;
    if (address < 256) simulator_->state().xram[address] = value;
  } else if (lcd_ && file_.lcd->address && (address & ~1u) == *file_.lcd->address)
    lcd_->write((address & 1) != 0, value, simulator_->state().cycles + 1);
}

bool Board::save_ram(std::string& error) const {
  if (!file_.ram || file_.ram->file.empty()) return true;
  const std::string bytes(ram_.begin(), ram_.end());
  const files::RewriteResult result = files::rewrite_file(file_.ram->file, bytes);
  if (!result.ok) error = file_.ram->file + " kann nicht geschrieben werden: " + result.error;
  return result.ok;
}

}  // namespace zorvin::board
