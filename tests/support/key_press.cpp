#include "key_press.h"

namespace zorvin::test {

namespace {

void send_key_event(GdkEventType type, GtkWidget* widget, guint keyval, GdkModifierType modifiers, bool sent) {
  GdkDisplay* display = gdk_display_get_default();
  GdkEvent* event = gdk_event_new(type);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(gtk_widget_get_toplevel(widget))));
  event->key.keyval = keyval;
  event->key.state = modifiers;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count) && count > 0)
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  event->key.send_event = sent ? TRUE : FALSE;
  event->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  gtk_main_do_event(event);
  gdk_event_free(event);
}

}  // namespace

void send_key_press(GtkWidget* widget, guint keyval, GdkModifierType modifiers, bool sent) {
  send_key_event(GDK_KEY_PRESS, widget, keyval, modifiers, sent);
}

void send_key_release(GtkWidget* widget, guint keyval) {
  send_key_event(GDK_KEY_RELEASE, widget, keyval, GdkModifierType(0), true);
}

}  // namespace zorvin::test
