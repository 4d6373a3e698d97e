// The marks of the source editor's gutter that point at lines (the
// assembler's error lines). Each follows its line through the user's edits;
// its sign goes once the line's text changed (edited, or taken away by a
// delete or an undo), since the line it was meant for is no longer there.
#pragma once

#include <gtk/gtk.h>

namespace zorvin::ui::detail {

struct ControlRecord;

// Lets the view show the marks beside its line numbers.
void show_line_mark_gutter(ControlRecord* control);

// Marks the line `at` is on.
void add_line_mark(ControlRecord* control, const GtkTextIter& at);

// Removes all the marks add_line_mark made.
void remove_line_marks(ControlRecord* control);

// The line (0-based) a mark's line is on now.
int line_of(ControlRecord* control, GtkTextMark* mark);

}  // namespace zorvin::ui::detail
