#include "board/lcd.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace zorvin::board {

namespace {

// Execution times at the data sheet's 270 kHz oscillator, in ns.
constexpr std::uint64_t kShortNs = 37'000;
constexpr std::uint64_t kClearNs = 1'520'000;
// After power-on the controller takes no instruction for 15 ms.
constexpr std::uint64_t kPowerOnNs = 15'000'000;

// Character ROM A00 for the codes a program uses most; the rest a box.
std::string glyph(std::uint8_t code) {
  if (code == 0x5C) return "¥";
  if (code == 0x7E) return "→";
  if (code == 0x7F) return "←";
  if (code == 0xDF) return "°";
  if (code == 0xA0) return " ";
  if (code >= 0x20 && code < 0x80) return std::string(1, static_cast<char>(code));
  return "□";  // character generator RAM and the Japanese characters
}

std::string hex2(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02XH", value);
  return text;
}

}  // namespace

Lcd::Lcd(int columns, int rows, std::uint64_t clock_hz) : columns_(columns), rows_(rows), clock_hz_(clock_hz) {
  ddram_.fill(0x20);
  busy_until_ = cycles_for(kPowerOnNs);
}

std::uint64_t Lcd::cycles_for(std::uint64_t ns) const {
  // Rounded up: the controller is busy at least this long. In whole
  // numbers, so that every processor counts the same cycles.
  constexpr std::uint64_t kNsPerClockCycles = 15'000'000'000;  // 15 clocks per machine cycle
  return (ns * clock_hz_ + kNsPerClockCycles - 1) / kNsPerClockCycles;
}

bool Lcd::refused(const char* what, std::uint8_t value, std::uint64_t cycle) {
  if (!busy(cycle)) return false;
  // In whole microseconds, rounded, at least 1.
  const std::uint64_t early = std::max<std::uint64_t>(1, ((busy_until_ - cycle) * 15'000'000 + clock_hz_ / 2) / clock_hz_);
  const auto shown = static_cast<unsigned long long>(early);
  const bool read = std::string_view(what) == "Lesen";
  char text[160];
  if (read)
    std::snprintf(text, sizeof text, "Daten bei Adresse %s %llu µs zu früh gelesen (die Anzeige ist noch beschäftigt)",
                  hex2(value).c_str(), shown);
  else
    std::snprintf(text, sizeof text, "%s %s %llu µs zu früh gesendet (die Anzeige ist noch beschäftigt): verloren",
                  what, hex2(value).c_str(), shown);
  faults_.push_back({cycle, text});
  return true;
}

void Lcd::write(bool rs, std::uint8_t value, std::uint64_t cycle) {
  if (refused(rs ? "Datenbyte" : "Befehl", value, cycle)) return;
  if (rs) {
    data_write(value);
    busy_until_ = cycle + cycles_for(kShortNs);
  } else {
    instruction(value, cycle);
  }
}

std::uint8_t Lcd::read(bool rs, std::uint64_t cycle) {
  if (!rs) return static_cast<std::uint8_t>((busy(cycle) ? 0x80 : 0) | (address_ & 0x7F));
  if (refused("Lesen", address_, cycle)) return 0xFF;
  const std::uint8_t value = in_cgram_ ? cgram_[address_ & 0x3F] : ddram_[address_ & 0x7F];
  step_address();
  busy_until_ = cycle + cycles_for(kShortNs);
  return value;
}

void Lcd::write_nibble(bool rs, std::uint8_t nibble, std::uint64_t cycle) {
  nibble &= 0x0F;
  if (eight_bit_) {
    write(rs, static_cast<std::uint8_t>(nibble << 4), cycle);
    return;
  }
  if (!half_pending_) {
    half_ = nibble;
    half_pending_ = true;
    return;
  }
  half_pending_ = false;
  write(rs, static_cast<std::uint8_t>((half_ << 4) | nibble), cycle);
}

std::uint8_t Lcd::read_nibble(bool rs, std::uint64_t cycle) {
  if (eight_bit_) return static_cast<std::uint8_t>(read(rs, cycle) >> 4);
  if (!read_half_pending_) {
    read_latch_ = read(rs, cycle);
    read_half_pending_ = true;
    return static_cast<std::uint8_t>(read_latch_ >> 4);
  }
  read_half_pending_ = false;
  return read_latch_ & 0x0F;
}

void Lcd::step_address() {
  if (in_cgram_) {
    address_ = static_cast<std::uint8_t>((address_ + (increment_ ? 1 : -1)) & 0x3F);
    return;
  }
  int next = address_ + (increment_ ? 1 : -1);
  if (two_lines_) {
    if (next == 0x28) next = 0x40;
    else if (next == 0x68) next = 0x00;
    else if (next == 0x3F) next = 0x27;
    else if (next == -1) next = 0x67;
  } else {
    if (next == 0x50) next = 0x00;
    else if (next == -1) next = 0x4F;
  }
  address_ = static_cast<std::uint8_t>(next);
}

void Lcd::data_write(std::uint8_t value) {
  if (in_cgram_) {
    cgram_[address_ & 0x3F] = value & 0x1F;
  } else {
    ddram_[address_ & 0x7F] = value;
    if (shift_on_entry_) shift_ = (shift_ + (increment_ ? 1 : -1) + 40) % 40;
  }
  step_address();
}

void Lcd::instruction(std::uint8_t code, std::uint64_t cycle) {
  std::uint64_t time = kShortNs;
  if (code & 0x80) {  // set DDRAM address
    in_cgram_ = false;
    address_ = code & 0x7F;
  } else if (code & 0x40) {  // set CGRAM address
    in_cgram_ = true;
    address_ = code & 0x3F;
  } else if (code & 0x20) {  // function set: DL, N (F, the font, changes nothing shown)
    eight_bit_ = (code & 0x10) != 0;
    two_lines_ = (code & 0x08) != 0;
    half_pending_ = false;
    read_half_pending_ = false;
  } else if (code & 0x10) {  // cursor or display shift
    const bool right = (code & 0x04) != 0;
    if (code & 0x08) {
      shift_ = (shift_ + (right ? -1 : 1) + 40) % 40;
    } else {
      const bool saved = increment_;
      increment_ = right;
      step_address();
      increment_ = saved;
    }
  } else if (code & 0x08) {  // display on/off control
    display_on_ = (code & 0x04) != 0;
    cursor_on_ = (code & 0x02) != 0;
    blink_on_ = (code & 0x01) != 0;
  } else if (code & 0x04) {  // entry mode set
    increment_ = (code & 0x02) != 0;
    shift_on_entry_ = (code & 0x01) != 0;
  } else if (code & 0x02) {  // return home
    in_cgram_ = false;
    address_ = 0;
    shift_ = 0;
    time = kClearNs;
  } else if (code & 0x01) {  // clear display: I/D becomes 1, S stays
    ddram_.fill(0x20);
    in_cgram_ = false;
    address_ = 0;
    shift_ = 0;
    increment_ = true;
    time = kClearNs;
  }
  busy_until_ = cycle + cycles_for(time);
}

int Lcd::line_start(int row) const {
  // Lines 3 and 4 of a four-line module continue lines 1 and 2.
  return (row % 2 == 1 ? 0x40 : 0x00) + (row / 2) * columns_;
}

std::vector<std::string> Lcd::lines() const {
  std::vector<std::string> shown;
  for (int row = 0; row < rows_; ++row) {
    std::string text;
    for (int column = 0; column < columns_; ++column) {
      int address = -1;
      if (!display_on_) {
      } else if (two_lines_) {
        const int base = row % 2 == 1 ? 0x40 : 0x00;
        address = base + (line_start(row) - base + column + shift_) % 40;
      } else if (row == 0) {
        address = (column + shift_) % 80;
      }
      text += address < 0 ? " " : glyph(ddram_[static_cast<std::size_t>(address)]);
    }
    shown.push_back(text);
  }
  return shown;
}

}  // namespace zorvin::board
