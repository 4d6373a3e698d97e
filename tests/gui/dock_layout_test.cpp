// The simulator's and the board's panes docked beside the editor: what is
// in sight together at 1280 x 720, every group reachable at the window's
// least size, the layout kept in zorvin.ini, undocking, and the panes built
// only once they are opened.
#include <gdk/gdkkeysyms.h>

#include "app/debugger/debugger_fields.h"
#include "debugger_fixture.h"
#include "ui/dock.h"

namespace zorvin::test {
namespace {

using namespace app;
namespace f = debug_field;
namespace p = panel_field;

std::string ini_of_size(int width, int height, const std::string& more = "") {
  return "\xEF\xBB\xBF\n[Fenster]\nF0X = 0\nF0Y = 0\nF0W = " + std::to_string(width) + "\nF0H = " +
         std::to_string(height) + "\n" + more;
}

// A program whose code stands far down, below the first screenful.
std::string long_program() {
  std::string text;
  for (int i = 0; i < 120; ++i) text += "; Kommentarzeile " + std::to_string(i) + "\n";
  text += "start:  mov a,#1\n        mov r0,#20h\n        inc a\n        mov @r0,a\n        jmp start\n";
  return text;
}

// The middle of the widget lies inside every scrolled part and the window
// around it: the user sees it without scrolling.
bool in_sight(GtkWidget* widget) {
  if (!widget || !gtk_widget_is_drawable(widget)) return false;
  const int x = gtk_widget_get_allocated_width(widget) / 2, y = gtk_widget_get_allocated_height(widget) / 2;
  for (GtkWidget* outer = gtk_widget_get_parent(widget); outer; outer = gtk_widget_get_parent(outer)) {
    if (!GTK_IS_SCROLLED_WINDOW(outer) && !GTK_IS_WINDOW(outer) && !GTK_IS_PANED(outer)) continue;
    int at_x = 0, at_y = 0;
    if (!gtk_widget_translate_coordinates(widget, outer, x, y, &at_x, &at_y)) return false;
    if (at_x < 0 || at_y < 0 || at_x >= gtk_widget_get_allocated_width(outer) ||
        at_y >= gtk_widget_get_allocated_height(outer))
      return false;
  }
  return true;
}

// The widget's place in each of its containers, for a failing check.
std::string places(GtkWidget* widget) {
  std::string text;
  for (GtkWidget* at = widget; at; at = gtk_widget_get_parent(at)) {
    GtkAllocation box{};
    gtk_widget_get_allocation(at, &box);
    text += std::string(G_OBJECT_TYPE_NAME(at)) + " " + std::to_string(box.x) + "," + std::to_string(box.y) + " " +
            std::to_string(box.width) + "x" + std::to_string(box.height) + "\n";
  }
  return text;
}

// Scrolls one scrolled part around the widget so that the widget's middle
// comes to the part's middle, as a user would with the scroll bars; false
// when no part is left.
bool scroll_one(GtkWidget* widget, int level) {
  int seen = 0;
  for (GtkWidget* outer = gtk_widget_get_parent(widget); outer; outer = gtk_widget_get_parent(outer)) {
    if (!GTK_IS_SCROLLED_WINDOW(outer) || seen++ != level) continue;
    int x = 0, y = 0;
    if (!gtk_widget_translate_coordinates(widget, outer, gtk_widget_get_allocated_width(widget) / 2,
                                          gtk_widget_get_allocated_height(widget) / 2, &x, &y))
      return false;
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(outer);
    GtkAdjustment* across = gtk_scrolled_window_get_hadjustment(scrolled);
    GtkAdjustment* down = gtk_scrolled_window_get_vadjustment(scrolled);
    gtk_adjustment_set_value(across, gtk_adjustment_get_value(across) + x - gtk_widget_get_allocated_width(outer) / 2);
    gtk_adjustment_set_value(down, gtk_adjustment_get_value(down) + y - gtk_widget_get_allocated_height(outer) / 2);
    return true;
  }
  return false;
}

// The groups' expanders of a pane, in order.
void collect_expanders(GtkWidget* widget, std::vector<GtkWidget*>& found) {
  if (GTK_IS_EXPANDER(widget)) found.push_back(widget);
  if (!GTK_IS_CONTAINER(widget)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* child = children; child; child = child->next) collect_expanders(GTK_WIDGET(child->data), found);
  g_list_free(children);
}

class DockLayout : public DebuggerTest {
 protected:
  ui::ToolWindow& board() { return debugger().panel().window(); }
  GtkWindow* main_window() { return ui().gtk_window(window::kMain); }

  // Every scrolled part around the widget, innermost first.
  void scroll_to(GtkWidget* widget) {
    for (int level = 0; scroll_one(widget, level); ++level) pump(40);
  }

  // Whether the editor's current line lies in its visible part.
  bool current_line_in_sight() {
    GtkTextView* view = GTK_TEXT_VIEW(editor());
    GtkTextIter line;
    gtk_text_buffer_get_iter_at_line(gtk_text_view_get_buffer(view), &line, current_line() - 1);
    GdkRectangle place{}, shown{};
    gtk_text_view_get_iter_location(view, &line, &place);
    gtk_text_view_get_visible_rect(view, &shown);
    return place.y >= shown.y && place.y + place.height <= shown.y + shown.height;
  }
};

TEST(PaneLayoutText, ReadsWhatItWritesAndKeepsDefaultsForWhatItCannotRead) {
  const struct {
    std::string text;
    bool open, docked, collapsed;
    std::vector<int> closed;
  } cases[] = {
      {"offen=1;angedockt=0;eingeklappt=1;zu=0,3,12", true, false, true, {0, 3, 12}},
      {"", false, true, false, {}},
      {"offen=ja;angedockt=2;zu=x,4,,9999,-1", false, true, false, {4}},
      {"zu=5;offen=1;unbekannt=7", true, true, false, {5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ui::PaneLayout layout = ui::parse_pane_layout(c.text);
    EXPECT_EQ(layout.open, c.open);
    EXPECT_EQ(layout.docked, c.docked);
    EXPECT_EQ(layout.collapsed, c.collapsed);
    EXPECT_EQ(layout.closed_groups, c.closed);
    const ui::PaneLayout again = ui::parse_pane_layout(ui::pane_layout_text(layout));
    EXPECT_EQ(again.open, layout.open);
    EXPECT_EQ(again.docked, layout.docked);
    EXPECT_EQ(again.collapsed, layout.collapsed);
    EXPECT_EQ(again.closed_groups, layout.closed_groups);
  }
}

// A user who never opens the simulator has neither pane built, no dock in
// sight and no new group in zorvin.ini.
TEST_F(DockLayout, PanesStayClosedAndUnbuiltUntilOpened) {
  start_app(ini_of_size(1280, 720));
  EXPECT_FALSE(window().created());
  EXPECT_FALSE(board().created());
  EXPECT_FALSE(ui().dock()->showing());
  finish_app();
  EXPECT_EQ(read_file("zorvin.ini").find("[Ansicht]"), std::string::npos);
}

TEST_F(DockLayout, SourceCurrentLineRegistersAndBoardInSightTogetherAt1280x720) {
  start_app(ini_of_size(1280, 720));
  app().panes().set_editor_text(long_program());
  app().dispatch_command(debug::kShowPanel);
  for (int i = 0; i < 4; ++i) key(GDK_KEY_F7);
  pump(300);
  ASSERT_TRUE(window().visible());
  ASSERT_TRUE(board().visible());
  EXPECT_EQ(window().gtk_window(), main_window());
  EXPECT_EQ(board().gtk_window(), main_window());
  EXPECT_GE(current_line(), 121);
  EXPECT_TRUE(current_line_in_sight()) << "line " << current_line();
  EXPECT_GE(gtk_widget_get_allocated_width(editor()), pane::kEditorWidth);
  EXPECT_TRUE(in_sight(editor()));
  for (int id : {f::kPc, f::kA, f::kPsw, f::kSp}) EXPECT_TRUE(in_sight(window().widget(id))) << places(window().widget(id));
  for (int id : {p::kLedsP1, p::kLedsP2}) EXPECT_TRUE(in_sight(board().widget(id))) << places(board().widget(id));
  // Stepping on keeps the line in sight.
  for (int i = 0; i < 6; ++i) {
    key(GDK_KEY_F7);
    EXPECT_TRUE(current_line_in_sight()) << "line " << current_line();
  }
}

// At the window's least size every group of both panes can be scrolled
// into sight, and the editor keeps its room.
TEST_F(DockLayout, EveryGroupReachableAt400x300) {
  start_app(ini_of_size(pane::kWindowWidth, pane::kWindowHeight));
  app().panes().set_editor_text(long_program());
  app().dispatch_command(debug::kShowPanel);
  key(GDK_KEY_F7);
  pump(300);
  // The panes widened the window; the user narrows it to its least size.
  gtk_window_resize(main_window(), pane::kWindowWidth, pane::kWindowHeight);
  pump(300);
  const ui::Rect size = ui().window_inner_size(window::kMain);
  EXPECT_LE(size.width, pane::kWindowWidth + 10);
  EXPECT_LE(size.height, pane::kWindowHeight + 10);
  // The editor shares the narrow window with the listing and the dock.
  EXPECT_GE(gtk_widget_get_allocated_width(editor()), 100) << places(editor());
  EXPECT_GE(gtk_widget_get_allocated_width(ui().dock()->widget()), pane::kDockWidth - 2);
  EXPECT_TRUE(current_line_in_sight());
  for (ui::ToolWindow* tool : {&window(), &board()}) {
    std::vector<GtkWidget*> groups;
    collect_expanders(tool->pane(), groups);
    ASSERT_GE(groups.size(), 4u);
    for (GtkWidget* group : groups) {
      scroll_to(group);
      pump(60);
      EXPECT_TRUE(in_sight(group)) << places(group);
    }
  }
  for (int id : {f::kWatchNames, f::kCallStack}) {
    scroll_to(window().widget(id));
    pump(60);
    EXPECT_TRUE(in_sight(window().widget(id))) << places(window().widget(id));
  }
  scroll_to(board().widget(p::kTerminal));
  pump(60);
  EXPECT_TRUE(in_sight(board().widget(p::kTerminal)));
}

// A pane opened in a narrow window widens it (the screen is 1280 wide)
// instead of squeezing the source; closed again, the window narrows back,
// unless the user sized it in between. A window the screen cannot widen
// shares its width instead.
TEST_F(DockLayout, APaneWidensANarrowWindowAndClosedNarrowsItBack) {
  start_app(ini_of_size(800, 600));
  pump(200);
  const int editor_width = gtk_widget_get_allocated_width(editor());
  app().dispatch_command(debug::kShowWindow);
  pump(400);
  const int widened = ui().window_inner_size(window::kMain).width;
  EXPECT_GE(widened, 800 + 300);
  EXPECT_NEAR(gtk_widget_get_allocated_width(editor()), editor_width, 8);
  EXPECT_GE(gtk_widget_get_allocated_width(ui().dock()->widget()), 300);
  window().closed();
  pump(400);
  EXPECT_EQ(ui().window_inner_size(window::kMain).width, 800);

  app().dispatch_command(debug::kShowWindow);
  pump(400);
  gtk_window_resize(main_window(), 1000, 600);
  pump(300);
  window().closed();
  pump(400);
  EXPECT_EQ(ui().window_inner_size(window::kMain).width, 1000);

  gtk_window_resize(main_window(), 1280, 600);
  pump(300);
  app().dispatch_command(debug::kShowWindow);
  pump(400);
  EXPECT_LE(ui().window_inner_size(window::kMain).width, 1280);
  EXPECT_GE(gtk_widget_get_allocated_width(editor()), pane::kEditorWidth);
  EXPECT_GE(gtk_widget_get_allocated_width(ui().dock()->widget()), 300);
}

// Undocked, a pane moves into a window of its own with what it shows;
// docked again it is back beside the editor.
TEST_F(DockLayout, AbdockenMovesThePaneWithItsValues) {
  start_app(ini_of_size(1280, 720));
  app().panes().set_editor_text(long_program());
  key(GDK_KEY_F7);
  key(GDK_KEY_F7);
  const std::string pc = window().text(f::kPc);
  ASSERT_FALSE(pc.empty());
  window().set_docked(false);
  pump(200);
  ASSERT_TRUE(window().visible());
  EXPECT_NE(window().gtk_window(), main_window());
  EXPECT_EQ(window().text(f::kPc), pc);
  EXPECT_FALSE(ui().dock()->showing());  // nothing left in it
  key(GDK_KEY_F7);
  EXPECT_NE(window().text(f::kPc), pc);  // the window follows the steps
  window().set_docked(true);
  pump(200);
  EXPECT_EQ(window().gtk_window(), main_window());
  EXPECT_TRUE(ui().dock()->showing());
  EXPECT_TRUE(in_sight(window().widget(f::kPc)));
}

// What was open, docked and collapsed comes back with the next start.
TEST_F(DockLayout, LayoutComesBackWithTheNextStart) {
  start_app(ini_of_size(1280, 720));
  app().dispatch_command(debug::kShowWindow);
  app().dispatch_command(debug::kShowPanel);
  pump(200);
  window().set_group_open(0, false);
  window().set_group_open(3, false);
  board().set_docked(false);
  pump(100);
  finish_app();
  const std::string ini = read_file("zorvin.ini");
  EXPECT_NE(ini.find("[Ansicht]"), std::string::npos) << ini;

  start_app();
  pump(200);
  ASSERT_TRUE(window().created());
  EXPECT_TRUE(window().visible());
  EXPECT_TRUE(window().docked());
  EXPECT_FALSE(window().group_open(0));
  EXPECT_TRUE(window().group_open(1));
  EXPECT_FALSE(window().group_open(3));
  EXPECT_TRUE(board().visible());
  EXPECT_FALSE(board().docked());
  EXPECT_NE(board().gtk_window(), main_window());
  // Closed with its button, the simulator's pane stays closed next time.
  window().closed();
  finish_app();
  start_app();
  pump(200);
  EXPECT_FALSE(window().visible());
  EXPECT_TRUE(board().visible());
}

// The board's pane opened below the simulator's leaves that one where it
// is (its widgets stay made), and the border the user dragged between the
// two comes back with the next start.
TEST_F(DockLayout, ASecondPaneLeavesTheFirstInPlaceAndTheBorderBetweenIsKept) {
  start_app(ini_of_size(1280, 720));
  app().dispatch_command(debug::kShowWindow);
  pump(100);
  bool remade = false;
  g_signal_connect(window().widget(f::kPc), "unrealize", G_CALLBACK(+[](GtkWidget*, gpointer flag) {
                     *static_cast<bool*>(flag) = true;
                   }),
                   &remade);
  app().dispatch_command(debug::kShowPanel);
  pump(200);
  EXPECT_FALSE(remade) << "the simulator's pane was taken out and put back";
  GtkWidget* split = gtk_widget_get_parent(window().pane());
  ASSERT_TRUE(GTK_IS_PANED(split));
  ASSERT_EQ(gtk_paned_get_child1(GTK_PANED(split)), window().pane());
  gtk_paned_set_position(GTK_PANED(split), 260);  // as the user drags the border
  pump(200);
  const int dragged = gtk_widget_get_allocated_height(window().pane());
  EXPECT_NEAR(dragged, 260, 10);
  EXPECT_TRUE(board().visible());
  // Started again and again, it stays as the user left it.
  for (int start = 0; start < 2; ++start) {
    finish_app();
    start_app();
    pump(300);
    ASSERT_TRUE(window().visible());
    ASSERT_TRUE(board().visible());
    EXPECT_EQ(gtk_widget_get_allocated_height(window().pane()), dragged) << "start " << start;
  }
}

}  // namespace
}  // namespace zorvin::test
