// The source editor: a GtkSourceView with line numbers, the current line
// marked, 8048 highlighting and an undo history, and a bar above it for
// searching, replacing and going to a line. It is a text view like the
// others: every text operation of the toolkit works on it unchanged.
#include "ui/source_editor.h"

#include <gtksourceview/gtksource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/line_marks.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::ControlRecord;
using detail::ControlType;

detail::FreshHistory::FreshHistory(GtkTextBuffer* buffer) {
  if (!GTK_SOURCE_IS_BUFFER(buffer)) return;
  source_buffer_ = buffer;
  gtk_source_buffer_begin_not_undoable_action(GTK_SOURCE_BUFFER(buffer));
}

detail::FreshHistory::~FreshHistory() {
  if (source_buffer_) gtk_source_buffer_end_not_undoable_action(GTK_SOURCE_BUFFER(source_buffer_));
}

namespace {

// --- the 8048 language ----------------------------------------------------

std::string program_folder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

// The language definition is looked for beside the installed program first,
// then in the build tree (so the program and its tests find it there); the
// library's own folders follow for the shared definitions it builds on.
GtkSourceLanguage* mcs48_language(const char* id = "mcs48") {
  static GtkSourceLanguageManager* manager = [] {
    std::vector<std::string> folders = {program_folder() + ZORVIN_LANGUAGE_RELATIVE_DIR, ZORVIN_LANGUAGE_BUILD_DIR};
    for (const gchar* const* folder =
             gtk_source_language_manager_get_search_path(gtk_source_language_manager_get_default());
         folder && *folder; ++folder)
      folders.emplace_back(*folder);
    std::vector<const gchar*> path;
    for (const std::string& folder : folders) path.push_back(folder.c_str());
    path.push_back(nullptr);
    GtkSourceLanguageManager* created = gtk_source_language_manager_new();
    gtk_source_language_manager_set_search_path(created, const_cast<gchar**>(path.data()));
    return created;  // kept for the whole run, like the library's default manager
  }();
  return gtk_source_language_manager_get_language(manager, id);
}

// --- the bar above the editor ----------------------------------------------

struct Editor {
  GtkTextView* view = nullptr;
  GtkTextBuffer* buffer = nullptr;
  GtkSourceSearchSettings* settings = nullptr;
  GtkSourceSearchContext* search = nullptr;
  GtkTextMark* origin = nullptr;  // where typing in the search field searches from
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

Editor* editor_of(GtkWidget* view) { return static_cast<Editor*>(g_object_get_data(G_OBJECT(view), "zorvin-editor")); }

void set_status(GtkWidget* label, GtkWidget* entry, const std::string& text, bool failed) {
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
bool select_match(Editor* editor, bool forward, bool from_origin) {
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

void reveal(GtkWidget* widget, bool shown) {
  if (shown) {
    gtk_widget_show(widget);
  } else {
    gtk_widget_hide(widget);
  }
}

enum class BarMode { Find, Replace, GoTo };

// The bar with the rows of the mode.
void show_rows(Editor* editor, BarMode mode) {
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

void close_bar(Editor* editor) {
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
  if (!gtk_widget_get_visible(editor->bar)) {
    show_rows(editor, BarMode::Find);
    gtk_source_search_context_set_highlight(editor->search, TRUE);
  }
  select_match(editor, forward, false);
}

void replace_one(Editor* editor) {
  GtkTextIter start, end;
  gtk_text_buffer_get_selection_bounds(editor->buffer, &start, &end);
  if (gtk_source_search_context_get_occurrence_position(editor->search, &start, &end) > 0) {
    const gchar* with = gtk_entry_get_text(GTK_ENTRY(editor->replace_entry));
    if (gtk_source_search_context_replace(editor->search, &start, &end, with, -1, nullptr))
      gtk_text_buffer_place_cursor(editor->buffer, &end);
  }
  select_match(editor, true, false);
}

void replace_all(Editor* editor) {
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

void go_to_line(Editor* editor) {
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

// --- font zoom ---------------------------------------------------------------

constexpr int kSmallestPoints = 6;
constexpr int kLargestPoints = 48;

// `step` +1 or -1 points, 0 back to the usual size.
void zoom(Editor* editor, int step) {
  const int points = step == 0 ? editor->base_points : std::clamp(editor->points + step, kSmallestPoints, kLargestPoints);
  if (points == editor->points) return;
  editor->points = points;
  if (!editor->zoom) {
    editor->zoom = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(GTK_WIDGET(editor->view)),
                                   GTK_STYLE_PROVIDER(editor->zoom), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  }
  const std::string css = "* { font-size: " + std::to_string(points) + "pt; }";
  gtk_css_provider_load_from_data(editor->zoom, css.c_str(), -1, nullptr);
}

// Ctrl and the wheel zoom, as in other editors; a touchpad's smooth
// scrolling counts by its direction.
gboolean on_editor_scroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (modifiers != GDK_CONTROL_MASK) return FALSE;
  auto* editor = static_cast<Editor*>(data);
  if (event->direction == GDK_SCROLL_UP || (event->direction == GDK_SCROLL_SMOOTH && event->delta_y < 0)) {
    zoom(editor, +1);
  } else if (event->direction == GDK_SCROLL_DOWN || (event->direction == GDK_SCROLL_SMOOTH && event->delta_y > 0)) {
    zoom(editor, -1);
  }
  return TRUE;
}

int font_points(const std::string& description) {
  PangoFontDescription* font = pango_font_description_from_string(description.c_str());
  const int points = pango_font_description_get_size(font) / PANGO_SCALE;
  pango_font_description_free(font);
  return points > 0 ? points : 10;
}

// --- building the bar -------------------------------------------------------

gboolean on_bar_key(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  auto* editor = static_cast<Editor*>(data);
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval == GDK_KEY_Escape && modifiers == 0 && gtk_widget_get_visible(editor->bar)) {
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

GtkWidget* button(const char* label, const char* tooltip, void (*clicked)(Editor*), Editor* editor) {
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

GtkWidget* row(const char* caption, GtkWidget* entry, GtkSizeGroup* captions) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  GtkWidget* label = gtk_label_new(caption);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_size_group_add_widget(captions, label);
  gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 14);
  gtk_box_pack_start(GTK_BOX(box), entry, FALSE, FALSE, 0);
  return box;
}

GtkWidget* status_label() {
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  return label;
}

// Shown and hidden by the editor alone, never by a show_all of its parents.
void keep_hidden(GtkWidget* widget) {
  gtk_widget_show_all(widget);
  gtk_widget_hide(widget);
  gtk_widget_set_no_show_all(widget, TRUE);
}

GtkWidget* build_bar(Editor* editor) {
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

// The editor's own focus widget when the user's focus is not in a text
// field, so that the menu's clipboard items also work from the menu.
GtkWidget* clipboard_target(GtkWidget* view) {
  GtkWidget* top = gtk_widget_get_toplevel(view);
  GtkWidget* focus = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
  return focus && (GTK_IS_TEXT_VIEW(focus) || GTK_IS_ENTRY(focus)) ? focus : view;
}

}  // namespace

void Toolkit::set_source_language(int id, const std::string& language) {
  Control* control = find_control(id);
  if (!control || !GTK_SOURCE_IS_VIEW(control->inner)) return;
  GtkSourceBuffer* buffer = GTK_SOURCE_BUFFER(gtk_text_view_get_buffer(GTK_TEXT_VIEW(control->inner)));
  GtkSourceLanguage* current = gtk_source_buffer_get_language(buffer);
  if (current && language == gtk_source_language_get_id(current)) return;  // no second highlighting pass
  if (!current && !gtk_widget_get_mapped(control->inner)) {
    // Not on the screen yet: read when it is (on_first_map).
    g_object_set_data_full(G_OBJECT(buffer), "zorvin-language", g_strdup(language.c_str()), g_free);
    return;
  }
  if (GtkSourceLanguage* wanted = mcs48_language(language.c_str())) gtk_source_buffer_set_language(buffer, wanted);
}

std::string Toolkit::source_language(int id) const {
  Control* control = find_control(id);
  if (!control || !GTK_SOURCE_IS_VIEW(control->inner)) return {};
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(control->inner));
  GtkSourceLanguage* current = gtk_source_buffer_get_language(GTK_SOURCE_BUFFER(buffer));
  if (current) return gtk_source_language_get_id(current);
  const auto* pending = static_cast<const char*>(g_object_get_data(G_OBJECT(buffer), "zorvin-language"));
  return pending ? pending : "";
}

namespace {

// The highlighting's definitions are read once the window is on the
// screen, unless a language was chosen before: start-up does not wait for
// the language files.
gboolean set_default_language(gpointer data) {
  auto* buffer = static_cast<GtkSourceBuffer*>(data);
  const auto* pending = static_cast<const char*>(g_object_get_data(G_OBJECT(buffer), "zorvin-language"));
  if (!gtk_source_buffer_get_language(buffer))
    if (GtkSourceLanguage* language = mcs48_language(pending ? pending : "mcs48"))
      gtk_source_buffer_set_language(buffer, language);
  g_object_set_data(G_OBJECT(buffer), "zorvin-language", nullptr);
  g_object_unref(buffer);
  return G_SOURCE_REMOVE;
}

void on_first_map(GtkWidget* view, gpointer) {
  g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(on_first_map), nullptr);
  g_idle_add_full(G_PRIORITY_LOW, set_default_language, g_object_ref(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view))),
                  nullptr);
}

}  // namespace

void Toolkit::create_source_view(int window, int id, int font) {
  GtkSourceBuffer* buffer = gtk_source_buffer_new(nullptr);
  gtk_source_buffer_set_highlight_syntax(buffer, TRUE);
  GtkWidget* view = gtk_source_view_new_with_buffer(buffer);
  g_object_unref(buffer);
  g_signal_connect(view, "map", G_CALLBACK(on_first_map), nullptr);
  GtkSourceView* source_view = GTK_SOURCE_VIEW(view);
  gtk_source_view_set_show_line_numbers(source_view, TRUE);
  gtk_source_view_set_highlight_current_line(source_view, TRUE);
  // Return keeps the line's indent: nearly every 8048 line starts with one.
  gtk_source_view_set_auto_indent(source_view, TRUE);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_NONE);
  gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 4);  // text clear of the line numbers
  if (font >= 0) apply_font(view, font);

  auto* editor = new Editor{};
  editor->view = GTK_TEXT_VIEW(view);
  editor->buffer = GTK_TEXT_BUFFER(buffer);
  editor->settings = gtk_source_search_settings_new();
  gtk_source_search_settings_set_wrap_around(editor->settings, TRUE);
  editor->search = gtk_source_search_context_new(buffer, editor->settings);
  gtk_source_search_context_set_highlight(editor->search, FALSE);
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(editor->buffer, &start);
  editor->origin = gtk_text_buffer_create_mark(editor->buffer, nullptr, &start, TRUE);
  g_object_set_data_full(G_OBJECT(view), "zorvin-editor", editor, [](gpointer p) { delete static_cast<Editor*>(p); });
  g_signal_connect(view, "key-press-event", G_CALLBACK(on_bar_key), editor);
  g_signal_connect(view, "scroll-event", G_CALLBACK(on_editor_scroll), editor);
  if (auto found = font_names_.find(font); found != font_names_.end())
    editor->base_points = editor->points = font_points(found->second);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), build_bar(editor), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), detail::scrolled(view), TRUE, TRUE, 0);
  adopt_text_view(window, id, box, view);
  detail::show_line_mark_gutter(find_control(id));
}

void Toolkit::editor_action(int id, EditorAction action) {
  Control* control = find_control(id);
  Editor* editor = control ? editor_of(control->inner) : nullptr;
  if (!editor) return;
  GtkSourceBuffer* buffer = GTK_SOURCE_BUFFER(editor->buffer);
  GtkWidget* target = clipboard_target(control->inner);
  switch (action) {
    case EditorAction::Undo:
      if (gtk_source_buffer_can_undo(buffer)) gtk_source_buffer_undo(buffer);
      show_cursor(editor);
      break;
    case EditorAction::Redo:
      if (gtk_source_buffer_can_redo(buffer)) gtk_source_buffer_redo(buffer);
      show_cursor(editor);
      break;
    case EditorAction::Cut:
      g_signal_emit_by_name(target, "cut-clipboard");
      break;
    case EditorAction::Copy:
      g_signal_emit_by_name(target, "copy-clipboard");
      break;
    case EditorAction::Paste:
      g_signal_emit_by_name(target, "paste-clipboard");
      break;
    case EditorAction::SelectAll:
      if (GTK_IS_ENTRY(target)) {
        gtk_editable_select_region(GTK_EDITABLE(target), 0, -1);
      } else {
        g_signal_emit_by_name(target, "select-all", TRUE);
      }
      break;
    case EditorAction::Find:
      open_bar(editor, BarMode::Find);
      break;
    case EditorAction::Replace:
      open_bar(editor, BarMode::Replace);
      break;
    case EditorAction::GoToLine:
      open_bar(editor, BarMode::GoTo);
      break;
    case EditorAction::FindNext:
      find_next(editor, true);
      break;
    case EditorAction::FindPrevious:
      find_next(editor, false);
      break;
    case EditorAction::ZoomIn:
      zoom(editor, +1);
      break;
    case EditorAction::ZoomOut:
      zoom(editor, -1);
      break;
    case EditorAction::ZoomReset:
      zoom(editor, 0);
      break;
  }
}

}  // namespace zorvin::ui
