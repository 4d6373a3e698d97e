// The source editor: a GtkSourceView with line numbers, the current line
// marked, 8048 highlighting, an undo history and font zoom, with the bar
// above it for searching, replacing and going to a line (editor_bar.cpp).
// It is a text view like the others: every text operation of the toolkit
// works on it unchanged.
#include "ui/source_editor.h"

#include <gtksourceview/gtksource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/editor_bar.h"
#include "ui/line_marks.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::ControlRecord;
using detail::ControlType;
using detail::BarMode;
using detail::Editor;
using detail::editor_of;

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
  g_signal_connect(view, "key-press-event", G_CALLBACK(detail::on_bar_key), editor);
  g_signal_connect(view, "scroll-event", G_CALLBACK(on_editor_scroll), editor);
  if (auto found = font_names_.find(font); found != font_names_.end())
    editor->base_points = editor->points = font_points(found->second);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), detail::bar_slot(editor), FALSE, FALSE, 0);
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
      detail::show_cursor(editor);
      break;
    case EditorAction::Redo:
      if (gtk_source_buffer_can_redo(buffer)) gtk_source_buffer_redo(buffer);
      detail::show_cursor(editor);
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
      detail::open_bar(editor, BarMode::Find);
      break;
    case EditorAction::Replace:
      detail::open_bar(editor, BarMode::Replace);
      break;
    case EditorAction::GoToLine:
      detail::open_bar(editor, BarMode::GoTo);
      break;
    case EditorAction::FindNext:
      detail::find_next(editor, true);
      break;
    case EditorAction::FindPrevious:
      detail::find_next(editor, false);
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
