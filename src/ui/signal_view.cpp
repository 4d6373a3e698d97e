#include "ui/signal_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zorvin::ui {

namespace {

constexpr double kNames = 96.0;     // the column of the names
constexpr double kAxis = 22.0;      // the time axis above the traces
constexpr double kRow = 26.0;
constexpr double kSnapPixels = 6.0;  // a click this near an edge takes the edge
constexpr double kFinest = 1.0 / 32;  // cycles per pixel at the most
constexpr double kTickPixels = 90.0;

gboolean on_draw(GtkWidget*, cairo_t* cr, gpointer data) {
  static_cast<SignalView*>(data)->draw(cr);
  return TRUE;
}

gboolean on_press(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  gtk_widget_grab_focus(widget);
  static_cast<SignalView*>(data)->pressed(event);
  return TRUE;
}

gboolean on_scroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
  static_cast<SignalView*>(data)->scrolled(event);
  return TRUE;
}

void on_scrollbar(GtkAdjustment* adjustment, gpointer data) {
  static_cast<SignalView*>(data)->scrolled_to(gtk_adjustment_get_value(adjustment));
}

void on_resize(GtkWidget*, GdkRectangle*, gpointer data) {
  static_cast<SignalView*>(data)->refit(false);
}

// The value at `cycle`: the last change at or before it.
std::uint8_t value_at(const SignalTrace& trace, double cycle) {
  const auto after = std::upper_bound(trace.changes.begin(), trace.changes.end(), cycle,
                                      [](double c, const auto& change) { return c < static_cast<double>(change.first); });
  return after == trace.changes.begin() ? trace.initial : std::prev(after)->second;
}

std::string hex(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
  return text;
}

void text_at(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

}  // namespace

std::string axis_time(double seconds) {
  const double magnitude = std::fabs(seconds);
  double value = seconds * 1e6;
  const char* unit = "µs";
  if (magnitude >= 1.0) {
    value = seconds;
    unit = "s";
  } else if (magnitude >= 1e-3) {
    value = seconds * 1e3;
    unit = "ms";
  } else if (magnitude > 0 && magnitude < 1e-6) {
    value = seconds * 1e9;
    unit = "ns";
  }
  char text[48];
  std::snprintf(text, sizeof text, "%.4g %s", value, unit);
  std::string shown = text;
  if (const auto dot = shown.find('.'); dot != std::string::npos) shown[dot] = ',';
  return shown;
}

std::string exact_time(double seconds, double step) {
  if (step >= 1e-3 && seconds < 1.0) return axis_time(seconds);
  const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 9);
  char text[48];
  std::snprintf(text, sizeof text, "%.*f s", decimals, seconds);
  std::string shown = text;
  if (const auto dot = shown.find('.'); dot != std::string::npos) shown[dot] = ',';
  return shown;
}

SignalView::SignalView() {
  box_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  area_ = gtk_drawing_area_new();
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
  gtk_widget_set_hexpand(area_, TRUE);
  gtk_widget_set_vexpand(area_, TRUE);
  g_signal_connect(area_, "draw", G_CALLBACK(on_draw), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(on_press), this);
  g_signal_connect(area_, "scroll-event", G_CALLBACK(on_scroll), this);
  g_signal_connect(area_, "size-allocate", G_CALLBACK(on_resize), this);
  adjustment_ = gtk_adjustment_new(0, 0, 1, 1, 10, 1);
  g_signal_connect(adjustment_, "value-changed", G_CALLBACK(on_scrollbar), this);
  gtk_box_pack_start(GTK_BOX(box_), area_, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box_), gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, adjustment_), FALSE, FALSE, 0);
}

double SignalView::plot_width() const {
  return std::max(10.0, gtk_widget_get_allocated_width(area_) - kNames - 8.0);
}

double SignalView::x_of(std::uint64_t cycle) const {
  return kNames + (static_cast<double>(cycle) - left_) / cycles_per_px_;
}

double SignalView::row_middle(int trace) const { return kAxis + kRow * trace + kRow / 2; }

void SignalView::set_picture(SignalPicture picture) {
  const double span = static_cast<double>(picture_.end) - left_;
  const bool at_end = span <= plot_width() * cycles_per_px_ + 1.0;
  if (picture.traces.size() != picture_.traces.size())
    gtk_widget_set_size_request(area_, 720, static_cast<int>(kAxis + kRow * static_cast<double>(picture.traces.size()) + 18));
  picture_ = std::move(picture);
  refit(at_end);
}

void SignalView::refit(bool keep_end) {
  if (fitted_) {
    zoom_all();
    return;
  }
  // Like a scope rolling on: the end stays in view while it was.
  if (keep_end) left_ = static_cast<double>(picture_.end) - plot_width() * cycles_per_px_;
  keep_in_range();
  update_scrollbar();
  gtk_widget_queue_draw(area_);
}

void SignalView::zoom_all() {
  fitted_ = true;
  const double span = std::max(1.0, static_cast<double>(picture_.end - std::min(picture_.end, picture_.begin)));
  cycles_per_px_ = std::max(kFinest, span / plot_width());
  left_ = static_cast<double>(picture_.begin);
  update_scrollbar();
  gtk_widget_queue_draw(area_);
}

void SignalView::zoom(double factor) { zoom_around(factor, kNames + plot_width() / 2); }

void SignalView::zoom_around(double factor, double x) {
  if (factor <= 0) return;
  const double anchor = left_ + (std::max(x, kNames) - kNames) * cycles_per_px_;
  const double span = std::max(1.0, static_cast<double>(picture_.end - std::min(picture_.end, picture_.begin)));
  const double coarsest = std::max(kFinest, span / plot_width());
  cycles_per_px_ = std::clamp(cycles_per_px_ / factor, kFinest, coarsest);
  fitted_ = cycles_per_px_ >= coarsest;
  left_ = anchor - (std::max(x, kNames) - kNames) * cycles_per_px_;
  keep_in_range();
  update_scrollbar();
  gtk_widget_queue_draw(area_);
}

void SignalView::keep_in_range() {
  const double last = static_cast<double>(picture_.end) - plot_width() * cycles_per_px_;
  left_ = std::max(static_cast<double>(picture_.begin), std::min(left_, last));
}

void SignalView::update_scrollbar() {
  updating_ = true;
  const double page = plot_width() * cycles_per_px_;
  const double lower = static_cast<double>(picture_.begin);
  const double upper = std::max(static_cast<double>(picture_.end), lower + page);
  gtk_adjustment_configure(adjustment_, left_, lower, upper, page / 10, page * 0.9, page);
  updating_ = false;
}

void SignalView::scrolled_to(double left) {
  if (updating_) return;
  left_ = left;
  fitted_ = false;
  keep_in_range();
  gtk_widget_queue_draw(area_);
}

void SignalView::scrolled(GdkEventScroll* event) {
  double dy = 0;
  if (event->direction == GDK_SCROLL_UP) dy = -1;
  else if (event->direction == GDK_SCROLL_DOWN) dy = 1;
  else if (event->direction == GDK_SCROLL_SMOOTH) dy = event->delta_y != 0 ? event->delta_y : event->delta_x;
  if (dy == 0) return;
  if (event->state & GDK_CONTROL_MASK) {
    zoom_around(dy < 0 ? 2.0 : 0.5, event->x);
    return;
  }
  fitted_ = false;
  left_ += dy * plot_width() * cycles_per_px_ / 8;
  keep_in_range();
  update_scrollbar();
  gtk_widget_queue_draw(area_);
}

// The cycle under x; an edge of the trace in that row (or of any, outside
// the rows) within a few pixels is taken instead.
std::uint64_t SignalView::cycle_at(double x, int trace) const {
  const double at = std::max(static_cast<double>(picture_.begin), left_ + (x - kNames) * cycles_per_px_);
  double best = kSnapPixels * cycles_per_px_;
  std::uint64_t found = static_cast<std::uint64_t>(std::llround(at));
  for (int t = 0; t < static_cast<int>(picture_.traces.size()); ++t) {
    if (trace >= 0 && t != trace) continue;
    const auto& changes = picture_.traces[static_cast<std::size_t>(t)].changes;
    const auto next = std::lower_bound(changes.begin(), changes.end(), at,
                                       [](const auto& change, double c) { return static_cast<double>(change.first) < c; });
    for (auto it : {next, next == changes.begin() ? changes.end() : std::prev(next)}) {
      if (it == changes.end()) continue;
      const double distance = std::fabs(static_cast<double>(it->first) - at);
      if (distance <= best) {
        best = distance;
        found = it->first;
      }
    }
  }
  return found;
}

void SignalView::pressed(GdkEventButton* event) {
  if (event->type != GDK_BUTTON_PRESS || event->x < kNames) return;
  if (event->button != 1 && event->button != 3) return;
  const double row = (event->y - kAxis) / kRow;
  const int trace = row >= 0 && row < static_cast<double>(picture_.traces.size()) ? static_cast<int>(row) : -1;
  set_cursor(event->button == 1 ? 0 : 1, cycle_at(event->x, trace));
}

void SignalView::set_cursor(int which, std::optional<std::uint64_t> cycle) {
  cursors_[which & 1] = cycle;
  gtk_widget_queue_draw(area_);
  if (cursors_changed_) cursors_changed_();
}

void SignalView::draw(cairo_t* cr) {
  const double width = gtk_widget_get_allocated_width(area_);
  const double height = gtk_widget_get_allocated_height(area_);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11);
  const double right = left_ + plot_width() * cycles_per_px_;

  // The axis: ticks 1-2-5 apart in time, at least kTickPixels.
  const double seconds_per_px = cycles_per_px_ * picture_.seconds_per_cycle;
  double step = std::pow(10.0, std::floor(std::log10(seconds_per_px * kTickPixels)));
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (step * factor >= seconds_per_px * kTickPixels) {
      step *= factor;
      break;
    }
  const double first = std::ceil(left_ * picture_.seconds_per_cycle / step);
  for (double n = first; (n * step) / picture_.seconds_per_cycle <= right; n += 1) {
    const double x = kNames + ((n * step) / picture_.seconds_per_cycle - left_) / cycles_per_px_;
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, std::floor(x) + 0.5, kAxis);
    cairo_line_to(cr, std::floor(x) + 0.5, height);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    // The first tick in full, the others from it: "380,842980 s", "+2 µs".
    text_at(cr, x + 2, kAxis - 7, n == first ? exact_time(n * step, step) : "+" + axis_time((n - first) * step));
  }

  // The traces.
  cairo_set_line_width(cr, 1.5);
  for (std::size_t t = 0; t < picture_.traces.size(); ++t) {
    const SignalTrace& trace = picture_.traces[t];
    const double top = kAxis + kRow * static_cast<double>(t) + 5;
    const double bottom = top + kRow - 10;
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text_at(cr, 6, (top + bottom) / 2 + 4, trace.name);
    cairo_save(cr);
    cairo_rectangle(cr, kNames, 0, width - kNames, height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.0, 0.45, 0.1);
    const double end_x = std::min(x_of(picture_.end), width);
    std::uint8_t value = value_at(trace, left_);
    double from = kNames;
    auto change = std::upper_bound(trace.changes.begin(), trace.changes.end(), left_,
                                   [](double c, const auto& ch) { return c < static_cast<double>(ch.first); });
    // One segment per value; changes within one pixel column draw as one.
    auto segment = [&](double to, std::uint8_t shown) {
      if (to <= from) return;
      if (trace.width == 1) {
        const double y = shown ? top : bottom;
        cairo_move_to(cr, from, y);
        cairo_line_to(cr, to, y);
      } else {
        cairo_move_to(cr, from, top);
        cairo_line_to(cr, to, top);
        cairo_move_to(cr, from, bottom);
        cairo_line_to(cr, to, bottom);
        cairo_text_extents_t extents;
        const std::string text = hex(shown);
        cairo_text_extents(cr, text.c_str(), &extents);
        if (to - from > extents.width + 6) text_at(cr, (from + to - extents.width) / 2, (top + bottom) / 2 + 4, text);
      }
      cairo_stroke(cr);
    };
    while (change != trace.changes.end() && static_cast<double>(change->first) <= right) {
      const double x = std::floor(x_of(change->first)) + 0.5;
      // All changes in this pixel column.
      std::uint8_t after = change->second;
      for (++change; change != trace.changes.end() && std::floor(x_of(change->first)) + 0.5 <= x; ++change)
        after = change->second;
      segment(x, value);
      cairo_move_to(cr, x, top);
      cairo_line_to(cr, x, bottom);
      cairo_stroke(cr);
      value = after;
      from = x;
    }
    segment(end_x, value);
    cairo_restore(cr);
  }

  // Where the program stands, and the cursors.
  cairo_save(cr);
  cairo_rectangle(cr, kNames, 0, width - kNames, height);
  cairo_clip(cr);
  const double bottom = kAxis + kRow * static_cast<double>(picture_.traces.size());
  auto vertical = [&](double x, double r, double g, double b, const char* label) {
    cairo_set_source_rgb(cr, r, g, b);
    cairo_move_to(cr, std::floor(x) + 0.5, kAxis - 4);
    cairo_line_to(cr, std::floor(x) + 0.5, bottom);
    cairo_stroke(cr);
    if (label) text_at(cr, x + 3, bottom + 12, label);
  };
  cairo_set_line_width(cr, 1);
  const double dashes[] = {3.0, 3.0};
  cairo_set_dash(cr, dashes, 2, 0);
  vertical(x_of(picture_.now), 0.5, 0.5, 0.5, nullptr);
  cairo_set_dash(cr, nullptr, 0, 0);
  if (cursors_[0]) vertical(x_of(*cursors_[0]), 0.1, 0.3, 0.9, "A");
  if (cursors_[1]) vertical(x_of(*cursors_[1]), 0.85, 0.1, 0.1, "B");
  cairo_restore(cr);
}

}  // namespace zorvin::ui
