// A tool window's list of rows of text, such as the names of a program,
// and fields that filter it as the user types.
#include <gtk/gtk.h>

#include "ui/tool_window.h"
#include "ui/tool_window_field.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

namespace {

void on_selection_changed(GtkTreeSelection*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->row_chosen(field, false);
}

void on_row_activated(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  field->owner->row_chosen(field, true);
}

}  // namespace

void ToolWindow::add_list(int group, int id, int row, int lines) {
  auto made = new_field(this, id, FieldKind::List, group);
  Field* field = made.get();
  field->store = gtk_list_store_new(1, G_TYPE_STRING);  // the rows, also before the view is made
  fields_[id] = std::move(made);
  place(group, [field, row, lines](GtkGrid* grid) {
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
    gtk_widget_set_size_request(frame, -1, lines * 18);
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
  std::vector<std::string> rows;
  Field* field = find(id);
  if (!field || field->kind != FieldKind::List) return rows;
  GtkTreeModel* model = GTK_TREE_MODEL(field->store);
  GtkTreeIter iter;
  for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more; more = gtk_tree_model_iter_next(model, &iter)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, 0, &text, -1);
    rows.emplace_back(text ? text : "");
    g_free(text);
  }
  return rows;
}

int ToolWindow::chosen_row(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::List || !field->widget) return -1;
  GtkTreeModel* model = nullptr;
  GtkTreeIter iter;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(field->widget)), &model, &iter))
    return -1;
  GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
  const int row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return row;
}

void ToolWindow::row_chosen(Field* field, bool activated) {
  const int row = chosen_row(field->id);
  if (row >= 0 && row_chosen_) row_chosen_(field->id, row, activated);
}

void ToolWindow::focus(int id) {
  if (Field* field = built(id)) gtk_widget_grab_focus(field->widget);
}

}  // namespace zorvin::ui
