#include "sim/expectation.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "sim/stimulus.h"

namespace zorvin::sim {

namespace {

struct Name {
  std::string_view key;
  std::uint64_t max;
  bool decimal;
  bool indexed;
};

constexpr std::array<Name, 21> kNames = {{
    {"A", 0xFF, false, false},     {"PSW", 0xFF, false, false},   {"SP", 7, false, false},
    {"PC", 0xFFF, false, false},   {"T", 0xFF, false, false},     {"P1", 0xFF, false, false},
    {"P2", 0xFF, false, false},    {"BUS", 0xFF, false, false},   {"F0", 1, false, false},
    {"F1", 1, false, false},       {"C", 1, false, false},        {"TF", 1, false, false},
    {"RAM", 0xFF, false, true},    {"XRAM", 0xFF, false, true},   {"R", 0xFF, false, true},
    {"CYCLES", UINT64_MAX, true, false}, {"STEPS", UINT64_MAX, true, false},
    // An 8243's ports at their pins (4 bits).
    {"P4", 0x0F, false, false},    {"P5", 0x0F, false, false},    {"P6", 0x0F, false, false},
    {"P7", 0x0F, false, false},
}};

}  // namespace

ParsedExpectation parse_expectation(std::string_view text) {
  ParsedExpectation parsed;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    // Appended, not "'" + text: GCC 12 at -O3 warns falsely (-Wrestrict).
    parsed.error = std::string(1, '\'').append(text).append("': erwartet wird NAME=WERT");
    return parsed;
  }
  Expectation e;
  e.name = std::string(text.substr(0, equals));
  std::string upper = e.name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string key = upper;
  int index = 0;
  bool indexed = false;
  if (upper.size() == 2 && upper[0] == 'R' && upper[1] >= '0' && upper[1] <= '7') {
    key.assign(1, 'R');  // not = "R": GCC 12 at -O3 warns falsely (-Wrestrict)
    index = upper[1] - '0';
    indexed = true;
  } else if (const std::size_t open = upper.find('['); open != std::string::npos && upper.back() == ']') {
    key = upper.substr(0, open);
    const auto number = parse_hex(std::string_view(upper).substr(open + 1, upper.size() - open - 2), 0xFF);
    if (!number || (key != "RAM" && key != "XRAM")) {
      parsed.error = std::string(1, '\'').append(e.name).append("': unbekannter Name");
      return parsed;
    }
    index = static_cast<int>(*number);
    indexed = true;
  }
  for (const Name& name : kNames) {
    if (name.key != key || name.indexed != indexed) continue;
    const std::string_view value_text = text.substr(equals + 1);
    const auto value = name.decimal ? parse_decimal(value_text) : parse_hex(value_text, name.max);
    if (!value) {
      parsed.error = std::string(1, '\'').append(text).append("': ").append(
          name.decimal ? std::string("Wert ").append(decimal_fault(value_text))
                       : std::string("Wert ist keine passende Hexadezimalzahl"));
      return parsed;
    }
    e.key = key;
    e.index = index;
    e.value = *value;
    e.decimal = name.decimal;
    parsed.expectation = e;
    return parsed;
  }
  parsed.error = "'" + e.name + "': unbekannter Name";
  return parsed;
}

std::uint64_t observed(const Simulator& simulator, const Expectation& e) {
  const State& s = simulator.state();
  if (e.key == "A") return s.a;
  if (e.key == "PSW") return simulator.psw();
  if (e.key == "SP") return s.sp;
  if (e.key == "PC") return s.pc;
  if (e.key == "T") return s.timer;
  if (e.key == "P1") return simulator.pin_level(Port::P1);
  if (e.key == "P2") return simulator.pin_level(Port::P2);
  if (e.key == "BUS") return simulator.pin_level(Port::Bus);
  if (e.key == "P4") return simulator.pin_level(Port::P4);
  if (e.key == "P5") return simulator.pin_level(Port::P5);
  if (e.key == "P6") return simulator.pin_level(Port::P6);
  if (e.key == "P7") return simulator.pin_level(Port::P7);
  if (e.key == "F0") return s.f0;
  if (e.key == "F1") return s.f1;
  if (e.key == "C") return s.carry;
  if (e.key == "TF") return s.timer_flag;
  if (e.key == "RAM") return simulator.ram(e.index);
  if (e.key == "XRAM") return s.xram[static_cast<std::size_t>(e.index & 0xFF)];
  if (e.key == "R") return simulator.reg(e.index);
  if (e.key == "CYCLES") return s.cycles;
  return s.steps;
}

std::string formatted(const Expectation& e, std::uint64_t value) {
  if (e.decimal) return e.name + "=" + std::to_string(value);
  char text[24];
  std::snprintf(text, sizeof text, e.key == "PC" ? "%03llX" : "%02llX", static_cast<unsigned long long>(value));
  return e.name + "=" + text;
}

}  // namespace zorvin::sim
