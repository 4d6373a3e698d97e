#include "ui/line_marks.h"

#include "ui/toolkit_internal.h"

namespace zorvin::ui::detail {

namespace {

constexpr int kGutterWidth = 18;
constexpr int kIconSize = 14;

GtkTextBuffer* buffer_of(const ControlRecord* control) {
  return gtk_text_view_get_buffer(GTK_TEXT_VIEW(control->inner));
}

// The theme's error sign, or a red disc where the theme has none.
void draw_mark(cairo_t* cr, int x, int y) {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  if (GdkPixbuf* icon = gtk_icon_theme_load_icon(theme, "dialog-error", kIconSize, GTK_ICON_LOOKUP_FORCE_SIZE, nullptr)) {
    gdk_cairo_set_source_pixbuf(cr, icon, x, y);
    cairo_paint(cr);
    g_object_unref(icon);
    return;
  }
  cairo_set_source_rgb(cr, 0.8, 0.0, 0.0);
  cairo_arc(cr, x + kIconSize / 2.0, y + kIconSize / 2.0, kIconSize / 2.0 - 1, 0, 2 * G_PI);
  cairo_fill(cr);
}

gboolean draw_gutter(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* control = static_cast<ControlRecord*>(data);
  GtkTextView* view = GTK_TEXT_VIEW(widget);
  GdkWindow* gutter = gtk_text_view_get_window(view, GTK_TEXT_WINDOW_LEFT);
  if (!gutter || !gtk_cairo_should_draw_window(cr, gutter)) return FALSE;
  cairo_save(cr);
  gtk_cairo_transform_to_window(cr, widget, gutter);
  for (GtkTextMark* mark : control->line_marks) {
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_mark(buffer_of(control), &at, mark);
    int top = 0, height = 0, x = 0, y = 0;
    gtk_text_view_get_line_yrange(view, &at, &top, &height);
    gtk_text_view_buffer_to_window_coords(view, GTK_TEXT_WINDOW_LEFT, 0, top, &x, &y);
    draw_mark(cr, (kGutterWidth - kIconSize) / 2, y + (height - kIconSize) / 2);
  }
  cairo_restore(cr);
  return FALSE;
}

}  // namespace

void show_line_mark_gutter(ControlRecord* control) {
  GtkTextView* view = GTK_TEXT_VIEW(control->inner);
  gtk_text_view_set_border_window_size(view, GTK_TEXT_WINDOW_LEFT, kGutterWidth);
  g_signal_connect_after(view, "draw", G_CALLBACK(draw_gutter), control);
}

// Right gravity: a line break typed at the start of a marked line takes the
// mark along with the line's text.
GtkTextMark* add_line_mark(ControlRecord* control, const GtkTextIter& at) {
  GtkTextMark* mark = gtk_text_buffer_create_mark(buffer_of(control), nullptr, &at, FALSE);
  gtk_widget_queue_draw(control->inner);
  return mark;
}

void remove_line_mark(ControlRecord* control, GtkTextMark* mark) {
  gtk_text_buffer_delete_mark(buffer_of(control), mark);
  gtk_widget_queue_draw(control->inner);
}

}  // namespace zorvin::ui::detail
