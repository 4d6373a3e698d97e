#include "ui/profile_gutter.h"

#include <gtksourceview/gtksource.h>

#include <algorithm>
#include <cstdio>

namespace zorvin::ui {

namespace {

constexpr const char* kKey = "zorvin-profile-gutter";
// Beside the line numbers (-30), before the marks (-20).
constexpr int kPosition = -25;

struct Column {
  GtkSourceGutterRenderer* renderer = nullptr;
  std::vector<LineFigure> figures;  // ascending by line
  double top_share = 0.0;
  bool enabled = true;
};

const LineFigure* figure_of(const Column& column, int line) {
  const auto found = std::lower_bound(column.figures.begin(), column.figures.end(), line,
                                      [](const LineFigure& figure, int wanted) { return figure.line < wanted; });
  return found != column.figures.end() && found->line == line ? &*found : nullptr;
}

std::string text_of(const LineFigure& figure) {
  return compact_count(figure.executions) + "× " + compact_count(figure.cycles);
}

double shade_of(const Column& column, const LineFigure& figure) {
  if (figure.cycles == 0 || column.top_share <= 0.0) return 0.0;
  return std::clamp(figure.share / column.top_share, 0.0, 1.0);
}

void on_query_data(GtkSourceGutterRenderer* renderer, GtkTextIter* start, GtkTextIter*, GtkSourceGutterRendererState,
                   gpointer data) {
  const auto* column = static_cast<const Column*>(data);
  const LineFigure* figure = figure_of(*column, gtk_text_iter_get_line(start));
  auto* text = GTK_SOURCE_GUTTER_RENDERER_TEXT(renderer);
  if (!figure) {
    gtk_source_gutter_renderer_text_set_text(text, "", -1);
    gtk_source_gutter_renderer_set_background(renderer, nullptr);
    return;
  }
  if (figure->executions == 0) {
    gtk_source_gutter_renderer_text_set_markup(text, "<span foreground='#a0a0a0'>0×</span>", -1);
    gtk_source_gutter_renderer_set_background(renderer, nullptr);
    return;
  }
  gtk_source_gutter_renderer_text_set_text(text, text_of(*figure).c_str(), -1);
  // A warm tint, the stronger the larger the line's share.
  const GdkRGBA tint{1.0, 0.45, 0.0, 0.08 + 0.5 * shade_of(*column, *figure)};
  gtk_source_gutter_renderer_set_background(renderer, &tint);
}

gboolean on_query_tooltip(GtkSourceGutterRenderer*, GtkTextIter* at, GdkRectangle*, gint, gint, GtkTooltip* tooltip,
                          gpointer data) {
  const auto* column = static_cast<const Column*>(data);
  const LineFigure* figure = figure_of(*column, gtk_text_iter_get_line(at));
  if (!figure) return FALSE;
  char text[200];
  std::snprintf(text, sizeof text, "Zeile %d: %llu Ausführungen, %llu Zyklen, %.2f %% aller Zyklen", figure->line + 1,
                static_cast<unsigned long long>(figure->executions), static_cast<unsigned long long>(figure->cycles),
                100.0 * figure->share);
  std::string shown = text;
  if (const auto dot = shown.rfind('.'); dot != std::string::npos) shown[dot] = ',';
  gtk_tooltip_set_text(tooltip, shown.c_str());
  return TRUE;
}

GtkSourceView* source_view(const Toolkit& ui, int id) {
  GtkWidget* widget = ui.widget(id);
  return widget && GTK_SOURCE_IS_VIEW(widget) ? GTK_SOURCE_VIEW(widget) : nullptr;
}

Column* column_of(const Toolkit& ui, int id, bool make) {
  GtkSourceView* view = source_view(ui, id);
  if (!view) return nullptr;
  auto* column = static_cast<Column*>(g_object_get_data(G_OBJECT(view), kKey));
  if (column || !make) return column;
  column = new Column;
  g_object_set_data_full(G_OBJECT(view), kKey, column, [](gpointer p) { delete static_cast<Column*>(p); });
  column->renderer = gtk_source_gutter_renderer_text_new();
  gtk_source_gutter_renderer_set_alignment(column->renderer, 1.0, 0.5);
  gtk_source_gutter_renderer_set_padding(column->renderer, 4, 0);
  gtk_source_gutter_renderer_set_visible(column->renderer, FALSE);
  g_signal_connect(column->renderer, "query-data", G_CALLBACK(on_query_data), column);
  g_signal_connect(column->renderer, "query-tooltip", G_CALLBACK(on_query_tooltip), column);
  GtkSourceGutter* gutter = gtk_source_view_get_gutter(view, GTK_TEXT_WINDOW_LEFT);
  gtk_source_gutter_insert(gutter, column->renderer, kPosition);  // the gutter holds it
  return column;
}

void update(Column& column) {
  const bool shown = column.enabled && !column.figures.empty();
  if (shown) {
    // As wide as the widest text; "0×" at least.
    gint widest = 0;
    gint width = 0, height = 0;
    auto* text = GTK_SOURCE_GUTTER_RENDERER_TEXT(column.renderer);
    gtk_source_gutter_renderer_text_measure(text, "0×", &widest, &height);
    for (const LineFigure& figure : column.figures) {
      gtk_source_gutter_renderer_text_measure(text, text_of(figure).c_str(), &width, &height);
      widest = std::max(widest, width);
    }
    gtk_source_gutter_renderer_set_size(column.renderer, widest);
  }
  gtk_source_gutter_renderer_set_visible(column.renderer, shown);
  gtk_source_gutter_renderer_queue_draw(column.renderer);
}

}  // namespace

std::string compact_count(std::uint64_t count) {
  char text[32];
  if (count < 100'000) std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(count));
  else if (count < 100'000'000) std::snprintf(text, sizeof text, "%lluk", static_cast<unsigned long long>((count + 500) / 1000));
  else  // rounded without going past the largest count
    std::snprintf(text, sizeof text, "%lluM",
                  static_cast<unsigned long long>(count / 1'000'000 + (count % 1'000'000 >= 500'000 ? 1 : 0)));
  return text;
}

void show_line_figures(Toolkit& ui, int id, std::vector<LineFigure> figures) {
  Column* column = column_of(ui, id, !figures.empty());
  if (!column) return;
  std::sort(figures.begin(), figures.end(), [](const LineFigure& a, const LineFigure& b) { return a.line < b.line; });
  column->figures = std::move(figures);
  column->top_share = 0.0;
  for (const LineFigure& figure : column->figures) column->top_share = std::max(column->top_share, figure.share);
  update(*column);
}

void enable_line_figures(Toolkit& ui, int id, bool on) {
  Column* column = column_of(ui, id, true);
  if (!column || column->enabled == on) return;
  column->enabled = on;
  update(*column);
}

std::string line_figure_text(const Toolkit& ui, int id, int line) {
  const Column* column = column_of(ui, id, false);
  const LineFigure* figure = column ? figure_of(*column, line) : nullptr;
  if (!figure) return {};
  return figure->executions == 0 ? "0×" : text_of(*figure);
}

double line_figure_shade(const Toolkit& ui, int id, int line) {
  const Column* column = column_of(ui, id, false);
  const LineFigure* figure = column ? figure_of(*column, line) : nullptr;
  return figure ? shade_of(*column, *figure) : 0.0;
}

bool line_figures_shown(const Toolkit& ui, int id) {
  const Column* column = column_of(ui, id, false);
  return column && gtk_source_gutter_renderer_get_visible(column->renderer);
}

}  // namespace zorvin::ui
