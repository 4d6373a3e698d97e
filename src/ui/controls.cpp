// Controls: registering and placing them, splitters and the small gadgets of dialogs.
#include <algorithm>

#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::ControlRecord;
using detail::ControlType;
using detail::raise;
using detail::SignalBlock;

GtkWidget* detail::scrolled(GtkWidget* child) {
  GtkWidget* frame = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(frame), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(frame), GTK_SHADOW_ETCHED_IN);
  // Classic scroll bars that take their own room, so they never cover the
  // last line of a pane.
  gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(frame), FALSE);
  gtk_container_add(GTK_CONTAINER(frame), child);
  return frame;
}

namespace {

void on_position_changed(GObject*, GParamSpec*, gpointer data) {
  raise(static_cast<ControlRecord*>(data), ControlKind::PositionChanged);
}

void on_clicked(GtkWidget*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::Clicked); }
void on_entry_changed(GtkEditable*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::PositionChanged); }
void on_row_chosen(GtkTreeSelection*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::Clicked); }
void on_row_activated(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer data) {
  raise(static_cast<ControlRecord*>(data), ControlKind::Activated);
}

// A link counts as clicked when a left or right button is pressed and
// released over it.
gboolean on_link_release(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  if (event->button != 1 && event->button != 3) return FALSE;
  GtkAllocation area;
  gtk_widget_get_allocation(widget, &area);
  if (event->x >= 0 && event->y >= 0 && event->x < area.width && event->y < area.height)
    raise(static_cast<ControlRecord*>(data), ControlKind::Clicked);
  return TRUE;
}

void on_link_realize(GtkWidget* widget, gpointer) {
  GdkCursor* hand = gdk_cursor_new_from_name(gtk_widget_get_display(widget), "pointer");
  gdk_window_set_cursor(gtk_widget_get_window(widget), hand);
  if (hand) g_object_unref(hand);
}

}  // namespace

Toolkit::Control* Toolkit::find_control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

GtkWidget* Toolkit::widget(int id) const {
  Control* control = find_control(id);
  return control ? control->inner : nullptr;
}

void Toolkit::register_control(int window, int id, GtkWidget* outer, GtkWidget* inner) {
  auto* control = new Control{};
  control->toolkit = this;
  control->window = window;
  control->id = id;
  control->outer = outer;
  control->inner = inner;
  if (Control* old = find_control(id)) delete old;
  controls_[id] = control;
}

void Toolkit::put_fixed(int window, GtkWidget* widget, Rect rect) {
  Window* record = find_window(window);
  if (!record) return;
  gtk_widget_set_size_request(widget, rect.width, rect.height);
  if (GTK_IS_LAYOUT(record->area)) {
    gtk_layout_put(GTK_LAYOUT(record->area), widget, rect.x, rect.y);
  } else {
    gtk_fixed_put(GTK_FIXED(record->area), widget, rect.x, rect.y);
  }
  gtk_widget_show_all(widget);
}

void Toolkit::place_in_control_area(int window, int id, Rect rect) {
  if (Control* control = find_control(id)) put_fixed(window, control->outer, rect);
}

void Toolkit::set_control_size(int id, int width, int height) {
  if (Control* control = find_control(id))
    gtk_widget_set_size_request(control->outer, std::max(width, 0), std::max(height, 0));
}

void Toolkit::focus(int id) {
  Control* control = find_control(id);
  if (!control) return;
  // A text view taking the focus also brings its window to the front.
  if (control->type == ControlType::TextView) {
    if (GtkWidget* top = gtk_widget_get_toplevel(control->inner); gtk_widget_get_visible(top))
      gtk_window_present(GTK_WINDOW(top));
  }
  gtk_widget_grab_focus(control->inner);
}

// --- splitters ------------------------------------------------------------

void Toolkit::create_splitter(int window, int id, bool side_by_side, int first, int second) {
  GtkWidget* paned = gtk_paned_new(side_by_side ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL);
  if (Control* child = find_control(first)) gtk_paned_pack1(GTK_PANED(paned), child->outer, TRUE, TRUE);
  // The second part keeps at least its minimum size, so a divider position
  // beyond the splitter's size cannot hide it.
  if (Control* child = find_control(second)) gtk_paned_pack2(GTK_PANED(paned), child->outer, TRUE, FALSE);
  register_control(window, id, paned, paned);
  Control* control = find_control(id);
  control->type = ControlType::Splitter;
  control->source = G_OBJECT(paned);
  control->handler = g_signal_connect(paned, "notify::position", G_CALLBACK(on_position_changed), control);
}

int Toolkit::splitter_position(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::Splitter ? gtk_paned_get_position(GTK_PANED(control->inner)) : 0;
}

void Toolkit::set_splitter_position(int id, int position) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::Splitter) return;
  SignalBlock block(control->source, control->handler);
  gtk_paned_set_position(GTK_PANED(control->inner), std::max(position, 0));
}

int Toolkit::splitter_room(int id) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::Splitter) return -1;
  GtkPaned* paned = GTK_PANED(control->inner);
  GtkWidget* first = gtk_paned_get_child1(paned);
  GtkWidget* second = gtk_paned_get_child2(paned);
  if (!first || !second || !gtk_widget_get_realized(control->inner)) return -1;
  const bool side_by_side = gtk_orientable_get_orientation(GTK_ORIENTABLE(paned)) == GTK_ORIENTATION_HORIZONTAL;
  return side_by_side ? gtk_widget_get_allocated_width(first) + gtk_widget_get_allocated_width(second)
                      : gtk_widget_get_allocated_height(first) + gtk_widget_get_allocated_height(second);
}

// --- dialog gadgets -------------------------------------------------------

void Toolkit::create_label(int window, int id, Rect rect, const std::string& text, bool centred, bool one_line) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), !one_line);
  if (one_line) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 1);  // wrap at the control's width, not the text's
  gtk_label_set_xalign(GTK_LABEL(label), centred ? 0.5f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(label), centred ? 0.0f : 0.5f);
  if (centred) gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  register_control(window, id, label, label);
  find_control(id)->type = ControlType::Label;
  put_fixed(window, label, rect);
}

void Toolkit::create_link(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* box = gtk_event_box_new();
  GtkWidget* label = gtk_label_new(nullptr);
  GCharPtr markup(g_markup_printf_escaped("<span foreground=\"#0000FF\" underline=\"single\">%s</span>", text.c_str()));
  gtk_label_set_markup(GTK_LABEL(label), markup.get());
  gtk_label_set_xalign(GTK_LABEL(label), 0.5f);
  gtk_container_add(GTK_CONTAINER(box), label);
  register_control(window, id, box, label);
  Control* control = find_control(id);
  control->type = ControlType::Link;
  gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(box, "button-release-event", G_CALLBACK(on_link_release), control);
  g_signal_connect(box, "realize", G_CALLBACK(on_link_realize), nullptr);
  put_fixed(window, box, rect);
}

void Toolkit::create_picture(int window, int id, Rect rect, int image) {
  GtkWidget* picture = image_widget(image);
  register_control(window, id, picture, picture);
  find_control(id)->type = ControlType::Picture;
  put_fixed(window, picture, rect);
}

void Toolkit::create_button(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* button = gtk_button_new_with_label(text.c_str());
  register_control(window, id, button, button);
  Control* control = find_control(id);
  control->type = ControlType::Button;
  g_signal_connect(button, "clicked", G_CALLBACK(on_clicked), control);
  put_fixed(window, button, rect);
}

void Toolkit::create_entry(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  register_control(window, id, entry, entry);
  Control* control = find_control(id);
  control->type = ControlType::Entry;
  g_signal_connect(entry, "activate", G_CALLBACK(on_clicked), control);
  put_fixed(window, entry, rect);
}

void Toolkit::watch_changes(int id) {
  Control* control = find_control(id);
  if (!control) return;
  if (control->type == ControlType::Entry) g_signal_connect(control->inner, "changed", G_CALLBACK(on_entry_changed), control);
  if (control->type != ControlType::List) return;
  g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(control->inner)), "changed", G_CALLBACK(on_row_chosen), control);
  g_signal_connect(control->inner, "row-activated", G_CALLBACK(on_row_activated), control);
}

void Toolkit::create_check_box(int window, int id, Rect rect, const std::string& text, bool ticked) {
  GtkWidget* box = gtk_check_button_new_with_label(text.c_str());
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), ticked);
  register_control(window, id, box, box);
  Control* control = find_control(id);
  control->type = ControlType::CheckBox;
  g_signal_connect(box, "toggled", G_CALLBACK(on_clicked), control);
  put_fixed(window, box, rect);
}

bool Toolkit::ticked(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::CheckBox &&
         gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control->inner));
}

void Toolkit::create_frame(int window, int id, Rect rect) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_ETCHED_IN);
  register_control(window, id, frame, frame);
  find_control(id)->type = ControlType::Frame;
  put_fixed(window, frame, rect);
}

}  // namespace zorvin::ui
