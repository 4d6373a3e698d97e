// Records behind the integer ids; shared by the toolkit's source files only.
#pragma once

#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace zorvin::ui::detail {

struct WindowRecord {
  Toolkit* toolkit = nullptr;
  int id = 0;
  GtkWidget* window = nullptr;
  GtkWidget* menubar = nullptr;  // main windows only
  GtkWidget* toolbar = nullptr;
  GtkWidget* area = nullptr;     // GtkLayout (main) or GtkFixed (dialog): controls at pixel positions
  GtkWidget* statusbar = nullptr;
  bool enabled = true;
  Rect last_position;
  Rect last_size;
};

enum class ControlType { TextView, List, Splitter, Label, Link, Picture, Button, CheckBox, Frame, Choice, Entry };

// A marked line: where it is now, and its sign while it keeps its text.
struct LineMark {
  GtkTextMark* place = nullptr;  // at the line's start, moving with the edits
  GtkTextMark* shown = nullptr;  // the sign; removed once the line's text changed
  std::string text;              // the line's text when it was marked
};

struct ControlRecord {
  Toolkit* toolkit = nullptr;
  int window = 0;
  int id = 0;
  ControlType type = ControlType::Label;
  GtkWidget* outer = nullptr;  // what is placed or packed
  GtkWidget* inner = nullptr;  // the working widget
  GObject* source = nullptr;   // the object whose signal raises the control event
  gulong handler = 0;
  gulong modified_handler = 0;  // text views: the buffer's modified flag
  GtkTextMark* scroll_mark = nullptr;
  std::vector<LineMark> line_marks;  // text views: lines marked in the gutter
  gulong line_marks_handler = 0;     // the buffer's "changed", which checks the marked lines
};

struct MenuItemRecord {
  Toolkit* toolkit = nullptr;
  int window = 0;
  int id = 0;
  GtkWidget* widget = nullptr;
  GtkWidget* shell = nullptr;
  std::string label;
  int image = -1;
  bool check = false;
  gulong handler = 0;
};

inline GtkTextBuffer* buffer_of(const ControlRecord* control) {
  return gtk_text_view_get_buffer(GTK_TEXT_VIEW(control->inner));
}

inline void raise(ControlRecord* control, ControlKind kind) {
  control->toolkit->push_event({EventKind::Control, control->window, control->id, kind});
}

// The child in a scrolled window with classic scroll bars (defined in controls.cpp).
GtkWidget* scrolled(GtkWidget* child);
// A list's texts, its first column in order, and the index of the row
// chosen in it (-1: none) (defined in lists.cpp).
std::vector<std::string> first_column(GtkTreeModel* model);
int chosen_index(GtkTreeView* view);

// Puts the cursor at the start of the line (0-based) and scrolls it into
// view: near the edge with a little room, or centred.
void put_cursor_on_line(GtkTextView* view, int line, bool centred);

// Blocks one signal handler for its lifetime: changes the program makes to a
// control raise no event.
class SignalBlock {
 public:
  SignalBlock(GObject* instance, gulong handler) : instance_(instance), handler_(handler) {
    if (instance_ && handler_) g_signal_handler_block(instance_, handler_);
  }
  ~SignalBlock() {
    if (instance_ && handler_) g_signal_handler_unblock(instance_, handler_);
  }
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;

 private:
  GObject* instance_;
  gulong handler_;
};

}  // namespace zorvin::ui::detail
