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
  gdk_window_set_decorations(surface, static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
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
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(record->window), TRUE);
  g_signal_connect(record->window, "realize", G_CALLBACK(offer_close_only), nullptr);
  g_signal_connect(record->window, "window-state-event", G_CALLBACK(stay_shown), nullptr);
  g_signal_connect(record->window, "key-press-event", G_CALLBACK(escape_closes), record);
}

}  // namespace zorvin::ui::detail
