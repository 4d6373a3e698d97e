// The tool window's hex grids and text views.
#include <cstdlib>

#include "ui/tool_window_field.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

namespace {

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

}  // namespace

void ToolWindow::add_hex_grid(int group, int id, int bytes, int rows) {
  Field* field = add_record(id, FieldKind::Grid, group);
  field->bytes = bytes;
  std::vector<GType> types(kBytesPerRow + 1, G_TYPE_STRING);
  field->store = gtk_list_store_newv(static_cast<gint>(types.size()), types.data());
  for (int address = 0; address < bytes; address += kBytesPerRow) {
    GtkTreeIter row;
    gtk_list_store_append(field->store, &row);
    gtk_list_store_set(field->store, &row, 0, hex_byte(static_cast<std::uint8_t>(address)).c_str(), -1);
  }
  place(group, [field, rows](GtkGrid* grid) {
    field->widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(field->store));
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
      g_signal_connect(cell, "edited", G_CALLBACK(on_cell_signal), field);
      char title[4];
      std::snprintf(title, sizeof title, "%X", static_cast<unsigned>(column));
      GtkTreeViewColumn* shown = gtk_tree_view_column_new_with_attributes(title, cell, nullptr);
      gtk_tree_view_column_set_cell_data_func(shown, cell, show_cell, field, nullptr);
      gtk_tree_view_append_column(view, shown);
    }
    GtkWidget* shown = field->widget;
    if (rows > 0) {
      shown = detail::scrolled(field->widget);
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(shown), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
      gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(shown), (rows + 1) * 20);
    }
    gtk_grid_attach(grid, shown, 0, 0, 1, 1);
  });
}

void connect_history(ToolWindow::Field* field) {
  g_signal_connect(field->widget, "key-press-event", G_CALLBACK(on_history_key), field);
}

void ToolWindow::add_history(int id) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Entry || field->keeps_history) return;
  field->keeps_history = true;
  if (field->widget) connect_history(field);  // else when it is made
}

void ToolWindow::add_text_view(int group, int id, int row, int lines, int chars) {
  Field* field = add_record(id, FieldKind::Text, group);
  field->buffer = gtk_text_buffer_new(nullptr);
  place(group, [field, row, lines, chars](GtkGrid* grid) {
    field->widget = gtk_text_view_new_with_buffer(field->buffer);
    gtk_text_view_set_editable(GTK_TEXT_VIEW(field->widget), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(field->widget), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(field->widget), GTK_WRAP_CHAR);
    gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
    GtkWidget* frame = detail::scrolled(field->widget);
    gtk_widget_set_size_request(frame, (chars > 0 ? chars : 60) * 8, lines * 18);
    gtk_grid_attach(grid, frame, 0, row, 8, 1);
    // A terminal made after text came shows its end, as it would have.
    if (field->follows_end)
      gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(field->widget), gtk_text_buffer_get_insert(field->buffer));
  });
}

void ToolWindow::append_text(int id, const std::string& text) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text || text.empty()) return;
  GtkTextBuffer* buffer = field->buffer;
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
  field->follows_end = true;
  if (field->widget) gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(field->widget), mark);
}

std::string ToolWindow::all_text(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text) return {};
  GtkTextBuffer* buffer = field->buffer;
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  GCharPtr text(gtk_text_buffer_get_text(buffer, &start, &end, FALSE));
  return text ? text.get() : "";
}

void ToolWindow::set_all_text(int id, const std::string& text) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text || all_text(id) == text) return;
  gtk_text_buffer_set_text(field->buffer, text.c_str(), static_cast<gint>(text.size()));
}

void ToolWindow::set_lines(int id, const std::vector<std::string>& lines, const std::vector<bool>& changed) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Text) return;
  GtkTextBuffer* buffer = field->buffer;
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
  if (field->widget) gtk_widget_queue_draw(field->widget);  // the changed marks
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

}  // namespace zorvin::ui
