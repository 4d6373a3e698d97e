#include "ui/tool_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::SignalBlock;

enum class FieldKind { Entry, Check, Push, Grid, Leds, Segments, Text };

struct ToolWindow::Field {
  ToolWindow* owner = nullptr;
  int id = 0;
  FieldKind kind = FieldKind::Entry;
  GtkWidget* widget = nullptr;  // entry, check button or tree view
  gulong handler = 0;           // its changed or toggled handler
  bool typed = false;           // the user typed since the program last set the text
  GtkListStore* store = nullptr;
  int bytes = 0;
  std::vector<bool> changed;
  std::uint8_t levels = 0;  // LEDs
  bool held = false;        // a push button that is down
  bool keeps_history = false;
  std::vector<std::string> history;  // what was entered, oldest first
  std::size_t history_at = 0;        // the entry shown; history.size(): the text being typed
};

namespace {

// A field of the window with its owner, id and kind set.
std::unique_ptr<ToolWindow::Field> new_field(ToolWindow* owner, int id, FieldKind kind) {
  auto field = std::make_unique<ToolWindow::Field>();
  field->owner = owner;
  field->id = id;
  field->kind = kind;
  return field;
}

constexpr int kBytesPerRow = 16;

constexpr const char* kStyle =
    ".zorvin-value { font-family: \"Liberation Mono\", monospace; }"
    ".zorvin-changed, .zorvin-changed label { color: #c00000; }"
    ".zorvin-status { font-weight: bold; padding: 2px 4px; }";

void install_style() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  g_object_unref(provider);
}

void mark_changed(GtkWidget* widget, bool changed) {
  GtkStyleContext* style = gtk_widget_get_style_context(widget);
  if (changed) {
    gtk_style_context_add_class(style, "zorvin-changed");
  } else {
    gtk_style_context_remove_class(style, "zorvin-changed");
  }
}

std::string hex_byte(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
  return text;
}

void on_entry_changed(GtkEditable*, gpointer data) { static_cast<ToolWindow::Field*>(data)->typed = true; }

// Up and Down walk through what was entered before.
gboolean on_history_key(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  const bool up = event->keyval == GDK_KEY_Up || event->keyval == GDK_KEY_KP_Up;
  const bool down = event->keyval == GDK_KEY_Down || event->keyval == GDK_KEY_KP_Down;
  if ((!up && !down) || field->history.empty()) return FALSE;
  if (up && field->history_at > 0) --field->history_at;
  if (down && field->history_at < field->history.size()) ++field->history_at;
  const std::string& text = field->history_at < field->history.size() ? field->history[field->history_at] : "";
  gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
  gtk_editable_set_position(GTK_EDITABLE(widget), -1);
  return TRUE;
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

void on_check_signal(GtkToggleButton*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
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

void on_cell_signal(GtkCellRendererText* cell, gchar* path, gchar* text, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  const int column = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(cell), "zorvin-column"));
  const int index = std::atoi(path) * kBytesPerRow + column;
  if (index < field->bytes) field->owner->cell_edited(field, index, text ? text : "");
}

void show_cell(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* row, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  const int column = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(cell), "zorvin-column"));
  GtkTreePath* path = gtk_tree_model_get_path(model, row);
  const int index = gtk_tree_path_get_indices(path)[0] * kBytesPerRow + column;
  gtk_tree_path_free(path);
  gchar* text = nullptr;
  gtk_tree_model_get(model, row, column + 1, &text, -1);
  const bool changed = index < static_cast<int>(field->changed.size()) && field->changed[static_cast<std::size_t>(index)];
  g_object_set(cell, "text", text ? text : "", "foreground", changed ? "#c00000" : nullptr, "weight",
               changed ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL, nullptr);
  g_free(text);
}

// One click into a byte edits it (a tree view would want a second click).
gboolean on_grid_press(GtkWidget* widget, GdkEventButton* event, gpointer) {
  if (event->type != GDK_BUTTON_PRESS || event->button != 1) return FALSE;
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  GtkTreePath* path = nullptr;
  GtkTreeViewColumn* column = nullptr;
  if (!gtk_tree_view_get_path_at_pos(view, static_cast<gint>(event->x), static_cast<gint>(event->y), &path, &column,
                                     nullptr, nullptr))
    return FALSE;
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
  GtkCellRenderer* cell = cells ? GTK_CELL_RENDERER(cells->data) : nullptr;
  g_list_free(cells);
  gboolean editable = FALSE;
  if (cell) g_object_get(cell, "editable", &editable, nullptr);
  if (editable) {
    gtk_widget_grab_focus(widget);
    gtk_tree_view_set_cursor_on_cell(view, path, column, cell, TRUE);
  }
  gtk_tree_path_free(path);
  return editable;
}

gboolean draw_leds(GtkWidget* widget, cairo_t* cr, gpointer data) {
  const auto* field = static_cast<const ToolWindow::Field*>(data);
  const double height = gtk_widget_get_allocated_height(widget) - 12;  // the bit numbers below
  const double radius = std::min(height, 18.0) / 2 - 2;
  for (int i = 0; i < 8; ++i) {
    const bool on = (field->levels >> (7 - i)) & 1;
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_set_font_size(cr, 10);
    const char digit[2] = {static_cast<char>('7' - i), 0};
    cairo_move_to(cr, 7 + i * 20, height + 10);
    cairo_show_text(cr, digit);
    cairo_arc(cr, 10 + i * 20, height / 2, radius, 0, 6.2832);
    if (on) {
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

gboolean on_window_key(GtkWidget*, GdkEventKey* event, gpointer data) {
  return static_cast<ToolWindow*>(data)->key_pressed(event) ? TRUE : FALSE;
}

gboolean on_window_delete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<ToolWindow*>(data)->closed();
  return TRUE;  // hidden, not destroyed
}

void on_button_clicked(GtkButton* button, gpointer data) {
  static_cast<ToolWindow*>(data)->command(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "zorvin-command")));
}

}  // namespace

ToolWindow::ToolWindow(Toolkit& ui, int window) : ui_(ui), window_id_(window) {}

ToolWindow::~ToolWindow() {
  if (window_) gtk_widget_destroy(window_);
}

void ToolWindow::create(const std::string& title, int columns) {
  if (window_) return;
  install_style();
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
  g_signal_connect(window_, "key-press-event", G_CALLBACK(on_window_key), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_window_delete), this);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_container_set_border_width(GTK_CONTAINER(box), 6);
  buttons_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_box_pack_start(GTK_BOX(box), buttons_, FALSE, FALSE, 0);
  status_ = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(status_), 0.0f);
  gtk_label_set_selectable(GTK_LABEL(status_), TRUE);
  gtk_label_set_ellipsize(GTK_LABEL(status_), PANGO_ELLIPSIZE_END);
  gtk_style_context_add_class(gtk_widget_get_style_context(status_), "zorvin-status");
  gtk_box_pack_start(GTK_BOX(box), status_, FALSE, FALSE, 0);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  for (int i = 0; i < columns; ++i) {
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_box_pack_start(GTK_BOX(row), column, FALSE, FALSE, 0);
    columns_.push_back(column);
  }
  gtk_box_pack_start(GTK_BOX(box), row, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);
}

void ToolWindow::show() {
  if (!window_) return;
  gtk_widget_show_all(window_);
  // A window without command buttons or status line gives them no room.
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(buttons_));
  if (!buttons) gtk_widget_hide(buttons_);
  g_list_free(buttons);
  if (status().empty()) gtk_widget_hide(status_);
  gtk_window_present(GTK_WINDOW(window_));
}

void ToolWindow::place_beside(GtkWindow* other) {
  if (!window_ || !other) return;
  int x = 0, y = 0, width = 0, height = 0, own_width = 0, own_height = 0;
  gtk_window_get_position(other, &x, &y);
  gtk_window_get_size(other, &width, &height);
  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(window_)));
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
    left = std::max(work.x, std::min(left, work.x + work.width - own_width));
  }
  gtk_window_move(GTK_WINDOW(window_), left, y);
}

void ToolWindow::hide() {
  if (window_) gtk_widget_hide(window_);
}

bool ToolWindow::visible() const { return window_ && gtk_widget_get_visible(window_); }

void ToolWindow::add_button(int command, const std::string& label, const std::string& tooltip) {
  GtkWidget* widget = gtk_button_new_with_label(label.c_str());
  if (!tooltip.empty()) gtk_widget_set_tooltip_text(widget, tooltip.c_str());
  gtk_widget_set_focus_on_click(widget, FALSE);
  g_object_set_data(G_OBJECT(widget), "zorvin-command", GINT_TO_POINTER(command));
  g_signal_connect(widget, "clicked", G_CALLBACK(on_button_clicked), this);
  gtk_box_pack_start(GTK_BOX(buttons_), widget, FALSE, FALSE, 0);
  buttons_by_command_[command] = widget;
}

void ToolWindow::add_key(guint keyval, GdkModifierType modifiers, int command) {
  keys_[{gdk_keyval_to_lower(keyval), static_cast<guint>(modifiers)}] = command;
}

int ToolWindow::add_group(int column, const std::string& title) {
  GtkWidget* frame = gtk_frame_new(title.c_str());
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 2);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 4);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 4);
  gtk_container_add(GTK_CONTAINER(frame), grid);
  const auto index = static_cast<std::size_t>(std::clamp(column, 0, static_cast<int>(columns_.size()) - 1));
  gtk_box_pack_start(GTK_BOX(columns_[index]), frame, FALSE, FALSE, 0);
  groups_.push_back(grid);
  return static_cast<int>(groups_.size()) - 1;
}

void ToolWindow::add_field(int group, int id, int row, int column, const std::string& caption, int chars,
                           bool editable) {
  auto field = new_field(this, id, FieldKind::Entry);
  field->widget = gtk_entry_new();
  GtkEntry* entry = GTK_ENTRY(field->widget);
  gtk_entry_set_width_chars(entry, chars);
  gtk_entry_set_max_width_chars(entry, chars);
  gtk_widget_set_halign(field->widget, GTK_ALIGN_START);  // as wide as asked, not as its column
  gtk_widget_set_valign(field->widget, GTK_ALIGN_CENTER);
  // A read-only field takes the focus too: a click into it must not leave
  // the keys going to the field that had it before.
  gtk_editable_set_editable(GTK_EDITABLE(entry), editable);
  gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
  field->handler = g_signal_connect(entry, "changed", G_CALLBACK(on_entry_changed), field.get());
  g_signal_connect(entry, "activate", G_CALLBACK(on_entry_activate), field.get());
  g_signal_connect(entry, "focus-out-event", G_CALLBACK(on_entry_focus_out), field.get());
  GtkWidget* label = gtk_label_new(caption.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
  GtkGrid* grid = GTK_GRID(groups_.at(static_cast<std::size_t>(group)));
  gtk_grid_attach(grid, label, column * 2, row, 1, 1);
  gtk_grid_attach(grid, field->widget, column * 2 + 1, row, 1, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::add_check(int group, int id, int row, int column, const std::string& caption, bool editable) {
  auto field = new_field(this, id, FieldKind::Check);
  field->widget = gtk_check_button_new_with_label(caption.c_str());
  gtk_widget_set_focus_on_click(field->widget, FALSE);
  gtk_widget_set_sensitive(field->widget, editable);
  field->handler = g_signal_connect(field->widget, "toggled", G_CALLBACK(on_check_signal), field.get());
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), field->widget, column * 2, row, 2, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::add_push_button(int group, int id, int row, int column, const std::string& caption) {
  auto field = new_field(this, id, FieldKind::Push);
  field->widget = gtk_button_new_with_label(caption.c_str());
  gtk_widget_set_focus_on_click(field->widget, FALSE);
  g_signal_connect(field->widget, "pressed", G_CALLBACK(on_push_pressed), field.get());
  g_signal_connect(field->widget, "released", G_CALLBACK(on_push_released), field.get());
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), field->widget, column * 2, row, 2, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::add_button_in_group(int group, int command, int row, int column, const std::string& label) {
  GtkWidget* widget = gtk_button_new_with_label(label.c_str());
  gtk_widget_set_focus_on_click(widget, FALSE);
  g_object_set_data(G_OBJECT(widget), "zorvin-command", GINT_TO_POINTER(command));
  g_signal_connect(widget, "clicked", G_CALLBACK(on_button_clicked), this);
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), widget, column * 2, row, 2, 1);
  buttons_by_command_[command] = widget;
}

void ToolWindow::add_hex_grid(int group, int id, int bytes, int rows) {
  auto field = new_field(this, id, FieldKind::Grid);
  field->bytes = bytes;
  std::vector<GType> types(kBytesPerRow + 1, G_TYPE_STRING);
  field->store = gtk_list_store_newv(static_cast<gint>(types.size()), types.data());
  for (int address = 0; address < bytes; address += kBytesPerRow) {
    GtkTreeIter row;
    gtk_list_store_append(field->store, &row);
    gtk_list_store_set(field->store, &row, 0, hex_byte(static_cast<std::uint8_t>(address)).c_str(), -1);
  }
  field->widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(field->store));
  g_object_unref(field->store);  // the view holds it
  GtkTreeView* view = GTK_TREE_VIEW(field->widget);
  gtk_tree_view_set_enable_search(view, FALSE);
  g_signal_connect(field->widget, "button-press-event", G_CALLBACK(on_grid_press), nullptr);
  gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
  GtkCellRenderer* address_cell = gtk_cell_renderer_text_new();
  g_object_set(address_cell, "foreground", "#606060", nullptr);
  gtk_tree_view_insert_column_with_attributes(view, -1, "", address_cell, "text", 0, nullptr);
  for (int column = 0; column < kBytesPerRow; ++column) {
    GtkCellRenderer* cell = gtk_cell_renderer_text_new();
    g_object_set(cell, "editable", TRUE, "xpad", 1, nullptr);
    g_object_set_data(G_OBJECT(cell), "zorvin-column", GINT_TO_POINTER(column));
    g_signal_connect(cell, "edited", G_CALLBACK(on_cell_signal), field.get());
    char title[4];
    std::snprintf(title, sizeof title, "%X", static_cast<unsigned>(column));
    GtkTreeViewColumn* shown = gtk_tree_view_column_new_with_attributes(title, cell, nullptr);
    gtk_tree_view_column_set_cell_data_func(shown, cell, show_cell, field.get(), nullptr);
    gtk_tree_view_append_column(view, shown);
  }
  GtkWidget* shown = field->widget;
  if (rows > 0) {
    shown = detail::scrolled(field->widget);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(shown), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(shown), (rows + 1) * 20);
  }
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), shown, 0, 0, 1, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::add_history(int id) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Entry || field->keeps_history) return;
  field->keeps_history = true;
  g_signal_connect(field->widget, "key-press-event", G_CALLBACK(on_history_key), field);
}

void ToolWindow::add_leds(int group, int id, int row, const std::string& caption) {
  auto field = new_field(this, id, FieldKind::Leds);
  field->widget = gtk_drawing_area_new();
  gtk_widget_set_size_request(field->widget, 8 * 20, 32);
  g_signal_connect(field->widget, "draw", G_CALLBACK(draw_leds), field.get());
  GtkWidget* label = gtk_label_new(caption.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
  GtkGrid* grid = GTK_GRID(groups_.at(static_cast<std::size_t>(group)));
  gtk_grid_attach(grid, label, 0, row, 1, 1);
  gtk_grid_attach(grid, field->widget, 1, row, 1, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::add_segments(int group, int id, int row, int column) {
  auto field = new_field(this, id, FieldKind::Segments);
  field->widget = gtk_drawing_area_new();
  gtk_widget_set_size_request(field->widget, 50, 72);
  gtk_widget_set_halign(field->widget, GTK_ALIGN_START);
  g_signal_connect(field->widget, "draw", G_CALLBACK(draw_segments), field.get());
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), field->widget, column * 2 + 1, row, 1, 3);
  fields_[id] = std::move(field);
}

void ToolWindow::add_text_view(int group, int id, int row, int lines, int chars) {
  auto field = new_field(this, id, FieldKind::Text);
  field->widget = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(field->widget), FALSE);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(field->widget), FALSE);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(field->widget), GTK_WRAP_CHAR);
  gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
  GtkWidget* frame = detail::scrolled(field->widget);
  gtk_widget_set_size_request(frame, (chars > 0 ? chars : 60) * 8, lines * 18);
  gtk_grid_attach(GTK_GRID(groups_.at(static_cast<std::size_t>(group))), frame, 0, row, 8, 1);
  fields_[id] = std::move(field);
}

void ToolWindow::set_leds(int id, std::uint8_t levels) {
  Field* field = find(id);
  if (!field || (field->kind != FieldKind::Leds && field->kind != FieldKind::Segments) || field->levels == levels)
    return;
  field->levels = levels;
  gtk_widget_queue_draw(field->widget);
}

std::uint8_t ToolWindow::leds(int id) const {
  Field* field = find(id);
  return field && (field->kind == FieldKind::Leds || field->kind == FieldKind::Segments) ? field->levels : 0;
}

void ToolWindow::append_text(int id, const std::string& text) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text || text.empty()) return;
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(field->widget));
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_buffer_insert(buffer, &end, text.c_str(), static_cast<gint>(text.size()));
  // A terminal keeps its last lines, not everything ever received.
  constexpr int kKeptLines = 2000;
  const int lines = gtk_text_buffer_get_line_count(buffer);
  if (lines > kKeptLines) {
    GtkTextIter start, cut;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_get_iter_at_line(buffer, &cut, lines - kKeptLines);
    gtk_text_buffer_delete(buffer, &start, &cut);
  }
  gtk_text_buffer_get_end_iter(buffer, &end);
  GtkTextMark* mark = gtk_text_buffer_get_insert(buffer);
  gtk_text_buffer_place_cursor(buffer, &end);
  gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(field->widget), mark);
}

std::string ToolWindow::all_text(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text) return {};
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(field->widget));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  GCharPtr text(gtk_text_buffer_get_text(buffer, &start, &end, FALSE));
  return text ? text.get() : "";
}

void ToolWindow::set_all_text(int id, const std::string& text) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text || all_text(id) == text) return;
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(field->widget)), text.c_str(),
                           static_cast<gint>(text.size()));
}

void ToolWindow::set_lines(int id, const std::vector<std::string>& lines, const std::vector<bool>& changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text) return;
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(field->widget));
  GtkTextTagTable* tags = gtk_text_buffer_get_tag_table(buffer);
  GtkTextTag* red = gtk_text_tag_table_lookup(tags, "zorvin-changed");
  if (!red) red = gtk_text_buffer_create_tag(buffer, "zorvin-changed", "foreground", "#c00000", "weight", PANGO_WEIGHT_BOLD, nullptr);
  gtk_text_buffer_set_text(buffer, "", 0);
  GtkTextIter end;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    gtk_text_buffer_get_end_iter(buffer, &end);
    const std::string line = lines[i] + (i + 1 < lines.size() ? "\n" : "");
    if (i < changed.size() && changed[i]) {
      gtk_text_buffer_insert_with_tags(buffer, &end, line.c_str(), static_cast<gint>(line.size()), red, nullptr);
    } else {
      gtk_text_buffer_insert(buffer, &end, line.c_str(), static_cast<gint>(line.size()));
    }
  }
}

ToolWindow::Field* ToolWindow::find(int id) const {
  auto found = fields_.find(id);
  return found == fields_.end() ? nullptr : found->second.get();
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
  return gtk_entry_get_text(GTK_ENTRY(field->widget));
}

void ToolWindow::set_check(int id, bool ticked, bool changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Check) return;
  mark_changed(field->widget, changed);
  if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(field->widget)) == ticked) return;
  SignalBlock block(G_OBJECT(field->widget), field->handler);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(field->widget), ticked);
}

bool ToolWindow::checked(int id) const {
  Field* field = find(id);
  if (field && field->kind == FieldKind::Push) return field->held;
  return field && field->kind == FieldKind::Check && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(field->widget));
}

void ToolWindow::set_editable(int id, bool editable) {
  Field* field = find(id);
  if (!field) return;
  if (field->kind == FieldKind::Entry) {
    gtk_editable_set_editable(GTK_EDITABLE(field->widget), editable);
  } else {
    gtk_widget_set_sensitive(field->widget, editable);
  }
}

void ToolWindow::set_bytes(int id, std::span<const std::uint8_t> bytes, std::span<const bool> changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Grid) return;
  field->changed.assign(changed.begin(), changed.end());
  GtkTreeModel* model = GTK_TREE_MODEL(field->store);
  GtkTreeIter row;
  // As many rows as the bytes need (parts differ in their RAM).
  const int rows = (static_cast<int>(bytes.size()) + kBytesPerRow - 1) / kBytesPerRow;
  field->bytes = static_cast<int>(bytes.size());
  while (gtk_tree_model_iter_n_children(model, nullptr) > rows &&
         gtk_tree_model_iter_nth_child(model, &row, nullptr, gtk_tree_model_iter_n_children(model, nullptr) - 1))
    gtk_list_store_remove(field->store, &row);
  for (int n = gtk_tree_model_iter_n_children(model, nullptr); n < rows; ++n) {
    gtk_list_store_append(field->store, &row);
    gtk_list_store_set(field->store, &row, 0, hex_byte(static_cast<std::uint8_t>(n * kBytesPerRow)).c_str(), -1);
  }
  bool more = gtk_tree_model_get_iter_first(model, &row);
  for (std::size_t start = 0; more; start += kBytesPerRow, more = gtk_tree_model_iter_next(model, &row)) {
    for (int column = 0; column < kBytesPerRow; ++column) {
      const std::size_t index = start + static_cast<std::size_t>(column);
      const std::string text = index < bytes.size() ? hex_byte(bytes[index]) : std::string();
      gchar* old = nullptr;
      gtk_tree_model_get(model, &row, column + 1, &old, -1);
      if (!old || text != old) gtk_list_store_set(field->store, &row, column + 1, text.c_str(), -1);
      g_free(old);
    }
  }
  gtk_widget_queue_draw(field->widget);  // the changed marks
}

std::string ToolWindow::cell_text(int id, int index) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Grid || index < 0 || index >= field->bytes) return {};
  GtkTreeIter row;
  if (!gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(field->store), &row, nullptr, index / kBytesPerRow)) return {};
  gchar* text = nullptr;
  gtk_tree_model_get(GTK_TREE_MODEL(field->store), &row, index % kBytesPerRow + 1, &text, -1);
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

GtkWidget* ToolWindow::widget(int id) const {
  Field* field = find(id);
  return field ? field->widget : nullptr;
}

GtkWidget* ToolWindow::button(int command) const {
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
  if (toggled_) toggled_(field->id, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(field->widget)));
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
