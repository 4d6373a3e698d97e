#include "app/debugger/debugger_watch.h"

#include <cctype>
#include <optional>

#include "app/debugger/debugger_format.h"

namespace zorvin::app {

namespace {

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A watched value: where it comes from and how to read it from a state.
struct Source {
  std::string where;  // "RAM 20H", empty for a register
  int digits = 2;
  unsigned (*read)(const sim::State&, int) = nullptr;
  int index = 0;
};

unsigned read_ram(const sim::State& s, int index) { return s.ram[static_cast<std::size_t>(index & 0xFF)]; }
unsigned read_xram(const sim::State& s, int index) { return s.xram[static_cast<std::size_t>(index & 0xFF)]; }
unsigned read_register(const sim::State& s, int n) { return s.ram[static_cast<std::size_t>((s.bank1 ? 24 : 0) + n)]; }

std::optional<Source> register_named(const std::string& name) {
  if (name.size() == 2 && name[0] == 'R' && name[1] >= '0' && name[1] <= '7')
    return Source{"", 2, read_register, name[1] - '0'};
  struct Named {
    const char* name;
    int digits;
    unsigned (*read)(const sim::State&, int);
  };
  static constexpr Named kNamed[] = {
      {"A", 2, [](const sim::State& s, int) -> unsigned { return s.a; }},
      {"PC", 3, [](const sim::State& s, int) -> unsigned { return s.pc; }},
      {"SP", 1, [](const sim::State& s, int) -> unsigned { return s.sp; }},
      {"T", 2, [](const sim::State& s, int) -> unsigned { return s.timer; }},
      {"P1", 2, [](const sim::State& s, int) -> unsigned { return s.p1; }},
      {"P2", 2, [](const sim::State& s, int) -> unsigned { return s.p2; }},
      {"BUS", 2, [](const sim::State& s, int) -> unsigned { return s.bus; }},
  };
  for (const Named& named : kNamed)
    if (name == named.name) return Source{"", named.digits, named.read, 0};
  return std::nullopt;
}

std::optional<Source> source_of(const std::string& name, const sim::Simulator& sim, const DebuggerLineMap& lines) {
  const std::string big = upper(name);
  if (auto reg = register_named(big)) return reg;
  const bool external = big.rfind("X:", 0) == 0;
  const std::string cell = external ? name.substr(2) : name;
  std::optional<int> address;
  if (!cell.empty() && std::isdigit(static_cast<unsigned char>(cell[0])))
    if (const auto value = parse_hex(cell, 0xFF)) address = static_cast<int>(*value);
  if (!address) address = lines.value_of(cell);
  const int size = external ? 256 : sim.part().ram_size;
  if (!address || *address < 0 || *address >= size) return std::nullopt;
  return Source{std::string(external ? "X:" : "RAM ") + hex_text(static_cast<unsigned>(*address), 2) + "H", 2,
                external ? read_xram : read_ram, *address};
}

}  // namespace

std::vector<std::string> watch_names(const std::string& text) {
  std::vector<std::string> names;
  std::string word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (c == ',' || c == ' ' || c == ';' || c == '\t' || c == '|') {
      if (!word.empty() && names.size() < 32) names.push_back(word);
      word.clear();
    } else if (word.size() < 40) {
      word += c;
    }
  }
  return names;
}

std::vector<WatchLine> watch_lines(const std::vector<std::string>& names, const sim::Simulator& sim,
                                   const sim::State& before, const DebuggerLineMap& lines) {
  std::vector<WatchLine> shown;
  for (const std::string& name : names) {
    const auto source = source_of(name, sim, lines);
    if (!source) {
      shown.push_back({name + ": unbekannt", false});
      continue;
    }
    const unsigned now = source->read(sim.state(), source->index);
    std::string text = name;
    if (!source->where.empty() && upper(source->where) != upper(name) && "RAM " + upper(name) != source->where)
      text += " (" + source->where + ")";
    text += " = " + hex_text(now, source->digits) + "H";
    shown.push_back({text, now != source->read(before, source->index)});
  }
  return shown;
}

}  // namespace zorvin::app
