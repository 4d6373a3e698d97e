// A bit-banged serial line on the simulator's pins, as a terminal sees it:
// 8 data bits LSB first between a start and a stop bit, no parity. The
// decoder samples what the program sends in the middle of each bit by the
// simulated clock; the encoder turns typed text into timed levels for the
// program's input pin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulator.h"
#include "sim/stimulus.h"

namespace zorvin::sim {

struct SerialConfig {
  PinRef tx{Port::P2, 7};  // the program's output
  PinRef rx{Port::T0, -1};  // the program's input
  std::uint32_t baud = 9600;
  bool invert = false;     // idle (mark) is a low pin
};

struct ParsedSerialConfig {
  std::optional<SerialConfig> config;
  std::string error;  // German, when there is none
};

// Why the terminal cannot be wired so, in German; empty when it can. TX
// and RX on one pin are refused: the terminal would decode its own typed
// text as the program's output, and an expected echo would seem to come.
std::string wiring_problem(const SerialConfig& config);

// "TX=P2.7,RX=T0,BAUD=9600[,INVERT]": TX any port bit, RX T0, T1, INT or a
// port bit, not the TX pin; names without regard to case.
ParsedSerialConfig parse_serial_config(std::string_view text);

// Machine cycles of one bit at a crystal frequency.
double cycles_per_bit(std::uint64_t clock_hz, std::uint32_t baud);

// "\r", "\n", "\e" (escape), "\t" and "\\" in a text typed on the command line.
std::string decode_escapes(std::string_view text);

// A problem on the line, for the user to see.
struct SerialProblem {
  std::uint64_t cycle = 0;  // where the character began
  std::string text;         // German
};

class SerialDecoder {
 public:
  explicit SerialDecoder(double cycles_per_bit) : bit_(cycles_per_bit) {}

  // The line's level from `cycle` on (true: mark, the idle level).
  void level(std::uint64_t cycle, bool mark);
  // Everything that can be decided up to `cycle`.
  void advance_to(std::uint64_t cycle);

  const std::string& text() const { return text_; }
  const std::vector<SerialProblem>& problems() const { return problems_; }
  // The last edge on the line, or the end of the last character.
  std::uint64_t last_activity() const { return last_activity_; }
  bool receiving() const { return receiving_; }

 private:
  void sample_due(std::uint64_t before);
  void finish_character(bool stop_bit);

  double bit_;
  bool mark_ = true;
  bool receiving_ = false;
  std::uint64_t start_ = 0;      // the start bit's falling edge
  int next_sample_ = 0;          // 0 start bit, 1-8 data, 9 stop
  std::uint8_t byte_ = 0;
  std::vector<std::uint64_t> edges_;  // of the character, from its start
  std::uint64_t last_activity_ = 0;
  std::string text_;
  std::vector<SerialProblem> problems_;
};

// The levels that send `text` on a line from `start` on, each character
// `spacing_bits` bit times after the one before (at least 10); returns the
// cycle after the last stop bit. Levels are true for mark.
struct LineLevel {
  std::uint64_t cycle;
  bool mark;
};
std::uint64_t encode_serial(std::string_view text, std::uint64_t start, double cycles_per_bit, int spacing_bits,
                            std::vector<LineLevel>& levels);

// Watches the TX pin through the simulator's pin changes and feeds the
// decoder; drives the RX pin with typed text.
class SerialTerminal {
 public:
  SerialTerminal(Simulator& simulator, const SerialConfig& config);

  SerialDecoder& decoder() { return decoder_; }
  const SerialConfig& config() const { return config_; }
  double bit_cycles() const { return bit_cycles_; }

  // Types the text on the RX pin from `start` on; returns when it is done.
  std::uint64_t type(std::string_view text, std::uint64_t start);

  // To be called with every pin change the simulator reports.
  void pin_changed(const PinEvent& event);

 private:
  Simulator& simulator_;
  SerialConfig config_;
  double bit_cycles_;
  SerialDecoder decoder_;
  bool tx_mark_ = true;
};

}  // namespace zorvin::sim
