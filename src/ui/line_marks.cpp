#include "ui/line_marks.h"

#include <gtksourceview/gtksource.h>

#include <string>

#include "ui/gtk_ptr.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui::detail {

namespace {

constexpr const char* kCategory = "zorvin-error";

std::string line_text_at(GtkTextBuffer* buffer, const GtkTextIter& at) {
  GtkTextIter start = at, end = at;
  gtk_text_iter_set_line_offset(&start, 0);
  if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
  GCharPtr text(gtk_text_buffer_get_slice(buffer, &start, &end, TRUE));
  return text ? text.get() : "";
}

// After every change: each sign moves to where its line went (a line broken
// before its first character takes the text to the next line), and goes
// when the line no longer reads as it did.
void check_marked_lines(GtkTextBuffer* buffer, gpointer data) {
  auto* control = static_cast<ControlRecord*>(data);
  for (LineMark& mark : control->line_marks) {
    if (!mark.shown) continue;
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_mark(buffer, &at, mark.place);
    gtk_text_iter_set_line_offset(&at, 0);
    if (line_text_at(buffer, at) != mark.text) {
      gtk_text_buffer_delete_mark(buffer, mark.shown);
      mark.shown = nullptr;
      continue;
    }
    GtkTextIter shown_at;
    gtk_text_buffer_get_iter_at_mark(buffer, &shown_at, mark.shown);
    if (!gtk_text_iter_equal(&at, &shown_at)) gtk_text_buffer_move_mark(buffer, mark.shown, &at);
  }
}

}  // namespace

// The error sign beside the line number, and the line tinted. A view that
// is no source view keeps the marks without showing them.
void show_line_mark_gutter(ControlRecord* control) {
  if (!GTK_SOURCE_IS_VIEW(control->inner)) return;
  GtkSourceMarkAttributes* attributes = gtk_source_mark_attributes_new();
  gtk_source_mark_attributes_set_icon_name(attributes, "dialog-error");
  const GdkRGBA tint{1.0, 0.0, 0.0, 0.12};
  gtk_source_mark_attributes_set_background(attributes, &tint);
  gtk_source_view_set_mark_attributes(GTK_SOURCE_VIEW(control->inner), kCategory, attributes, 10);
  g_object_unref(attributes);
  gtk_source_view_set_show_line_marks(GTK_SOURCE_VIEW(control->inner), TRUE);
}

void add_line_mark(ControlRecord* control, const GtkTextIter& at) {
  GtkTextBuffer* buffer = buffer_of(control);
  if (!control->line_marks_handler)
    control->line_marks_handler = g_signal_connect_after(buffer, "changed", G_CALLBACK(check_marked_lines), control);
  LineMark mark;
  // Right gravity: text typed at the line's start stays on the line.
  mark.place = gtk_text_buffer_create_mark(buffer, nullptr, &at, FALSE);
  mark.shown = GTK_SOURCE_IS_BUFFER(buffer)
                   ? GTK_TEXT_MARK(gtk_source_buffer_create_source_mark(GTK_SOURCE_BUFFER(buffer), nullptr, kCategory, &at))
                   : gtk_text_buffer_create_mark(buffer, nullptr, &at, TRUE);
  mark.text = line_text_at(buffer, at);
  control->line_marks.push_back(std::move(mark));
}

// Source marks go in one step: deleting tens of thousands one by one takes
// the buffer minutes.
void remove_line_marks(ControlRecord* control) {
  GtkTextBuffer* buffer = buffer_of(control);
  if (GTK_SOURCE_IS_BUFFER(buffer)) {
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gtk_source_buffer_remove_source_marks(GTK_SOURCE_BUFFER(buffer), &start, &end, kCategory);
  } else {
    for (LineMark& mark : control->line_marks)
      if (mark.shown) gtk_text_buffer_delete_mark(buffer, mark.shown);
  }
  for (LineMark& mark : control->line_marks) gtk_text_buffer_delete_mark(buffer, mark.place);
  control->line_marks.clear();
}

int line_of(ControlRecord* control, GtkTextMark* mark) {
  GtkTextIter at;
  gtk_text_buffer_get_iter_at_mark(buffer_of(control), &at, mark);
  return gtk_text_iter_get_line(&at);
}

}  // namespace zorvin::ui::detail
