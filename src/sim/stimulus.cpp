#include "sim/stimulus.h"

#include <array>
#include <cctype>

namespace zorvin::sim {

namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct PortName {
  std::string_view name;
  Port port;
  int width;  // bits
};
constexpr std::array<PortName, 10> kPorts = {{
    {"BUS", Port::Bus, 8}, {"P1", Port::P1, 8}, {"P2", Port::P2, 8}, {"P4", Port::P4, 4}, {"P5", Port::P5, 4},
    {"P6", Port::P6, 4},   {"P7", Port::P7, 4}, {"T0", Port::T0, 1}, {"T1", Port::T1, 1}, {"INT", Port::Int, 1},
}};

}  // namespace

std::vector<std::string_view> stimulus_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == ',')) ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != ',') ++pos;
    if (pos > start) fields.push_back(line.substr(start, pos - start));
  }
  return fields;
}

std::optional<std::uint64_t> parse_hex(std::string_view text, std::uint64_t max) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) text.remove_suffix(1);
  if (text.empty() || text.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > max) return std::nullopt;
  }
  return value;
}

std::optional<std::uint64_t> parse_decimal(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

const char* decimal_fault(std::string_view text) {
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  return digits ? "ist zu groß" : "ist keine Dezimalzahl";
}

std::optional<PinRef> parse_pin(std::string_view name) {
  const std::string text = upper(name);
  const std::size_t dot = text.find('.');
  const std::string_view port_name = std::string_view(text).substr(0, dot);
  for (const PortName& port : kPorts) {
    if (port.name != port_name) continue;
    if (dot == std::string::npos) return PinRef{port.port, -1};
    const std::string_view bit = std::string_view(text).substr(dot + 1);
    if (bit.size() != 1 || bit[0] < '0' || bit[0] - '0' >= port.width || port.width == 1) return std::nullopt;
    return PinRef{port.port, bit[0] - '0'};
  }
  return std::nullopt;
}

Stimulus parse_stimulus(std::string_view text) {
  Stimulus stimulus;
  int line_no = 0;
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, line.find_first_of(";#"));
    const auto fields = stimulus_fields(line.substr(0, line.find('\r')));
    if (fields.empty()) continue;
    const auto fail = [&](const std::string& why) {
      stimulus.ok = false;
      stimulus.changes.clear();
      stimulus.error = "Zeile " + std::to_string(line_no) + ": " + why;
      return stimulus;
    };
    if (fields.size() != 3) return fail("erwartet wird ZYKLUS PIN WERT");
    const auto cycle = parse_decimal(fields[0]);
    if (!cycle) return fail("Zyklus '" + std::string(fields[0]) + "' " + decimal_fault(fields[0]));
    const auto pin = parse_pin(fields[1]);
    if (!pin) return fail("unbekannter Pin '" + std::string(fields[1]) + "'");
    const bool single = pin->bit >= 0 || pin->port == Port::T0 || pin->port == Port::T1 || pin->port == Port::Int;
    const bool nibble = pin->port >= Port::P4 && pin->port <= Port::P7;
    const auto value = parse_hex(fields[2], single ? 1 : nibble ? 0x0F : 0xFF);
    if (!value) return fail("Wert '" + std::string(fields[2]) + "' passt nicht zu " + std::string(fields[1]));
    stimulus.changes.push_back({*cycle, *pin, static_cast<std::uint8_t>(*value)});
  }
  stimulus.ok = true;
  return stimulus;
}

void schedule_stimulus(Simulator& simulator, const std::vector<StimulusChange>& changes) {
  for (const StimulusChange& change : changes) {
    if (change.pin.bit >= 0)
      simulator.schedule_bit(change.cycle, change.pin.port, change.pin.bit, change.value != 0);
    else
      simulator.schedule(change.cycle, change.pin.port, change.value);
  }
}

}  // namespace zorvin::sim
