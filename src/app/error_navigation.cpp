// From an assembler error to its line: Return or a double-click on a
// message "Zeile: N -> ...", F8 and Shift+F8 through the error lines of the
// last run, and the marks beside those lines until the next run.
#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "app/app.h"
#include "app/ids.h"
#include "asm/error_lines.h"

namespace zorvin::app {

void App::build_error_navigation() {
  ui_.add_menu_separator(menu::kRun);
  ui_.add_menu_item(menu::kRun, errors::kNext, "Nächster Fehler\tF8");
  ui_.add_menu_item(menu::kRun, errors::kPrevious, "Vorheriger Fehler\tUmschalt+F8");
  ui_.add_shortcut(window::kMain, GDK_KEY_F8, errors::kNext);
  ui_.add_shortcut(window::kMain, GDK_KEY_F8, errors::kPrevious, GDK_SHIFT_MASK);
}


void App::mark_error_lines(const std::vector<asm48::Diagnostic>& errors) {
  // Only the errors shown get a mark.
  const std::size_t shown = std::min(errors.size(), kShownErrorLines);
  error_lines_ = asm48::distinct_error_lines(std::span<const asm48::Diagnostic>(errors.data(), shown));
  std::vector<int> editor_lines;
  for (int line : error_lines_) editor_lines.push_back(line - 1);
  ui_.set_line_marks(control::kEditor, editor_lines);
}

// The marks belong to a text that is gone once the editor gets a new one.
void App::forget_error_lines() {
  error_lines_.clear();
  assembled_program_.reset();
  debugger_.source_replaced();
  ui_.set_line_marks(control::kEditor, {});
}

void App::go_to_error_of_message() {
  int line = 0, column = 0;
  ui_.cursor_position(control::kMessages, line, column);
  const auto error_line = asm48::error_line_number(ui_.line_text(control::kMessages, line));
  if (!error_line) return;
  // An error of the last run leads to where its line is now, after the
  // edits since; an older message to the line it names.
  const auto found = std::lower_bound(error_lines_.begin(), error_lines_.end(), *error_line);
  const std::vector<int> marks = ui_.line_marks(control::kEditor);
  const auto index = static_cast<std::size_t>(found - error_lines_.begin());
  if (found != error_lines_.end() && *found == *error_line && index < marks.size()) {
    go_to_editor_line(marks[index] + 1);
  } else {
    go_to_editor_line(*error_line);
  }
}

void App::go_to_next_error(bool forward) {
  // Edits may have moved marked lines together: each line is one stop. A
  // line changed since, or gone, has lost its sign and is no stop.
  std::vector<int> lines;
  for (int mark : ui_.shown_line_marks(control::kEditor)) lines.push_back(mark + 1);
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  if (const auto target = asm48::next_error_line(lines, panes_.cursor_line(), forward)) go_to_editor_line(*target);
}

void App::go_to_editor_line(int line) {
  ui_.go_to_line(control::kEditor, line - 1);
  panes_.focus_editor();
}

}  // namespace zorvin::app
