#include "app/panes.h"

#include "app/ids.h"

#include <algorithm>

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
  // The view scrolls once the new lines are laid out, to the end of the
  // last one, which may wrap; queued events stay.
  ui_.scroll_to_end(control::kMessages);
}

void Panes::append_listing_row(const std::string& row) { ui_.append_row(control::kListing, row); }
void Panes::set_listing(const std::vector<std::string>& rows) { ui_.set_rows(control::kListing, rows); }

void Panes::set_file_status() { ui_.set_status_text(status::kFile, file_status_text(source_path_, modified_)); }

void Panes::set_modified(int modified) {
  modified_ = modified;
  ui_.set_text_modified(control::kEditor, modified == 1);
}

void Panes::follow_edits() {
  int now = modified_;
  if (!ui_.text_modified(control::kEditor)) {
    now = 0;
  } else if (modified_ == 0 && editor_line_count() != 0) {
    // An edit that empties the editor does not count as the first change.
    now = 1;
  }
  if (now == modified_) return;
  modified_ = now;
  set_file_status();
}

int fitted_divider(int position, int room, int first_least, int second_least) {
  const int least = first_least + second_least;
  if (room < least) return least > 0 ? std::max(room, 0) * first_least / least : 0;
  return std::clamp(position, first_least, room - second_least);
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
