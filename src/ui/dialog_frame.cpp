#include "ui/dialog_frame.h"

#include <gdk/gdkkeysyms.h>

#include "ui/toolkit_internal.h"

namespace zorvin::ui::detail {

namespace {

// The window manager learns which buttons to offer once the window exists
// on the display.
void offer_close_only(GtkWidget* window, gpointer) {
  GdkWindow* surface = gtk_widget_get_window(window);
  gdk_window_set_functions(surface, static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
  // The frame is the dialog's own title bar (see make_dialog_frame).
  gdk_window_set_decorations(surface, static_cast<GdkWMDecoration>(0));
}

// Window managers that offer minimising anyway (some ignore the hint for
// it) take the owner along with the dialog; both come straight back.
gboolean stay_shown(GtkWidget* window, GdkEventWindowState* event, gpointer) {
  if (!(event->changed_mask & event->new_window_state & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
  if (GtkWindow* owner = gtk_window_get_transient_for(GTK_WINDOW(window))) gtk_window_deiconify(owner);
  gtk_window_deiconify(GTK_WINDOW(window));
  gtk_window_present(GTK_WINDOW(window));
  return FALSE;
}

gboolean escape_closes(GtkWidget*, GdkEventKey* event, gpointer data) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval != GDK_KEY_Escape || modifiers != 0) return FALSE;
  auto* record = static_cast<WindowRecord*>(data);
  if (record->enabled) record->toolkit->push_event({EventKind::CloseRequest, record->id});
  return TRUE;
}

}  // namespace

void make_dialog_frame(WindowRecord* record) {
  GtkWindow* window = GTK_WINDOW(record->window);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  // Window managers such as openbox draw minimise and maximise buttons on
  // every dialog whatever the hints say; a title bar of the dialog's own
  // has the close button only.
  GtkWidget* bar = gtk_header_bar_new();
  gtk_header_bar_set_title(GTK_HEADER_BAR(bar), gtk_window_get_title(window));
  gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
  gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(bar), ":close");
  gtk_widget_show(bar);
  gtk_window_set_titlebar(window, bar);
  g_signal_connect(record->window, "realize", G_CALLBACK(offer_close_only), nullptr);
  g_signal_connect(record->window, "window-state-event", G_CALLBACK(stay_shown), nullptr);
  g_signal_connect(record->window, "key-press-event", G_CALLBACK(escape_closes), record);
}

}  // namespace zorvin::ui::detail
