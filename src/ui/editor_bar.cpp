// The bar above the source editor: searching and replacing with
// GtkSourceView's search context, and going to a line.
#include "ui/editor_bar.h"

#include <string>

#include "ui/gtk_ptr.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui::detail {

// The helpers below are the bar's own.

static void set_status(GtkWidget* label, GtkWidget* entry, const std::string& text, bool failed) {
  gtk_label_set_text(GTK_LABEL(label), text.c_str());
  GtkStyleContext* style = gtk_widget_get_style_context(entry);
  if (failed) {
    gtk_style_context_add_class(style, GTK_STYLE_CLASS_ERROR);
  } else {
    gtk_style_context_remove_class(style, GTK_STYLE_CLASS_ERROR);
  }
}

void show_cursor(Editor* editor) {
  gtk_text_view_scroll_to_mark(editor->view, gtk_text_buffer_get_insert(editor->buffer), 0.1, FALSE, 0.0, 0.0);
}

// Selects the next (or previous) match and tells in the bar how it went.
static bool select_match(Editor* editor, bool forward, bool from_origin) {
  const gchar* wanted = gtk_source_search_settings_get_search_text(editor->settings);
  if (!wanted || !*wanted) {
    set_status(editor->find_status, editor->find_entry, "", false);
    return false;
  }
  GtkTextIter selection_start, selection_end, from, match_start, match_end;
  gtk_text_buffer_get_selection_bounds(editor->buffer, &selection_start, &selection_end);
  if (from_origin) {
    gtk_text_buffer_get_iter_at_mark(editor->buffer, &from, editor->origin);
  } else {
    from = forward ? selection_end : selection_start;
  }
  gboolean wrapped = FALSE;
  const gboolean found =
      forward ? gtk_source_search_context_forward(editor->search, &from, &match_start, &match_end, &wrapped)
              : gtk_source_search_context_backward(editor->search, &from, &match_start, &match_end, &wrapped);
  if (!found) {
    set_status(editor->find_status, editor->find_entry, "nicht gefunden", true);
    return false;
  }
  gtk_text_buffer_select_range(editor->buffer, &match_start, &match_end);
  show_cursor(editor);
  const char* note = !wrapped ? "" : forward ? "Suche am Anfang fortgesetzt" : "Suche am Ende fortgesetzt";
  set_status(editor->find_status, editor->find_entry, note, false);
  return true;
}

static void reveal(GtkWidget* widget, bool shown) {
  if (shown) {
    gtk_widget_show(widget);
  } else {
    gtk_widget_hide(widget);
  }
}

static GtkWidget* build_bar(Editor* editor);

static bool bar_open(const Editor* editor) { return editor->bar && gtk_widget_get_visible(editor->bar); }

// The bar with the rows of the mode.
static void show_rows(Editor* editor, BarMode mode) {
  if (!editor->bar) gtk_box_pack_start(GTK_BOX(editor->bar_slot), build_bar(editor), FALSE, FALSE, 0);
  reveal(editor->find_row, mode != BarMode::GoTo);
  reveal(editor->replace_row, mode == BarMode::Replace);
  reveal(editor->goto_row, mode == BarMode::GoTo);
  gtk_widget_show(editor->bar);
}

void open_bar(Editor* editor, BarMode mode) {
  show_rows(editor, mode);
  GtkTextIter start, end;
  const bool selected = gtk_text_buffer_get_selection_bounds(editor->buffer, &start, &end);
  gtk_text_buffer_move_mark(editor->buffer, editor->origin, &start);
  if (mode == BarMode::GoTo) {
    gtk_entry_set_text(GTK_ENTRY(editor->goto_entry), std::to_string(gtk_text_iter_get_line(&start) + 1).c_str());
    set_status(editor->goto_status, editor->goto_entry, "", false);
    gtk_widget_grab_focus(editor->goto_entry);  // selects the number, ready to be typed over
    return;
  }
  // A selection within one line is what the user wants to find.
  if (selected && gtk_text_iter_get_line(&start) == gtk_text_iter_get_line(&end)) {
    GCharPtr text(gtk_text_buffer_get_text(editor->buffer, &start, &end, FALSE));
    gtk_entry_set_text(GTK_ENTRY(editor->find_entry), text.get());
  }
  gtk_source_search_context_set_highlight(editor->search, TRUE);
  gtk_widget_grab_focus(editor->find_entry);
}

static void close_bar(Editor* editor) {
  gtk_widget_hide(editor->bar);
  gtk_source_search_context_set_highlight(editor->search, FALSE);
  set_status(editor->find_status, editor->find_entry, "", false);
  gtk_widget_grab_focus(GTK_WIDGET(editor->view));
}

void find_next(Editor* editor, bool forward) {
  const gchar* wanted = gtk_source_search_settings_get_search_text(editor->settings);
  if (!wanted || !*wanted) {
    open_bar(editor, BarMode::Find);
    return;
  }
  // "nicht gefunden" must be seen even when the bar was closed.
  if (!bar_open(editor)) {
    show_rows(editor, BarMode::Find);
    gtk_source_search_context_set_highlight(editor->search, TRUE);
  }
  select_match(editor, forward, false);
}

static void replace_one(Editor* editor) {
  GtkTextIter start, end;
  gtk_text_buffer_get_selection_bounds(editor->buffer, &start, &end);
  if (gtk_source_search_context_get_occurrence_position(editor->search, &start, &end) > 0) {
    const gchar* with = gtk_entry_get_text(GTK_ENTRY(editor->replace_entry));
    if (gtk_source_search_context_replace(editor->search, &start, &end, with, -1, nullptr))
      gtk_text_buffer_place_cursor(editor->buffer, &end);
  }
  select_match(editor, true, false);
}

static void replace_all(Editor* editor) {
  const gchar* wanted = gtk_source_search_settings_get_search_text(editor->settings);
  if (!wanted || !*wanted) return;
  const gchar* with = gtk_entry_get_text(GTK_ENTRY(editor->replace_entry));
  const guint count = gtk_source_search_context_replace_all(editor->search, with, -1, nullptr);
  if (count == 0) {
    set_status(editor->find_status, editor->find_entry, "nicht gefunden", true);
  } else {
    set_status(editor->find_status, editor->find_entry, std::to_string(count) + " ersetzt", false);
  }
}

static void go_to_line(Editor* editor) {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(editor->goto_entry));
  char* rest = nullptr;
  const long line = std::strtol(text, &rest, 10);
  const int lines = gtk_text_buffer_get_line_count(editor->buffer);
  if (rest == text || *rest != '\0' || line < 1 || line > lines) {
    set_status(editor->goto_status, editor->goto_entry, "Zeile 1 bis " + std::to_string(lines), true);
    return;
  }
  detail::put_cursor_on_line(editor->view, static_cast<int>(line - 1), true);
  close_bar(editor);
}

// --- building the bar -------------------------------------------------------

gboolean on_bar_key(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  auto* editor = static_cast<Editor*>(data);
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval == GDK_KEY_Escape && modifiers == 0 && bar_open(editor)) {
    close_bar(editor);
    return TRUE;
  }
  // Shift+Return in the search field searches backwards, Return forwards.
  const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter;
  if (widget == editor->find_entry && enter && modifiers == GDK_SHIFT_MASK) {
    select_match(editor, false, false);
    return TRUE;
  }
  return FALSE;
}

static GtkWidget* button(const char* label, const char* tooltip, void (*clicked)(Editor*), Editor* editor) {
  GtkWidget* widget = gtk_button_new_with_label(label);
  if (tooltip) gtk_widget_set_tooltip_text(widget, tooltip);
  gtk_widget_set_focus_on_click(widget, FALSE);
  g_object_set_data(G_OBJECT(widget), "zorvin-action", reinterpret_cast<gpointer>(clicked));
  g_signal_connect(widget, "clicked", G_CALLBACK(+[](GtkButton* self, gpointer data) {
                     auto action = reinterpret_cast<void (*)(Editor*)>(g_object_get_data(G_OBJECT(self), "zorvin-action"));
                     action(static_cast<Editor*>(data));
                   }),
                   editor);
  return widget;
}

static GtkWidget* row(const char* caption, GtkWidget* entry, GtkSizeGroup* captions) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  GtkWidget* label = gtk_label_new(caption);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_size_group_add_widget(captions, label);
  gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 14);
  gtk_box_pack_start(GTK_BOX(box), entry, FALSE, FALSE, 0);
  return box;
}

static GtkWidget* status_label() {
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  return label;
}

// Shown and hidden by the editor alone, never by a show_all of its parents.
static void keep_hidden(GtkWidget* widget) {
  gtk_widget_show_all(widget);
  gtk_widget_hide(widget);
  gtk_widget_set_no_show_all(widget, TRUE);
}

GtkWidget* bar_slot(Editor* editor) {
  editor->bar_slot = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  return editor->bar_slot;
}

static GtkWidget* build_bar(Editor* editor) {
  GtkSizeGroup* captions = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
  editor->find_entry = gtk_search_entry_new();
  editor->find_row = row("Suchen:", editor->find_entry, captions);
  GtkBox* find = GTK_BOX(editor->find_row);
  gtk_box_pack_start(find, button("Zurück", "Voriger Treffer (Umschalt+F3)", [](Editor* e) { select_match(e, false, false); }, editor), FALSE, FALSE, 0);
  gtk_box_pack_start(find, button("Weiter", "Nächster Treffer (F3)", [](Editor* e) { select_match(e, true, false); }, editor), FALSE, FALSE, 0);
  GtkWidget* case_box = gtk_check_button_new_with_label("Groß/klein");
  gtk_widget_set_tooltip_text(case_box, "Groß-/Kleinschreibung beachten");
  gtk_widget_set_focus_on_click(case_box, FALSE);
  gtk_box_pack_start(find, case_box, FALSE, FALSE, 4);
  editor->find_status = status_label();
  gtk_box_pack_start(find, editor->find_status, TRUE, TRUE, 4);
  gtk_box_pack_end(find, button("×", "Schließen (Esc)", close_bar, editor), FALSE, FALSE, 0);

  editor->replace_entry = gtk_entry_new();
  editor->replace_row = row("Ersetzen durch:", editor->replace_entry, captions);
  gtk_box_pack_start(GTK_BOX(editor->replace_row), button("Ersetzen", nullptr, replace_one, editor), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(editor->replace_row), button("Alle ersetzen", nullptr, replace_all, editor), FALSE, FALSE, 0);

  editor->goto_entry = gtk_entry_new();
  gtk_entry_set_input_purpose(GTK_ENTRY(editor->goto_entry), GTK_INPUT_PURPOSE_DIGITS);
  editor->goto_row = row("Gehe zu Zeile:", editor->goto_entry, captions);
  g_object_unref(captions);
  editor->goto_status = status_label();
  gtk_box_pack_start(GTK_BOX(editor->goto_row), editor->goto_status, TRUE, TRUE, 4);
  gtk_box_pack_end(GTK_BOX(editor->goto_row), button("×", "Schließen (Esc)", close_bar, editor), FALSE, FALSE, 0);

  g_signal_connect(editor->find_entry, "search-changed", G_CALLBACK(+[](GtkSearchEntry* entry, gpointer data) {
                     auto* e = static_cast<Editor*>(data);
                     gtk_source_search_settings_set_search_text(e->settings, gtk_entry_get_text(GTK_ENTRY(entry)));
                     select_match(e, true, true);
                   }),
                   editor);
  g_signal_connect(editor->find_entry, "activate",
                   G_CALLBACK(+[](GtkEntry*, gpointer data) { select_match(static_cast<Editor*>(data), true, false); }),
                   editor);
  g_signal_connect(editor->find_entry, "stop-search",
                   G_CALLBACK(+[](GtkSearchEntry*, gpointer data) { close_bar(static_cast<Editor*>(data)); }), editor);
  g_signal_connect(case_box, "toggled", G_CALLBACK(+[](GtkToggleButton* box, gpointer data) {
                     auto* e = static_cast<Editor*>(data);
                     gtk_source_search_settings_set_case_sensitive(e->settings, gtk_toggle_button_get_active(box));
                     select_match(e, true, true);
                   }),
                   editor);
  g_signal_connect(editor->replace_entry, "activate",
                   G_CALLBACK(+[](GtkEntry*, gpointer data) { replace_one(static_cast<Editor*>(data)); }), editor);
  g_signal_connect(editor->goto_entry, "activate",
                   G_CALLBACK(+[](GtkEntry*, gpointer data) { go_to_line(static_cast<Editor*>(data)); }), editor);
  for (GtkWidget* entry : {editor->find_entry, editor->replace_entry, editor->goto_entry})
    g_signal_connect(entry, "key-press-event", G_CALLBACK(on_bar_key), editor);

  GtkWidget* rows = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_container_set_border_width(GTK_CONTAINER(rows), 2);
  for (GtkWidget* part : {editor->find_row, editor->replace_row, editor->goto_row}) {
    gtk_box_pack_start(GTK_BOX(rows), part, FALSE, FALSE, 0);
    keep_hidden(part);
  }
  // The bar never makes the pane wider: in a narrow pane its right end is
  // cut off instead of pushing the panes out of the window.
  editor->bar = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(editor->bar), GTK_POLICY_EXTERNAL, GTK_POLICY_NEVER);
  gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(editor->bar), TRUE);
  gtk_container_add(GTK_CONTAINER(editor->bar), rows);
  keep_hidden(editor->bar);
  return editor->bar;
}

}  // namespace zorvin::ui::detail
