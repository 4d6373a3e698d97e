// The dock: a strip of the main window beside the editor where tool
// windows live as panes, one below the other, each scrolling on its own. It shows
// only while one of its panes is open, and keeps the layout of each tool
// (open, docked, collapsed groups) by the tool's title, for the settings.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zorvin::ui {

class Dock {
 public:
  enum class Waiting { Nothing, ForGrowth, ForRefit };
  Dock();
  ~Dock();
  Dock(const Dock&) = delete;
  Dock& operator=(const Dock&) = delete;

  GtkWidget* widget() const { return scroller_; }
  // Adds a pane's widget below the others, or puts it back where it was;
  // the user drags the borders between them.
  void add(GtkWidget* pane);
  // The border below the pane, where there is one.
  void set_pane_height(GtkWidget* pane, int height);
  // Shows the strip while one of its panes is visible, hides it otherwise;
  // a strip that appears takes its remembered width. Once `widen_window`
  // is on, a strip that would leave the editor too little room widens the
  // window as far as the screen allows, and the window narrows again when
  // the strip goes, unless the user has sized it in between.
  void update();
  void widen_window(bool on) { widen_window_ = on; }
  // False while the strip waits for the window to grow or for its width.
  bool settled() const { return waiting_ == Waiting::Nothing; }
  bool showing() const { return gtk_widget_get_visible(scroller_); }

  // The strip's width while it shows, kept across sessions.
  int width() const { return width_; }
  void set_width(int width);

  // Each tool's layout as a line of text, by its title.
  std::string layout(const std::string& title) const;
  void keep_layout(const std::string& title, const std::string& text);
  const std::map<std::string, std::string>& layouts() const { return layouts_; }
  void set_layouts(std::map<std::string, std::string> layouts) { layouts_ = std::move(layouts); }

  // For the signal handler.
  void position_changed();

 private:
  GtkPaned* paned() const;
  GtkWindow* window() const;
  int wanted_width() const;
  void fit(GtkPaned* split, int length);
  bool start_growing(GtkPaned* split);
  void show_strip(GtkPaned* split);
  void narrow_back();
  // Until the splitter's next allocation: the window has grown, or the
  // splitter has shared out its width with the strip in it.
  void wait_for_allocation(GtkPaned* split, Waiting what);
  void stop_waiting();
  static void on_allocated(GtkWidget* split, GdkRectangle* allocation, gpointer self);
  static gboolean on_waited(gpointer self);
  struct Slot {
    GtkWidget* pane;
    GtkWidget* split;  // its splitter: the pane above, the next splitter below
  };
  static bool show_shown(GtkWidget* widget);
  std::vector<Slot> slots_;
  std::map<GtkWidget*, int> wanted_heights_;  // as remembered, for a border still to come

  GtkWidget* scroller_;
  GtkWidget* box_;
  int width_ = 0;  // 0: as wide as its panes need
  bool fitting_ = false;
  bool widen_window_ = false;
  // While the window grows for the strip, the strip waits hidden, so that
  // the source and the listing are never squeezed on the way.
  Waiting waiting_ = Waiting::Nothing;
  GtkPaned* waited_split_ = nullptr;
  int waited_from_ = 0;  // the splitter's width before the window grew
  gulong allocated_handler_ = 0;
  guint waiting_timeout_ = 0;
  int widened_by_ = 0;     // what the strip added to the window's width
  int widened_width_ = 0;  // the window's width just after, to see whether the user sized it
  std::map<std::string, std::string> layouts_;
};

// A tool's layout: open, docked, its body collapsed, and which of its
// groups are collapsed, and its height in the dock, as
// "offen=1;angedockt=1;eingeklappt=0;zu=2,5;hoehe=300".
struct PaneLayout {
  bool open = false;
  bool docked = true;
  bool collapsed = false;
  std::vector<int> closed_groups;
  int height = 0;  // docked, in pixels; 0: as the dock shares it out
};
std::string pane_layout_text(const PaneLayout& layout);
// Unknown or malformed items keep their defaults.
PaneLayout parse_pane_layout(const std::string& text);

}  // namespace zorvin::ui
