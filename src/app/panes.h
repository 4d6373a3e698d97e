// The editor, the message pane, the listing pane and the status bar of the
// main window, with the operations the commands use, the source path and
// the modified flag.
#pragma once

#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace zorvin::app {

// The least size of each pane, in pixels, at which the editor still shows
// its gutter and a few lines, the messages two lines and the listing its
// rows; and the smallest main window that holds them.
namespace pane {
inline constexpr int kEditorWidth = 240;
inline constexpr int kEditorHeight = 100;
inline constexpr int kMessagesHeight = 60;
inline constexpr int kListingWidth = 120;
inline constexpr int kDockWidth = 150;  // the tool panes' strip, while it shows
inline constexpr int kWindowWidth = 400;
inline constexpr int kWindowHeight = 300;
}  // namespace pane

// Where a divider may stand in `room` pixels so that the first pane keeps
// `first_least` and the second `second_least`; a room too small for both
// is shared in their proportion.
int fitted_divider(int position, int room, int first_least, int second_least);

class Panes {
 public:
  explicit Panes(ui::Toolkit& ui) : ui_(ui) {}

  // Editor.
  std::string editor_text() const;
  void set_editor_text(const std::string& text);
  void clear_editor();
  void append_editor_line(const std::string& line);
  int editor_line_count() const;
  std::string editor_line_text(int line) const;
  int cursor_line() const;
  int cursor_column() const;
  void focus_editor();
  int is_modified() const { return modified_; }
  void set_modified(int modified);

  // Message pane: grows for the whole run.
  void append_message(const std::string& line);
  void scroll_messages_to_end();
  // Brings the last message into view and leaves the focus where it is.
  void show_last_message();

  // Listing pane.
  void append_listing_row(const std::string& row);
  void set_listing(const std::vector<std::string>& rows);  // clear, then all rows

  // Status bar and the source the editor's text belongs to.
  const std::string& source_path() const { return source_path_; }
  void set_source_path(const std::string& path) { source_path_ = path; }
  void set_file_status();
  // For each change the user makes, undo and redo included: marks the first
  // one, and clears the mark when the text is back to the loaded or saved one.
  void follow_edits();
  void update_cursor_display();  // on each tick of the cursor timer

 private:
  ui::Toolkit& ui_;
  std::string source_path_;
  int modified_ = 0;
  int shown_line_ = 1;
  int shown_column_ = 1;
};

// "Datei: " + file name or "keine", + " [geändert]" when modified.
std::string file_status_text(const std::string& source_path, int modified);

}  // namespace zorvin::app
