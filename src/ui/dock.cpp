#include "ui/dock.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "settings/ini_text.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

namespace {

// The editor beside the strip keeps at least this much of the width.
constexpr int kEditorShare = 240;
// Below this share of the width (source and listing) the window grows
// for the strip rather than squeeze them.
constexpr int kComfortableShare = 600;

void on_dock_position(GObject*, GParamSpec*, gpointer data) { static_cast<Dock*>(data)->position_changed(); }

int paned_length(GtkPaned* paned) {
  int length = gtk_widget_get_allocated_width(GTK_WIDGET(paned));
  if (length <= 1) gtk_widget_get_size_request(GTK_WIDGET(paned), &length, nullptr);
  return length;
}

}  // namespace

Dock::Dock() {
  scroller_ = gtk_scrolled_window_new(nullptr, nullptr);
  g_object_ref_sink(scroller_);  // kept until the dock goes, whenever its window does
  // The panes one below the other share the height and scroll each on its
  // own; in a window too small for their headers the strip scrolls.
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller_), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  box_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_container_add(GTK_CONTAINER(scroller_), box_);
  gtk_widget_show(box_);
  gtk_widget_set_no_show_all(scroller_, TRUE);  // shown only with an open pane
}

GtkPaned* Dock::paned() const {
  GtkWidget* parent = gtk_widget_get_parent(scroller_);
  return parent && GTK_IS_PANED(parent) ? GTK_PANED(parent) : nullptr;
}

// The panes hang in a chain of vertical splitters, each pane in the upper
// part of its own with the next pane's splitter below it, so the user drags
// the border between any two. A pane added later leaves the ones there
// where they are: moved, their widgets would be made anew on the screen.
void Dock::add(GtkWidget* pane) {
  if (gtk_widget_get_parent(pane)) return;
  const auto known = std::find_if(slots_.begin(), slots_.end(), [pane](const Slot& slot) { return slot.pane == pane; });
  if (known != slots_.end()) {  // back where it was
    gtk_paned_pack1(GTK_PANED(known->split), pane, TRUE, FALSE);
  } else {
    GtkWidget* split = gtk_paned_new(GTK_ORIENTATION_VERTICAL);
    gtk_widget_show(split);
    gtk_paned_pack1(GTK_PANED(split), pane, TRUE, FALSE);
    if (slots_.empty()) {
      gtk_box_pack_start(GTK_BOX(box_), split, TRUE, TRUE, 0);
    } else {
      const Slot& above = slots_.back();
      gtk_paned_pack2(GTK_PANED(above.split), split, TRUE, FALSE);
      if (const auto wanted = wanted_heights_.find(above.pane); wanted != wanted_heights_.end())
        gtk_paned_set_position(GTK_PANED(above.split), wanted->second);
    }
    slots_.push_back({pane, split});
  }
  if (GtkPaned* split = paned(); split && !g_object_get_data(G_OBJECT(split), "zorvin-dock")) {
    g_signal_connect(split, "notify::position", G_CALLBACK(on_dock_position), this);
    g_object_set_data(G_OBJECT(split), "zorvin-dock", this);
  }
}

// A splitter shows while one of the panes in it does; a collapsed pane
// keeps only its header's height, unless the user set the border.
bool Dock::show_shown(GtkWidget* widget) {
  if (!widget) return false;
  if (!GTK_IS_PANED(widget)) return gtk_widget_get_visible(widget);
  GtkPaned* split = GTK_PANED(widget);
  GtkWidget* first = gtk_paned_get_child1(split);
  GtkWidget* second = gtk_paned_get_child2(split);
  const bool any = show_shown(first) | show_shown(second);
  gtk_widget_set_visible(widget, any);
  for (GtkWidget* child : {first, second}) {
    if (!child) continue;
    const bool grows = gtk_widget_compute_expand(child, GTK_ORIENTATION_VERTICAL);
    gboolean was = TRUE;
    gtk_container_child_get(GTK_CONTAINER(split), child, "resize", &was, nullptr);
    if (was == grows) continue;
    gtk_container_child_set(GTK_CONTAINER(split), child, "resize", grows, nullptr);
    g_object_set(split, "position-set", FALSE, nullptr);  // sized anew by what grows
  }
  return any;
}

void Dock::set_pane_height(GtkWidget* pane, int height) {
  if (height <= 0) return;
  wanted_heights_[pane] = height;
  // The border below the last pane comes with the next one.
  for (std::size_t i = 0; i + 1 < slots_.size(); ++i)
    if (slots_[i].pane == pane) gtk_paned_set_position(GTK_PANED(slots_[i].split), height);
}

void Dock::update() {
  GList* children = gtk_container_get_children(GTK_CONTAINER(box_));
  bool any = false;
  for (GList* child = children; child; child = child->next) any = show_shown(GTK_WIDGET(child->data)) || any;
  g_list_free(children);
  if (!any) {  // the strip goes, and the window is as it was before it
    gtk_widget_set_visible(scroller_, false);
    stop_waiting();
    narrow_back();
    return;
  }
  // Already there, or to show once the window has grown.
  if (showing() || waiting_ == Waiting::ForGrowth) return;
  GtkPaned* split = paned();
  if (split && start_growing(split)) return;
  show_strip(split);
}

void Dock::show_strip(GtkPaned* split) {
  gtk_widget_set_visible(scroller_, true);
  if (!split) return;
  fit(split, paned_length(split));
  // The splitter shares out its first width with both sides in view by
  // the width it had when they last were; the strip's own width is set
  // again after that.
  wait_for_allocation(split, Waiting::ForRefit);
}

Dock::~Dock() {
  stop_waiting();
  g_object_unref(scroller_);
}

int Dock::wanted_width() const {
  if (width_ > 0) return width_;
  int natural = 0;
  gtk_widget_get_preferred_width(box_, nullptr, &natural);
  return natural + 4;
}

// The strip takes its width beside an area `length` wide; a first strip
// no more than about half of it: the source stays readable.
void Dock::fit(GtkPaned* split, int length) {
  int width = wanted_width();
  if (width_ <= 0) width = std::min(width, length * 11 / 20);
  width = std::clamp(width, 60, std::max(60, length - kEditorShare));
  fitting_ = true;
  gtk_paned_set_position(split, std::max(length - width, 0));
  fitting_ = false;
}

GtkWindow* Dock::window() const {
  GtkWidget* top = gtk_widget_get_toplevel(scroller_);
  return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

// Widens the window for the strip as far as the screen's work area allows,
// where the strip would leave the source and the listing too little room;
// false when it does not.
bool Dock::start_growing(GtkPaned* split) {
  const int length = paned_length(split);
  const int width = wanted_width();
  GtkWindow* top = window();
  GdkWindow* frame = top ? gtk_widget_get_window(GTK_WIDGET(top)) : nullptr;
  if (!widen_window_ || !frame || length - width >= kComfortableShare || gtk_window_is_maximized(top)) return false;
  GdkRectangle area{}, extents{};
  gdk_monitor_get_workarea(gdk_display_get_monitor_at_window(gdk_window_get_display(frame), frame), &area);
  gdk_window_get_frame_extents(frame, &extents);
  const int added = std::min(width, area.width - extents.width);
  if (added <= 0) return false;
  int window_width = 0, window_height = 0;
  gtk_window_get_size(top, &window_width, &window_height);
  // Grown to the right, moved left where the screen ends.
  const int overflow = extents.x + extents.width + added - (area.x + area.width);
  if (overflow > 0) {
    int x = 0, y = 0;
    gtk_window_get_position(top, &x, &y);
    gtk_window_move(top, std::max(x - overflow, area.x), y);
  }
  gtk_window_resize(top, window_width + added, window_height);
  widened_by_ = added;
  widened_width_ = window_width + added;
  waited_from_ = length;
  wait_for_allocation(split, Waiting::ForGrowth);
  return true;
}

void Dock::wait_for_allocation(GtkPaned* split, Waiting what) {
  stop_waiting();
  waiting_ = what;
  waited_split_ = split;
  allocated_handler_ = g_signal_connect(split, "size-allocate", G_CALLBACK(on_allocated), this);
  // A window manager may refuse the size: the strip shows all the same.
  waiting_timeout_ = g_timeout_add(500, on_waited, this);
}

void Dock::stop_waiting() {
  waiting_ = Waiting::Nothing;
  if (waiting_timeout_) g_source_remove(std::exchange(waiting_timeout_, 0));
  if (allocated_handler_) g_signal_handler_disconnect(waited_split_, std::exchange(allocated_handler_, 0));
}

// Not in the middle of the allocation: the strip's width is set when the
// loop comes round.
void Dock::on_allocated(GtkWidget*, GdkRectangle* allocation, gpointer self) {
  auto* dock = static_cast<Dock*>(self);
  if (dock->waiting_ == Waiting::ForGrowth && allocation->width == dock->waited_from_) return;
  g_signal_handler_disconnect(dock->waited_split_, std::exchange(dock->allocated_handler_, 0));
  if (dock->waiting_timeout_) g_source_remove(dock->waiting_timeout_);
  dock->waiting_timeout_ = g_idle_add(on_waited, self);
}

gboolean Dock::on_waited(gpointer self) {
  auto* dock = static_cast<Dock*>(self);
  dock->waiting_timeout_ = 0;
  const Waiting what = dock->waiting_;
  dock->stop_waiting();
  GtkPaned* split = dock->paned();
  if (what == Waiting::ForGrowth) {
    dock->show_strip(split);
  } else if (what == Waiting::ForRefit && split && dock->showing()) {
    dock->fit(split, paned_length(split));
  }
  return G_SOURCE_REMOVE;
}

void Dock::narrow_back() {
  GtkWindow* top = window();
  const int added = std::exchange(widened_by_, 0);
  if (!top || added == 0 || gtk_window_is_maximized(top)) return;
  int window_width = 0, window_height = 0;
  gtk_window_get_size(top, &window_width, &window_height);
  if (window_width == widened_width_) gtk_window_resize(top, window_width - added, window_height);
}

void Dock::set_width(int width) { width_ = std::max(width, 0); }

void Dock::position_changed() {
  GtkPaned* split = paned();
  if (fitting_ || waiting_ != Waiting::Nothing || !split || !showing()) return;
  const int length = gtk_widget_get_allocated_width(GTK_WIDGET(split));
  if (length > 1) width_ = std::max(length - gtk_paned_get_position(split), 0);
}

std::string Dock::layout(const std::string& title) const {
  const auto found = layouts_.find(title);
  return found == layouts_.end() ? std::string() : found->second;
}

void Dock::keep_layout(const std::string& title, const std::string& text) { layouts_[title] = text; }

std::string pane_layout_text(const PaneLayout& layout) {
  std::string groups;
  for (int group : layout.closed_groups) groups += (groups.empty() ? "" : ",") + std::to_string(group);
  return std::string("offen=") + (layout.open ? "1" : "0") + ";angedockt=" + (layout.docked ? "1" : "0") +
         ";eingeklappt=" + (layout.collapsed ? "1" : "0") + ";zu=" + groups + ";hoehe=" + std::to_string(layout.height);
}

PaneLayout parse_pane_layout(const std::string& text) {
  PaneLayout layout;
  for (const auto& [key, value] : settings::split_items(text)) {
    if (key == "offen" && (value == "0" || value == "1")) layout.open = value == "1";
    if (key == "angedockt" && (value == "0" || value == "1")) layout.docked = value == "1";
    if (key == "eingeklappt" && (value == "0" || value == "1")) layout.collapsed = value == "1";
    if (key == "hoehe" && !value.empty() && value.size() <= 5 && value.find_first_not_of("0123456789") == std::string::npos)
      layout.height = std::atoi(value.c_str());
    if (key != "zu") continue;
    std::size_t at = 0;
    while (at < value.size()) {
      const std::size_t comma = std::min(value.find(',', at), value.size());
      const std::string number = value.substr(at, comma - at);
      at = comma + 1;
      if (number.empty() || number.size() > 3 || number.find_first_not_of("0123456789") != std::string::npos) continue;
      layout.closed_groups.push_back(std::atoi(number.c_str()));
    }
  }
  return layout;
}

// --- the toolkit's side ------------------------------------------------------

void Toolkit::create_dock(int window, int id) {
  dock_ = std::make_shared<Dock>();  // a new main window gets a new dock
  register_control(window, id, dock_->widget(), dock_->widget());
}

}  // namespace zorvin::ui
