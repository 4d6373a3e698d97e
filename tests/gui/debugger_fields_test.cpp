// The debugger window as a user edits it: the first step after loading,
// every kind of field typed into after a real click, a RAM cell edited with
// one click, the changed marks that an edit leaves alone, and an edit of the
// source that pauses a running program.
#include <gdk/gdkkeysyms.h>

#include "app/debugger/debugger_fields.h"
#include "app/ids.h"
#include "debugger_fixture.h"
#include "key_press.h"
#include "ui/debug_marks.h"

namespace zorvin::test {
namespace {

using namespace app;
namespace f = app::debug_field;

// A counting loop: R2 and A change with every pass.
constexpr const char* kCounting =
    "        ORG 0\n"          // 1
    "        MOV R2,#0\n"      // 2  000
    "LOOP:   INC R2\n"         // 3  002
    "        MOV A,R2\n"       // 4  003
    "        JMP LOOP\n"       // 5  004
    "        END\n";

class DebuggerFields : public DebuggerTest {
 protected:
  std::string field(int id) { return window().text(id); }

  // A press and release of the first button at (x, y) of the widget's own
  // input window, as the X server delivers it.
  void click(GtkWidget* widget, int x, int y) {
    GdkWindow* target = gtk_widget_get_window(widget);
    GList* children = gdk_window_get_children(target);
    for (GList* child = children; child; child = child->next) {
      gpointer owner = nullptr;
      gdk_window_get_user_data(GDK_WINDOW(child->data), &owner);
      if (owner == widget && gdk_window_is_visible(GDK_WINDOW(child->data))) target = GDK_WINDOW(child->data);
    }
    g_list_free(children);
    if (GTK_IS_TREE_VIEW(widget)) target = gtk_tree_view_get_bin_window(GTK_TREE_VIEW(widget));
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
      GdkEvent* event = gdk_event_new(type);
      event->button.window = GDK_WINDOW(g_object_ref(target));
      event->button.x = x;
      event->button.y = y;
      event->button.button = 1;
      event->button.time = GDK_CURRENT_TIME;
      gdk_event_set_device(event, gdk_seat_get_pointer(seat));
      gtk_main_do_event(event);
      gdk_event_free(event);
    }
    pump(20);
  }

  // Opens the field's group where it is collapsed, clicks into the field
  // and types the text and Return there.
  void type_into(int id, const std::string& text) {
    GtkWidget* entry = window().widget(id);
    for (GtkWidget* group = entry; group; group = gtk_widget_get_parent(group))
      if (GTK_IS_EXPANDER(group) && !gtk_expander_get_expanded(GTK_EXPANDER(group))) {
        gtk_expander_set_expanded(GTK_EXPANDER(group), TRUE);
        pump(50);
      }
    click(entry, 4, 4);
    gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);
    for (char c : text) send_key_press(entry, gdk_unicode_to_keyval(static_cast<guchar>(c)), GdkModifierType(0), true);
    send_key_press(entry, GDK_KEY_Return, GdkModifierType(0), true);
    pump(20);
  }

  bool marked(int id) {
    return gtk_style_context_has_class(gtk_widget_get_style_context(window().widget(id)), "zorvin-changed");
  }
};

TEST_F(DebuggerFields, TheFirstStepStopsBeforeTheFirstInstruction) {
  start_app();
  app().panes().set_editor_text(kCounting);
  key(GDK_KEY_F7);
  EXPECT_EQ(field(f::kPc), "000");
  EXPECT_EQ(field(f::kCycles), "0");
  EXPECT_EQ(current_line(), 2);
  key(GDK_KEY_F7);
  EXPECT_EQ(field(f::kPc), "002");
  EXPECT_EQ(current_line(), 3);
  // Shift+F7 as the first key after a new program does the same.
  ui().go_to_line(control::kEditor, 1);
  type_into_editor("        NOP\n");
  key(GDK_KEY_F7, GDK_SHIFT_MASK);
  EXPECT_EQ(field(f::kPc), "000");
  EXPECT_EQ(field(f::kCycles), "0");
}

TEST_F(DebuggerFields, EachFieldTakesWhatIsTypedAfterAClickIntoIt) {
  start_app();
  app().panes().set_editor_text(kCounting);
  key(GDK_KEY_F7);
  ASSERT_TRUE(window().visible());
  pump(100);
  struct Typed {
    int id;
    const char* text;
    const char* shown;
  };
  const Typed typed[] = {
      {f::kTimer, "20", "20"},          {f::kPrescaler, "1f", "1F"},   {f::kPrescaler, "20", "1F"},
      {f::kTimerMode, "zeit", "Zeitgeber"}, {f::kTimerMode, "z", "Zeitgeber"}, {f::kTimerMode, "gestoppt", "gestoppt"},
      {f::kCycles, "1000", "1000"},     {f::kCycles, "-3", "1000"},    {f::kA, "3fh", "3F"},
      {f::kBank0 + 2, "7", "07"},       {f::kP1Latch, "0x5a", "5A"},   {f::kSp, "3", "3"},
  };
  for (const Typed& t : typed) {
    type_into(t.id, t.text);
    EXPECT_EQ(field(t.id), t.shown) << t.text;
  }
  const sim::State& s = debugger().session().simulator().state();
  EXPECT_EQ(s.timer, 0x20);  // none of the later typing went into T
  EXPECT_EQ(s.prescaler, 0x1F);
  EXPECT_EQ(s.timer_mode, sim::TimerMode::Stopped);
  EXPECT_EQ(s.cycles, 1000u);
  EXPECT_EQ(s.ram[2], 0x07);
  // Typing into a field that only shows a value changes nothing else.
  type_into(f::kP1Pins, "11");
  EXPECT_EQ(s.timer, 0x20);
  EXPECT_EQ(field(f::kP1Pins), "5A");
  // The counter goes on from the figure typed.
  key(GDK_KEY_F7);  // mov r2,#0: 2 cycles
  EXPECT_EQ(field(f::kCycles), "1002");
}

TEST_F(DebuggerFields, ARamCellIsEditedWithOneClick) {
  start_app();
  app().panes().set_editor_text(kCounting);
  key(GDK_KEY_F7);
  pump(100);
  GtkTreeView* grid = GTK_TREE_VIEW(window().widget(f::kRam));
  GdkRectangle cell{};
  GtkTreePath* row = gtk_tree_path_new_from_indices(2, -1);  // 20H-2FH
  gtk_tree_view_get_cell_area(grid, row, gtk_tree_view_get_column(grid, 1 + 5), &cell);
  gtk_tree_path_free(row);
  click(GTK_WIDGET(grid), cell.x + cell.width / 2, cell.y + cell.height / 2);
  GtkWidget* focus = gtk_window_get_focus(window().gtk_window());
  ASSERT_TRUE(focus && GTK_IS_ENTRY(focus)) << "no cell editor after one click";
  gtk_entry_set_text(GTK_ENTRY(focus), "A5");
  g_signal_emit_by_name(focus, "activate");
  pump(20);
  EXPECT_EQ(debugger().session().simulator().state().ram[0x25], 0xA5);
  EXPECT_EQ(window().cell_text(f::kRam, 0x25), "A5");
}

TEST_F(DebuggerFields, TheMarksOfTheLastStepStayThroughEditsEvenRefusedOnes) {
  start_app();
  app().panes().set_editor_text(kCounting);
  key(GDK_KEY_F7);
  key(GDK_KEY_F7);  // mov r2,#0
  key(GDK_KEY_F7);  // inc r2: R2 and the PC change, A does not
  EXPECT_TRUE(marked(f::kBank0 + 2));
  EXPECT_TRUE(marked(f::kPc));
  EXPECT_FALSE(marked(f::kA));
  for (const char* text : {"zz", "33"}) {
    type_into(f::kBank0 + 5, text);
    EXPECT_TRUE(marked(f::kBank0 + 2)) << text;
    EXPECT_TRUE(marked(f::kPc)) << text;
    EXPECT_FALSE(marked(f::kA)) << text;
  }
  key(GDK_KEY_F7);  // mov a,r2: now A changed, R2 did not
  EXPECT_TRUE(marked(f::kA));
  EXPECT_FALSE(marked(f::kBank0 + 2));
}

TEST_F(DebuggerFields, AnEditWhileRunningPausesAndSaysSo) {
  start_app();
  app().panes().set_editor_text(kCounting);
  press_key(editor(), GDK_KEY_F9);
  pump(100);
  ASSERT_TRUE(debugger().running());
  type_into_editor("; neu\n");
  pump(20);
  EXPECT_FALSE(debugger().running());
  EXPECT_NE(messages().find("Simulator: angehalten: Quelle geändert."), std::string::npos) << messages();
  EXPECT_EQ(messages().find("laufende Lauf"), std::string::npos) << messages();
  EXPECT_EQ(window().status().rfind("angehalten: Quelle geändert", 0), 0u) << window().status();
  // Stopped, an edit says only that the source changed.
  key(GDK_KEY_F7);
  type_into_editor("; noch\n");
  EXPECT_NE(messages().find("Simulator: Quelle geändert."), std::string::npos) << messages();
}

}  // namespace
}  // namespace zorvin::test
