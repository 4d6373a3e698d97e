// A logic analyzer's picture: named traces over time, a wire as high and
// low, a bus of 8 pins as its values in hexadecimal, with a time axis at
// the crystal. Ctrl+wheel and zoom() zoom around a place, the wheel and the
// scroll bar move along; a click sets cursor A, a right-click cursor B (on
// an edge within a few pixels, else where clicked). Cost: a redraw looks at
// the changes in view only, each pixel column drawn at most once per trace.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvin::ui {

struct SignalTrace {
  std::string name;
  int width = 1;  // 1: a wire; more: a bus, its values shown
  std::uint8_t initial = 0;  // the value before the first change
  std::vector<std::pair<std::uint64_t, std::uint8_t>> changes;  // (cycle, value), ascending
};

struct SignalPicture {
  std::vector<SignalTrace> traces;
  std::uint64_t begin = 0;  // the cycle the record begins at
  std::uint64_t end = 0;    // the latest cycle known
  std::uint64_t now = 0;    // where the program stands (marked)
  double seconds_per_cycle = 15.0 / 6e6;
};

class SignalView {
 public:
  SignalView();
  GtkWidget* widget() const { return box_; }  // the picture with its scroll bar
  GtkWidget* area() const { return area_; }

  // New contents; a view that showed the end goes on showing it.
  void set_picture(SignalPicture picture);
  const SignalPicture& picture() const { return picture_; }
  // After a change of size: the whole record still in view when it was,
  // else the same place.
  void refit(bool keep_end);

  // By `factor` (2: twice as wide), around the middle of the view.
  void zoom(double factor);
  void zoom_around(double factor, double x);
  // The whole record in view.
  void zoom_all();
  double cycles_per_pixel() const { return cycles_per_px_; }
  double left_cycle() const { return left_; }

  // Cursor 0 (A) and 1 (B).
  std::optional<std::uint64_t> cursor(int which) const { return cursors_[which & 1]; }
  void set_cursor(int which, std::optional<std::uint64_t> cycle);
  void on_cursors_changed(std::function<void()> handler) { cursors_changed_ = std::move(handler); }

  // Where a cycle is drawn (x in the area) and where a trace's row is (its
  // middle), for clicks.
  double x_of(std::uint64_t cycle) const;
  double row_middle(int trace) const;

  // For the signal handlers.
  void draw(cairo_t* cr);
  void pressed(GdkEventButton* event);
  void scrolled(GdkEventScroll* event);
  void scrolled_to(double left);

 private:
  double plot_width() const;
  void keep_in_range();
  void update_scrollbar();
  std::uint64_t cycle_at(double x, int trace) const;

  GtkWidget* box_ = nullptr;
  GtkWidget* area_ = nullptr;
  GtkAdjustment* adjustment_ = nullptr;
  SignalPicture picture_;
  double cycles_per_px_ = 1.0;
  double left_ = 0.0;
  bool fitted_ = true;  // follows the whole record until the user zooms
  bool updating_ = false;
  std::optional<std::uint64_t> cursors_[2];
  std::function<void()> cursors_changed_;
};

// "250 µs", "1,5 ms", "2 s": a time on the axis.
std::string axis_time(double seconds);
// A time to the precision of `step` (s): "380,842980 s" for a step of µs.
std::string exact_time(double seconds, double step);

}  // namespace zorvin::ui
