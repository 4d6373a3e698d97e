#include "ui/debug_marks.h"

#include <gtksourceview/gtksource.h>

#include <algorithm>
#include <cmath>

namespace zorvin::ui {

namespace {

constexpr const char* kBreakpoint = "zorvin-breakpoint";
constexpr const char* kCurrent = "zorvin-current";
constexpr int kIconSize = 14;

GtkSourceView* source_view(const Toolkit& ui, int id) {
  GtkWidget* widget = ui.widget(id);
  return widget && GTK_SOURCE_IS_VIEW(widget) ? GTK_SOURCE_VIEW(widget) : nullptr;
}

GtkSourceBuffer* source_buffer(const Toolkit& ui, int id) {
  GtkSourceView* view = source_view(ui, id);
  if (!view) return nullptr;
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  return GTK_SOURCE_IS_BUFFER(buffer) ? GTK_SOURCE_BUFFER(buffer) : nullptr;
}

// The icons are drawn here, so they look the same under every icon theme.
GdkPixbuf* draw_icon(bool arrow) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kIconSize, kIconSize);
  cairo_t* cr = cairo_create(surface);
  const double s = kIconSize;
  if (arrow) {
    cairo_move_to(cr, 2, s * 0.3);
    cairo_line_to(cr, s * 0.5, s * 0.3);
    cairo_line_to(cr, s * 0.5, 1);
    cairo_line_to(cr, s - 1, s / 2);
    cairo_line_to(cr, s * 0.5, s - 1);
    cairo_line_to(cr, s * 0.5, s * 0.7);
    cairo_line_to(cr, 2, s * 0.7);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.95, 0.75, 0.0);
  } else {
    cairo_arc(cr, s / 2, s / 2, s / 2 - 1.5, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
  }
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 0.3, 0.1, 0.0, 0.9);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_destroy(cr);
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, kIconSize, kIconSize);
  cairo_surface_destroy(surface);
  return pixbuf;
}

// Once per view: the looks of both kinds of mark.
void prepare(GtkSourceView* view) {
  if (g_object_get_data(G_OBJECT(view), "zorvin-debug-marks")) return;
  g_object_set_data(G_OBJECT(view), "zorvin-debug-marks", GINT_TO_POINTER(1));
  GtkSourceMarkAttributes* breakpoint = gtk_source_mark_attributes_new();
  GdkPixbuf* dot = draw_icon(false);
  gtk_source_mark_attributes_set_pixbuf(breakpoint, dot);
  g_object_unref(dot);
  gtk_source_view_set_mark_attributes(view, kBreakpoint, breakpoint, 20);
  g_object_unref(breakpoint);
  GtkSourceMarkAttributes* current = gtk_source_mark_attributes_new();
  GdkPixbuf* arrow = draw_icon(true);
  gtk_source_mark_attributes_set_pixbuf(current, arrow);
  g_object_unref(arrow);
  const GdkRGBA tint{1.0, 0.85, 0.0, 0.35};
  gtk_source_mark_attributes_set_background(current, &tint);
  gtk_source_view_set_mark_attributes(view, kCurrent, current, 30);
  g_object_unref(current);
  gtk_source_view_set_show_line_marks(view, TRUE);
}

void line_bounds(GtkTextBuffer* buffer, int line, GtkTextIter& start, GtkTextIter& end) {
  gtk_text_buffer_get_iter_at_line(buffer, &start, line);
  end = start;
  if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
}

std::vector<int> lines_of(GtkSourceBuffer* buffer, const char* category) {
  std::vector<int> lines;
  if (!buffer) return lines;
  GtkTextIter at;
  gtk_text_buffer_get_start_iter(GTK_TEXT_BUFFER(buffer), &at);
  // A mark at the very start is not found by moving forward from there.
  GSList* first = gtk_source_buffer_get_source_marks_at_iter(buffer, &at, category);
  if (first) lines.push_back(0);
  g_slist_free(first);
  while (gtk_source_buffer_forward_iter_to_source_mark(buffer, &at, category))
    lines.push_back(gtk_text_iter_get_line(&at));
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

void on_mark_activated(GtkSourceView*, GtkTextIter* iter, GdkEvent* event, gpointer data) {
  guint button = 0;
  if (!event || event->type != GDK_BUTTON_PRESS || !gdk_event_get_button(event, &button) || button != 1) return;
  (*static_cast<std::function<void(int)>*>(data))(gtk_text_iter_get_line(iter));
}

}  // namespace

std::vector<int> breakpoint_lines(const Toolkit& ui, int id) { return lines_of(source_buffer(ui, id), kBreakpoint); }

bool has_breakpoint(const Toolkit& ui, int id, int line) {
  const std::vector<int> lines = breakpoint_lines(ui, id);
  return std::binary_search(lines.begin(), lines.end(), line);
}

void set_breakpoint(Toolkit& ui, int id, int line, bool on) {
  GtkSourceBuffer* buffer = source_buffer(ui, id);
  if (!buffer || line < 0 || line >= gtk_text_buffer_get_line_count(GTK_TEXT_BUFFER(buffer))) return;
  prepare(source_view(ui, id));
  GtkTextIter start, end;
  line_bounds(GTK_TEXT_BUFFER(buffer), line, start, end);
  gtk_source_buffer_remove_source_marks(buffer, &start, &end, kBreakpoint);
  if (on) gtk_source_buffer_create_source_mark(buffer, nullptr, kBreakpoint, &start);
}

void clear_breakpoints(Toolkit& ui, int id) {
  GtkSourceBuffer* buffer = source_buffer(ui, id);
  if (!buffer) return;
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(buffer), &start, &end);
  gtk_source_buffer_remove_source_marks(buffer, &start, &end, kBreakpoint);
}

void set_current_line(Toolkit& ui, int id, int line) {
  GtkSourceBuffer* buffer = source_buffer(ui, id);
  if (!buffer) return;
  prepare(source_view(ui, id));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(buffer), &start, &end);
  gtk_source_buffer_remove_source_marks(buffer, &start, &end, kCurrent);
  if (line < 0 || line >= gtk_text_buffer_get_line_count(GTK_TEXT_BUFFER(buffer))) return;
  gtk_text_buffer_get_iter_at_line(GTK_TEXT_BUFFER(buffer), &start, line);
  GtkSourceMark* mark = gtk_source_buffer_create_source_mark(buffer, nullptr, kCurrent, &start);
  gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(source_view(ui, id)), GTK_TEXT_MARK(mark), 0.1, FALSE, 0.0, 0.0);
}

int current_line(const Toolkit& ui, int id) {
  const std::vector<int> lines = lines_of(source_buffer(ui, id), kCurrent);
  return lines.empty() ? -1 : lines.front();
}

void on_gutter_clicked(Toolkit& ui, int id, std::function<void(int line)> handler) {
  GtkSourceView* view = source_view(ui, id);
  if (!view) return;
  prepare(view);
  auto* stored = new std::function<void(int)>(std::move(handler));
  g_object_set_data_full(G_OBJECT(view), "zorvin-gutter-click", stored,
                         [](gpointer p) { delete static_cast<std::function<void(int)>*>(p); });
  g_signal_connect(view, "line-mark-activated", G_CALLBACK(on_mark_activated), stored);
}

}  // namespace zorvin::ui
