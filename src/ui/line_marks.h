// The marks of a text view's gutter that point at lines (the assembler's
// error lines). They are text marks, so they move with the user's edits;
// only the way they are shown depends on the kind of view.
#pragma once

#include <gtk/gtk.h>

namespace zorvin::ui::detail {

struct ControlRecord;

// Makes room for the marks beside the text and draws them there.
void show_line_mark_gutter(ControlRecord* control);

// A mark at the start of the line `at` is on, shown in the gutter.
GtkTextMark* add_line_mark(ControlRecord* control, const GtkTextIter& at);

void remove_line_mark(ControlRecord* control, GtkTextMark* mark);

}  // namespace zorvin::ui::detail
