#include "ui/tool_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/tool_window_field.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::SignalBlock;

void ToolWindow::install_style() { install_tool_style(); }

void mark_changed(GtkWidget* widget, bool changed) {
  GtkStyleContext* style = gtk_widget_get_style_context(widget);
  if (changed) {
    gtk_style_context_add_class(style, "zorvin-changed");
  } else {
    gtk_style_context_remove_class(style, "zorvin-changed");
  }
}

namespace {

void on_entry_changed(GtkEditable*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->typed = true;
  if (field->live) field->owner->field_edited(field);
}

void on_entry_activate(GtkEntry*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->field_edited(field);
}

gboolean on_entry_focus_out(GtkWidget*, GdkEvent*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  if (field->typed) field->owner->field_edited(field);
  return FALSE;
}

void on_check_signal(GtkToggleButton* button, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->ticked = gtk_toggle_button_get_active(button);
  field->owner->check_toggled(field);
}

// A push button reports when it goes down and when it comes up again.
void on_push_pressed(GtkButton*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->push_held(field, true);
}

void on_push_released(GtkButton*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->push_held(field, false);
}

// A row of LEDs (as many as the field's `bytes`), the highest bit on the
// left, with the bit numbers below.
gboolean draw_leds(GtkWidget* widget, cairo_t* cr, gpointer data) {
  const auto* field = static_cast<const ToolWindow::Field*>(data);
  const int count = field->bytes;
  const double height = gtk_widget_get_allocated_height(widget) - 12;  // the bit numbers below
  const double radius = std::min(height, 18.0) / 2 - 2;
  cairo_set_font_size(cr, 10);
  for (int i = 0; i < count; ++i) {
    const int bit = count - 1 - i;
    const char digit[2] = {static_cast<char>('0' + bit), 0};
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_move_to(cr, 7 + i * 20, height + 10);
    cairo_show_text(cr, digit);
    cairo_new_path(cr);  // the circle starts where it is, not where the text ended
    cairo_arc(cr, 10 + i * 20, height / 2, radius, 0, 6.2832);
    if ((field->levels >> bit) & 1) {
      cairo_set_source_rgb(cr, 0.95, 0.1, 0.1);
    } else {
      cairo_set_source_rgb(cr, 0.35, 0.1, 0.1);
    }
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  return TRUE;
}

// Segments a to g as (x, y, horizontal) in a 40 x 70 digit, then the dot.
gboolean draw_segments(GtkWidget*, cairo_t* cr, gpointer data) {
  const auto* field = static_cast<const ToolWindow::Field*>(data);
  struct Segment {
    double x, y;
    bool horizontal;
  };
  static constexpr Segment kSegments[] = {{8, 4, true},  {34, 8, false}, {34, 38, false}, {8, 64, true},
                                          {4, 38, false}, {4, 8, false},  {8, 34, true}};
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_paint(cr);
  for (int i = 0; i < 8; ++i) {
    if ((field->levels >> i) & 1) {
      cairo_set_source_rgb(cr, 1.0, 0.15, 0.1);
    } else {
      cairo_set_source_rgb(cr, 0.3, 0.08, 0.06);
    }
    if (i == 7) {
      cairo_arc(cr, 44, 66, 3, 0, 6.2832);
    } else if (kSegments[i].horizontal) {
      cairo_rectangle(cr, kSegments[i].x, kSegments[i].y - 2, 26, 5);
    } else {
      cairo_rectangle(cr, kSegments[i].x - 2, kSegments[i].y, 5, 26);
    }
    cairo_fill(cr);
  }
  return TRUE;
}

void on_button_clicked(GtkButton* button, gpointer data) {
  static_cast<ToolWindow*>(data)->command(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "zorvin-command")));
}

}  // namespace

ToolWindow::ToolWindow(Toolkit& ui, int window) : ui_(ui), window_id_(window) {}

ToolWindow::~ToolWindow() {
  if (pane_) {
    gtk_widget_destroy(pane_);
    g_object_unref(pane_);
  }
  if (window_) gtk_widget_destroy(window_);
}

void ToolWindow::add_button(int command, const std::string& label, const std::string& tooltip) {
  GtkWidget* widget = gtk_button_new_with_label(label.c_str());
  if (!tooltip.empty()) gtk_widget_set_tooltip_text(widget, tooltip.c_str());
  gtk_widget_set_focus_on_click(widget, FALSE);
  g_object_set_data(G_OBJECT(widget), "zorvin-command", GINT_TO_POINTER(command));
  g_signal_connect(widget, "clicked", G_CALLBACK(on_button_clicked), this);
  gtk_container_add(GTK_CONTAINER(buttons_), widget);
  buttons_by_command_[command] = widget;
}

void ToolWindow::add_key(guint keyval, GdkModifierType modifiers, int command) {
  keys_[{gdk_keyval_to_lower(keyval), static_cast<guint>(modifiers)}] = command;
}

void ToolWindow::add_field(int group, int id, int row, int column, const std::string& caption, int chars,
                           bool editable) {
  Field* field = add_record(id, FieldKind::Entry, group);
  field->editable = editable;
  place(group, [field, row, column, caption, chars](GtkGrid* grid) {
    field->widget = gtk_entry_new();
    GtkEntry* entry = GTK_ENTRY(field->widget);
    gtk_entry_set_width_chars(entry, chars);
    gtk_entry_set_max_width_chars(entry, chars);
    // As wide as asked, not as its column; a filter as wide as its row.
    gtk_widget_set_halign(field->widget, field->live ? GTK_ALIGN_FILL : GTK_ALIGN_START);
    gtk_widget_set_hexpand(field->widget, field->live);
    gtk_widget_set_valign(field->widget, GTK_ALIGN_CENTER);
    // A read-only field takes the focus too: a click into it must not leave
    // the keys going to the field that had it before.
    gtk_editable_set_editable(GTK_EDITABLE(entry), field->editable);
    gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
    mark_changed(field->widget, field->marked);
    gtk_entry_set_text(entry, field->text.c_str());
    field->text.clear();  // the entry holds it now
    field->handler = g_signal_connect(entry, "changed", G_CALLBACK(on_entry_changed), field);
    g_signal_connect(entry, "activate", G_CALLBACK(on_entry_activate), field);
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(on_entry_focus_out), field);
    if (field->keeps_history) connect_history(field);
    GtkWidget* label = gtk_label_new(caption.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
    gtk_grid_attach(grid, label, column * 2, row, 1, 1);
    gtk_grid_attach(grid, field->widget, column * 2 + 1, row, 1, 1);
  });
}

void ToolWindow::add_check(int group, int id, int row, int column, const std::string& caption, bool editable) {
  Field* field = add_record(id, FieldKind::Check, group);
  field->editable = editable;
  place(group, [field, row, column, caption](GtkGrid* grid) {
    field->widget = gtk_check_button_new_with_label(caption.c_str());
    gtk_widget_set_focus_on_click(field->widget, FALSE);
    gtk_widget_set_sensitive(field->widget, field->editable);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(field->widget), field->ticked);
    mark_changed(field->widget, field->marked);
    field->handler = g_signal_connect(field->widget, "toggled", G_CALLBACK(on_check_signal), field);
    gtk_grid_attach(grid, field->widget, column * 2, row, 2, 1);
  });
}

void ToolWindow::add_push_button(int group, int id, int row, int column, const std::string& caption) {
  Field* field = add_record(id, FieldKind::Push, group);
  place(group, [field, row, column, caption](GtkGrid* grid) {
    field->widget = gtk_button_new_with_label(caption.c_str());
    gtk_widget_set_focus_on_click(field->widget, FALSE);
    g_signal_connect(field->widget, "pressed", G_CALLBACK(on_push_pressed), field);
    g_signal_connect(field->widget, "released", G_CALLBACK(on_push_released), field);
    gtk_grid_attach(grid, field->widget, column * 2, row, 2, 1);
  });
}

void ToolWindow::add_button_in_group(int group, int command, int row, int column, const std::string& label) {
  group_of_command_[command] = group;
  place(group, [this, command, row, column, label](GtkGrid* grid) {
    GtkWidget* widget = gtk_button_new_with_label(label.c_str());
    gtk_widget_set_focus_on_click(widget, FALSE);
    g_object_set_data(G_OBJECT(widget), "zorvin-command", GINT_TO_POINTER(command));
    g_signal_connect(widget, "clicked", G_CALLBACK(on_button_clicked), this);
    gtk_grid_attach(grid, widget, column * 2, row, 2, 1);
    buttons_by_command_[command] = widget;
  });
}

void ToolWindow::add_leds(int group, int id, int row, const std::string& caption) {
  add_port_leds(group, id, row, caption, 8);
}

void ToolWindow::add_port_leds(int group, int id, int row, const std::string& caption, int count) {
  Field* field = add_record(id, FieldKind::Leds, group);
  field->bytes = std::clamp(count, 1, 8);  // the number of LEDs
  place(group, [field, row, caption](GtkGrid* grid) {
    field->widget = gtk_drawing_area_new();
    gtk_widget_set_size_request(field->widget, field->bytes * 20, 32);
    g_signal_connect(field->widget, "draw", G_CALLBACK(draw_leds), field);
    GtkWidget* label = gtk_label_new(caption.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
    gtk_grid_attach(grid, label, 0, row, 1, 1);
    gtk_grid_attach(grid, field->widget, 1, row, 1, 1);
  });
}

void ToolWindow::add_segments(int group, int id, int row, int column) {
  Field* field = add_record(id, FieldKind::Segments, group);
  place(group, [field, row, column](GtkGrid* grid) {
    field->widget = gtk_drawing_area_new();
    gtk_widget_set_size_request(field->widget, 50, 72);
    gtk_widget_set_halign(field->widget, GTK_ALIGN_START);
    g_signal_connect(field->widget, "draw", G_CALLBACK(draw_segments), field);
    gtk_grid_attach(grid, field->widget, column * 2 + 1, row, 1, 3);
  });
}

void ToolWindow::set_leds(int id, std::uint8_t levels) {
  Field* field = find(id);
  if (!field || (field->kind != FieldKind::Leds && field->kind != FieldKind::Segments) || field->levels == levels)
    return;
  field->levels = levels;
  if (field->widget) gtk_widget_queue_draw(field->widget);
}

std::uint8_t ToolWindow::leds(int id) const {
  Field* field = find(id);
  return field && (field->kind == FieldKind::Leds || field->kind == FieldKind::Segments) ? field->levels : 0;
}

ToolWindow::Field* ToolWindow::find(int id) const {
  auto found = fields_.find(id);
  return found == fields_.end() ? nullptr : found->second.get();
}

ToolWindow::Field* ToolWindow::add_record(int id, FieldKind kind, int group) {
  auto field = std::make_unique<Field>();
  field->owner = this;
  field->id = id;
  field->kind = kind;
  field->group = group;
  Field* kept = field.get();
  fields_[id] = std::move(field);
  return kept;
}

void ToolWindow::set_status(const std::string& text) {
  if (!status_) return;
  gtk_label_set_text(GTK_LABEL(status_), text.c_str());
  if (!text.empty() && visible()) gtk_widget_show(status_);
}

std::string ToolWindow::status() const { return status_ ? gtk_label_get_text(GTK_LABEL(status_)) : ""; }

void ToolWindow::set_text(int id, const std::string& text, bool changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Entry) return;
  field->marked = changed;
  if (!field->widget) {
    field->text = text;
    return;
  }
  mark_changed(field->widget, changed);
  if (field->typed && gtk_widget_has_focus(field->widget)) return;  // the user's typing stays
  field->typed = false;
  if (text == gtk_entry_get_text(GTK_ENTRY(field->widget))) return;
  SignalBlock block(G_OBJECT(field->widget), field->handler);
  gtk_entry_set_text(GTK_ENTRY(field->widget), text.c_str());
}

std::string ToolWindow::text(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Entry) return {};
  return field->widget ? gtk_entry_get_text(GTK_ENTRY(field->widget)) : field->text;
}

void ToolWindow::set_check(int id, bool ticked, bool changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Check) return;
  field->marked = changed;
  field->ticked = ticked;
  if (!field->widget) return;
  mark_changed(field->widget, changed);
  if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(field->widget)) == ticked) return;
  SignalBlock block(G_OBJECT(field->widget), field->handler);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(field->widget), ticked);
}

bool ToolWindow::checked(int id) const {
  Field* field = find(id);
  if (field && field->kind == FieldKind::Push) return field->held;
  return field && field->kind == FieldKind::Check && field->ticked;
}

void ToolWindow::set_editable(int id, bool editable) {
  Field* field = find(id);
  if (!field) return;
  field->editable = editable;
  // Entries and check boxes take it when they are made, the others now.
  if (field->kind != FieldKind::Entry && field->kind != FieldKind::Check) build_group(field->group);
  if (!field->widget) return;
  if (field->kind == FieldKind::Entry) {
    gtk_editable_set_editable(GTK_EDITABLE(field->widget), editable);
  } else {
    gtk_widget_set_sensitive(field->widget, editable);
  }
}

GtkWidget* ToolWindow::widget(int id) {
  Field* field = built(id);
  return field ? field->widget : nullptr;
}

GtkWidget* ToolWindow::button(int command) {
  if (auto group = group_of_command_.find(command); group != group_of_command_.end()) build_group(group->second);
  auto found = buttons_by_command_.find(command);
  return found == buttons_by_command_.end() ? nullptr : found->second;
}

void ToolWindow::field_edited(Field* field) {
  field->typed = false;
  if (field->keeps_history) {
    const std::string text = gtk_entry_get_text(GTK_ENTRY(field->widget));
    constexpr std::size_t kKept = 100;
    if (!text.empty() && (field->history.empty() || field->history.back() != text)) field->history.push_back(text);
    if (field->history.size() > kKept) field->history.erase(field->history.begin());
    field->history_at = field->history.size();
  }
  if (edited_) edited_(field->id, gtk_entry_get_text(GTK_ENTRY(field->widget)));
}

void ToolWindow::check_toggled(Field* field) {
  if (toggled_) toggled_(field->id, field->ticked);
}

void ToolWindow::push_held(Field* field, bool held) {
  if (field->held == held) return;
  field->held = held;
  if (toggled_) toggled_(field->id, held);
}

void ToolWindow::cell_edited(Field* field, int index, const std::string& text) {
  if (cell_edited_) cell_edited_(field->id, index, text);
}

bool ToolWindow::key_pressed(GdkEventKey* event) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  auto found = keys_.find({gdk_keyval_to_lower(event->keyval), modifiers});
  if (found == keys_.end()) return false;
  command(found->second);
  return true;
}

void ToolWindow::closed() {
  hide();
  if (hidden_) hidden_();
}

void ToolWindow::command(int command) { ui_.push_event({EventKind::Command, window_id_, command}); }

}  // namespace zorvin::ui
