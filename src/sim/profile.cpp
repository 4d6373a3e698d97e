#include "sim/profile.h"

#include <algorithm>
#include <cstdio>

#include "dis/instruction_text.h"
#include "dis/opcode_map.h"

namespace zorvin::sim {

namespace {

constexpr std::uint64_t kInterruptEntryCycles = 2;

std::string row(const std::string& first, std::uint64_t executions, std::uint64_t cycles, std::uint64_t total) {
  const double share = total == 0 ? 0.0 : 100.0 * static_cast<double>(cycles) / static_cast<double>(total);
  char text[120];
  std::snprintf(text, sizeof text, "%-16s %14llu %16llu %8.2f%%\n", first.c_str(),
                static_cast<unsigned long long>(executions), static_cast<unsigned long long>(cycles), share);
  return text;
}

}  // namespace

Profile::Profile(Variant variant) : cycles_(dis::cycle_table(dis::instruction_set(info(variant).upi)).data()) {}

void Profile::count(const TraceStep& step) {
  if (step.length == 0) {
    total_steps_ += 1;
    interrupts_.executions += 1;
    interrupts_.cycles += kInterruptEntryCycles;
    total_cycles_ += kInterruptEntryCycles;
    return;
  }
  ProfileCount& count = counts_[step.pc & 0xFFF];
  const std::uint8_t cycles = cycles_[step.bytes[0]];
  count.executions += 1;
  count.cycles += cycles;
  total_steps_ += 1;
  total_cycles_ += cycles;
}

void Profile::clear() {
  counts_.fill({});
  interrupts_ = {};
  total_cycles_ = 0;
  total_steps_ = 0;
}

std::vector<std::int32_t> code_lines(const asm48::LineTable& table) {
  std::vector<std::int32_t> lines;
  for (const asm48::LineRecord& record : table.records) {
    if (record.is_equ || record.is_reserve || record.address < 0) continue;
    for (std::size_t i = 0; i < record.code_size(); ++i) {
      const std::size_t address = static_cast<std::size_t>(record.address) + i;
      if (address >= 4096) break;
      if (lines.size() <= address) lines.resize(address + 1, 0);
      lines[address] = record.line_no;
    }
  }
  return lines;
}

std::vector<LineProfile> profile_by_line(const Profile& profile, std::span<const std::int32_t> lines) {
  std::vector<LineProfile> by_line;
  for (std::size_t address = 0; address < lines.size() && address < 4096; ++address) {
    if (lines[address] <= 0) continue;
    const ProfileCount& count = profile.at(static_cast<std::uint16_t>(address));
    const auto place = std::lower_bound(by_line.begin(), by_line.end(), lines[address],
                                        [](const LineProfile& entry, std::int32_t line) { return entry.line < line; });
    auto entry = place != by_line.end() && place->line == lines[address]
                     ? place
                     : by_line.insert(place, LineProfile{lines[address], 0, 0});
    entry->executions = std::max(entry->executions, count.executions);
    entry->cycles += count.cycles;
  }
  return by_line;
}

// The heading over row()'s columns ("ü" takes two bytes, one column).
static std::string heading(const char* first) {
  char text[120];
  std::snprintf(text, sizeof text, "%-16s %15s %16s %9s\n", first, "Ausführungen", "Zyklen", "Anteil");
  return text;
}

std::string profile_text(const Profile& profile, std::span<const std::int32_t> lines) {
  const std::uint64_t total = profile.total_cycles();
  std::string text;
  char first[24];
  if (!lines.empty()) {
    text = heading("Zeile");
    for (const LineProfile& line : profile_by_line(profile, lines)) {
      std::snprintf(first, sizeof first, "%d", line.line);
      text += row(first, line.executions, line.cycles, total);
    }
  } else {
    text = heading("Adresse");
    for (unsigned address = 0; address < 4096; ++address) {
      const ProfileCount& count = profile.at(static_cast<std::uint16_t>(address));
      if (count.executions == 0) continue;
      std::snprintf(first, sizeof first, "%03XH", address);
      text += row(first, count.executions, count.cycles, total);
    }
  }
  if (profile.interrupt_entries().executions > 0)
    text += row("Unterbrechungen", profile.interrupt_entries().executions, profile.interrupt_entries().cycles, total);
  text += row("Summe", profile.total_steps(), total, total);
  return text;
}

}  // namespace zorvin::sim
