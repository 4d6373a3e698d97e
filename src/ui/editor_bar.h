// The source editor's own state, and the bar above it for searching,
// replacing and going to a line (editor_bar.cpp); source_editor.cpp builds
// the editor and runs its actions.
#pragma once

#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>

namespace zorvin::ui::detail {

struct Editor {
  GtkTextView* view = nullptr;
  GtkTextBuffer* buffer = nullptr;
  GtkSourceSearchSettings* settings = nullptr;
  GtkSourceSearchContext* search = nullptr;
  GtkTextMark* origin = nullptr;  // where typing in the search field searches from
  GtkWidget* bar_slot = nullptr;  // holds the bar once it is first opened
  GtkWidget* bar = nullptr;
  GtkWidget* find_row = nullptr;
  GtkWidget* replace_row = nullptr;
  GtkWidget* goto_row = nullptr;
  GtkWidget* find_entry = nullptr;
  GtkWidget* replace_entry = nullptr;
  GtkWidget* goto_entry = nullptr;
  GtkWidget* find_status = nullptr;
  GtkWidget* goto_status = nullptr;
  GtkCssProvider* zoom = nullptr;  // the font size while zoomed
  int base_points = 10;
  int points = 10;

  ~Editor() {
    g_object_unref(search);
    g_object_unref(settings);
    if (zoom) g_object_unref(zoom);
  }
};

// The editor a source view belongs to (none for another widget).
inline Editor* editor_of(GtkWidget* view) {
  return static_cast<Editor*>(g_object_get_data(G_OBJECT(view), "zorvin-editor"));
}

enum class BarMode { Find, Replace, GoTo };

// Scrolls the cursor into sight.
void show_cursor(Editor* editor);
void open_bar(Editor* editor, BarMode mode);
void find_next(Editor* editor, bool forward);
// Escape closes the bar, Shift+Return in the search field searches back.
gboolean on_bar_key(GtkWidget* widget, GdkEventKey* event, gpointer data);
// The place of the bar above the editor; the bar itself is built when a
// mode first opens it, which most sessions never do.
GtkWidget* bar_slot(Editor* editor);

}  // namespace zorvin::ui::detail
