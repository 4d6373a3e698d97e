// Going to a line of a text view: lines that lead somewhere when the user
// activates them, the cursor put on a line, and marked lines in the gutter.
#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "ui/line_marks.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::buffer_of;
using detail::ControlRecord;
using detail::ControlType;

namespace {

void raise_activated(ControlRecord* control) { detail::raise(control, ControlKind::Activated); }

gboolean on_line_key(GtkWidget*, GdkEventKey* event, gpointer data) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
                     event->keyval == GDK_KEY_ISO_Enter;
  if (!enter || modifiers != 0) return FALSE;
  raise_activated(static_cast<ControlRecord*>(data));
  return TRUE;
}

// The first click of the two has put the cursor on the line; the view's own
// handling (selecting the word) goes on.
gboolean on_line_click(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->type == GDK_2BUTTON_PRESS && event->button == 1) raise_activated(static_cast<ControlRecord*>(data));
  return FALSE;
}

}  // namespace

void detail::put_cursor_on_line(GtkTextView* view, int line, bool centred) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
  GtkTextIter start;
  gtk_text_buffer_get_iter_at_line(buffer, &start, line);
  gtk_text_buffer_place_cursor(buffer, &start);
  if (centred) {
    gtk_text_view_scroll_to_mark(view, gtk_text_buffer_get_insert(buffer), 0.0, TRUE, 0.0, 0.5);
  } else {
    // A line near the edge is brought in a little, so some of its
    // neighbours show too.
    gtk_text_view_scroll_to_mark(view, gtk_text_buffer_get_insert(buffer), 0.1, FALSE, 0.0, 0.0);
  }
}

void Toolkit::watch_line_activation(int id) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  g_signal_connect(control->inner, "key-press-event", G_CALLBACK(on_line_key), control);
  g_signal_connect(control->inner, "button-press-event", G_CALLBACK(on_line_click), control);
}

void Toolkit::go_to_line(int id, int line) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  const int last = gtk_text_buffer_get_line_count(buffer_of(control)) - 1;
  detail::put_cursor_on_line(GTK_TEXT_VIEW(control->inner), std::clamp(line, 0, last), false);
}

void Toolkit::set_line_marks(int id, const std::vector<int>& lines) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  detail::remove_line_marks(control);
  GtkTextBuffer* buffer = buffer_of(control);
  const int count = gtk_text_buffer_get_line_count(buffer);
  for (int line : lines) {
    GtkTextIter start;
    gtk_text_buffer_get_iter_at_line(buffer, &start, std::clamp(line, 0, count - 1));
    detail::add_line_mark(control, start);
  }
}

std::vector<int> Toolkit::line_marks(int id) const {
  std::vector<int> lines;
  Control* control = find_control(id);
  if (!control) return lines;
  for (const detail::LineMark& mark : control->line_marks) lines.push_back(detail::line_of(control, mark.place));
  return lines;
}

std::vector<int> Toolkit::shown_line_marks(int id) const {
  std::vector<int> lines;
  Control* control = find_control(id);
  if (!control) return lines;
  for (const detail::LineMark& mark : control->line_marks)
    if (mark.shown) lines.push_back(detail::line_of(control, mark.place));
  return lines;
}

}  // namespace zorvin::ui
