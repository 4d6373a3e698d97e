#include "ui/line_marks.h"

#include <gtksourceview/gtksource.h>

#include "ui/toolkit_internal.h"

namespace zorvin::ui::detail {

namespace {

constexpr const char* kCategory = "zorvin-error";

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

GtkTextMark* add_line_mark(ControlRecord* control, const GtkTextIter& at) {
  GtkTextBuffer* buffer = buffer_of(control);
  if (GTK_SOURCE_IS_BUFFER(buffer))
    return GTK_TEXT_MARK(gtk_source_buffer_create_source_mark(GTK_SOURCE_BUFFER(buffer), nullptr, kCategory, &at));
  return gtk_text_buffer_create_mark(buffer, nullptr, &at, TRUE);
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
    for (GtkTextMark* mark : control->line_marks) gtk_text_buffer_delete_mark(buffer, mark);
  }
  control->line_marks.clear();
}

}  // namespace zorvin::ui::detail
