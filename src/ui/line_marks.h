// The marks of the source editor's gutter that point at lines (the
// assembler's error lines). They are text marks, so they move with the
// user's edits.
#pragma once

#include <gtk/gtk.h>

namespace zorvin::ui::detail {

struct ControlRecord;

// Lets the view show the marks beside its line numbers.
void show_line_mark_gutter(ControlRecord* control);

// A mark at the start of the line `at` is on.
GtkTextMark* add_line_mark(ControlRecord* control, const GtkTextIter& at);

// Removes all the marks add_line_mark made.
void remove_line_marks(ControlRecord* control);

}  // namespace zorvin::ui::detail
