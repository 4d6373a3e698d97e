#include "analysis/analysis.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "analysis/hazards.h"
#include "asm/numbers.h"

namespace zorvin::analysis {

namespace {

// The end of a routine's straight run: its first ret, jmp or jmpp, or
// where its code stops; never further than a page on.
std::int32_t straight_end(const Program& program, std::int32_t entry) {
  const dis::OpcodeMap& opcodes = opcodes_of(program);
  std::int32_t at = entry;
  std::int32_t last = entry;
  while (program.inside(at) && at < entry + kPageSize) {
    const ByteUse use = program.use[static_cast<std::size_t>(at)];
    if (use != ByteUse::Instruction && use != ByteUse::Unknown) break;
    const dis::Opcode& op = opcodes[program.bytes[static_cast<std::size_t>(at)]];
    if (!op.defined()) break;
    last = at;
    if (op.flow == dis::FlowKind::Return || op.flow == dis::FlowKind::Jump || op.flow == dis::FlowKind::TableJump) break;
    at += op.length;
  }
  return last;
}

std::string line_text(std::int32_t line, const std::string& text) {
  return asm48::format_diagnostic({asm48::Severity::Note, line, {}, line > 0 ? " -> " + text : text});
}

std::string entry_title(const Program& program, const EntryDepth& entry) {
  if (!entry.interrupt) return "Stapeltiefe ab " + program.name_of(entry.entry);
  return std::string(entry.entry == kExternalVector ? "Stapeltiefe der Unterbrechung (extern) "
                                                    : "Stapeltiefe der Unterbrechung (Zeitgeber) ") +
         program.name_of(entry.entry);
}

}  // namespace

Analysis analyse(Program program, const AnalysisOptions& options) {
  Analysis analysis;
  analysis.program = std::move(program);
  const Program& p = analysis.program;
  analysis.flow = follow_flow(p, options.entries);
  analysis.stack = stack_depth(p, analysis.flow);

  std::vector<std::int32_t> entries;
  for (const Routine& routine : analysis.flow.routines) entries.push_back(routine.entry);
  for (const auto& [address, name] : p.labels)
    if (analysis.flow.reached[static_cast<std::size_t>(address)] != 0) entries.push_back(address);
  std::sort(entries.begin(), entries.end());
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  for (const std::int32_t entry : entries) analysis.routines.push_back({entry, range_cycles(p, entry, straight_end(p, entry))});

  std::vector<Finding>& findings = analysis.findings;
  for (std::vector<Finding>* part : {&analysis.flow.findings, &analysis.stack.findings})
    findings.insert(findings.end(), part->begin(), part->end());
  for (std::vector<Finding> part : {page_hazards(p, analysis.flow), interrupt_hazards(p, analysis.flow), unreached_code(p, analysis.flow)})
    findings.insert(findings.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    const auto key = [](const Finding& f) { return std::tuple(f.line <= 0, f.line, f.address); };
    return key(a) < key(b);
  });
  return analysis;
}

Analysis analyse_table(const asm48::LineTable& table, const AnalysisOptions& options, bool upi) {
  return analyse(program_from_table(table, upi), options);
}

Program program_of_run(const asm48::Assembler& assembler, bool upi) {
  Program program = program_from_table(assembler.table(), upi);
  if (assembler.extended()) add_listing_labels(program, assembler.extended_listing());
  return program;
}

std::optional<std::int32_t> resolve_entry(const Program& program, std::string_view text) {
  for (const auto& [address, name] : program.labels) {
    if (name.size() != text.size()) continue;
    if (std::equal(name.begin(), name.end(), text.begin(), [](char a, char b) {
          const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
          return lower(a) == lower(b);
        }))
      return address;
  }
  if (text.find('#') != std::string_view::npos || !asm48::is_number(text) || asm48::is_char_literal(text))
    return std::nullopt;
  const std::optional<std::int32_t> value = asm48::number_value(text);
  if (!value || !program.inside(*value)) return std::nullopt;
  return value;
}

std::vector<std::string> analysis_lines(const Analysis& analysis) {
  const Program& p = analysis.program;
  std::vector<std::string> lines;
  lines.emplace_back("Analyse:");
  for (const EntryDepth& entry : analysis.stack.entries) {
    std::string text = entry_title(p, entry) + ": " + std::to_string(entry.chain.depth);
    if (entry.chain.entries.size() > 1) text += " (" + chain_text(p, entry.chain.entries) + ")";
    if (entry.interrupt && !entry.enabled) text += ", nicht freigegeben";
    lines.push_back(line_text(p.line_at(entry.entry), text));
  }
  std::string worst = "Stapeltiefe im schlimmsten Fall: " + std::to_string(analysis.stack.worst) + " von " +
                      std::to_string(kStackLevels) + " Ebenen";
  if (analysis.stack.interrupt_depth > 0)
    worst += " (Hauptprogramm " + std::to_string(analysis.stack.main_depth) + ", Unterbrechung " +
             std::to_string(analysis.stack.interrupt_depth) + ")";
  lines.push_back(std::move(worst));
  for (const RoutineCycles& routine : analysis.routines)
    lines.push_back(line_text(p.line_at(routine.entry), "Zyklen ab " + p.name_of(routine.entry) + " bis " +
                                                            hex_address(routine.cycles.last) + ": " +
                                                            routine.cycles.figures()));
  for (const Finding& finding : analysis.findings) lines.push_back(format_finding(finding));
  const std::size_t count = analysis.findings.size();
  lines.push_back(count == 0 ? std::string("Analyse beendet: keine Hinweise.")
                             : "Analyse beendet: " + std::to_string(count) + (count == 1 ? " Hinweis." : " Hinweise."));
  return lines;
}

}  // namespace zorvin::analysis
