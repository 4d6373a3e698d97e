// The yardstick for the program's start-up: the least a GTK 3 program with
// a text view does before its window is mapped. Built as
// minimal_source_view (MINIMAL_SOURCE_VIEW), the text view is a
// GtkSourceView with line numbers, as the program's editor is: what the
// editor's library costs before any of the program's own work.
#include <gtk/gtk.h>

#include <cstdlib>

#ifdef MINIMAL_SOURCE_VIEW
#include <gtksourceview/gtksource.h>
static GtkWidget* new_view() {
  GtkWidget* view = gtk_source_view_new();
  gtk_source_view_set_show_line_numbers(GTK_SOURCE_VIEW(view), TRUE);
  return view;
}
#else
static GtkWidget* new_view() { return gtk_text_view_new(); }
#endif

int main(int argc, char** argv) {
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scroller), new_view());
  gtk_container_add(GTK_CONTAINER(window), scroller);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
