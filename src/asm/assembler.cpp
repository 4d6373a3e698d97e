#include "asm/assembler.h"

#include <algorithm>
#include <utility>

#include "asm/address_pass.h"
#include "asm/editor_lines.h"
#include "asm/encoding_pass.h"
#include "asm/ext/dialect_switch.h"
#include "asm/ext/extended_assembler.h"
#include "asm/split_pass.h"
#include "asm/symbol_pass.h"
#include "asm/target_pass.h"

namespace zorvin::asm48 {

namespace {

// Sorts positions rather than records, then walks each cycle of the
// permutation once, swapping records in place; equal addresses keep their
// source order.
void sort_by_address(LineTable& table) {
  auto& records = table.records;
  const auto by_address = [](const LineRecord& a, const LineRecord& b) { return a.address < b.address; };
  if (std::is_sorted(records.begin(), records.end(), by_address)) return;
  std::vector<std::uint32_t> order(records.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return records[a].address < records[b].address; });
  // Position i takes the record from order[i]; a done position points to itself.
  for (std::uint32_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    std::uint32_t position = start;
    LineRecord held = records[start];
    while (order[position] != start) {
      const std::uint32_t from = order[position];
      records[position] = records[from];
      order[position] = position;
      position = from;
    }
    records[position] = held;
    order[position] = position;
  }
}

}  // namespace

AssemblyResult Assembler::run(std::string_view editor_text, const std::string& source_dir) {
  AssemblyResult result;
  if (is_blank_text(editor_text)) {
    result.nothing_to_assemble = true;  // the table keeps the previous run
    return result;
  }
  listing_ = {};
  const auto cpu = ext::cpu_statement(editor_text);
  extended_ = cpu.has_value();
  if (extended_) {
    ext::ExtendedRun run = ext::assemble_extended(editor_text, source_dir, *cpu, keep_listing_, table_);
    listing_ = std::move(run.listing);
    result.error_count = run.diagnostics.count();
    result.error_lines = std::move(run.diagnostics.lines);
    if (result.error_count != 0) {
      result.summary = std::to_string(result.error_count) + std::string(kErrorsSuffix);
      return result;
    }
    sort_by_address(table_);
    result.summary = std::string(kAssembledWithoutErrors);
    return result;
  }
  split_pass(editor_text, table_);
  Diagnostics diagnostics;
  result.error_count = symbol_pass(table_, diagnostics);
  // An operand that outgrew the substitution is no text to encode.
  if (result.error_count == 0) result.error_count = encoding_pass(table_, diagnostics);
  // Addresses and targets only mean something once every line encoded.
  if (result.error_count == 0) {
    result.error_count = address_pass(table_, diagnostics);
    result.error_count += target_pass(table_, diagnostics);
  }
  result.error_lines = std::move(diagnostics.lines);
  if (result.error_count != 0) {
    result.summary = std::to_string(result.error_count) + std::string(kErrorsSuffix);
    return result;
  }
  sort_by_address(table_);
  result.summary = std::string(kAssembledWithoutErrors);
  return result;
}

}  // namespace zorvin::asm48
