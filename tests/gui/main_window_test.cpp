// The main window as a user meets it: start-up, geometry that survives a
// restart, F5, the status bar, the fill byte, quitting.
#include <gdk/gdkkeysyms.h>

#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

const char kBom[] = "\xEF\xBB\xBF";

std::string ini_with(const std::string& groups) { return std::string(kBom) + "\n" + groups; }

GtkWidget* editor() { return GuiTest::ui().widget(control::kEditor); }
GtkWidget* message_pane() { return GuiTest::ui().widget(control::kMessages); }

class MainWindow : public GuiTest {};

TEST_F(MainWindow, FirstStartCreatesSettingsAndOpensAtDefaultGeometry) {
  start_app();
  EXPECT_EQ(read_file("zorvin.ini").substr(0, 17), std::string(kBom) + "\n[Fenster]\nF0X");
  GtkWindow* window = ui().gtk_window(window::kMain);
  EXPECT_STREQ(gtk_window_get_title(window), "Assembler für 8048");
  int width = 0, height = 0;
  gtk_window_get_size(window, &width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_EQ(ui().splitter_position(control::kInnerSplitter), 400);
  // 900 does not fit an 800-pixel window: the listing keeps a visible width.
  const int outer = ui().splitter_position(control::kOuterSplitter);
  EXPECT_GT(outer, 400);
  EXPECT_LT(outer, 790 - 100);
  EXPECT_EQ(ui().status_text(status::kCursor), "Zeile: 1, Spalte: 1");
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: keine");
  EXPECT_EQ(messages(), "Willkommen an Bord!");
  EXPECT_EQ(ui().rows(control::kListing), std::vector<std::string>{"Adr Opcode"});
  EXPECT_NE(gtk_window_get_icon(window), nullptr);
}

TEST_F(MainWindow, GeometryAndDividersComeBackAfterARestart) {
  start_app();
  GtkWindow* window = ui().gtk_window(window::kMain);
  gtk_window_move(window, 40, 30);
  gtk_window_resize(window, 900, 700);
  ASSERT_TRUE(pump_until([&] { return app().settings().window_geometry[0].width == 900; }));
  ASSERT_TRUE(pump_until([&] { return app().settings().window_geometry[0].x == 40; }));
  // The panes keep 10 pixels narrower and 95 lower than the window; with
  // the tool panes' dock closed the outer splitter has all of it.
  GtkWidget* outer = ui().widget(control::kOuterSplitter);
  int w = 0, h = 0;
  gtk_widget_get_size_request(ui().widget(control::kDockSplitter), &w, &h);
  EXPECT_EQ(w, 890);
  EXPECT_EQ(h, 605);
  pump(100);
  EXPECT_EQ(gtk_widget_get_allocated_width(outer), 890);
  EXPECT_EQ(gtk_widget_get_allocated_height(outer), 605);
  // Dragging a divider is a user change and is remembered at once.
  gtk_paned_set_position(GTK_PANED(outer), 610);
  gtk_paned_set_position(GTK_PANED(ui().widget(control::kInnerSplitter)), 250);
  pump(100);
  EXPECT_EQ(app().settings().splitter_horizontal, 610);
  EXPECT_EQ(app().settings().splitter_vertical, 250);
  finish_app();
  const std::string ini = read_file("zorvin.ini");
  EXPECT_NE(ini.find("F0X = 40\nF0Y = 30\nF0W = 900\nF0H = 700\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Horizontal = 610\nVertikal = 250\n"), std::string::npos) << ini;

  start_app();
  window = ui().gtk_window(window::kMain);
  int x = 0, y = 0;
  gtk_window_get_position(window, &x, &y);
  gtk_window_get_size(window, &w, &h);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(w, 900);
  EXPECT_EQ(h, 700);
  EXPECT_EQ(ui().splitter_position(control::kOuterSplitter), 610);
  EXPECT_EQ(ui().splitter_position(control::kInnerSplitter), 250);
}

TEST_F(MainWindow, GeometryThatDoesNotFitTheScreenIsBroughtOnScreen) {
  start_app(ini_with("[Fenster]\nF0X = -5000\nF0Y = 99999\nF0W = 20000\nF0H = 10\n"));
  int x = 0, y = 0, w = 0, h = 0;
  GtkWindow* window = ui().gtk_window(window::kMain);
  gtk_window_get_position(window, &x, &y);
  gtk_window_get_size(window, &w, &h);
  EXPECT_LE(w, 1280);
  EXPECT_GE(h, 30);
  EXPECT_GE(x, 0);
  EXPECT_LE(y + h, 1024);
}

TEST_F(MainWindow, F5AssemblesFromEditorOrMessagePane) {
  start_app();
  type_into_editor("start: mov a,#12h\n  jmp start\n");
  press_key(editor(), GDK_KEY_F5);
  pump(100);
  EXPECT_EQ(ui().rows(control::kListing), (std::vector<std::string>{"Adr Opcode", "000 23 12", "002 04 00"}));
  EXPECT_EQ(messages(),
            "Willkommen an Bord!\nDialekt: einfach (keine Kennzeichen eines anderen Dialekts)\n"
            "Assemblieren ohne Fehler beendet.");
  EXPECT_TRUE(gtk_widget_is_focus(message_pane()));
  EXPECT_TRUE(app().image_path().empty()) << "a source without a path writes no binary";

  // A failed run reports its errors and leaves the listing as it was.
  type_into_editor("  foo a\n  mov a,#300\n");
  press_key(message_pane(), GDK_KEY_F5);
  pump(100);
  EXPECT_EQ(ui().rows(control::kListing).size(), 3u);
  EXPECT_NE(messages().find("Zeile: 3 -> Syntaxfehler\nZeile: 4 -> Wert außerhalb des zulässigen Bereiches\n"
                            "2 Fehler beim Assemblieren!"),
            std::string::npos)
      << messages();
}

TEST_F(MainWindow, F5OnAnEmptyEditorShowsTheHint) {
  start_app();
  type_into_editor("   ");
  auto box = answer_next_box(GTK_RESPONSE_OK);
  app().dispatch_command(command::kAssemble);
  EXPECT_TRUE(box->shown);
  EXPECT_EQ(box->title, "Hinweis");
  EXPECT_EQ(box->text, "Es gibt nichts zu assemblieren.");
  EXPECT_EQ(messages(), "Willkommen an Bord!");
}

TEST_F(MainWindow, F6BeforeAnyAssemblyHasNothingToSend) {
  start_app();
  auto box = answer_next_box(GTK_RESPONSE_OK);
  press_key(editor(), GDK_KEY_F6);
  pump(100);
  EXPECT_TRUE(box->shown);
  EXPECT_EQ(box->text, "Es gibt nichts zu emulieren.");
}

TEST_F(MainWindow, FirstChangeMarksTheSourceOnce) {
  start_app();
  type_into_editor("n");
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: keine [geändert]");
  EXPECT_EQ(app().panes().is_modified(), 1);
  // Text the program places raises no change.
  app().panes().set_modified(0);
  app().panes().set_file_status();
  app().panes().set_editor_text("nop");
  pump(20);
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: keine");
  // Deleting everything does not mark; typing afterwards does.
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor()));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gtk_text_buffer_delete_interactive(buffer, &start, &end, TRUE);
  pump(20);
  EXPECT_EQ(app().panes().is_modified(), 0);
  type_into_editor("x");
  EXPECT_EQ(app().panes().is_modified(), 1);
}

TEST_F(MainWindow, CursorFieldFollowsWithinOneTick) {
  start_app();
  type_into_editor("a\nb\n\tcdefgh");
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor()));
  GtkTextIter at;
  gtk_text_buffer_get_iter_at_line_offset(buffer, &at, 2, 6);
  gtk_text_buffer_place_cursor(buffer, &at);
  EXPECT_TRUE(pump_until([] { return GuiTest::ui().status_text(status::kCursor) == "Zeile: 3, Spalte: 7"; }, 1000));
  gtk_text_buffer_get_iter_at_line_offset(buffer, &at, 2, 1);  // just after the tab
  gtk_text_buffer_place_cursor(buffer, &at);
  EXPECT_TRUE(pump_until([] { return GuiTest::ui().status_text(status::kCursor) == "Zeile: 3, Spalte: 2"; }, 1000));
}

TEST_F(MainWindow, EditorLinesFollowTheTextRules) {
  start_app();
  Panes& panes = app().panes();
  EXPECT_EQ(panes.editor_line_count(), 0);
  panes.set_editor_text("ab");
  EXPECT_EQ(panes.editor_line_count(), 1);
  panes.set_editor_text("ab\n");
  EXPECT_EQ(panes.editor_line_count(), 2);
  EXPECT_EQ(panes.editor_line_text(1), "");
  panes.set_editor_text("a\r\nb\nc");
  EXPECT_EQ(panes.editor_line_text(0), "a");
  EXPECT_EQ(panes.editor_line_text(5), "");
  panes.clear_editor();
  panes.append_editor_line("x");
  panes.append_editor_line("y");
  EXPECT_EQ(panes.editor_text(), "x\ny");
}

TEST_F(MainWindow, FillBytePairKeepsExactlyOneTick) {
  start_app();
  EXPECT_TRUE(ui().menu_item_ticked(command::kFill00));
  EXPECT_FALSE(ui().menu_item_is_check(command::kFillFF));
  app().dispatch_command(command::kFillFF);
  EXPECT_TRUE(ui().menu_item_ticked(command::kFillFF));
  EXPECT_FALSE(ui().menu_item_ticked(command::kFill00));
  // Activating the ticked item through the menu leaves it ticked.
  app().dispatch_command(command::kFillFF);
  EXPECT_TRUE(ui().menu_item_ticked(command::kFillFF));
  EXPECT_EQ(app().settings().fill_byte, 0xFF);
  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("[Speicher]\nWert = 255\n"), std::string::npos);
  start_app();
  EXPECT_TRUE(ui().menu_item_ticked(command::kFillFF));
  EXPECT_FALSE(ui().menu_item_is_check(command::kFill00));
  app().dispatch_command(command::kFill00);
  EXPECT_TRUE(ui().menu_item_ticked(command::kFill00));
  EXPECT_FALSE(ui().menu_item_ticked(command::kFillFF));
}

TEST_F(MainWindow, QuittingAsksOnlyWhenModified) {
  start_app();
  ui().push_event({ui::EventKind::CloseRequest, window::kMain});
  pump(50);
  EXPECT_TRUE(app().quit_requested());
}

TEST_F(MainWindow, QuittingWithChangesNeedsYes) {
  start_app();
  type_into_editor("nop");
  auto no = answer_next_box(GTK_RESPONSE_NO);
  ui().push_event({ui::EventKind::CloseRequest, window::kMain});
  pump(100);
  EXPECT_EQ(no->text, "Quelle wurde geändert. Trotzdem beenden?");
  EXPECT_EQ(no->title, "Warnung");
  EXPECT_FALSE(app().quit_requested());
  auto closed = answer_next_box(GTK_RESPONSE_DELETE_EVENT);
  app().dispatch_command(command::kQuit);
  EXPECT_TRUE(closed->shown);
  EXPECT_FALSE(app().quit_requested());
  EXPECT_EQ(app().panes().editor_text(), "nop");
  auto yes = answer_next_box(GTK_RESPONSE_YES);
  app().dispatch_command(command::kQuit);
  EXPECT_TRUE(app().quit_requested());
}

}  // namespace
}  // namespace zorvin::test

namespace zorvin::test {
namespace {

using namespace app;

GtkWidget* find_descendant(GtkWidget* root, GType type) {
  return find_widget(root, [type](GtkWidget* widget) { return G_TYPE_CHECK_INSTANCE_TYPE(widget, type); });
}

class Toolbar : public GuiTest {};

TEST_F(Toolbar, ButtonsInOrderWithTooltipsAndTheFloppySaves) {
  start_app();
  GtkWidget* toolbar = find_descendant(GTK_WIDGET(ui().gtk_window(window::kMain)), GTK_TYPE_TOOLBAR);
  ASSERT_NE(toolbar, nullptr);
  std::vector<std::string> tips;
  for (int i = 0; i < gtk_toolbar_get_n_items(GTK_TOOLBAR(toolbar)); ++i) {
    GtkToolItem* item = gtk_toolbar_get_nth_item(GTK_TOOLBAR(toolbar), i);
    gchar* tip = gtk_widget_get_tooltip_text(GTK_WIDGET(item));
    tips.push_back(GTK_IS_SEPARATOR_TOOL_ITEM(item) ? "|" : tip ? tip : "");
    g_free(tip);
  }
  EXPECT_EQ(tips, (std::vector<std::string>{"Quelle neu", "Quelle laden", "Quelle speichern", "|", "Assembler [F5]",
                                            "EPROM Emulator [F6]"}));
  // The floppy saves like "Quelle speichern": with a path, no requester.
  write_file("x.asm", "nop\n");
  answer_next_requester(dir_ + "/x.asm");
  app().dispatch_command(command::kLoadSource);
  type_into_editor("; more\n");
  auto requester = answer_next_requester("");
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(gtk_toolbar_get_nth_item(GTK_TOOLBAR(toolbar), 2)))));
  pump(100);
  EXPECT_FALSE(requester->shown);
  EXPECT_EQ(read_file("x.asm"), "; more\nnop\n") << "typed at the start, where loading puts the cursor";
  EXPECT_EQ(app().panes().is_modified(), 0);
}

}  // namespace
}  // namespace zorvin::test
