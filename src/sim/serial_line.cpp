#include "sim/serial_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace zorvin::sim {

namespace {

// A character whose bits are off by more than this from the set rate is
// reported: a receiver sampling in the middle of each bit misreads the last
// bits from about 5 % on (half a bit over the 9.5 bits to the stop bit).
constexpr double kRateTolerance = 0.05;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string wiring_problem(const SerialConfig& config) {
  if (config.tx.port != config.rx.port || config.tx.bit != config.rx.bit) return {};
  return "TX und RX auf demselben Pin: der getippte Text käme als Ausgabe des Programms zurück";
}

ParsedSerialConfig parse_serial_config(std::string_view text) {
  ParsedSerialConfig parsed;
  SerialConfig config;
  bool have_tx = false;
  bool have_rx = false;
  const std::string all = upper(text);
  std::string_view rest = all;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    const std::size_t equals = item.find('=');
    const std::string_view key = item.substr(0, equals);
    const std::string_view value = equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1);
    if (key == "INVERT" && equals == std::string_view::npos) {
      config.invert = true;
    } else if (key == "TX" || key == "RX") {
      const auto pin = parse_pin(value);
      const bool port_bit = pin && pin->bit >= 0 && (pin->port == Port::P1 || pin->port == Port::P2 || pin->port == Port::Bus);
      const bool test_pin = pin && (pin->port == Port::T0 || pin->port == Port::T1 || pin->port == Port::Int);
      if (key == "TX" && !port_bit) {
        parsed.error = "TX muss ein Portbit sein (z. B. P2.7), nicht '" + std::string(value) + "'";
        return parsed;
      }
      if (key == "RX" && !port_bit && !test_pin) {
        parsed.error = "RX muss T0, T1, INT oder ein Portbit sein, nicht '" + std::string(value) + "'";
        return parsed;
      }
      (key == "TX" ? config.tx : config.rx) = *pin;
      (key == "TX" ? have_tx : have_rx) = true;
    } else if (key == "BAUD") {
      const auto baud = parse_decimal(value);
      if (!baud || *baud < 50 || *baud > 1'000'000) {
        parsed.error = "BAUD erwartet eine Bitrate von 50 bis 1000000, nicht '" + std::string(value) + "'";
        return parsed;
      }
      config.baud = static_cast<std::uint32_t>(*baud);
    } else {
      parsed.error = "unbekannte Angabe '" + std::string(item) + "'";
      return parsed;
    }
  }
  if (!have_tx || !have_rx) {
    parsed.error = "TX und RX müssen angegeben sein";
    return parsed;
  }
  if (const std::string problem = wiring_problem(config); !problem.empty()) {
    parsed.error = problem;
    return parsed;
  }
  parsed.config = config;
  return parsed;
}

double cycles_per_bit(std::uint64_t clock_hz, std::uint32_t baud) {
  return static_cast<double>(clock_hz) / kClocksPerCycle / static_cast<double>(baud);
}

std::string decode_escapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 'e': out += '\x1B'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      default:
        out += '\\';
        out += text[i];
        break;
    }
  }
  return out;
}

// --- decoder -------------------------------------------------------------------

void SerialDecoder::sample_due(std::uint64_t before) {
  while (receiving_) {
    const double at = static_cast<double>(start_) + (next_sample_ + 0.5) * bit_;
    if (at >= static_cast<double>(before)) return;
    if (next_sample_ == 0) {
      if (mark_) {  // a glitch, not a start bit
        receiving_ = false;
        return;
      }
    } else if (next_sample_ <= 8) {
      if (mark_) byte_ |= static_cast<std::uint8_t>(1u << (next_sample_ - 1));
    } else {
      if (!mark_) {
        char text[80];
        std::snprintf(text, sizeof text, "Rahmenfehler: kein Stoppbit im Zeichen ab Zyklus %llu",
                      static_cast<unsigned long long>(start_));
        problems_.push_back({start_, text});
      }
      finish_character(mark_);
      return;
    }
    ++next_sample_;
  }
}

// The character is taken as sampled; its edges tell whether the sender's
// bits had the set length. Each edge at k bits offers its offset / k as the
// sender's bit time; the one that puts the edges nearest to whole bit
// numbers wins, the longer one where two fit about as well (half of the
// true time always fits). Rounding the edges to the set bit time instead
// misnumbers them once the bits are some 20 % off. Looked for from half to
// 2.1 times the set bit time, with three edges at least (one fits any of
// its fractions, two fit too many by chance): beyond that, a character
// whose edges all fall on even bits could pass for bits twice as long.
// With bits that far off, the sampling may take a data bit for a start
// bit; the sender's next start bit then comes off the grid, after a bit of
// stop level at least, and the edges from there on are left out. A
// character with fewer edges tells nothing; the next one will.
void SerialDecoder::finish_character(bool stop_bit) {
  receiving_ = false;
  if (stop_bit) text_ += static_cast<char>(byte_);  // a framing error delivers nothing
  last_activity_ = static_cast<std::uint64_t>(static_cast<double>(start_) + 10 * bit_);
  // A character has a dozen edges at most; a line toggling faster than that
  // is no serial character, and its first edges are enough to tell.
  const std::size_t used = std::min<std::size_t>(edges_.size(), 32);
  const auto offset_of = [&](std::size_t i) { return static_cast<double>(edges_[i] - start_); };
  double best = 0;
  // An edge may lie this far (in bits) from its bit number: the cycles of a
  // program's bit loop, and no more, or a wrong time fits by chance.
  constexpr double kMiss = 0.045;
  double best_miss = 1;  // the largest distance of an edge from its bit number, in bits
  for (std::size_t first = 0; first < used; ++first) {
    for (int bits = 1; bits <= 9; ++bits) {
      double period = offset_of(first) / bits;
      if (period < 0.5 * bit_ || period > 2.1 * bit_) continue;
      double miss = 0;
      std::size_t fitted = 0;
      bool cut = false;
      for (int round = 0; round < 2; ++round) {  // then once more with the fitted time
        double sum_ek = 0;
        double sum_kk = 0;
        miss = 0;
        fitted = 0;
        cut = false;
        for (std::size_t i = 0; i < used; ++i) {
          const double offset = offset_of(i);
          if (offset >= 9.5 * period) break;
          const double k = std::max(1.0, std::round(offset / period));
          const double off = std::fabs(offset - k * period) / period;
          if (off > kMiss) {
            // Edges alternate: odd ones fall, from the stop level to a start bit.
            cut = i % 2 == 1 && i == fitted && offset - offset_of(i - 1) >= 0.9 * period;
            if (!cut) fitted = 0;
            break;
          }
          miss = std::max(miss, off);
          sum_ek += offset * k;
          sum_kk += k * k;
          ++fitted;
        }
        if (sum_kk > 0) period = sum_ek / sum_kk;
      }
      if (fitted < 3) continue;
      constexpr double kAsWell = 0.02;
      if (miss < best_miss - kAsWell || (miss <= best_miss + kAsWell && period > best)) {
        best = period;
        best_miss = miss;
      }
    }
  }
  if (best == 0) return;  // too few edges that fit: nothing to tell
  const double deviation = best / bit_ - 1;
  if (std::fabs(deviation) > kRateTolerance) {
    char text[120];
    std::snprintf(text, sizeof text, "Bitlänge weicht um %+.0f %% ab (Zeichen ab Zyklus %llu)", deviation * 100,
                  static_cast<unsigned long long>(start_));
    problems_.push_back({start_, text});
  }
}

void SerialDecoder::advance_to(std::uint64_t cycle) { sample_due(cycle + 1); }

void SerialDecoder::level(std::uint64_t cycle, bool mark) {
  sample_due(cycle);
  if (mark == mark_) return;
  mark_ = mark;
  last_activity_ = cycle;
  if (receiving_) {
    edges_.push_back(cycle);
  } else if (!mark) {
    receiving_ = true;
    start_ = cycle;
    next_sample_ = 0;
    byte_ = 0;
    edges_.clear();
  }
}

// --- encoder -------------------------------------------------------------------

std::uint64_t encode_serial(std::string_view text, std::uint64_t start, double cycles_per_bit, int spacing_bits,
                            std::vector<LineLevel>& levels) {
  if (spacing_bits < 10) spacing_bits = 10;
  const auto at = [&](double bits) { return start + static_cast<std::uint64_t>(std::llround(bits * cycles_per_bit)); };
  double position = 0;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    levels.push_back({at(position), false});  // start bit
    for (int bit = 0; bit < 8; ++bit) levels.push_back({at(position + 1 + bit), ((byte >> bit) & 1) != 0});
    levels.push_back({at(position + 9), true});  // stop bit
    position += spacing_bits;
  }
  return text.empty() ? start : at(position - spacing_bits + 10);
}

// --- terminal -------------------------------------------------------------------

SerialTerminal::SerialTerminal(Simulator& simulator, const SerialConfig& config)
    : simulator_(simulator),
      config_(config),
      bit_cycles_(cycles_per_bit(simulator.clock_hz(), config.baud)),
      decoder_(bit_cycles_) {
  const std::uint8_t level = simulator.pin_level(config.tx.port);
  tx_mark_ = (((level >> config.tx.bit) & 1) != 0) != config.invert;
  decoder_.level(simulator.state().cycles, tx_mark_);
  // The input rests at mark.
  const bool pin = !config.invert;
  if (config.rx.bit >= 0)
    simulator.drive_bit(config.rx.port, config.rx.bit, pin);
  else
    simulator.drive(config.rx.port, pin ? 1 : 0);
}

std::uint64_t SerialTerminal::type(std::string_view text, std::uint64_t start) {
  std::vector<LineLevel> levels;
  // Characters three character times apart: time for a program that
  // echoes each one before it listens again.
  const std::uint64_t end = encode_serial(text, start, bit_cycles_, 30, levels);
  for (const LineLevel& level : levels) {
    const bool pin = level.mark != config_.invert;
    if (config_.rx.bit >= 0)
      simulator_.schedule_bit(level.cycle, config_.rx.port, config_.rx.bit, pin);
    else
      simulator_.schedule(level.cycle, config_.rx.port, pin ? 1 : 0);
  }
  return end;
}

void SerialTerminal::pin_changed(const PinEvent& event) {
  if (event.port != config_.tx.port) return;
  const bool mark = (((event.level >> config_.tx.bit) & 1) != 0) != config_.invert;
  if (mark == tx_mark_) return;
  tx_mark_ = mark;
  decoder_.level(event.cycle, mark);
}

}  // namespace zorvin::sim
