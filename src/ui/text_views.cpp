// Text views: their text, lines, cursor and scrolling, typing passed on between them, line tips.
#include <algorithm>

#include "ui/source_editor.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::buffer_of;
using detail::ControlRecord;
using detail::ControlType;
using detail::scrolled;
using detail::SignalBlock;

namespace {

std::string buffer_text(GtkTextBuffer* buffer, const GtkTextIter* start, const GtkTextIter* end) {
  GCharPtr text(gtk_text_buffer_get_text(buffer, start, end, TRUE));
  return text ? std::string(text.get()) : std::string();
}

}  // namespace

// --- text views -----------------------------------------------------------

// Blocked while the program itself changes the text, so only user edits
// arrive here.
void Toolkit::on_text_changed(GtkTextBuffer*, gpointer data) {
  auto* control = static_cast<ControlRecord*>(data);
  if (control->toolkit->edited_handler_) control->toolkit->edited_handler_(control->id);
}

void Toolkit::create_text_view(int window, int id, bool editable, int font) {
  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), editable);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), editable);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_NONE);
  if (font >= 0) apply_font(view, font);
  adopt_text_view(window, id, scrolled(view), view);
}

// A text view (plain or source) becomes a control: a mark to scroll to the
// end with, and the user's edits reported.
void Toolkit::adopt_text_view(int window, int id, GtkWidget* outer, GtkWidget* view) {
  register_control(window, id, outer, view);
  Control* control = find_control(id);
  control->type = ControlType::TextView;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  control->scroll_mark = gtk_text_buffer_create_mark(buffer, nullptr, &end, TRUE);
  control->source = G_OBJECT(buffer);
  control->handler = g_signal_connect(buffer, "changed", G_CALLBACK(on_text_changed), control);
  // Undoing back to the loaded or saved text clears the flag without an edit.
  control->modified_handler = g_signal_connect(buffer, "modified-changed", G_CALLBACK(on_text_changed), control);
}

std::string Toolkit::text(int id) const {
  Control* control = find_control(id);
  if (control && control->type == ControlType::Entry) return gtk_entry_get_text(GTK_ENTRY(control->inner));
  if (control && control->type == ControlType::Label) return gtk_label_get_text(GTK_LABEL(control->inner));
  if (!control || control->type != ControlType::TextView) return {};
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer_of(control), &start, &end);
  return buffer_text(buffer_of(control), &start, &end);
}

void Toolkit::set_text(int id, const std::string& text) {
  Control* control = find_control(id);
  if (control && control->type == ControlType::Entry) {
    gtk_entry_set_text(GTK_ENTRY(control->inner), text.c_str());
    return;
  }
  if (control && control->type == ControlType::Label) {
    gtk_label_set_text(GTK_LABEL(control->inner), text.c_str());
    return;
  }
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->handler);
  SignalBlock block_modified(control->source, control->modified_handler);
  GtkTextBuffer* buffer = buffer_of(control);
  {
    detail::FreshHistory fresh(buffer);
    gtk_text_buffer_set_text(buffer, text.c_str(), static_cast<gint>(text.size()));
  }
  // A new text is read from its start, where the view shows it.
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(buffer, &start);
  gtk_text_buffer_place_cursor(buffer, &start);
  gtk_text_buffer_set_modified(buffer, FALSE);
}

void Toolkit::append_line(int id, const std::string& line) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->handler);
  SignalBlock block_modified(control->source, control->modified_handler);
  GtkTextBuffer* buffer = buffer_of(control);
  detail::FreshHistory fresh(buffer);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  const std::string piece = gtk_text_buffer_get_char_count(buffer) == 0 ? line : "\n" + line;
  gtk_text_buffer_insert(buffer, &end, piece.c_str(), static_cast<gint>(piece.size()));
}

int Toolkit::line_count(int id) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return 0;
  GtkTextBuffer* buffer = buffer_of(control);
  return gtk_text_buffer_get_char_count(buffer) == 0 ? 0 : gtk_text_buffer_get_line_count(buffer);
}

std::string Toolkit::line_text(int id, int line) const {
  if (line < 0 || line >= line_count(id)) return {};
  GtkTextBuffer* buffer = buffer_of(find_control(id));
  GtkTextIter start, end;
  gtk_text_buffer_get_iter_at_line(buffer, &start, line);
  end = start;
  if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
  return buffer_text(buffer, &start, &end);
}

void Toolkit::cursor_position(int id, int& line, int& column) const {
  line = 0;
  column = 0;
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter cursor;
  gtk_text_buffer_get_iter_at_mark(buffer, &cursor, gtk_text_buffer_get_insert(buffer));
  line = gtk_text_iter_get_line(&cursor);
  column = gtk_text_iter_get_line_offset(&cursor);
}

bool Toolkit::selected_lines(int id, int& first, int& last) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return false;
  GtkTextIter start, end;
  if (!gtk_text_buffer_get_selection_bounds(buffer_of(control), &start, &end)) return false;
  first = gtk_text_iter_get_line(&start);
  last = gtk_text_iter_get_line(&end);
  if (last > first && gtk_text_iter_starts_line(&end)) --last;
  return true;
}

void Toolkit::scroll_to_line(int id, int line) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter start;
  gtk_text_buffer_get_iter_at_line(buffer, &start, std::max(line, 0));
  gtk_text_buffer_move_mark(buffer, control->scroll_mark, &start);
  gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(control->inner), control->scroll_mark, 0.0, FALSE, 0.0, 0.0);
}

namespace {

void scroll_mark_into_view(GtkTextView* view, GtkTextMark* mark) {
  gtk_text_view_scroll_to_mark(view, mark, 0.0, FALSE, 0.0, 0.0);
}

// How long after a scroll to the end the view keeps following it while
// wrapped lines are still being laid out (later on a loaded machine).
constexpr gint64 kFollowEndMicroseconds = 2 * G_USEC_PER_SEC;

// The view's height grew or shrank as lines took their real height: the
// end is brought into view again, but only shortly after a scroll to it.
void follow_end(GtkAdjustment*, gpointer data) {
  auto* view = GTK_TEXT_VIEW(data);
  const auto* until = static_cast<const gint64*>(g_object_get_data(G_OBJECT(view), "zorvin-follow-until"));
  auto* mark = static_cast<GtkTextMark*>(g_object_get_data(G_OBJECT(view), "zorvin-end-mark"));
  if (until && mark && g_get_monotonic_time() < *until && gtk_widget_get_realized(GTK_WIDGET(view)))
    scroll_mark_into_view(view, mark);
}

}  // namespace

void Toolkit::scroll_to_end(int id) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_buffer_move_mark(buffer, control->scroll_mark, &end);
  GtkTextView* view = GTK_TEXT_VIEW(control->inner);
  scroll_mark_into_view(view, control->scroll_mark);
  // Wrapped lines take their real height only as the view lays them out in
  // the background, which can push the end out of sight again: for a short
  // while each change of the view's height brings the end back.
  g_object_set_data(G_OBJECT(view), "zorvin-end-mark", control->scroll_mark);
  auto* until = g_new(gint64, 1);
  *until = g_get_monotonic_time() + kFollowEndMicroseconds;
  g_object_set_data_full(G_OBJECT(view), "zorvin-follow-until", until, g_free);
  if (!g_object_get_data(G_OBJECT(view), "zorvin-follows-end")) {
    g_signal_connect_object(gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view)), "changed", G_CALLBACK(follow_end),
                            view, GConnectFlags(0));
    g_object_set_data(G_OBJECT(view), "zorvin-follows-end", GINT_TO_POINTER(1));
  }
  g_object_ref(view);
  g_idle_add_full(G_PRIORITY_DEFAULT_IDLE,
                  [](gpointer data) -> gboolean {
                    follow_end(nullptr, data);
                    return G_SOURCE_REMOVE;
                  },
                  view, g_object_unref);
}

void Toolkit::set_line_wrapping(int id, bool wrap) {
  Control* control = find_control(id);
  if (control && control->type == ControlType::TextView)
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(control->inner), wrap ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
}

bool Toolkit::text_modified(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::TextView && gtk_text_buffer_get_modified(buffer_of(control));
}

void Toolkit::set_text_modified(int id, bool modified) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->modified_handler);
  gtk_text_buffer_set_modified(buffer_of(control), modified);
}

namespace {

bool is_typing(const GdkEventKey* event) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (modifiers & ~GDK_SHIFT_MASK) return false;
  switch (event->keyval) {
    case GDK_KEY_BackSpace:
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
      return true;
    default:
      return g_unichar_isprint(gdk_keyval_to_unicode(event->keyval));
  }
}

// The key is handed to the other view as it came, so the input method and
// the view's own bindings treat it as if it had been typed there.
gboolean pass_typing_on(GtkWidget*, GdkEventKey* event, gpointer data) {
  if (!is_typing(event)) return FALSE;
  auto* target = static_cast<ControlRecord*>(data);
  gtk_widget_grab_focus(target->inner);
  gtk_widget_event(target->inner, reinterpret_cast<GdkEvent*>(event));
  return TRUE;
}

}  // namespace

void Toolkit::forward_typing(int from, int to) {
  Control* source = find_control(from);
  Control* target = find_control(to);
  if (source && target) g_signal_connect(source->inner, "key-press-event", G_CALLBACK(pass_typing_on), target);
}

namespace {

gboolean on_line_tooltip(GtkWidget* widget, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip, gpointer data) {
  GtkTextView* view = GTK_TEXT_VIEW(widget);
  GtkTextIter at;
  if (keyboard) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    gtk_text_buffer_get_iter_at_mark(buffer, &at, gtk_text_buffer_get_insert(buffer));
  } else {
    int buffer_x = 0, buffer_y = 0;
    gtk_text_view_window_to_buffer_coords(view, GTK_TEXT_WINDOW_WIDGET, x, y, &buffer_x, &buffer_y);
    if (!gtk_text_view_get_iter_at_location(view, &at, buffer_x, buffer_y)) return FALSE;
  }
  const std::string text = (*static_cast<Toolkit::LineTip*>(data))(gtk_text_iter_get_line(&at));
  if (text.empty()) return FALSE;
  gtk_tooltip_set_text(tooltip, text.c_str());
  return TRUE;
}

}  // namespace

void Toolkit::show_line_tips(int id, LineTip tip) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  gtk_widget_set_has_tooltip(control->inner, TRUE);
  g_signal_connect_data(control->inner, "query-tooltip", G_CALLBACK(on_line_tooltip), new LineTip(std::move(tip)),
                        [](gpointer data, GClosure*) { delete static_cast<LineTip*>(data); }, GConnectFlags(0));
}

}  // namespace zorvin::ui
