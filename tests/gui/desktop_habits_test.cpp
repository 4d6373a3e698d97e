// The editor under a window manager, as a day's work meets it: the last
// message in sight, the "[geändert]" mark following undo, typing after F5,
// files from the desktop, the command line and the last run, and a window
// that never shrinks its panes out of use.
#include <gdk/gdkkeysyms.h>
#include <gtksourceview/gtksource.h>

#include <chrono>
#include <filesystem>

#include "app/ids.h"
#include "app/panes.h"
#include "files/source_file.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

constexpr auto kCtrl = GDK_CONTROL_MASK;

GtkWidget* editor() { return GuiTest::ui().widget(control::kEditor); }
GtkWidget* messages_view() { return GuiTest::ui().widget(control::kMessages); }

// Whether the end of the last line of the view is inside its visible part.
bool end_in_sight(GtkWidget* widget) {
  GtkTextView* view = GTK_TEXT_VIEW(widget);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(gtk_text_view_get_buffer(view), &end);
  GdkRectangle where, visible;
  gtk_text_view_get_iter_location(view, &end, &where);
  gtk_text_view_get_visible_rect(view, &visible);
  return where.y >= visible.y && where.y + where.height <= visible.y + visible.height && where.x >= visible.x &&
         where.x <= visible.x + visible.width;
}

bool horizontal_bar_shown(GtkWidget* view) {
  GtkWidget* frame = gtk_widget_get_parent(view);
  GtkWidget* bar = gtk_scrolled_window_get_hscrollbar(GTK_SCROLLED_WINDOW(frame));
  return bar && gtk_widget_get_visible(bar) && gtk_widget_get_mapped(bar);
}

class Desktop : public GuiTestWithWindowManager {
 protected:
  std::string status() { return ui().status_text(status::kFile); }
  void key(GtkWidget* widget, guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
    press_key(widget, keyval, modifiers);
    pump(30);
  }
  // A folder path far wider than the message pane.
  std::string deep_folder() {
    std::string folder = dir_;
    for (int i = 0; i < 8; ++i) folder += "/ein_recht_langer_ordnername";
    std::filesystem::create_directories(folder);
    return folder;
  }
};

// A message line wider than the pane, last or followed by others, never
// hides behind a scroll bar: the lines wrap and the end stays in sight.
TEST_F(Desktop, LastMessageStaysInSightAfterALongLine) {
  const std::string source = deep_folder() + "/quelle.asm";
  write_file(source.substr(dir_.size() + 1), "\tnop\n\tmov a,#\n");
  start_app("", source);
  pump(200);
  for (int command : {command::kSaveSource, command::kAssemble, command::kSaveSource, command::kAssemble}) {
    app().dispatch_command(command);
    // Wrapped lines are laid out in idle time, later under load.
    EXPECT_TRUE(pump_until([] { return end_in_sight(messages_view()); }, 5000))
        << "after command " << command << ":\n" << messages();
    EXPECT_FALSE(horizontal_bar_shown(messages_view()));
  }
  EXPECT_NE(messages().find("1 Fehler beim Assemblieren!"), std::string::npos);
}

// Undo back to the saved text clears the mark, and loading then asks
// nothing; the example, never saved, stays marked whatever is undone.
TEST_F(Desktop, ModifiedMarkFollowsUndo) {
  write_file("a.asm", "\tnop\n");
  write_file("b.asm", "\tret\n");
  start_app("", dir_ + "/a.asm");
  type_into_editor("x");
  EXPECT_EQ(status(), "Datei: a.asm [geändert]");
  key(editor(), GDK_KEY_z, kCtrl);
  EXPECT_EQ(status(), "Datei: a.asm");
  EXPECT_EQ(app().panes().is_modified(), 0);
  key(editor(), GDK_KEY_y, kCtrl);
  EXPECT_EQ(status(), "Datei: a.asm [geändert]");
  key(editor(), GDK_KEY_z, kCtrl);
  auto question = answer_next_box(GTK_RESPONSE_NO);
  answer_next_requester(dir_ + "/b.asm");
  app().dispatch_command(command::kLoadSource);
  pump(100);
  EXPECT_FALSE(question->shown) << question->text;
  EXPECT_EQ(app().panes().editor_text(), "\tret\n");

  // Saved, edited, undone: clean again.
  type_into_editor("y");
  app().dispatch_command(command::kSaveSource);
  type_into_editor("z");
  key(editor(), GDK_KEY_z, kCtrl);
  EXPECT_EQ(status(), "Datei: b.asm");

  app().dispatch_command(command::kNewSource);
  type_into_editor("q");
  key(editor(), GDK_KEY_z, kCtrl);
  EXPECT_EQ(status(), "Datei: hallowelt.asm [geändert]");
  EXPECT_EQ(app().panes().is_modified(), 1);
}

// F5 leaves the focus in the messages; what is typed there lands in the
// editor, which takes the focus, and Return still goes to an error line.
TEST_F(Desktop, TypingAfterF5GoesToTheEditor) {
  start_app();
  type_into_editor("\tnop");
  const struct {
    guint key;
    const char* text;
  } typed[] = {{GDK_KEY_x, "\tnopx"}, {GDK_KEY_BackSpace, "\tnop"}, {GDK_KEY_A, "\tnopA"}, {GDK_KEY_space, "\tnopA "}};
  for (const auto& t : typed) {
    app().dispatch_command(command::kAssemble);
    pump(50);
    ASSERT_TRUE(gtk_widget_is_focus(messages_view()));
    key(messages_view(), t.key, t.key == GDK_KEY_A ? GDK_SHIFT_MASK : GdkModifierType(0));
    EXPECT_EQ(app().panes().editor_text(), t.text);
    EXPECT_TRUE(gtk_widget_is_focus(editor()));
  }
  // Keys that move or copy stay with the messages.
  app().dispatch_command(command::kAssemble);
  pump(50);
  key(messages_view(), GDK_KEY_Down);
  key(messages_view(), GDK_KEY_c, kCtrl);
  EXPECT_TRUE(gtk_widget_is_focus(messages_view()));
  EXPECT_EQ(app().panes().editor_text(), "\tnopA ");
}

// A file list as a file manager drops it: the editor or the window gets
// it, and it is opened like "Quelle laden", question included.
void drop_on(GtkWidget* target, const std::string& uri_list) {
  GtkClipboard* clipboard = gtk_clipboard_get(gdk_atom_intern_static_string("ZORVIN_TEST_DROP"));
  static std::string offered;
  offered = uri_list;
  static const GtkTargetEntry uris[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_clipboard_set_with_data(
      clipboard, uris, 1,
      [](GtkClipboard*, GtkSelectionData* data, guint, gpointer) {
        gtk_selection_data_set(data, gdk_atom_intern_static_string("text/uri-list"), 8,
                               reinterpret_cast<const guchar*>(offered.data()), static_cast<gint>(offered.size()));
      },
      nullptr, nullptr);
  GtkSelectionData* data = gtk_clipboard_wait_for_contents(clipboard, gdk_atom_intern_static_string("text/uri-list"));
  ASSERT_NE(data, nullptr);
  g_signal_emit_by_name(target, "drag-data-received", nullptr, 10, 10, data, 0u, 0u);
  gtk_selection_data_free(data);
}

TEST_F(Desktop, DroppedCommandLineAndLastFilesOpen) {
  write_file("a.asm", "\tnop\n\tnop\n");
  write_file("b.asm", "\tret\n");
  start_app("", dir_ + "/a.asm");
  EXPECT_EQ(app().panes().editor_text(), "\tnop\n\tnop\n");
  EXPECT_EQ(status(), "Datei: a.asm");
  EXPECT_EQ(app().panes().cursor_line(), 1) << "the cursor starts where the view shows the text";
  EXPECT_EQ(app().panes().cursor_column(), 1);

  ui::GCharPtr uri(g_filename_to_uri((dir_ + "/b.asm").c_str(), nullptr, nullptr));
  drop_on(editor(), std::string(uri.get()) + "\r\n");
  pump(100);
  EXPECT_EQ(app().panes().editor_text(), "\tret\n") << "not the file's address";
  EXPECT_EQ(status(), "Datei: b.asm");

  // On the window (the listing, say), and with changes asked about first.
  type_into_editor("x");
  ui::GCharPtr first(g_filename_to_uri((dir_ + "/a.asm").c_str(), nullptr, nullptr));
  auto no = answer_next_box(GTK_RESPONSE_NO);
  drop_on(GTK_WIDGET(ui().gtk_window(window::kMain)), std::string(first.get()) + "\r\n");
  pump(150);
  EXPECT_EQ(no->text, "Quelle wurde geändert. Trotzdem laden?");
  EXPECT_EQ(app().panes().editor_text(), "x\tret\n");
  auto yes = answer_next_box(GTK_RESPONSE_YES);
  drop_on(GTK_WIDGET(ui().gtk_window(window::kMain)), std::string(first.get()) + "\r\n");
  pump(150);
  EXPECT_EQ(app().panes().editor_text(), "\tnop\n\tnop\n");

  // The next start, without a file, opens the last one again; a last file
  // that is gone is left alone.
  finish_app();
  start_app();
  EXPECT_EQ(app().panes().editor_text(), "\tnop\n\tnop\n");
  EXPECT_EQ(status(), "Datei: a.asm");
  finish_app();
  std::filesystem::remove(dir_ + "/a.asm");
  start_app();
  EXPECT_EQ(app().panes().editor_text(), "");
  EXPECT_EQ(status(), "Datei: keine");
  EXPECT_EQ(messages(), "Willkommen an Bord!");
}

// The entries of "Zuletzt geöffnet": their full paths, as their tooltips
// show them, with the item to activate.
// Whether a label below `widget` reads `text`.
bool shows_label(GtkWidget* widget, const std::string& text) {
  if (GTK_IS_LABEL(widget)) return text == gtk_label_get_text(GTK_LABEL(widget));
  if (!GTK_IS_CONTAINER(widget)) return false;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  bool found = false;
  for (GList* child = children; child && !found; child = child->next) found = shows_label(GTK_WIDGET(child->data), text);
  g_list_free(children);
  return found;
}

// The submenu of the menu item labelled `text` below `widget`.
GtkWidget* submenu_of(GtkWidget* widget, const std::string& text) {
  if (GTK_IS_MENU_ITEM(widget)) {
    GtkWidget* below = gtk_menu_item_get_submenu(GTK_MENU_ITEM(widget));
    if (below && shows_label(gtk_bin_get_child(GTK_BIN(widget)), text)) return below;
    return below ? submenu_of(below, text) : nullptr;
  }
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) found = submenu_of(GTK_WIDGET(child->data), text);
  g_list_free(children);
  return found;
}

std::vector<std::pair<std::string, GtkWidget*>> recent_entries() {
  std::vector<std::pair<std::string, GtkWidget*>> entries;
  GtkWidget* submenu = submenu_of(GTK_WIDGET(GuiTest::ui().gtk_window(window::kMain)), "Zuletzt geöffnet");
  if (!submenu) return entries;
  GList* items = gtk_container_get_children(GTK_CONTAINER(submenu));
  for (GList* item = items; item; item = item->next) {
    gchar* tip = gtk_widget_get_tooltip_text(GTK_WIDGET(item->data));
    entries.emplace_back(tip ? tip : "", GTK_WIDGET(item->data));
    g_free(tip);
  }
  g_list_free(items);
  return entries;
}

// Files loaded or saved come back under "Zuletzt geöffnet", newest first,
// as long as they exist; picking one opens it.
TEST_F(Desktop, RecentFilesOpenAgain) {
  write_file("r1.asm", "\tnop\n");
  write_file("r2.asm", "\tret\n");
  start_app("", dir_ + "/r1.asm");
  answer_next_requester(dir_ + "/r2.asm");
  app().dispatch_command(command::kLoadSource);
  ASSERT_TRUE(pump_until([&] {
    const auto entries = recent_entries();
    return entries.size() >= 2 && entries[0].first == dir_ + "/r2.asm";
  })) << "recent files: " << recent_entries().size();
  auto entries = recent_entries();
  EXPECT_EQ(entries[1].first, dir_ + "/r1.asm");
  gtk_menu_item_activate(GTK_MENU_ITEM(entries[1].second));
  pump(100);
  EXPECT_EQ(app().panes().editor_text(), "\tnop\n");
  std::filesystem::remove(dir_ + "/r2.asm");
  app().dispatch_command(command::kSaveSource);  // a change of the list refills the menu
  EXPECT_TRUE(pump_until([&] {
    for (const auto& [path, item] : recent_entries())
      if (path == dir_ + "/r2.asm") return false;
    return true;
  })) << "a file that is gone is not offered";
}

void offer_file(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint info, guint, gpointer uri) {
  auto* offered = static_cast<std::string*>(uri);
  if (info == 0) {
    gchar* uris[] = {offered->data(), nullptr};
    gtk_selection_data_set_uris(data, uris);
  } else {
    gtk_selection_data_set_text(data, offered->c_str(), -1);
  }
}

// A real drag under the window manager, as from a file manager: a window of
// the test offers the file as an address list and as plain text, and
// xdotool drags it onto the editor.
TEST_F(Desktop, FileDraggedOntoTheEditorOpens) {
  write_file("dragged.asm", "\tcall 5\n");
  start_app();
  static std::string offered;
  ui::GCharPtr uri(g_filename_to_uri((dir_ + "/dragged.asm").c_str(), nullptr, nullptr));
  offered = uri.get();
  GtkWidget* source = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_move(GTK_WINDOW(source), 900, 100);
  GtkWidget* handle = gtk_button_new_with_label("Datei");
  gtk_widget_set_size_request(handle, 200, 100);
  gtk_container_add(GTK_CONTAINER(source), handle);
  static const GtkTargetEntry targets[] = {{const_cast<gchar*>("text/uri-list"), 0, 0},
                                           {const_cast<gchar*>("text/plain"), 0, 1},
                                           {const_cast<gchar*>("UTF8_STRING"), 0, 1}};
  gtk_drag_source_set(handle, GDK_BUTTON1_MASK, targets, 3, GDK_ACTION_COPY);
  g_signal_connect(handle, "drag-data-get", G_CALLBACK(offer_file), &offered);
  gtk_widget_show_all(source);
  pump(500);
  int from_x = 0, from_y = 0, to_x = 0, to_y = 0;
  gdk_window_get_origin(gtk_widget_get_window(handle), &from_x, &from_y);
  gdk_window_get_origin(gtk_text_view_get_window(GTK_TEXT_VIEW(editor()), GTK_TEXT_WINDOW_TEXT), &to_x, &to_y);
  GtkAllocation area;
  gtk_widget_get_allocation(handle, &area);
  from_x += area.x + 100;
  from_y += area.y + 50;
  std::string script = "mousemove " + std::to_string(from_x) + " " + std::to_string(from_y) + " sleep 0.3 mousedown 1";
  for (int step = 1; step <= 8; ++step) {
    const int x = from_x + (to_x + 100 - from_x) * step / 8, y = from_y + (to_y + 100 - from_y) * step / 8;
    script += " sleep 0.1 mousemove " + std::to_string(x) + " " + std::to_string(y);
  }
  script += " sleep 0.3 mouseup 1";
  gchar** argv = g_strsplit(("xdotool " + script).c_str(), " ", -1);
  GPid xdotool = 0;
  ASSERT_TRUE(g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &xdotool, nullptr));
  g_strfreev(argv);
  EXPECT_TRUE(pump_until([&] { return app().panes().editor_text() == "\tcall 5\n"; }, 10000))
      << "editor: " << app().panes().editor_text();
  EXPECT_EQ(status(), "Datei: dragged.asm");
  g_spawn_close_pid(xdotool);
  gtk_widget_destroy(source);
}

std::string ini_with(int width, int height, int horizontal, int vertical) {
  return "\xEF\xBB\xBF\n[Fenster]\nF0X = 0\nF0Y = 0\nF0W = " + std::to_string(width) + "\nF0H = " +
         std::to_string(height) + "\n[Splitter]\nHorizontal = " + std::to_string(horizontal) +
         "\nVertikal = " + std::to_string(vertical) + "\n";
}

// Stored dividers and sizes that would squeeze a pane out of use open with
// every pane usable, and the window does not shrink below that.
TEST_F(Desktop, PanesStayUsableWhateverTheSizes) {
  const struct {
    int width, height, horizontal, vertical;
  } stored[] = {
      {317, 81, 900, 400}, {800, 600, 0, 0}, {800, 600, -50, -3}, {800, 600, 5, 7}, {800, 600, 99999, 99999},
  };
  for (const auto& s : stored) {
    SCOPED_TRACE(ini_with(s.width, s.height, s.horizontal, s.vertical));
    start_app(ini_with(s.width, s.height, s.horizontal, s.vertical));
    pump(300);
    const ui::Rect size = ui().window_inner_size(window::kMain);
    EXPECT_GE(size.width, pane::kWindowWidth);
    EXPECT_GE(size.height, pane::kWindowHeight);
    const auto frame = [](int id) { return gtk_widget_get_parent(ui().widget(id)); };
    EXPECT_GE(gtk_widget_get_allocated_width(frame(control::kEditor)), pane::kEditorWidth);
    EXPECT_GE(gtk_widget_get_allocated_height(frame(control::kEditor)), pane::kEditorHeight);
    EXPECT_GE(gtk_widget_get_allocated_height(frame(control::kMessages)), pane::kMessagesHeight);
    EXPECT_GE(gtk_widget_get_allocated_width(frame(control::kListing)), pane::kListingWidth);
    // The window manager keeps the window at its least size.
    gtk_window_resize(ui().gtk_window(window::kMain), 100, 50);
    pump(300);
    const ui::Rect shrunk = ui().window_inner_size(window::kMain);
    EXPECT_GE(shrunk.width, pane::kWindowWidth);
    EXPECT_GE(shrunk.height, pane::kWindowHeight);
    finish_app();
  }
}

// The boxes speak German whatever the locale.
TEST_F(Desktop, BoxesHaveGermanButtons) {
  start_app();
  type_into_editor("x");
  auto question = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kNewSource);
  EXPECT_EQ(question->buttons, (std::vector<std::string>{"_Ja", "_Nein"}));
  app().panes().clear_editor();
  auto hint = answer_next_box(GTK_RESPONSE_OK);
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(hint->buttons, (std::vector<std::string>{"_OK"}));
}

// Return keeps the indent; Ctrl with +, - and 0 zooms the editor's font.
TEST_F(Desktop, AutoIndentAndZoom) {
  start_app();
  type_into_editor("\tmov a,#1");
  key(editor(), GDK_KEY_Return);
  type_into_editor("nop");
  EXPECT_EQ(app().panes().editor_text(), "\tmov a,#1\n\tnop");
  const auto points = [] {
    PangoFontDescription* font = nullptr;
    GtkStyleContext* style = gtk_widget_get_style_context(editor());
    gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &font, nullptr);
    const int size = pango_font_description_get_size(font) / PANGO_SCALE;
    pango_font_description_free(font);
    return size;
  };
  EXPECT_EQ(points(), 10);
  const struct {
    guint key;
    int points;
  } steps[] = {{GDK_KEY_plus, 11}, {GDK_KEY_KP_Add, 12}, {GDK_KEY_minus, 11}, {GDK_KEY_0, 10}, {GDK_KEY_minus, 9}};
  for (const auto& step : steps) {
    key(editor(), step.key, kCtrl);
    EXPECT_EQ(points(), step.points) << gdk_keyval_name(step.key);
  }
  for (int i = 0; i < 20; ++i) app().dispatch_command(edit::kZoomOut);
  EXPECT_EQ(points(), 6) << "never too small to read";
}

// The listing grows sideways for a wide row instead of cutting it off.
TEST_F(Desktop, ListingScrollsSidewaysForWideRows) {
  start_app();
  const std::string wide(120, 'W');
  app().panes().set_listing({"Adr Opcode", wide});
  pump(200);
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(ui().widget(control::kListing)), 0);
  PangoLayout* layout = gtk_widget_create_pango_layout(ui().widget(control::kListing), wide.c_str());
  PangoFontDescription* font = pango_font_description_from_string("Liberation Mono 10");
  pango_layout_set_font_description(layout, font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  pango_font_description_free(font);
  g_object_unref(layout);
  EXPECT_GE(gtk_tree_view_column_get_width(column), width);
  app().panes().set_listing({"Adr Opcode", "000 04 0D"});
  pump(100);
  EXPECT_LT(gtk_tree_view_column_get_width(column), width) << "a shorter listing narrows again";
}

// `db ';'` is coloured as the plain dialect reads it: the ';' starts a
// comment. (A rule that coloured it as a character from a "cpu" line to the
// end of the text made GtkSourceView re-analyse whole sources of 100,000
// lines for minutes; the other conventions have languages of their own,
// chosen by the window, see dialect_test.cpp.)
TEST_F(Desktop, SemicolonInQuotesIsColouredAsTheAssemblerReadsIt) {
  start_app();
  GtkSourceBuffer* buffer = GTK_SOURCE_BUFFER(gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor())));
  const struct {
    const char* text;
    int offset;  // of the ';' looked at
    bool comment;
  } cases[] = {
      {"\tdb ';'\n", 5, true},
      {"\tdb ';' ; x\n", 5, true},
      {"cpu equ 5\n\tdb ';'\n", 15, true},
  };
  for (const auto& c : cases) {
    app().panes().set_editor_text(c.text);
    GtkTextIter start, end, at;
    gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(buffer), &start, &end);
    gtk_source_buffer_ensure_highlight(buffer, &start, &end);
    gtk_text_buffer_get_iter_at_offset(GTK_TEXT_BUFFER(buffer), &at, c.offset);
    ASSERT_EQ(gtk_text_iter_get_char(&at), gunichar(';')) << c.text;
    EXPECT_EQ(gtk_source_buffer_iter_has_context_class(buffer, &at, "comment"), c.comment) << c.text;
  }
}

// 50,000 errors mark only the lines of the messages shown, and the next
// load removes the marks at once.
TEST_F(Desktop, ManyErrorsThenLoadCompletes) {
  std::string source;
  for (int i = 0; i < 50000; ++i) source += "\tbad\n";
  write_file("many.asm", source);
  write_file("small.asm", "\tnop\n");
  start_app("", dir_ + "/many.asm");
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(ui().line_marks(control::kEditor).size(), 1000u);
  answer_next_requester(dir_ + "/small.asm");
  app().dispatch_command(command::kLoadSource);
  EXPECT_TRUE(pump_until([&] { return app().panes().editor_text() == "\tnop\n"; }, 20000));
  EXPECT_TRUE(ui().line_marks(control::kEditor).empty());
}

// A source over the usual size is loaded once the user agrees, so what
// zorvin saved after a big paste opens again.
TEST_F(Desktop, LargeSourceIsAskedAboutThenLoaded) {
  std::string large;
  while (large.size() <= files::kMaxSourceBytes + 4096) large += "\tnop ; eine Zeile von vielen\n";
  write_file("large.asm", large);
  start_app();
  auto no = answer_next_box(GTK_RESPONSE_NO);
  answer_next_requester(dir_ + "/large.asm");
  app().dispatch_command(command::kLoadSource);
  pump(100);
  EXPECT_EQ(no->text, "'large.asm' ist größer als 1 MiB. Das Laden kann eine Weile dauern. Trotzdem laden?");
  EXPECT_EQ(app().panes().editor_text(), "");
  EXPECT_NE(messages().find("large.asm - Datei konnte nicht geladen werden (größer als 1 MiB)"), std::string::npos);
  auto yes = answer_next_box(GTK_RESPONSE_YES);
  answer_next_requester(dir_ + "/large.asm");
  app().dispatch_command(command::kLoadSource);
  pump(100);
  EXPECT_TRUE(yes->shown);
  EXPECT_EQ(app().panes().editor_text().size(), large.size());
  EXPECT_EQ(status(), "Datei: large.asm");
  app().dispatch_command(command::kSaveSource);
  EXPECT_EQ(read_file("large.asm"), large);
}

}  // namespace
}  // namespace zorvin::test
