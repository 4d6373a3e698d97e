#include "board/pins.h"

#include "sim/stimulus.h"

namespace zorvin::board {

namespace {

bool single(sim::Port port) { return port == sim::Port::T0 || port == sim::Port::T1 || port == sim::Port::Int; }

int width(sim::Port port) {
  if (single(port)) return 1;
  return port >= sim::Port::P4 && port <= sim::Port::P7 ? 4 : 8;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string pin_name(const Pin& pin) {
  static constexpr const char* kNames[] = {"BUS", "P1", "P2", "P4", "P5", "P6", "P7", "T0", "T1", "INT"};
  std::string name = kNames[static_cast<int>(pin.port)];
  if (!single(pin.port)) name += "." + std::to_string(pin.bit);
  return name;
}

std::optional<std::vector<Pin>> parse_pins(std::string_view text, std::string& error) {
  std::vector<Pin> pins;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of(", \t", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view part = trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (part.empty()) continue;
    const std::size_t dash = part.find('-');
    const auto first = sim::parse_pin(part.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : sim::parse_pin(part.substr(dash + 1));
    if (!first || !last || first->port != last->port || (dash != std::string_view::npos && first->bit < 0) ||
        first->bit > last->bit) {
      error = "'" + std::string(part) + "' ist kein Pin und keine Pinfolge";
      return std::nullopt;
    }
    const int from = single(first->port) ? 0 : std::max(first->bit, 0);
    const int to = single(first->port) ? 0 : last->bit < 0 ? width(first->port) - 1 : last->bit;
    for (int bit = from; bit <= to; ++bit) pins.push_back(Pin{first->port, bit});
  }
  if (pins.empty()) error = "es fehlen die Pins";
  if (pins.empty()) return std::nullopt;
  return pins;
}

bool pin_high(const sim::Simulator& simulator, const Pin& pin) {
  return ((simulator.pin_level(pin.port) >> pin.bit) & 1) != 0;
}

void drive_pin(sim::Simulator& simulator, const Pin& pin, bool high) {
  if (single(pin.port)) {
    if (simulator.driven(pin.port) != (high ? 1 : 0)) simulator.drive(pin.port, high ? 1 : 0);
  } else if (((simulator.driven(pin.port) >> pin.bit) & 1) != (high ? 1 : 0)) {
    simulator.drive_bit(pin.port, pin.bit, high);
  }
}

}  // namespace zorvin::board
