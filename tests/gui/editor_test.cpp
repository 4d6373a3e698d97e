// The source editor as a user works in it: shortcuts, undo and redo, the
// search bar, going to a line, and the highlighting generated from the
// instruction table.
#include <gdk/gdkkeysyms.h>
#include <gtksourceview/gtksource.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/ids.h"
#include "asm/instruction_table.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

constexpr auto kCtrl = GDK_CONTROL_MASK;
constexpr auto kCtrlShift = GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK);

// The keywords listed in one context of the language definition.
std::set<std::string> keywords_of(const std::string& definition, const std::string& context) {
  const auto start = definition.find("<context id=\"" + context + "\"");
  const auto end = definition.find("</context>", start);
  std::set<std::string> words;
  if (start == std::string::npos || end == std::string::npos) return words;
  const std::string part = definition.substr(start, end - start);
  static const std::regex keyword("<keyword>([^<]*)</keyword>");
  for (std::sregex_iterator it(part.begin(), part.end(), keyword), last; it != last; ++it) words.insert((*it)[1]);
  return words;
}

TEST(LanguageDefinition, NamesEveryMnemonicRegisterAndPortOfTheTable) {
  std::ifstream file(ZORVIN_LANGUAGE_FILE);
  std::stringstream text;
  text << file.rdbuf();
  const std::set<std::string> mnemonics = keywords_of(text.str(), "mnemonic");
  const std::set<std::string> registers = keywords_of(text.str(), "register");
  ASSERT_FALSE(mnemonics.empty()) << ZORVIN_LANGUAGE_FILE;
  EXPECT_TRUE(mnemonics.count("jmp") && mnemonics.count("call"));
  for (std::size_t row = 0; row + 1 < asm48::table_size(); ++row) {
    const std::string_view line = asm48::table_row(row);
    EXPECT_TRUE(mnemonics.count(std::string(asm48::row_field(line, 1)))) << line;
    for (int k : {2, 3}) {
      std::string operand(asm48::row_field(line, k));
      if (operand.starts_with('@')) operand.erase(0, 1);
      const bool placeholder = operand.find("§") != std::string::npos;
      EXPECT_TRUE(operand.empty() || placeholder || registers.count(operand)) << line;
    }
  }
}

GtkWidget* editor() { return GuiTest::ui().widget(control::kEditor); }
GtkTextBuffer* buffer() { return gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor())); }

// A widget below `root` (the editor pane) that is shown and matches.
GtkWidget* find_shown(GtkWidget* root, const std::function<bool(GtkWidget*)>& match) {
  if (gtk_widget_is_drawable(root) && match(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) found = find_shown(GTK_WIDGET(child->data), match);
  g_list_free(children);
  return found;
}

GtkWidget* editor_pane() { return gtk_widget_get_parent(gtk_widget_get_parent(editor())); }

bool shows(const std::string& text) {
  return find_shown(editor_pane(), [&](GtkWidget* w) { return GTK_IS_LABEL(w) && gtk_label_get_text(GTK_LABEL(w)) == text; });
}

GtkWidget* button_labelled(const std::string& text) {
  return find_shown(editor_pane(), [&](GtkWidget* w) {
    return GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) && gtk_button_get_label(GTK_BUTTON(w)) == text;
  });
}

std::string selection() {
  GtkTextIter start, end;
  gtk_text_buffer_get_selection_bounds(buffer(), &start, &end);
  ui::GCharPtr text(gtk_text_buffer_get_text(buffer(), &start, &end, FALSE));
  return text.get();
}

class Editor : public GuiTest {
 protected:
  std::string text() { return app().panes().editor_text(); }
  void key(guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
    press_key(editor(), keyval, modifiers);
    pump(30);
  }
  // Types into the field that has the focus, as the search bar's fields get it.
  GtkEntry* focused_entry() {
    GtkWidget* focus = gtk_window_get_focus(ui().gtk_window(window::kMain));
    return GTK_IS_ENTRY(focus) ? GTK_ENTRY(focus) : nullptr;
  }
};

TEST_F(Editor, ShortcutsUndoRedoSearchReplaceAndGoToLine) {
  start_app();
  // Ctrl+N: the example program is no undo step.
  key(GDK_KEY_n, kCtrl);
  ASSERT_EQ(app().panes().editor_line_count(), 42);
  const std::string example = text();
  key(GDK_KEY_z, kCtrl);
  EXPECT_EQ(text(), example);

  // Ctrl+O loads, again with a fresh history, and highlighting leaves the
  // text and the modified flag alone.
  const std::string source = "start: mov a,#0FFh ; Anfang\n  jmp Loop\nloop: nop\n";
  write_file("blink.asm", source);
  answer_next_box(GTK_RESPONSE_YES);
  auto requester = answer_next_requester(dir_ + "/blink.asm");
  key(GDK_KEY_o, kCtrl);
  ASSERT_TRUE(requester->shown);
  ASSERT_EQ(text(), source);
  GtkTextIter mov, end;
  gtk_text_buffer_get_bounds(buffer(), &mov, &end);
  gtk_source_buffer_ensure_highlight(GTK_SOURCE_BUFFER(buffer()), &mov, &end);
  gtk_text_buffer_get_iter_at_offset(buffer(), &mov, 7);
  GSList* tags = gtk_text_iter_get_tags(&mov);
  EXPECT_NE(tags, nullptr) << "mov is highlighted";
  g_slist_free(tags);
  EXPECT_EQ(app().panes().is_modified(), 0);
  key(GDK_KEY_z, kCtrl);
  EXPECT_EQ(text(), source);

  // Typing, then undo, redo with Ctrl+Shift+Z and with Ctrl+Y.
  gtk_text_buffer_get_end_iter(buffer(), &end);
  gtk_text_buffer_place_cursor(buffer(), &end);
  type_into_editor("  ret");
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: blink.asm [geändert]");
  key(GDK_KEY_z, kCtrl);
  EXPECT_EQ(text(), source);
  key(GDK_KEY_z, kCtrlShift);
  EXPECT_EQ(text(), source + "  ret");
  key(GDK_KEY_z, kCtrl);
  key(GDK_KEY_y, kCtrl);
  EXPECT_EQ(text(), source + "  ret");
  key(GDK_KEY_s, kCtrl);
  EXPECT_EQ(read_file("blink.asm"), source + "  ret");
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: blink.asm");

  // Ctrl+F finds regardless of case; F3 and Shift+F3 step through the
  // matches; what is not there is said in the bar.
  gtk_text_buffer_get_start_iter(buffer(), &end);
  gtk_text_buffer_place_cursor(buffer(), &end);
  key(GDK_KEY_f, kCtrl);
  ASSERT_NE(focused_entry(), nullptr);
  gtk_entry_set_text(focused_entry(), "LOOP");
  ASSERT_TRUE(pump_until([] { return selection() == "Loop"; }));
  key(GDK_KEY_F3);
  EXPECT_EQ(selection(), "loop");
  EXPECT_EQ(app().panes().cursor_line(), 3);
  key(GDK_KEY_F3, GDK_SHIFT_MASK);
  EXPECT_EQ(app().panes().cursor_line(), 2);
  key(GDK_KEY_f, kCtrl);
  gtk_entry_set_text(focused_entry(), "xyz");
  EXPECT_TRUE(pump_until([] { return shows("nicht gefunden"); }));

  // Ctrl+H replaces all matches in one step that one Ctrl+Z takes back.
  key(GDK_KEY_h, kCtrl);
  gtk_entry_set_text(focused_entry(), "loop");
  pump(300);
  GtkWidget* replace_all = button_labelled("Alle ersetzen");
  ASSERT_NE(replace_all, nullptr);
  GList* row = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(replace_all)));
  gtk_entry_set_text(GTK_ENTRY(g_list_nth_data(row, 1)), "warte");
  g_list_free(row);
  gtk_button_clicked(GTK_BUTTON(replace_all));
  pump(30);
  EXPECT_EQ(text(), "start: mov a,#0FFh ; Anfang\n  jmp warte\nwarte: nop\n  ret");
  EXPECT_TRUE(shows("2 ersetzt"));
  key(GDK_KEY_z, kCtrl);
  EXPECT_EQ(text(), source + "  ret");

  // Ctrl+L goes to a line and back into the editor; Escape closes the bar.
  key(GDK_KEY_l, kCtrl);
  gtk_entry_set_text(focused_entry(), "3");
  gtk_widget_activate(GTK_WIDGET(focused_entry()));
  pump(30);
  EXPECT_EQ(app().panes().cursor_line(), 3);
  EXPECT_EQ(app().panes().cursor_column(), 1);
  EXPECT_TRUE(gtk_widget_is_focus(editor()));
  EXPECT_FALSE(button_labelled("Alle ersetzen"));
  key(GDK_KEY_f, kCtrl);
  press_key(GTK_WIDGET(focused_entry()), GDK_KEY_Escape);
  pump(30);
  EXPECT_FALSE(button_labelled("Weiter"));
  EXPECT_TRUE(gtk_widget_is_focus(editor()));
}

}  // namespace
}  // namespace zorvin::test
