// From an assembler error to its line, as a user works through a program:
// typing, saving, F5, F8 and Shift+F8 to the errors, Return on a message,
// the marks beside the error lines, a fix, undo and redo, the saved file.
#include <gdk/gdkkeysyms.h>

#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

constexpr auto kCtrl = GDK_CONTROL_MASK;
constexpr auto kCtrlShift = GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK);

GtkWidget* editor() { return GuiTest::ui().widget(control::kEditor); }
GtkWidget* message_pane() { return GuiTest::ui().widget(control::kMessages); }

class ErrorLines : public GuiTest {
 protected:
  void key(GtkWidget* target, guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
    press_key(target, keyval, modifiers);
    pump(30);
  }
  int cursor_line() { return app().panes().cursor_line(); }
  void put_editor_cursor(int line) { ui().go_to_line(control::kEditor, line - 1); }
  // Selects line `line` (1-based) without its line end and types `text` over
  // it, as one step of the user's.
  void retype_line(int line, const std::string& text) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor()));
    GtkTextIter start, end;
    gtk_text_buffer_get_iter_at_line(buffer, &start, line - 1);
    end = start;
    gtk_text_iter_forward_to_line_end(&end);
    gtk_text_buffer_begin_user_action(buffer);
    gtk_text_buffer_delete_interactive(buffer, &start, &end, TRUE);
    gtk_text_buffer_insert_interactive(buffer, &start, text.c_str(), -1, TRUE);
    gtk_text_buffer_end_user_action(buffer);
    pump(10);
  }
  // Inserts `text` at the start of line `line` (1-based), as one step.
  void insert_at_line(int line, const std::string& text) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor()));
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_line(buffer, &at, line - 1);
    if (gtk_text_iter_get_line(&at) != line - 1) gtk_text_buffer_get_end_iter(buffer, &at);
    gtk_text_buffer_begin_user_action(buffer);
    gtk_text_buffer_insert_interactive(buffer, &at, text.c_str(), -1, TRUE);
    gtk_text_buffer_end_user_action(buffer);
    pump(10);
  }
  std::vector<int> signs() { return ui().shown_line_marks(control::kEditor); }
  // Return on the first message line that reads `line`.
  void activate_message(const std::string& line) {
    int index = 0;
    while (index < ui().line_count(control::kMessages) && ui().line_text(control::kMessages, index) != line) ++index;
    ASSERT_LT(index, ui().line_count(control::kMessages)) << line;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(message_pane()));
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_line(buffer, &at, index);
    gtk_text_buffer_place_cursor(buffer, &at);
    key(message_pane(), GDK_KEY_Return);
  }
};

TEST_F(ErrorLines, TypeSaveAssembleGoToTheErrorsFixUndoRedoAndSave) {
  start_app();
  type_into_editor("org 0\nstart: mov a,#1\n  mov r9,a\n  nop\n  add a,r8\n  jmp start\n");
  auto requester = answer_next_requester(dir_ + "/prog.asm");
  key(editor(), GDK_KEY_s, kCtrl);
  ASSERT_TRUE(requester->shown);
  ASSERT_EQ(read_file("prog.asm"), "org 0\nstart: mov a,#1\n  mov r9,a\n  nop\n  add a,r8\n  jmp start\n");

  key(editor(), GDK_KEY_F5);
  ASSERT_NE(messages().find("Zeile: 3 -> Parameterfehler\nZeile: 5 -> Parameterfehler\n2 Fehler"), std::string::npos);
  EXPECT_EQ(ui().line_marks(control::kEditor), (std::vector<int>{2, 4}));

  // F8 from the editor, round at the end; Shift+F8 from the message pane.
  put_editor_cursor(1);
  key(editor(), GDK_KEY_F8);
  EXPECT_EQ(cursor_line(), 3);
  EXPECT_EQ(app().panes().cursor_column(), 1);
  key(editor(), GDK_KEY_F8);
  key(editor(), GDK_KEY_F8);
  EXPECT_EQ(cursor_line(), 3);
  key(message_pane(), GDK_KEY_F8, GDK_SHIFT_MASK);
  EXPECT_EQ(cursor_line(), 5);
  EXPECT_TRUE(gtk_widget_is_focus(editor()));

  // A line typed above moves the errors down with their marks; Return on a
  // message leads to where its line is now.
  put_editor_cursor(1);
  type_into_editor("; Blinklicht\n");
  EXPECT_EQ(ui().line_marks(control::kEditor), (std::vector<int>{3, 5}));
  activate_message("Zeile: 3 -> Parameterfehler");
  EXPECT_EQ(cursor_line(), 4);
  EXPECT_TRUE(gtk_widget_is_focus(editor()));
  activate_message("Willkommen an Bord!");  // leads nowhere
  EXPECT_EQ(cursor_line(), 4);

  // The fix, taken back and done again.
  const std::string before_fix = app().panes().editor_text();
  retype_line(4, "  mov r1,a");
  retype_line(6, "  add a,r1");
  const std::string fixed = "; Blinklicht\norg 0\nstart: mov a,#1\n  mov r1,a\n  nop\n  add a,r1\n  jmp start\n";
  ASSERT_EQ(app().panes().editor_text(), fixed);
  key(editor(), GDK_KEY_z, kCtrl);
  key(editor(), GDK_KEY_z, kCtrl);
  EXPECT_EQ(app().panes().editor_text(), before_fix);
  key(editor(), GDK_KEY_z, kCtrlShift);
  key(editor(), GDK_KEY_z, kCtrlShift);
  EXPECT_EQ(app().panes().editor_text(), fixed);

  // Saved with the pane scrolled away: the "gespeichert" line comes into view.
  for (int run = 0; run < 4; ++run) key(editor(), GDK_KEY_F5);
  GtkAdjustment* scroll = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(message_pane()));
  gtk_adjustment_set_value(scroll, 0);
  key(editor(), GDK_KEY_s, kCtrl);
  EXPECT_EQ(read_file("prog.asm"), fixed);
  EXPECT_TRUE(pump_until([&] {
    return gtk_adjustment_get_value(scroll) + gtk_adjustment_get_page_size(scroll) >= gtk_adjustment_get_upper(scroll) - 1;
  }));
  EXPECT_NE(messages().rfind("prog.asm (" + std::to_string(fixed.size()) + " Byte) gespeichert"), std::string::npos);
  EXPECT_TRUE(gtk_widget_is_focus(editor()));

  // The next run cleared the marks, and F8 then stays where it is.
  EXPECT_TRUE(ui().line_marks(control::kEditor).empty());
  const int line = cursor_line();
  key(editor(), GDK_KEY_F8);
  EXPECT_EQ(cursor_line(), line);
}

// The sign beside an error line stays with that line while it reads as it
// did, and goes when its text changes or the line goes (an undo of the line
// leaves no sign on the empty line behind it); F8 then passes it by.
TEST_F(ErrorLines, ASignGoesWithItsLine) {
  start_app();
  type_into_editor("nop\n");
  insert_at_line(2, "  mov r9,a\n");
  key(editor(), GDK_KEY_F5);
  ASSERT_EQ(signs(), (std::vector<int>{1}));
  key(editor(), GDK_KEY_z, kCtrl);
  ASSERT_EQ(app().panes().editor_text(), "nop\n");
  EXPECT_TRUE(signs().empty());

  app().panes().set_editor_text("nop\n  mov r9,a\n  add a,r8\n  orl a,r9\n");
  key(editor(), GDK_KEY_F5);
  ASSERT_EQ(signs(), (std::vector<int>{1, 2, 3}));
  insert_at_line(2, "\n");  // Return before the first error line: both signs move down
  EXPECT_EQ(signs(), (std::vector<int>{2, 3, 4}));
  retype_line(3, "  mov r1,a");  // the fix takes its sign away
  EXPECT_EQ(signs(), (std::vector<int>{3, 4}));
  insert_at_line(5, "; ");  // so does a comment put before the error
  EXPECT_EQ(signs(), (std::vector<int>{3}));
  EXPECT_EQ(ui().line_marks(control::kEditor), (std::vector<int>{2, 3, 4}));  // still where the lines are
  put_editor_cursor(1);
  key(editor(), GDK_KEY_F8);
  EXPECT_EQ(cursor_line(), 4);
  key(editor(), GDK_KEY_F8);
  EXPECT_EQ(cursor_line(), 4);
}

}  // namespace
}  // namespace zorvin::test
