// The code analysis in the window: "Ausführen → Analyse" shows the lines
// zorvin-asm --analyse prints, each "Zeile: N" leading to its line; the
// status bar gives the cycles of the selected lines; the "Symbole" pane
// lists, filters and leads to the definitions and is remembered.
#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/ids.h"
#include "asm/error_lines.h"
#include "built_program.h"
#include "gui_harness.h"
#include "ui/tool_window.h"

namespace zorvin::test {
namespace {

using namespace app;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What zorvin-asm --analyse prints, from "Analyse:" to its closing line.
std::vector<std::string> command_line_analysis(const std::string& path) {
  std::vector<std::string> command = built_program_command(ZORVIN_ASM_EXE, {"--analyse", path});
  std::FILE* pipe = popen(shell_command(command).c_str(), "r");
  if (!pipe) return {};
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : lines_of(out)) {
    inside = inside || line == "Analyse:";
    if (inside) lines.push_back(line);
    if (line.starts_with("Analyse beendet")) break;
  }
  return lines;
}

// Nine nested calls, one more than the stack holds (the deepest, s8's, on
// line 18), a timed loop and code no path reaches (line 3).
std::string deep_source() {
  std::string text = "start:  call s1\n        jmp start\n        nop\n";
  for (int level = 1; level <= 8; ++level)
    text += "s" + std::to_string(level) + ":     call s" + std::to_string(level + 1) + "\n        ret\n";
  return text + "s9:     mov r7,#10\nwarte:  djnz r7,warte\n        ret\n";
}

class Analysis : public GuiTest {
 protected:
  void select_lines(int first, int last) {  // 1-based, whole lines
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
    GtkTextIter start, end;
    gtk_text_buffer_get_iter_at_line(buffer, &start, first - 1);
    gtk_text_buffer_get_iter_at_line(buffer, &end, last - 1);
    gtk_text_iter_forward_to_line_end(&end);
    gtk_text_buffer_select_range(buffer, &start, &end);
  }
  // Return on message line `index`: where the editor's cursor goes.
  int follow_message(int index) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kMessages)));
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_line(buffer, &at, index);
    gtk_text_buffer_place_cursor(buffer, &at);
    press_key(ui().widget(control::kMessages), GDK_KEY_Return);
    pump(30);
    return app().panes().cursor_line();
  }
  std::string cycles() { return ui().status_text(status::kCycles); }
  void put_cursor_elsewhere(int line) { ui().go_to_line(control::kEditor, line == 1 ? 1 : 0); }
};

TEST_F(Analysis, MenuShowsTheCommandLinesLinesEachLeadingToItsLine) {
  start_app();
  write_file("cli.asm", deep_source());
  const std::vector<std::string> expected = command_line_analysis(dir_ + "/cli.asm");
  ASSERT_GT(expected.size(), 4u);
  type_into_editor(deep_source());
  auto requester = answer_next_requester(dir_ + "/tief.asm");
  app().dispatch_command(command::kSaveSource);
  ASSERT_TRUE(requester->shown);

  choose_menu("Analyse");
  const std::vector<std::string> shown = lines_of(messages());
  auto first = std::find(shown.begin(), shown.end(), "Analyse:");
  ASSERT_NE(first, shown.end()) << messages();
  ASSERT_GE(static_cast<std::size_t>(shown.end() - first), expected.size()) << messages();
  EXPECT_EQ(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(expected.size())), expected);
  EXPECT_NE(messages().find("Zeile: 18 -> Hinweis: Stapeltiefe 9 übersteigt"), std::string::npos) << messages();
  EXPECT_NE(messages().find("Zeile: 3 -> Hinweis: Code wird nie erreicht"), std::string::npos) << messages();

  // Each line that names one leads there, from the end of the pane back.
  int followed = 0;
  for (int index = ui().line_count(control::kMessages) - 1; index >= 0; --index) {
    const std::string line = ui().line_text(control::kMessages, index);
    if (line == "Analyse:") break;
    const auto named = asm48::error_line_number(line);
    if (!named) continue;
    put_cursor_elsewhere(*named);
    EXPECT_EQ(follow_message(index), *named) << line;
    ++followed;
  }
  EXPECT_GE(followed, 3);
}

TEST_F(Analysis, StatusBarGivesTheCyclesOfTheSelectedDelay) {
  start_app();
  type_into_editor("        org 0\ndelay:  mov r7,#10\nloop:   djnz r7,loop\n        ret\n");
  EXPECT_EQ(cycles(), "");
  app().dispatch_command(command::kAssemble);
  select_lines(2, 3);
  EXPECT_TRUE(pump_until([&] { return cycles() == "Zyklen: 4, mit Schleifen: 2+2·N; N = 10 (r7): 22"; })) << cycles();
  select_lines(2, 4);
  EXPECT_TRUE(pump_until([&] { return cycles() == "Zyklen: 6, mit Schleifen: 4+2·N; N = 10 (r7): 24"; })) << cycles();
  select_lines(4, 4);
  EXPECT_TRUE(pump_until([&] { return cycles() == "Zyklen: 2"; })) << cycles();
  // A changed text: its lines are no longer those assembled.
  ui().go_to_line(control::kEditor, 0);
  type_into_editor("; Verzögerung\n");
  select_lines(3, 4);
  EXPECT_TRUE(pump_until([&] { return cycles().empty(); })) << cycles();
}

// Typed into the pane's filter as a user types: each change is an edit.
void type_filter(ui::ToolWindow& pane, const std::string& text) {
  gtk_entry_set_text(GTK_ENTRY(pane.widget(control::kSymbolFilter)), text.c_str());
}

void choose_row(ui::ToolWindow& pane, int row) {
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(pane.widget(control::kSymbolList))), path);
  gtk_tree_path_free(path);
}

bool pane_open(App& app) { return app.symbols_pane() && app.symbols_pane()->visible(); }

TEST_F(Analysis, SymbolPaneFiltersLeadsToTheLineAndIsRemembered) {
  start_app();
  EXPECT_EQ(app().symbols_pane(), nullptr);  // closed by default, and not built
  type_into_editor("zahl    equ 12h\nstart:  mov a,#zahl\nzaehler: djnz r7,zaehler\n        jmp start\n");
  app().dispatch_command(command::kAssemble);
  choose_menu("Symbole");
  ASSERT_TRUE(pane_open(app()));
  ui::ToolWindow& pane = *app().symbols_pane();
  EXPECT_EQ(pane.gtk_window(), ui().gtk_window(window::kMain));  // docked beside the editor
  EXPECT_TRUE(ui().menu_item_ticked(command::kShowSymbols));
  const std::vector<std::string> all = pane.rows(control::kSymbolList);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].substr(0, 6), "start ");
  EXPECT_NE(all[2].find("Konstante"), std::string::npos) << all[2];
  EXPECT_NE(all[2].find("Zeile 1"), std::string::npos) << all[2];

  // Each change of the field filters at once ("z", then "za").
  type_filter(pane, "z");
  pump(30);
  EXPECT_EQ(pane.rows(control::kSymbolList).size(), 2u);
  type_filter(pane, "Za");
  pump(50);
  const std::vector<std::string> filtered = pane.rows(control::kSymbolList);
  ASSERT_EQ(filtered.size(), 2u) << pane.text(control::kSymbolFilter);
  EXPECT_NE(filtered[0].find("Zeile 3"), std::string::npos) << filtered[0];

  choose_row(pane, 0);
  pump(50);
  EXPECT_EQ(app().panes().cursor_line(), 3);
  choose_row(pane, 1);
  pump(50);
  EXPECT_EQ(app().panes().cursor_line(), 1);
  // Return or a double-click on a row gives the editor the keys.
  GtkTreeView* list = GTK_TREE_VIEW(pane.widget(control::kSymbolList));
  gtk_widget_grab_focus(GTK_WIDGET(list));
  GtkTreePath* first = gtk_tree_path_new_from_indices(0, -1);
  gtk_tree_view_row_activated(list, first, gtk_tree_view_get_column(list, 0));
  gtk_tree_path_free(first);
  pump(50);
  EXPECT_EQ(app().panes().cursor_line(), 3);
  EXPECT_TRUE(gtk_widget_is_focus(ui().widget(control::kEditor)));
  // A new assembly fills it anew, with the filter kept.
  type_into_editor("zeit    equ 5\n");
  app().dispatch_command(command::kAssemble);
  pump(50);
  EXPECT_EQ(pane.rows(control::kSymbolList).size(), 2u);

  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("Symbole = 1"), std::string::npos);
  start_app(read_file("zorvin.ini"));
  EXPECT_TRUE(pane_open(app()));
  choose_menu("Symbole");
  EXPECT_FALSE(pane_open(app()));
  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("Symbole = 0"), std::string::npos);
  // Closed with its own button, it stays closed next time too.
  start_app(read_file("zorvin.ini"));
  choose_menu("Symbole");
  ASSERT_TRUE(pane_open(app()));
  app().symbols_pane()->closed();
  EXPECT_FALSE(ui().menu_item_ticked(command::kShowSymbols));
  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("Symbole = 0"), std::string::npos);
}

}  // namespace
}  // namespace zorvin::test
