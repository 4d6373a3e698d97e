// "Ausführen → Analyse": assemble, then the code analysis in the message
// pane, in the same lines as "zorvin-asm --analyse" (Return on a line with
// "Zeile: N -> " leads to that line, as for an error). And the cycles of the
// editor's selection in the status bar, and an instruction's bytes and
// cycles as the tooltip of its line, from the last successful F5 while its
// text is unchanged.
#include <cstdio>

#include "analysis/analysis.h"
#include "app/app.h"
#include "app/ids.h"

namespace zorvin::app {

void App::build_analysis_menu() {
  ui_.add_menu_item(menu::kRun, command::kAnalyse, "Analyse");
}

void App::analyse_program() {
  assemble();
  // assemble() leaves a program only after a successful run.
  if (!assembled_program_) return;
  const analysis::Analysis result = analysis::analyse(*assembled_program_);
  for (const std::string& line : analysis::analysis_lines(result)) panes_.append_message(line);
  panes_.scroll_messages_to_end();
}

void App::show_selection_cycles() {
  std::string text;
  int first = 0, last = 0;
  if (assembled_program_ && ui_.selected_lines(control::kEditor, first, last)) {
    if (const auto cycles = analysis::line_range_cycles(*assembled_program_, first + 1, last + 1)) text = cycles->text();
  }
  if (text == shown_cycles_) return;
  shown_cycles_ = text;
  ui_.set_status_text(status::kCycles, text);
}

std::string App::instruction_tip(int line) const {
  if (!assembled_program_) return {};
  const analysis::Program& program = *assembled_program_;
  const std::int32_t wanted = line + 1;
  for (std::int32_t at = 0; at < analysis::kMemorySize; ++at) {
    const auto index = static_cast<std::size_t>(at);
    if (program.lines[index] != wanted || program.use[index] != analysis::ByteUse::Instruction) continue;
    std::string text = analysis::hex_address(at) + ":";
    for (std::int32_t byte = at; byte == at || (program.inside(byte) &&
                                                program.use[static_cast<std::size_t>(byte)] == analysis::ByteUse::Operand);
         ++byte) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", program.bytes[static_cast<std::size_t>(byte)]);
      text += hex;
    }
    return text + ", Zyklen: " + std::to_string(analysis::cycles_at(program, at));
  }
  return {};
}

}  // namespace zorvin::app
