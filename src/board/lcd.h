// A character LCD with an HD44780-compatible controller: its instruction
// set, the display data RAM with the line addresses of 1-, 2- and 4-line
// modules, the character generator RAM, the 4- and 8-bit interface, the
// busy flag and the execution times of the data sheet (270 kHz oscillator).
// An instruction or data byte that arrives while the controller is busy is
// lost, as on a real display, and recorded as a fault.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvin::board {

struct LcdFault {
  std::uint64_t cycle = 0;
  std::string text;  // German, e.g. "Befehl 01H 12 µs zu früh: verloren"
};

class Lcd {
 public:
  // columns x rows: 8x1 ... 40x2, 16x4, 20x4. `clock_hz` is the crystal of
  // the 8048, which turns the controller's times into machine cycles.
  Lcd(int columns, int rows, std::uint64_t clock_hz);

  // A whole byte over an 8-bit interface, or as the 4-bit interface puts
  // two nibbles together. rs: data (true) or instruction.
  void write(bool rs, std::uint8_t value, std::uint64_t cycle);
  std::uint8_t read(bool rs, std::uint64_t cycle);
  // One transfer over the four lines DB4-DB7 (the nibble in bits 3-0).
  // Until a function set chooses 4 bits the controller takes each as a
  // byte with DB0-DB3 low, as after power-on.
  void write_nibble(bool rs, std::uint8_t nibble, std::uint64_t cycle);
  std::uint8_t read_nibble(bool rs, std::uint64_t cycle);
  bool four_bit() const { return !eight_bit_; }

  bool busy(std::uint64_t cycle) const { return cycle < busy_until_; }
  // The text shown, one string per line (UTF-8): blanks while the display
  // is off, the display shift applied.
  std::vector<std::string> lines() const;
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  std::uint8_t address_counter() const { return address_; }
  bool display_on() const { return display_on_; }
  const std::vector<LcdFault>& faults() const { return faults_; }

 private:
  void instruction(std::uint8_t code, std::uint64_t cycle);
  void data_write(std::uint8_t value);
  void step_address();
  bool refused(const char* what, std::uint8_t value, std::uint64_t cycle);
  std::uint64_t cycles_for(std::uint64_t ns) const;
  int line_start(int row) const;

  int columns_;
  int rows_;
  std::uint64_t clock_hz_;
  std::array<std::uint8_t, 128> ddram_{};
  std::array<std::uint8_t, 64> cgram_{};
  std::uint8_t address_ = 0;
  bool in_cgram_ = false;
  bool increment_ = true;
  bool shift_on_entry_ = false;
  bool display_on_ = false;
  bool cursor_on_ = false;
  bool blink_on_ = false;
  bool two_lines_ = false;
  bool eight_bit_ = true;
  int shift_ = 0;  // display shift in characters, 0-39
  // A 4-bit transfer's first half, waiting for its second.
  bool half_pending_ = false;
  std::uint8_t half_ = 0;
  bool read_half_pending_ = false;
  std::uint8_t read_latch_ = 0;
  std::uint64_t busy_until_ = 0;
  std::vector<LcdFault> faults_;
};

}  // namespace zorvin::board
