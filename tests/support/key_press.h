// A key press put through GTK as if it came from the X server: the window's
// shortcut handler, key bindings, the input method and the focused widget.
#pragma once

#include <gtk/gtk.h>

namespace zorvin::test {

// Key bindings (Return activating the focused button) match the hardware key
// code, not the key value, so that is looked up too. `sent` marks the event
// as synthetic, as events from another client are.
void send_key_press(GtkWidget* widget, guint keyval, GdkModifierType modifiers, bool sent);
// The key let go again (a key held down gets no release from send_key_press).
void send_key_release(GtkWidget* widget, guint keyval);

}  // namespace zorvin::test
