// The HD44780 model against its data sheet: the instruction set, the
// display data RAM's line addresses, the 4-bit interface and the busy times.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/lcd.h"

namespace zorvin::board {
namespace {

// At 6 MHz one machine cycle is 2.5 µs: 37 µs take 15 cycles, 1.52 ms 608,
// the 15 ms after power-on 6000.
constexpr std::uint64_t kHz = 6'000'000;
constexpr std::uint64_t kReady = 6000;

struct Transfer {
  bool rs;
  std::uint8_t value;
};

// Sends each byte 2 ms after the one before, well after any busy time.
Lcd run(int columns, int rows, const std::vector<Transfer>& transfers) {
  Lcd lcd(columns, rows, kHz);
  std::uint64_t cycle = kReady;
  for (const Transfer& t : transfers) {
    lcd.write(t.rs, t.value, cycle);
    cycle += 800;
  }
  EXPECT_TRUE(lcd.faults().empty());
  return lcd;
}

std::vector<Transfer> text(const std::string& chars) {
  std::vector<Transfer> out;
  for (const char c : chars) out.push_back({true, static_cast<std::uint8_t>(c)});
  return out;
}

std::vector<Transfer> operator+(std::vector<Transfer> a, const std::vector<Transfer>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Transfer> kOn = {{false, 0x38}, {false, 0x0C}, {false, 0x01}, {false, 0x06}};

TEST(Lcd, InstructionSet) {
  struct Case {
    const char* what;
    int columns, rows;
    std::vector<Transfer> transfers;
    std::vector<std::string> lines;
    std::uint8_t address;
  };
  const std::vector<Case> cases = {
      {"text from address 0", 16, 2, kOn + text("AB"), {"AB              ", "                "}, 0x02},
      {"set DDRAM address 40H: line 2", 16, 2, kOn + std::vector<Transfer>{{false, 0xC3}} + text("x"),
       {"                ", "   x            "}, 0x44},
      {"decrement (I/D = 0)", 16, 2, kOn + std::vector<Transfer>{{false, 0x04}, {false, 0x85}} + text("AB"),
       {"    BA          ", "                "}, 0x03},
      {"line 1 runs on at 40H after 27H", 8, 2, kOn + std::vector<Transfer>{{false, 0xA7}} + text("xy"),
       {"        ", "y       "}, 0x41},
      {"line 2 runs on at 00H after 67H", 8, 2, kOn + std::vector<Transfer>{{false, 0xE7}} + text("xy"),
       {"y       ", "        "}, 0x01},
      {"display off shows nothing", 16, 2, kOn + text("AB") + std::vector<Transfer>{{false, 0x08}},
       {"                ", "                "}, 0x02},
      {"one-line mode (N = 0) shows no line 2", 16, 2,
       std::vector<Transfer>{{false, 0x30}, {false, 0x0C}, {false, 0x01}, {false, 0xC0}} + text("x"),
       {"                ", "                "}, 0x41},
      {"clear display: blanks, address 0, I/D back to 1", 16, 2,
       kOn + text("AB") + std::vector<Transfer>{{false, 0x04}, {false, 0x01}} + text("C"),
       {"C               ", "                "}, 0x01},
      {"return home keeps the text", 16, 2, kOn + text("AB") + std::vector<Transfer>{{false, 0x02}} + text("C"),
       {"CB              ", "                "}, 0x01},
      {"display shift left (S/C = 1, R/L = 0)", 16, 2, kOn + text("ABC") + std::vector<Transfer>{{false, 0x18}},
       {"BC              ", "                "}, 0x03},
      {"display shift right", 16, 2, kOn + text("ABC") + std::vector<Transfer>{{false, 0x1C}},
       {" ABC            ", "                "}, 0x03},
      {"cursor left (S/C = 0, R/L = 0)", 16, 2, kOn + text("AB") + std::vector<Transfer>{{false, 0x10}} + text("C"),
       {"AC              ", "                "}, 0x02},
      {"entry mode with shift (S = 1)", 16, 2, kOn + std::vector<Transfer>{{false, 0x07}} + text("AB"),
       {"                ", "                "}, 0x02},
      {"CGRAM writes leave the DDRAM", 16, 2, kOn + std::vector<Transfer>{{false, 0x40}} + text("ZZ") +
                                                  std::vector<Transfer>{{false, 0x80}} + text("A"),
       {"A               ", "                "}, 0x01},
      {"20x4: lines 3 and 4 at 14H and 54H", 20, 4,
       kOn + std::vector<Transfer>{{false, 0x94}} + text("c") + std::vector<Transfer>{{false, 0xD4}} + text("d"),
       {"                    ", "                    ", "c                   ", "d                   "}, 0x55},
      {"character ROM: degree sign and arrows", 4, 1,
       std::vector<Transfer>{{false, 0x30}, {false, 0x0C}, {false, 0x01}, {true, 0xDF}, {true, 0x7E}, {true, 0x5C},
                             {true, 0x00}},
       {"°→¥□"}, 0x04},
  };
  for (const Case& c : cases) {
    const Lcd lcd = run(c.columns, c.rows, c.transfers);
    EXPECT_EQ(lcd.lines(), c.lines) << c.what;
    EXPECT_EQ(lcd.address_counter(), c.address) << c.what;
  }
}

TEST(Lcd, EntryShiftTypesFromTheRight) {
  // Entry mode with shift: each write moves the window one to the right,
  // so text written from just beyond the right edge runs in from there.
  Lcd lcd = run(4, 1, std::vector<Transfer>{{false, 0x30}, {false, 0x0C}, {false, 0x01}, {false, 0x07}, {false, 0x84}} +
                          text("ABCDEF"));
  EXPECT_EQ(lcd.lines(), std::vector<std::string>{"CDEF"});
}

TEST(Lcd, ReadsBusyFlagAddressAndData) {
  Lcd lcd = run(16, 2, kOn + text("Hi") + std::vector<Transfer>{{false, 0x80}});
  const std::uint64_t now = kReady + 800 * 7;
  EXPECT_EQ(lcd.read(false, now), 0x00);  // ready, address 0
  EXPECT_EQ(lcd.read(true, now), 'H');    // and the address moves on
  EXPECT_EQ(lcd.read(false, now), 0x81);  // busy for 37 µs after the read, address 1
  EXPECT_EQ(lcd.read(false, now + 15), 0x01);
  EXPECT_EQ(lcd.read(true, now + 15), 'i');
  EXPECT_TRUE(lcd.faults().empty());
  // Data read while busy: what the pins show is undefined, and it is a fault.
  lcd.read(true, now + 16);
  ASSERT_EQ(lcd.faults().size(), 1u);
  EXPECT_EQ(lcd.faults()[0].text, "Daten bei Adresse 02H 35 µs zu früh gelesen (die Anzeige ist noch beschäftigt)");
}

TEST(Lcd, BusyTimesFromTheDataSheet) {
  struct Case {
    const char* what;
    std::uint64_t clock_hz;
    Transfer first;
    std::uint64_t wait;  // cycles between the two transfers
    bool lost;
  };
  const std::vector<Case> cases = {
      {"37 µs after a data byte: 15 cycles at 6 MHz", 6'000'000, {true, 'A'}, 15, false},
      {"one cycle early", 6'000'000, {true, 'A'}, 14, true},
      {"37 µs after an instruction", 6'000'000, {false, 0x06}, 15, false},
      {"clear display takes 1.52 ms: 608 cycles", 6'000'000, {false, 0x01}, 608, false},
      {"clear display one cycle early", 6'000'000, {false, 0x01}, 607, true},
      {"return home as long", 6'000'000, {false, 0x02}, 607, true},
      {"at 11 MHz 37 µs are 28 cycles", 11'000'000, {true, 'A'}, 28, false},
      {"and 27 too few", 11'000'000, {true, 'A'}, 27, true},
  };
  for (const Case& c : cases) {
    Lcd lcd(16, 2, c.clock_hz);
    const std::uint64_t start = c.clock_hz / 1000 * 15 / 15;  // 15 ms in cycles
    lcd.write(false, 0x0C, start);
    lcd.write(c.first.rs, c.first.value, start + 10000);
    lcd.write(true, 'Z', start + 10000 + c.wait);
    EXPECT_EQ(lcd.faults().size(), c.lost ? 1u : 0u) << c.what;
  }
}

TEST(Lcd, NothingIsTakenBefore15msAfterPowerOn) {
  Lcd lcd(16, 2, kHz);
  EXPECT_EQ(lcd.read(false, kReady - 1) & 0x80, 0x80);
  lcd.write(false, 0x38, kReady - 1);
  ASSERT_EQ(lcd.faults().size(), 1u);
  EXPECT_NE(lcd.faults()[0].text.find("Befehl 38H"), std::string::npos);
  EXPECT_EQ(lcd.faults()[0].cycle, kReady - 1);
  lcd.write(false, 0x38, kReady);
  EXPECT_EQ(lcd.faults().size(), 1u);
  EXPECT_EQ(lcd.read(false, kReady) & 0x80, 0x80);  // the function set runs
}

TEST(Lcd, FourBitInterfaceAfterTheInitialisingNibbles) {
  Lcd lcd(16, 2, kHz);
  std::uint64_t cycle = kReady;
  const auto nibble = [&](bool rs, std::uint8_t value) {
    lcd.write_nibble(rs, value, cycle);
    cycle += 800;
  };
  // Power-on: 8 bits; three times 3, then 2 switches to 4 bits.
  for (const std::uint8_t n : {3, 3, 3, 2}) nibble(false, n);
  EXPECT_TRUE(lcd.four_bit());
  for (const std::uint8_t byte : {0x28, 0x0C, 0x01}) {
    nibble(false, byte >> 4);
    nibble(false, byte & 0x0F);
  }
  nibble(true, 0x4);
  nibble(true, 0x1);  // 'A'
  EXPECT_EQ(lcd.lines()[0].substr(0, 2), "A ");
  EXPECT_EQ(lcd.read_nibble(false, cycle), 0x0);  // BF 0, address 01H: high half
  EXPECT_EQ(lcd.read_nibble(false, cycle), 0x1);  // low half
  EXPECT_TRUE(lcd.faults().empty());
}

}  // namespace
}  // namespace zorvin::board
