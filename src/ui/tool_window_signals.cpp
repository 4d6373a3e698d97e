// The tool window's signal view: a logic analyzer's traces that grow with
// the window.
#include "ui/signal_view.h"
#include "ui/tool_window_field.h"

namespace zorvin::ui {

namespace {

constexpr const char* kKey = "zorvin-signal-view";

// The frames and columns around it take the room the window gets.
void expand_towards_window(GtkWidget* widget) {
  for (GtkWidget* child = widget, *parent = gtk_widget_get_parent(widget); parent;
       child = parent, parent = gtk_widget_get_parent(parent)) {
    gtk_widget_set_hexpand(child, TRUE);
    gtk_widget_set_vexpand(child, TRUE);
    if (GTK_IS_BOX(parent)) {
      gboolean expand = FALSE, fill = FALSE;
      guint padding = 0;
      GtkPackType pack = GTK_PACK_START;
      gtk_box_query_child_packing(GTK_BOX(parent), child, &expand, &fill, &padding, &pack);
      gtk_box_set_child_packing(GTK_BOX(parent), child, TRUE, TRUE, padding, pack);
    }
    if (GTK_IS_WINDOW(parent)) break;
  }
}

}  // namespace

void ToolWindow::add_signal_view(int group, int id, int rows) {
  // Made now: the view grows the pane around it, not what the pane is in later.
  build_group(group);
  Field* field = add_record(id, FieldKind::Signals, group);
  auto* view = new SignalView;
  field->widget = view->area();
  g_object_set_data_full(G_OBJECT(view->area()), kKey, view, [](gpointer p) { delete static_cast<SignalView*>(p); });
  view->set_picture({std::vector<SignalTrace>(static_cast<std::size_t>(rows))});
  place(group, [view](GtkGrid* grid) { gtk_grid_attach(grid, view->widget(), 0, 0, 8, 1); });
  expand_towards_window(view->widget());
}

SignalView* ToolWindow::signal_view(int id) const {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Signals) return nullptr;
  return static_cast<SignalView*>(g_object_get_data(G_OBJECT(field->widget), kKey));
}

}  // namespace zorvin::ui
