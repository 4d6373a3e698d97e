// A tool window's list of rows of text, such as the names of a program,
// and fields that filter it as the user types.
#include <gtk/gtk.h>

#include "ui/tool_window.h"
#include "ui/tool_window_field.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

namespace {

constexpr int kFocusWhenMapped = 0x2f0c;  // the data that marks the handler, to take it off again

void on_selection_changed(GtkTreeSelection*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->row_chosen(field, -1);
}

// Told once the view has done with the click or key, so that a handler
// may move the focus elsewhere.
void on_row_activated(GtkTreeView*, GtkTreePath* path, GtkTreeViewColumn*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->activated_row = gtk_tree_path_get_indices(path)[0];
  if (field->pending) return;
  field->pending = g_idle_add(
      +[](gpointer data) -> gboolean {
        auto* field = static_cast<ToolWindow::Field*>(data);
        field->pending = 0;
        field->owner->row_chosen(field, field->activated_row);
        return G_SOURCE_REMOVE;
      },
      field);
}

}  // namespace

void ToolWindow::add_list(int group, int id, int row, int lines, int chars) {
  Field* field = add_record(id, FieldKind::List, group);
  field->store = gtk_list_store_new(1, G_TYPE_STRING);  // the rows, also before the view is made
  place(group, [field, row, lines, chars](GtkGrid* grid) {
    field->widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(field->store));
    GtkTreeView* view = GTK_TREE_VIEW(field->widget);
    gtk_tree_view_set_headers_visible(view, FALSE);
    gtk_tree_view_set_enable_search(view, FALSE);  // the filter field searches
    gtk_tree_view_append_column(
        view, gtk_tree_view_column_new_with_attributes("", gtk_cell_renderer_text_new(), "text", 0, nullptr));
    gtk_style_context_add_class(gtk_widget_get_style_context(field->widget), "zorvin-value");
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    field->handler = g_signal_connect(selection, "changed", G_CALLBACK(on_selection_changed), field);
    g_signal_connect(view, "row-activated", G_CALLBACK(on_row_activated), field);
    GtkWidget* frame = detail::scrolled(field->widget);
    gtk_widget_set_size_request(frame, chars * 8, lines * 18);
    gtk_widget_set_hexpand(frame, TRUE);
    gtk_widget_set_vexpand(frame, TRUE);
    gtk_grid_attach(grid, frame, 0, row, 8, 1);
  });
}

// The field takes the width of its row (made so in add_field).
void ToolWindow::set_live(int id) {
  if (Field* field = find(id); field && field->kind == FieldKind::Entry) {
    field->live = true;
    if (field->widget) {
      gtk_widget_set_hexpand(field->widget, TRUE);
      gtk_widget_set_halign(field->widget, GTK_ALIGN_FILL);
    }
  }
}

void ToolWindow::set_rows(int id, const std::vector<std::string>& rows) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::List) return;
  // The program's change of rows chooses nothing.
  GtkTreeSelection* selection = field->widget ? gtk_tree_view_get_selection(GTK_TREE_VIEW(field->widget)) : nullptr;
  if (selection) g_signal_handler_block(selection, field->handler);
  gtk_list_store_clear(field->store);
  for (const std::string& text : rows) gtk_list_store_insert_with_values(field->store, nullptr, -1, 0, text.c_str(), -1);
  if (selection) g_signal_handler_unblock(selection, field->handler);
}

std::vector<std::string> ToolWindow::rows(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::List) return {};
  return detail::first_column(GTK_TREE_MODEL(field->store));
}

int ToolWindow::chosen_row(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::List || !field->widget) return -1;
  return detail::chosen_index(GTK_TREE_VIEW(field->widget));
}

void ToolWindow::row_chosen(Field* field, int activated_row) {
  const int row = activated_row >= 0 ? activated_row : chosen_row(field->id);
  if (row >= 0 && row_chosen_) row_chosen_(field->id, row, activated_row >= 0);
}

// A pane that waits for the window to grow is not yet on the screen, and
// a widget off the screen cannot take the focus.
void ToolWindow::focus(int id) {
  Field* field = built(id);
  if (!field) return;
  if (gtk_widget_get_mapped(field->widget)) return gtk_widget_grab_focus(field->widget);
  g_signal_connect(field->widget, "map", G_CALLBACK(+[](GtkWidget* widget, gpointer) {
                     g_signal_handlers_disconnect_matched(widget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                                          GINT_TO_POINTER(kFocusWhenMapped));
                     gtk_widget_grab_focus(widget);
                   }),
                   GINT_TO_POINTER(kFocusWhenMapped));
}

}  // namespace zorvin::ui
