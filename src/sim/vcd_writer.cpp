#include "sim/vcd_writer.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zorvin::sim {

namespace {

struct Signal {
  Port port;
  const char* name;
  int width;
  char id;
};

constexpr std::array<Signal, 6> kSignals = {{
    {Port::P1, "P1", 8, '!'},
    {Port::P2, "P2", 8, '"'},
    {Port::Bus, "BUS", 8, '#'},
    {Port::T0, "T0", 1, '$'},
    {Port::T1, "T1", 1, '%'},
    {Port::Int, "INT", 1, '&'},
}};

}  // namespace

namespace {

std::array<std::uint8_t, kPortCount> levels_of(const Simulator& simulator) {
  std::array<std::uint8_t, kPortCount> levels{};
  for (int p = 0; p < kPortCount; ++p) levels[static_cast<std::size_t>(p)] = simulator.pin_level(static_cast<Port>(p));
  return levels;
}

}  // namespace

VcdWriter::VcdWriter(std::FILE* file, const Simulator& simulator)
    : VcdWriter(file, simulator.part().name, simulator.clock_hz(), simulator.state().cycles, levels_of(simulator)) {}

VcdWriter::VcdWriter(std::FILE* file, std::string_view part, std::uint64_t clock_hz, std::uint64_t cycle,
                     const std::array<std::uint8_t, kPortCount>& levels)
    : file_(file), clock_hz_(clock_hz == 0 ? kDefaultClockHz : clock_hz) {
  std::fprintf(file_, "$version zorvin-sim $end\n$timescale 1ns $end\n$scope module %s $end\n",
               std::string(part).c_str());
  for (const Signal& signal : kSignals)
    std::fprintf(file_, "$var wire %d %c %s $end\n", signal.width, signal.id, signal.name);
  std::fprintf(file_, "$upscope $end\n$enddefinitions $end\n");
  last_time_ = nanoseconds(cycle);
  std::fprintf(file_, "#%llu\n$dumpvars\n", static_cast<unsigned long long>(last_time_));
  for (const Signal& signal : kSignals) value(signal.port, levels[static_cast<std::size_t>(signal.port)]);
  std::fprintf(file_, "$end\n");
}

std::uint64_t VcdWriter::nanoseconds(std::uint64_t cycle) const {
  // cycles * 15 clocks / Hz, in ns, without overflow for any run this long
  const long double ns = static_cast<long double>(cycle) * kClocksPerCycle * 1e9L / static_cast<long double>(clock_hz_);
  return static_cast<std::uint64_t>(ns + 0.5L);
}

void VcdWriter::value(Port port, std::uint8_t level) {
  for (const Signal& signal : kSignals) {
    if (signal.port != port) continue;
    if (signal.width == 1) {
      std::fprintf(file_, "%d%c\n", level & 1, signal.id);
      return;
    }
    char bits[9];
    for (int i = 0; i < 8; ++i) bits[i] = ((level >> (7 - i)) & 1) ? '1' : '0';
    bits[8] = '\0';
    std::fprintf(file_, "b%s %c\n", bits, signal.id);
  }
}

void VcdWriter::limit_changes(std::uint64_t max, std::string why) {
  max_changes_ = max;
  why_ = std::move(why);
}

std::string VcdWriter::cut_note() const {
  return "VCD nach " + std::to_string(max_changes_) + " Pegelwechseln gekürzt " + why_;
}

void VcdWriter::pin_changed(const PinEvent& event) {
  if (cut_) return;
  if (changes_ == max_changes_) {
    cut_ = true;
    std::fprintf(file_, "$comment %s $end\n", cut_note().c_str());
    return;
  }
  ++changes_;
  // Times only grow in a dump; a change reported late joins the last time.
  const std::uint64_t time = std::max(nanoseconds(event.cycle), last_time_);
  if (time != last_time_) {
    std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(time));
    last_time_ = time;
  }
  value(event.port, event.level);
}

}  // namespace zorvin::sim
