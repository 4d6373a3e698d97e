#include "ui/dock.h"

#include <algorithm>
#include <cstdlib>

#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

namespace {

// The editor beside the strip keeps at least this much of the width.
constexpr int kEditorShare = 240;

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

Dock::~Dock() { g_object_unref(scroller_); }

GtkPaned* Dock::paned() const {
  GtkWidget* parent = gtk_widget_get_parent(scroller_);
  return parent && GTK_IS_PANED(parent) ? GTK_PANED(parent) : nullptr;
}

void Dock::add(GtkWidget* pane) {
  if (gtk_widget_get_parent(pane) == box_) return;
  gtk_box_pack_start(GTK_BOX(box_), pane, FALSE, TRUE, 0);  // fills the share its vexpand gives it
  if (GtkPaned* split = paned(); split && !g_object_get_data(G_OBJECT(split), "zorvin-dock"))
    g_signal_connect(split, "notify::position", G_CALLBACK(on_dock_position), this);
  if (GtkPaned* split = paned()) g_object_set_data(G_OBJECT(split), "zorvin-dock", this);
}

void Dock::update() {
  bool any = false;
  GList* panes = gtk_container_get_children(GTK_CONTAINER(box_));
  for (GList* item = panes; item; item = item->next) any = any || gtk_widget_get_visible(GTK_WIDGET(item->data));
  g_list_free(panes);
  const bool was = showing();
  gtk_widget_set_visible(scroller_, any);
  GtkPaned* split = paned();
  if (!any || was || !split) return;
  const int length = paned_length(split);
  int width = width_;
  if (width <= 0) {
    int natural = 0;
    gtk_widget_get_preferred_width(box_, nullptr, &natural);
    // At first no more than about half: the source stays readable.
    width = std::min(natural + 4, length * 11 / 20);
  }
  width = std::clamp(width, 60, std::max(60, length - kEditorShare));
  fitting_ = true;
  gtk_paned_set_position(split, std::max(length - width, 0));
  fitting_ = false;
}

void Dock::set_width(int width) { width_ = std::max(width, 0); }

void Dock::position_changed() {
  GtkPaned* split = paned();
  if (fitting_ || !split || !showing()) return;
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
         ";eingeklappt=" + (layout.collapsed ? "1" : "0") + ";zu=" + groups;
}

PaneLayout parse_pane_layout(const std::string& text) {
  PaneLayout layout;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    const auto equals = item.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = item.substr(0, equals), value = item.substr(equals + 1);
    if (key == "offen" && (value == "0" || value == "1")) layout.open = value == "1";
    if (key == "angedockt" && (value == "0" || value == "1")) layout.docked = value == "1";
    if (key == "eingeklappt" && (value == "0" || value == "1")) layout.collapsed = value == "1";
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
