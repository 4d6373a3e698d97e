// Where a tool window shows: as a pane in the main window's dock or in a
// window of its own, moved between the two with its widgets and values as
// they are, and its layout kept in the dock's record.
#include <algorithm>

#include "ui/dock.h"
#include "ui/tool_window.h"
#include "ui/tool_window_field.h"

namespace zorvin::ui {

namespace {

gboolean on_window_key(GtkWidget*, GdkEventKey* event, gpointer data) {
  return static_cast<ToolWindow*>(data)->key_pressed(event) ? TRUE : FALSE;
}

gboolean on_window_delete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<ToolWindow*>(data)->closed();
  return TRUE;  // hidden, not destroyed
}

void on_dock_clicked(GtkButton*, gpointer data) {
  auto* tool = static_cast<ToolWindow*>(data);
  tool->set_docked(!tool->docked());
}

void on_close_clicked(GtkButton*, gpointer data) { static_cast<ToolWindow*>(data)->closed(); }

void on_body_toggled(GObject*, GParamSpec*, gpointer data) { static_cast<ToolWindow*>(data)->body_toggled(); }

void on_pane_allocated(GtkWidget*, GdkRectangle* box, gpointer data) {
  static_cast<ToolWindow*>(data)->pane_allocated(box->height);
}

GtkWidget* header_button(const char* label, const char* tooltip) {
  GtkWidget* button = gtk_button_new_with_label(label);
  gtk_widget_set_tooltip_text(button, tooltip);
  gtk_widget_set_focus_on_click(button, FALSE);
  gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
  return button;
}

}  // namespace

void ToolWindow::create(const std::string& title, int columns) {
  if (pane_) return;
  install_tool_style();
  Dock* dock = ui_.dock();
  const PaneLayout layout = parse_pane_layout(dock ? dock->layout(title) : "");
  title_ = title;
  docked_ = dock && layout.docked;
  closed_groups_ = layout.closed_groups;
  remembered_ = dock && !dock->layout(title).empty();
  height_ = layout.height;
  build_pane(title, columns);
  g_signal_connect(pane_, "size-allocate", G_CALLBACK(on_pane_allocated), this);
  gtk_expander_set_expanded(GTK_EXPANDER(body_toggle_), !layout.collapsed);
  gtk_widget_set_vexpand(pane_, !layout.collapsed);
}

void ToolWindow::build_pane(const std::string& title, int columns) {
  pane_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  g_object_ref_sink(pane_);  // held while it moves between the dock and a window
  gtk_container_set_border_width(GTK_CONTAINER(pane_), 4);
  gtk_style_context_add_class(gtk_widget_get_style_context(pane_), "zorvin-tool");
  GtkWidget* header = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  body_toggle_ = gtk_expander_new(nullptr);
  GtkWidget* label = gtk_label_new(nullptr);
  char* markup = g_markup_printf_escaped("<big><b>%s</b></big>", title.c_str());
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  gtk_expander_set_label_widget(GTK_EXPANDER(body_toggle_), label);
  g_signal_connect(body_toggle_, "notify::expanded", G_CALLBACK(on_body_toggled), this);
  gtk_box_pack_start(GTK_BOX(header), body_toggle_, TRUE, TRUE, 0);
  GtkWidget* close = header_button("✕", "Schließen");
  g_signal_connect(close, "clicked", G_CALLBACK(on_close_clicked), this);
  gtk_box_pack_end(GTK_BOX(header), close, FALSE, FALSE, 0);
  dock_button_ = header_button("", "");
  g_signal_connect(dock_button_, "clicked", G_CALLBACK(on_dock_clicked), this);
  gtk_box_pack_end(GTK_BOX(header), dock_button_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(pane_), header, FALSE, FALSE, 0);

  body_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  status_ = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(status_), 0.0f);
  gtk_label_set_selectable(GTK_LABEL(status_), TRUE);
  gtk_label_set_line_wrap(GTK_LABEL(status_), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(status_), 40);
  gtk_style_context_add_class(gtk_widget_get_style_context(status_), "zorvin-status");
  gtk_box_pack_start(GTK_BOX(body_), status_, FALSE, FALSE, 0);
  GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  // The buttons wrap in a narrow pane.
  buttons_ = gtk_flow_box_new();
  gtk_flow_box_set_selection_mode(GTK_FLOW_BOX(buttons_), GTK_SELECTION_NONE);
  gtk_flow_box_set_max_children_per_line(GTK_FLOW_BOX(buttons_), 8);
  gtk_flow_box_set_row_spacing(GTK_FLOW_BOX(buttons_), 2);
  gtk_flow_box_set_column_spacing(GTK_FLOW_BOX(buttons_), 2);
  gtk_box_pack_start(GTK_BOX(content), buttons_, FALSE, FALSE, 0);
  row_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  for (int i = 0; i < columns; ++i) {
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_box_pack_start(GTK_BOX(row_), column, FALSE, TRUE, 0);
    columns_.push_back(column);
  }
  // A group with a list in it grows with the pane; the others keep their
  // height (expand off, fill on: only what asks to grow gets more room).
  gtk_box_pack_start(GTK_BOX(content), row_, FALSE, TRUE, 0);
  // The buttons and groups scroll in a pane or window smaller than they
  // are (a small screen); a window opens as large as they need.
  scroller_ = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller_), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller_), TRUE);
  gtk_container_add(GTK_CONTAINER(scroller_), content);
  gtk_box_pack_start(GTK_BOX(body_), scroller_, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(pane_), body_, TRUE, TRUE, 0);
}

// The pane into the dock or its own window, as it is.
void ToolWindow::put_pane() {
  GtkWidget* parent = gtk_widget_get_parent(pane_);
  if (parent && (parent == window_) != docked_) return;  // already there
  if (parent) gtk_container_remove(GTK_CONTAINER(parent), pane_);
  arrange_groups();
  gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller_), !docked_);
  gtk_button_set_label(GTK_BUTTON(dock_button_), docked_ ? "Abdocken" : "Andocken");
  gtk_widget_set_tooltip_text(dock_button_, docked_ ? "In einem eigenen Fenster zeigen" : "Im Hauptfenster zeigen");
  if (docked_) {
    ui_.dock()->add(pane_);
  } else {
    gtk_container_add(GTK_CONTAINER(window_), pane_);
  }
}

// In a window of its own the groups stand in their columns; in the dock's
// narrow strip in one column, in the order they were added (the caller
// adds the ones most looked at first).
void ToolWindow::arrange_groups() {
  for (const Group& each : groups_) {
    GtkWidget* target = columns_[docked_ ? 0 : each.column];
    GtkWidget* group = each.expander;
    g_object_ref(group);
    if (GtkWidget* parent = gtk_widget_get_parent(group)) gtk_container_remove(GTK_CONTAINER(parent), group);
    gtk_box_pack_start(GTK_BOX(target), group, FALSE, TRUE, 0);
    g_object_unref(group);
  }
}

void ToolWindow::ensure_own_window() {
  if (window_) return;
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), title_.c_str());
  g_signal_connect(window_, "key-press-event", G_CALLBACK(on_window_key), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_window_delete), this);
}

void ToolWindow::show() {
  if (!pane_) return;
  Dock* dock = ui_.dock();
  if (!dock) docked_ = false;
  if (docked_) {
    const int height = height_;
    put_pane();
    gtk_widget_show_all(pane_);
    tidy_after_show();
    dock->update();
    if (gtk_expander_get_expanded(GTK_EXPANDER(body_toggle_))) dock->set_pane_height(pane_, height);
  } else {
    ensure_own_window();
    put_pane();
    gtk_widget_show_all(window_);
    tidy_after_show();
    gtk_window_present(GTK_WINDOW(window_));
  }
  keep_layout();
}

// A pane without command buttons or status line gives them no room; a
// collapsed one shows only its header.
void ToolWindow::tidy_after_show() {
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(buttons_));
  if (!buttons) gtk_widget_hide(buttons_);
  g_list_free(buttons);
  if (status().empty()) gtk_widget_hide(status_);
  gtk_widget_set_visible(body_, gtk_expander_get_expanded(GTK_EXPANDER(body_toggle_)));
}

void ToolWindow::body_toggled() {
  const bool open = gtk_expander_get_expanded(GTK_EXPANDER(body_toggle_));
  if (gtk_widget_get_visible(pane_)) gtk_widget_set_visible(body_, open);
  // Open panes share the dock's height; a collapsed one is its header.
  gtk_widget_set_vexpand(pane_, open);
  keep_layout();
}

// The height the user gave the pane in the dock is kept with its layout:
// where the border below it stands, which is where it is set back (the
// pane's own height is less by its margins).
void ToolWindow::pane_allocated(int height) {
  if (!docked_ || height <= 1 || !gtk_expander_get_expanded(GTK_EXPANDER(body_toggle_))) return;
  // Only a pane above another one has a border the user can drag.
  GtkWidget* parent = gtk_widget_get_parent(pane_);
  if (!parent || !GTK_IS_PANED(parent) || gtk_paned_get_child1(GTK_PANED(parent)) != pane_) return;
  GtkWidget* below = gtk_paned_get_child2(GTK_PANED(parent));
  if (!below || !gtk_widget_get_visible(below)) return;
  const int border = gtk_paned_get_position(GTK_PANED(parent));
  if (border == height_) return;
  height_ = border;
  keep_layout();
}

void ToolWindow::hide() {
  if (!pane_) return;
  if (docked_) {
    gtk_widget_hide(pane_);
    if (Dock* dock = ui_.dock()) dock->update();
  } else if (window_) {
    gtk_widget_hide(window_);
  }
  keep_layout();
}

bool ToolWindow::visible() const {
  if (!pane_) return false;
  if (docked_) return gtk_widget_get_visible(pane_) && gtk_widget_get_parent(pane_);
  return window_ && gtk_widget_get_visible(window_);
}

GtkWindow* ToolWindow::gtk_window() const {
  if (!docked_ || !pane_) return window_ ? GTK_WINDOW(window_) : nullptr;
  GtkWidget* top = gtk_widget_get_toplevel(pane_);
  return top && GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

void ToolWindow::set_docked(bool docked) {
  if (!pane_ || docked == docked_ || (docked && !ui_.dock())) return;
  const bool was_visible = visible();
  GtkWindow* main = gtk_window();
  hide();
  docked_ = docked;
  // Its own window opens the first time beside the one it was docked in.
  if (!docked && !window_ && main) place_beside(main);
  if (was_visible) {
    show();
  } else {
    keep_layout();
  }
}

void ToolWindow::keep_layout() {
  Dock* dock = ui_.dock();
  if (!dock || !pane_) return;
  PaneLayout layout;
  layout.open = visible();
  layout.docked = docked_;
  layout.collapsed = !gtk_expander_get_expanded(GTK_EXPANDER(body_toggle_));
  layout.height = height_;
  for (std::size_t i = 0; i < groups_.size(); ++i)
    if (!gtk_expander_get_expanded(GTK_EXPANDER(groups_[i].expander)))
      layout.closed_groups.push_back(static_cast<int>(i));
  dock->keep_layout(title_, pane_layout_text(layout));
}

void ToolWindow::place_beside(GtkWindow* other) {
  if (!pane_ || !other || docked_) return;
  ensure_own_window();
  put_pane();
  int x = 0, y = 0, width = 0, height = 0, own_width = 0, own_height = 0;
  gtk_window_get_position(other, &x, &y);
  gtk_window_get_size(other, &width, &height);
  gtk_widget_show_all(pane_);
  gtk_window_get_default_size(GTK_WINDOW(window_), &own_width, &own_height);
  GtkRequisition natural{};
  gtk_widget_get_preferred_size(window_, nullptr, &natural);
  own_width = std::max(own_width, natural.width);
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display ? gdk_display_get_monitor_at_window(display, gtk_widget_get_window(GTK_WIDGET(other)))
                                : nullptr;
  int left = x + width + 8;
  if (monitor) {
    GdkRectangle work;
    gdk_monitor_get_workarea(monitor, &work);
    // No larger than the screen: what does not fit scrolls.
    if (natural.width > work.width || natural.height > work.height)
      gtk_window_resize(GTK_WINDOW(window_), std::min(natural.width, work.width),
                        std::min(natural.height, std::max(work.height - 40, 200)));
    own_width = std::min(own_width, work.width);
    left = std::max(work.x, std::min(left, work.x + work.width - own_width));
  }
  gtk_window_move(GTK_WINDOW(window_), left, y);
}

}  // namespace zorvin::ui
