// Lists and choice boxes: their rows and the chosen one.
#include <string>
#include <vector>

#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::ControlRecord;
using detail::ControlType;
using detail::scrolled;

namespace {

void show_entry(GtkCellLayout*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* row, gpointer data) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, row, 0, &text, -1);
  const std::string shown = (*static_cast<Toolkit::ShownText*>(data))(text ? text : "");
  g_free(text);
  g_object_set(cell, "text", shown.c_str(), nullptr);
}

constexpr int kListColumnWidth = 110;  // "000 04 0D" and room to spare

// The list's one column is as wide as its widest row, so the list scrolls
// sideways instead of cutting rows off. The rows share one font, so the
// row with the most characters is measured (tabs and wide characters
// aside, which listings do not hold).
void fit_column_to_rows(ControlRecord* control, const std::vector<std::string>& rows) {
  const std::string* widest = nullptr;
  glong most = 0;
  for (const std::string& row : rows) {
    const glong length = g_utf8_strlen(row.c_str(), static_cast<gssize>(row.size()));
    if (length > most) {
      most = length;
      widest = &row;
    }
  }
  if (!widest) return;
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(control->inner), 0);
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
  gchar* font = nullptr;
  if (cells) g_object_get(cells->data, "font", &font, nullptr);
  g_list_free(cells);
  PangoLayout* layout = gtk_widget_create_pango_layout(control->inner, widest->c_str());
  PangoFontDescription* description = pango_font_description_from_string(font ? font : "");
  if (font) pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  g_free(font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  const int wanted = width + 16;  // the cell's own padding and a little air
  if (wanted > gtk_tree_view_column_get_fixed_width(column)) gtk_tree_view_column_set_fixed_width(column, wanted);
}

GtkListStore* store_of(const ControlRecord* control) {
  if (control->type == ControlType::Choice)
    return GTK_LIST_STORE(gtk_combo_box_get_model(GTK_COMBO_BOX(control->inner)));
  return GTK_LIST_STORE(gtk_tree_view_get_model(GTK_TREE_VIEW(control->inner)));
}

}  // namespace

// --- lists ----------------------------------------------------------------

void Toolkit::create_list(int window, int id, int font) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), GTK_SELECTION_SINGLE);
  GtkCellRenderer* cell = gtk_cell_renderer_text_new();
  if (auto found = font_names_.find(font); found != font_names_.end())
    g_object_set(cell, "font", found->second.c_str(), nullptr);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, nullptr, cell, "text", 0, nullptr);
  // All rows have the same height, so the view need not measure each one.
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(view), 0);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(column, kListColumnWidth);
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);
  GtkWidget* frame = scrolled(view);
  gtk_widget_set_size_request(frame, 120, -1);
  register_control(window, id, frame, view);
  find_control(id)->type = ControlType::List;
}

void Toolkit::create_choice(int window, int id, Rect rect, ShownText shown) {
  GtkWidget* combo = gtk_combo_box_text_new();
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  if (cells) {
    // Long entries are cut at the front, and do not widen the list.
    GtkCellRenderer* cell = GTK_CELL_RENDERER(cells->data);
    g_object_set(cell, "ellipsize", PANGO_ELLIPSIZE_START, "max-width-chars", 1, nullptr);
    if (shown) {
      gtk_cell_layout_set_cell_data_func(GTK_CELL_LAYOUT(combo), cell, show_entry, new ShownText(std::move(shown)),
                                         [](gpointer p) { delete static_cast<ShownText*>(p); });
    }
  }
  g_list_free(cells);
  register_control(window, id, combo, combo);
  find_control(id)->type = ControlType::Choice;
  put_fixed(window, combo, rect);
}

void Toolkit::append_row(int id, const std::string& text) {
  Control* control = find_control(id);
  if (!control) return;
  GtkTreeIter row;
  gtk_list_store_insert_with_values(store_of(control), &row, -1, 0, text.c_str(), -1);
  if (control->type == ControlType::List) fit_column_to_rows(control, {text});
}

void Toolkit::set_rows(int id, const std::vector<std::string>& rows) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::List) return;
  // Filled while detached from its view, so the view lays out once.
  GtkTreeView* view = GTK_TREE_VIEW(control->inner);
  GtkListStore* store = GTK_LIST_STORE(g_object_ref(gtk_tree_view_get_model(view)));
  gtk_tree_view_set_model(view, nullptr);
  gtk_list_store_clear(store);
  GtkTreeIter row;
  for (const std::string& text : rows) gtk_list_store_insert_with_values(store, &row, -1, 0, text.c_str(), -1);
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_column_set_fixed_width(gtk_tree_view_get_column(view, 0), kListColumnWidth);
  fit_column_to_rows(control, rows);
}

std::vector<std::string> detail::first_column(GtkTreeModel* model) {
  std::vector<std::string> result;
  GtkTreeIter row;
  for (gboolean valid = gtk_tree_model_get_iter_first(model, &row); valid; valid = gtk_tree_model_iter_next(model, &row)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &row, 0, &text, -1);
    result.emplace_back(text ? text : "");
    g_free(text);
  }
  return result;
}

int detail::chosen_index(GtkTreeView* view) {
  GtkTreeModel* model = nullptr;
  GtkTreeIter row;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), &model, &row)) return -1;
  GtkTreePath* path = gtk_tree_model_get_path(model, &row);
  const int index = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return index;
}

std::vector<std::string> Toolkit::rows(int id) const {
  Control* control = find_control(id);
  return control ? detail::first_column(GTK_TREE_MODEL(store_of(control))) : std::vector<std::string>{};
}

void Toolkit::select_row(int id, int row) {
  Control* control = find_control(id);
  if (!control) return;
  if (control->type == ControlType::Choice) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(control->inner), row);
  } else {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(control->inner)), path);
    gtk_tree_path_free(path);
  }
}

int Toolkit::selected_row(int id) const {
  Control* control = find_control(id);
  if (!control) return -1;
  if (control->type == ControlType::Choice) return gtk_combo_box_get_active(GTK_COMBO_BOX(control->inner));
  return detail::chosen_index(GTK_TREE_VIEW(control->inner));
}

}  // namespace zorvin::ui
