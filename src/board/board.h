// A board: the devices of a board file wired to a simulator. The board
// listens to the pins the program drives, answers on the pins it reads
// (key matrix columns, the LCD's data lines while it is read) and takes
// the simulator's MOVX bus (RAM, an LCD at an address).
//
// Use: parse_board_file, then Board board(file); board.attach(simulator)
// on a simulator of the file's part with its crystal; keep the board alive
// as long as the simulator runs. A program that sets its own pin listener
// afterwards hands every event on to pin_changed().
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_file.h"
#include "board/keyboard.h"
#include "board/lcd.h"
#include "sim/simulator.h"

namespace zorvin::board {

struct KeyPosition {
  int row = 0;
  int column = 0;
};

class Board {
 public:
  explicit Board(BoardFile file);
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  const BoardFile& file() const { return file_; }

  // Sets the input levels, takes the pin listener and the MOVX bus and
  // reads a battery-backed RAM's file. False with a German `error` when the
  // simulator is not of the file's part or the RAM's file cannot be read.
  bool attach(sim::Simulator& simulator, std::string& error);
  void pin_changed(const sim::PinEvent& event);

  // Keys by the names of the board file's layout (case ignored).
  std::optional<KeyPosition> key_named(std::string_view name) const;
  bool latching(std::string_view name) const;
  // The contact closes or opens now (a latching key's press toggles it).
  void set_contact(KeyPosition key, bool closed);
  bool contact(KeyPosition key) const { return matrix_ && matrix_->closed(key.row, key.column); }

  const Lcd* lcd() const { return lcd_.get(); }
  std::vector<std::uint8_t>& ram() { return ram_; }
  // Writes a battery-backed RAM to its file (beside, then renamed); true
  // when there is none. False with a German `error`.
  bool save_ram(std::string& error) const;

 private:
  void update_columns();
  void lcd_pins_changed(std::uint64_t cycle);
  std::uint32_t bus_address(std::uint8_t low) const;
  std::uint8_t ram_at(std::uint32_t address) const;
  std::uint8_t bus_read(std::uint8_t low);
  void bus_write(std::uint8_t low, std::uint8_t value);

  BoardFile file_;
  sim::Simulator* simulator_ = nullptr;
  std::unique_ptr<KeyMatrix> matrix_;
  std::unique_ptr<Lcd> lcd_;
  std::vector<std::uint8_t> ram_;
  std::array<bool, sim::kPortCount> keyboard_ports_{};
  std::array<bool, sim::kPortCount> lcd_ports_{};
  bool lcd_e_high_ = false;
  bool lcd_rs_ = false;       // RS and R/W as E rose
  bool lcd_read_ = false;
  bool lcd_reading_ = false;  // the LCD drives the data pins
};

}  // namespace zorvin::board
