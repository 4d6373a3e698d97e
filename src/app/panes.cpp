#include "app/panes.h"

#include "app/ids.h"

namespace zorvin::app {

std::string file_status_text(const std::string& source_path, int modified) {
  const auto slash = source_path.rfind('/');
  const std::string name = source_path.empty()        ? "keine"
                           : slash == std::string::npos ? source_path
                                                        : source_path.substr(slash + 1);
  return "Datei: " + name + (modified == 1 ? " [geändert]" : "");
}

std::string Panes::editor_text() const { return ui_.text(control::kEditor); }
void Panes::set_editor_text(const std::string& text) { ui_.set_text(control::kEditor, text); }
void Panes::clear_editor() { ui_.set_text(control::kEditor, ""); }
void Panes::append_editor_line(const std::string& line) { ui_.append_line(control::kEditor, line); }
int Panes::editor_line_count() const { return ui_.line_count(control::kEditor); }
std::string Panes::editor_line_text(int line) const { return ui_.line_text(control::kEditor, line); }

int Panes::cursor_line() const {
  int line = 0, column = 0;
  ui_.cursor_position(control::kEditor, line, column);
  return line + 1;
}

int Panes::cursor_column() const {
  int line = 0, column = 0;
  ui_.cursor_position(control::kEditor, line, column);
  return column + 1;
}

void Panes::focus_editor() { ui_.focus(control::kEditor); }

void Panes::append_message(const std::string& line) { ui_.append_line(control::kMessages, line); }

void Panes::scroll_messages_to_end() {
  // Lay out the new lines first, so the view can reach the last one.
  ui_.flush_dropping_events();
  show_last_message();
  ui_.focus(control::kMessages);
  ui_.wait_once_dropping_events(100);
}

void Panes::show_last_message() {
  // The view scrolls once the new lines are laid out; queued events stay.
  ui_.scroll_to_line(control::kMessages, ui_.line_count(control::kMessages) - 1);
}

void Panes::append_listing_row(const std::string& row) { ui_.append_row(control::kListing, row); }
void Panes::set_listing(const std::vector<std::string>& rows) { ui_.set_rows(control::kListing, rows); }

void Panes::set_file_status() { ui_.set_status_text(status::kFile, file_status_text(source_path_, modified_)); }

void Panes::mark_first_change() {
  // Only the first change is marked, and an edit that empties the editor
  // does not count as one.
  if (modified_ == 1 || editor_text().empty()) return;
  modified_ = 1;
  set_file_status();
}

void Panes::update_cursor_display() {
  const int column = cursor_column();
  const int line = cursor_line();
  if (line == shown_line_ && column == shown_column_) return;
  shown_line_ = line;
  shown_column_ = column;
  ui_.set_status_text(status::kCursor, "Zeile: " + std::to_string(line) + ", Spalte: " + std::to_string(column));
}

}  // namespace zorvin::app
