// The tool window's groups: a title that opens and collapses them over a
// grid of fields. A group that starts collapsed gets its grid and widgets
// when it is first opened (or a widget of it is asked for): a pane opens
// quicker, and most such groups are looked at seldom.
#include <algorithm>

#include "ui/tool_window.h"
#include "ui/tool_window_field.h"

namespace zorvin::ui {

namespace {

constexpr const char* kGroupKey = "zorvin-group";

void on_group_expanded(GObject* expander, GParamSpec*, gpointer data) {
  static_cast<ToolWindow*>(data)->group_toggled(GPOINTER_TO_INT(g_object_get_data(expander, kGroupKey)));
}

}  // namespace

int ToolWindow::add_group(int column, const std::string& title, bool open) {
  const int index = static_cast<int>(groups_.size());
  Group group;
  group.expander = gtk_expander_new(nullptr);
  GtkWidget* label = gtk_label_new(nullptr);
  char* markup = g_markup_printf_escaped("<b>%s</b>", title.c_str());
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  gtk_expander_set_label_widget(GTK_EXPANDER(group.expander), label);
  const bool closed = remembered_ ? std::find(closed_groups_.begin(), closed_groups_.end(), index) != closed_groups_.end()
                                  : !open;
  gtk_expander_set_expanded(GTK_EXPANDER(group.expander), !closed);
  g_object_set_data(G_OBJECT(group.expander), kGroupKey, GINT_TO_POINTER(index));
  g_signal_connect(group.expander, "notify::expanded", G_CALLBACK(on_group_expanded), this);
  group.column = static_cast<std::size_t>(std::clamp(column, 0, static_cast<int>(columns_.size()) - 1));
  gtk_box_pack_start(GTK_BOX(columns_[docked_ ? 0 : group.column]), group.expander, FALSE, TRUE, 0);
  groups_.push_back(std::move(group));
  if (!closed) build_group(index);
  return index;
}

bool ToolWindow::group_open(int group) const {
  if (group < 0 || group >= static_cast<int>(groups_.size())) return false;
  return gtk_expander_get_expanded(GTK_EXPANDER(groups_[static_cast<std::size_t>(group)].expander));
}

void ToolWindow::set_group_open(int group, bool open) {
  if (group < 0 || group >= static_cast<int>(groups_.size())) return;
  gtk_expander_set_expanded(GTK_EXPANDER(groups_[static_cast<std::size_t>(group)].expander), open);
}

bool ToolWindow::group_built(int group) const {
  return group >= 0 && group < static_cast<int>(groups_.size()) && groups_[static_cast<std::size_t>(group)].grid;
}

void ToolWindow::group_toggled(int group) {
  if (group_open(group)) build_group(group);
  keep_layout();
}

void ToolWindow::set_group_visible(int group, bool visible) {
  if (group < 0 || group >= static_cast<int>(groups_.size())) return;
  GtkWidget* expander = groups_[static_cast<std::size_t>(group)].expander;
  gtk_widget_set_no_show_all(expander, !visible);
  if (visible) {
    gtk_widget_show_all(expander);
  } else {
    gtk_widget_hide(expander);
  }
}

void ToolWindow::place(int group, std::function<void(GtkGrid*)> build) {
  Group& into = groups_.at(static_cast<std::size_t>(group));
  if (into.grid) {
    build(GTK_GRID(into.grid));
  } else {
    into.waiting.push_back(std::move(build));
  }
}

void ToolWindow::build_group(int index) {
  if (index < 0 || index >= static_cast<int>(groups_.size())) return;
  Group& group = groups_[static_cast<std::size_t>(index)];
  if (group.grid) return;
  group.grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(group.grid), 2);
  gtk_grid_set_column_spacing(GTK_GRID(group.grid), 4);
  gtk_container_set_border_width(GTK_CONTAINER(group.grid), 4);
  const auto waiting = std::move(group.waiting);
  group.waiting.clear();
  for (const auto& build : waiting) build(GTK_GRID(group.grid));
  // Made after the pane was shown: shown now (else with the pane), before
  // it goes in, so that a collapsed group leaves it unmapped.
  if (gtk_widget_get_visible(group.expander)) gtk_widget_show_all(group.grid);
  gtk_container_add(GTK_CONTAINER(group.expander), group.grid);
}

ToolWindow::Field* ToolWindow::built(int id) {
  Field* field = find(id);
  if (field && !field->widget) build_group(field->group);
  return field;
}

}  // namespace zorvin::ui
