// The debugger as a user works with it: a breakpoint set by a click in the
// gutter, F9 to it, F7 and Shift+F7 through a djnz delay, a movp table and a
// timer interrupt with the current line and the registers checked at every
// stop, values changed in the window, code without a source line, an
// included file and a macro, and an edit that invalidates the run. The
// figures are worked out from the manual's cycle counts.
#include <gdk/gdkkeysyms.h>

#include <filesystem>

#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_format.h"
#include "app/debugger/debugger_line_map.h"
#include "app/board/board_panel.h"
#include "app/debugger/debugger_session.h"
#include "asm/assembler.h"
#include "app/ids.h"
#include "gui_harness.h"
#include "settings/settings.h"
#include "ui/debug_marks.h"

namespace zorvin::test {
namespace {

using namespace app;
namespace f = app::debug_field;

constexpr auto kNone = GdkModifierType(0);

// T overflows 16 timer steps after strt t; the timer routine counts in R5.
// The loop puts the table entry R4 on P1 and waits in a djnz delay.
constexpr const char* kTimerProgram =
    "; Zeitgeber, Tabelle, Verzoegerung\n"  // 1
    "        ORG 0\n"                       // 2
    "        JMP START\n"                   // 3  000
    "        ORG 7\n"                       // 4
    "        JMP TIMER\n"                   // 5  007
    "TIMER:  INC R5\n"                      // 6  009
    "        MOV A,#0F0H\n"                 // 7  00A
    "        MOV T,A\n"                     // 8  00C
    "        RETR\n"                        // 9  00D
    "START:  MOV A,#0F0H\n"                 // 10 00E
    "        MOV T,A\n"                     // 11 010
    "        EN TCNTI\n"                    // 12 011
    "        STRT T\n"                      // 13 012
    "        MOV R4,#0\n"                   // 14 013
    "LOOP:   MOV A,R4\n"                    // 15 015
    "        ADD A,#80H\n"                  // 16 016
    "        MOVP A,@A\n"                   // 17 018
    "        OUTL P1,A\n"                   // 18 019
    "        INC R4\n"                      // 19 01A
    "        MOV A,R4\n"                    // 20 01B
    "        ANL A,#3\n"                    // 21 01C
    "        MOV R4,A\n"                    // 22 01E
    "        CALL DELAY\n"                  // 23 01F
    "        JMP LOOP\n"                    // 24 021
    "DELAY:  MOV R7,#10\n"                  // 25 023
    "WAIT:   DJNZ R7,WAIT\n"                // 26 025
    "        RET\n"                         // 27 027
    "        ORG 80H\n"                     // 28
    "        DB 01H\n"                      // 29 080
    "        DB 02H\n"                      // 30
    "        DB 04H\n"                      // 31
    "        DB 08H\n"                      // 32
    "        END\n";

class Debugging : public GuiTest {
 protected:
  Debugger& debugger() { return app().debugger(); }
  GtkWidget* editor() { return ui().widget(control::kEditor); }
  std::string field(int id) { return debugger().window().text(id); }
  int current_line() { return ui::current_line(ui(), control::kEditor) + 1; }
  std::uint64_t cycles() { return debugger().session().simulator().state().cycles; }

  void key(guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
    press_key(editor(), keyval, modifiers);
    pump(20);
    ASSERT_TRUE(pump_until([this] { return !debugger().running(); }, 5000)) << "still running";
  }

  // A click with the first button into the marks beside the line (1-based),
  // as the X server delivers it.
  void click_gutter(int line) {
    GtkTextView* view = GTK_TEXT_VIEW(editor());
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_line(gtk_text_view_get_buffer(view), &at, line - 1);
    gtk_text_view_scroll_to_iter(view, &at, 0.0, FALSE, 0.0, 0.0);
    pump(50);
    int y = 0, height = 0, window_x = 0, window_y = 0;
    gtk_text_view_get_line_yrange(view, &at, &y, &height);
    gtk_text_view_buffer_to_window_coords(view, GTK_TEXT_WINDOW_LEFT, 0, y + height / 2, &window_x, &window_y);
    GdkWindow* gutter = gtk_text_view_get_window(view, GTK_TEXT_WINDOW_LEFT);
    ASSERT_NE(gutter, nullptr);
    const int width = gdk_window_get_width(gutter);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
      GdkEvent* event = gdk_event_new(type);
      event->button.window = GDK_WINDOW(g_object_ref(gutter));
      event->button.x = width - 8;  // the marks stand right of the line numbers
      event->button.y = window_y;
      event->button.button = 1;
      event->button.time = GDK_CURRENT_TIME;
      gdk_event_set_device(event, gdk_seat_get_pointer(seat));
      gtk_main_do_event(event);
      gdk_event_free(event);
    }
    pump(20);
  }
};

TEST_F(Debugging, BreakpointFromTheGutterThenStepsThroughTheDelayTheTableAndTheTimerInterrupt) {
  start_app();
  app().panes().set_editor_text(kTimerProgram);

  click_gutter(19);
  EXPECT_EQ(ui::breakpoint_lines(ui(), control::kEditor), (std::vector<int>{18}));
  key(GDK_KEY_F9);  // assembles, loads and runs to the breakpoint
  ASSERT_TRUE(debugger().window().visible());
  EXPECT_NE(messages().find("Assemblieren ohne Fehler beendet."), std::string::npos);
  // jmp 2, mov 2, mov t 1, en 1, strt 1, mov r4 2, mov a 1, add 2, movp 2, outl 2
  EXPECT_EQ(cycles(), 16u);
  EXPECT_EQ(current_line(), 19);
  EXPECT_EQ(field(f::kPc), "01A");
  EXPECT_EQ(field(f::kA), "01");  // the table's first entry
  EXPECT_EQ(field(f::kP1Latch), "01");
  EXPECT_EQ(field(f::kP1Pins), "01");
  EXPECT_EQ(field(f::kTimerMode), "Zeitgeber");
  EXPECT_EQ(field(f::kPrescaler), "09");  // 9 cycles since strt t
  EXPECT_EQ(field(f::kCycles), "16");
  EXPECT_EQ(field(f::kTime), "40,0 µs");  // 16 cycles of 2.5 µs at 6 MHz
  EXPECT_NE(debugger().window().status().find("Haltepunkt"), std::string::npos);

  struct Stop {
    guint key;
    GdkModifierType modifiers;
    int line;
    const char* a;
    const char* r4;
    const char* r7;
    std::uint64_t cycles;
  };
  const Stop stops[] = {
      {GDK_KEY_F7, kNone, 20, "01", "01", "00", 17},   // inc r4
      {GDK_KEY_F7, kNone, 21, "01", "01", "00", 18},   // mov a,r4
      {GDK_KEY_F7, kNone, 22, "01", "01", "00", 20},   // anl a,#3
      {GDK_KEY_F7, kNone, 23, "01", "01", "00", 21},   // mov r4,a
      {GDK_KEY_F7, GDK_SHIFT_MASK, 24, "01", "01", "00", 47},  // call: 2 + mov r7 2 + 10 djnz 20 + ret 2
      {GDK_KEY_F7, kNone, 15, "01", "01", "00", 49},   // jmp loop
      {GDK_KEY_F7, kNone, 16, "01", "01", "00", 50},   // mov a,r4
      {GDK_KEY_F7, kNone, 17, "81", "01", "00", 52},   // add a,#80H
      {GDK_KEY_F7, kNone, 18, "02", "01", "00", 54},   // movp a,@a: the second entry
      {GDK_KEY_F7, kNone, 19, "02", "01", "00", 56},   // outl p1,a
  };
  for (const Stop& stop : stops) {
    key(stop.key, stop.modifiers);
    SCOPED_TRACE("line " + std::to_string(stop.line));
    EXPECT_EQ(current_line(), stop.line);
    EXPECT_EQ(field(f::kA), stop.a);
    EXPECT_EQ(field(f::kBank0 + 4), stop.r4);
    EXPECT_EQ(field(f::kBank0 + 7), stop.r7);
    EXPECT_EQ(cycles(), stop.cycles);
  }
  EXPECT_EQ(field(f::kP1Latch), "02");

  // F7 into the delay: the current line follows djnz round the loop.
  for (int i = 0; i < 6; ++i) key(GDK_KEY_F7);  // inc, mov, anl, mov, call, mov r7
  EXPECT_EQ(current_line(), 26);
  EXPECT_EQ(field(f::kSp), "1");
  EXPECT_EQ(field(f::kBank0 + 7), "0A");
  key(GDK_KEY_F7);
  EXPECT_EQ(current_line(), 26);
  EXPECT_EQ(field(f::kBank0 + 7), "09");

  // The timer overflows 512 cycles after strt t (cycle 7): the interrupt
  // leads through 007H to the routine at line 6.
  // Ctrl+F8 on the breakpoint's line takes it away.
  ui().go_to_line(control::kEditor, 18);
  key(GDK_KEY_F8, GDK_CONTROL_MASK);
  EXPECT_TRUE(ui::breakpoint_lines(ui(), control::kEditor).empty());
  ui().go_to_line(control::kEditor, 5);
  key(GDK_KEY_F4);
  EXPECT_EQ(current_line(), 6);
  EXPECT_EQ(field(f::kPc), "009");
  EXPECT_GE(cycles(), 519u + 4);  // interrupt entry 2, jmp 2
  EXPECT_LE(cycles(), 519u + 2 + 4);
  EXPECT_TRUE(debugger().window().checked(f::kInInterrupt));
  EXPECT_EQ(field(f::kSp), "2");  // the delay's call and the interrupt
  EXPECT_EQ(field(f::kBank0 + 5), "00");
  key(GDK_KEY_F7);
  EXPECT_EQ(field(f::kBank0 + 5), "01");
  for (int i = 0; i < 3; ++i) key(GDK_KEY_F7);  // mov a, mov t, retr
  EXPECT_EQ(current_line(), 26);
  EXPECT_FALSE(debugger().window().checked(f::kInInterrupt));
  EXPECT_EQ(field(f::kTimer), "F0");
  EXPECT_EQ(field(f::kSp), "1");
}

TEST_F(Debugging, ValuesChangedInTheWindowCodeWithoutALineStopwatchAndAnEditThatEndsTheRun) {
  start_app();
  app().panes().set_editor_text(kTimerProgram);
  key(GDK_KEY_F7);  // loads: stands before the first instruction
  key(GDK_KEY_F7);  // jmp start
  EXPECT_EQ(current_line(), 10);
  ui::ToolWindow& window = debugger().window();

  // A and R3 typed in hexadecimal, a cell of the RAM, the pins of P2.
  struct Typed {
    int id;
    const char* text;
    const char* shown;
  };
  for (const Typed& typed : {Typed{f::kA, "3fh", "3F"}, Typed{f::kBank0 + 3, "0x7", "07"},
                             Typed{f::kP2Input, "0F", "0F"}, Typed{f::kA, "zz", "3F"}, Typed{f::kSp, "9", "0"}}) {
    GtkWidget* entry = window.widget(typed.id);
    gtk_entry_set_text(GTK_ENTRY(entry), typed.text);
    g_signal_emit_by_name(entry, "activate");
    pump(10);
    EXPECT_EQ(field(typed.id), typed.shown) << typed.text;
  }
  const sim::Simulator& sim = debugger().session().simulator();
  EXPECT_EQ(sim.state().a, 0x3F);
  EXPECT_EQ(sim.state().ram[3], 0x07);
  EXPECT_EQ(window.cell_text(f::kRam, 3), "07");
  EXPECT_EQ(field(f::kP2Pins), "0F");  // latch FF and the outside pulling 4 pins low
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(window.widget(f::kT0)), FALSE);
  pump(10);
  EXPECT_EQ(sim.driven(sim::Port::T0), 0);

  // The stopwatch counts from where it was zeroed.
  g_signal_emit_by_name(window.button(debug::kZeroStopwatch), "clicked");
  pump(20);
  key(GDK_KEY_F7);  // mov a,#0F0H: 2 cycles
  EXPECT_EQ(field(f::kStopwatchCycles), "2");
  EXPECT_EQ(field(f::kStopwatchTime), "5,0 µs");

  // The PC put where no source line is: the instruction is shown instead.
  gtk_entry_set_text(GTK_ENTRY(window.widget(f::kPc)), "50");
  g_signal_emit_by_name(window.widget(f::kPc), "activate");
  pump(10);
  key(GDK_KEY_F7);
  EXPECT_EQ(current_line(), 0);
  EXPECT_NE(window.status().find("051H, ohne Quellzeile: nop"), std::string::npos) << window.status();

  // The user's edit: the run no longer fits, and the window says so.
  type_into_editor("; neu\n");
  EXPECT_NE(messages().find("Simulator: Quelle geändert."), std::string::npos) << messages();
  EXPECT_NE(window.status().find("Quelle geändert"), std::string::npos);
  // The next step assembles again: the same code keeps the state.
  key(GDK_KEY_F7);
  EXPECT_NE(messages().find("Programm unverändert"), std::string::npos);
  EXPECT_EQ(field(f::kPc), "052");
}

TEST_F(Debugging, CodeOfAnIncludedFileAndOfAMacroIsTracedToWhereItCameFrom) {
  write_file("warte.inc", "; Verzoegerung\nwarte:  mov r7,#3\nschl:   djnz r7,schl\n        ret\n");
  write_file("haupt.asm",
             "        cpu 8048\n"
             "zweimal macro\n"
             "        inc a\n"
             "        inc a\n"
             "        endm\n"
             "start:  zweimal\n"
             "        call warte\n"
             "        jmp start\n"
             "        include \"warte.inc\"\n");
  start_app();
  answer_next_requester(dir_ + "/haupt.asm");
  app().dispatch_command(command::kLoadSource);
  pump(50);
  key(GDK_KEY_F7);  // loaded, before the first instruction
  key(GDK_KEY_F7);  // the first inc a of the expansion
  EXPECT_EQ(current_line(), 6);
  EXPECT_NE(debugger().window().status().find("aus Makro oder Schleife in Zeile 6: inc a"), std::string::npos)
      << debugger().window().status();
  key(GDK_KEY_F7);
  key(GDK_KEY_F7);  // call warte
  EXPECT_EQ(current_line(), 9);  // the include line stands for the file
  EXPECT_NE(debugger().window().status().find("Zeile 2 in warte.inc: warte:  mov r7,#3"), std::string::npos)
      << debugger().window().status();
  key(GDK_KEY_F7);
  EXPECT_NE(debugger().window().status().find("Zeile 3 in warte.inc"), std::string::npos)
      << debugger().window().status();
  EXPECT_EQ(field(f::kA), "02");
}

// --- the line map and the session, without a window -----------------------

DebuggerLineMap assembled(const std::string& text, asm48::Assembler& assembler) {
  assembler.keep_listing(true);
  EXPECT_TRUE(assembler.run(text).ok()) << text;
  return DebuggerLineMap(assembler.table(), assembler.extended_listing(), text, "", 0xFF);
}

TEST(DebuggerLineMapTest, AddressesToLinesAndLinesToTheirFirstCode) {
  asm48::Assembler assembler;
  const DebuggerLineMap map = assembled(
      "; Kopf\n"      // 1
      "  org 10H\n"   // 2
      "a: mov a,#1\n"  // 3  010-011
      "\n"            // 4
      "  db 5\n"      // 5  012
      "  org 20H\n"   // 6
      "  jmp a\n"     // 7  020-021
      "  end\n",
      assembler);
  struct Address {
    int address;
    std::optional<int> line;
  };
  for (const Address& c : {Address{0x10, 3}, Address{0x11, 3}, Address{0x12, 5}, Address{0x13, std::nullopt},
                           Address{0x21, 7}, Address{0x00, std::nullopt}, Address{-1, std::nullopt},
                           Address{4096, std::nullopt}})
    EXPECT_EQ(map.line_of(c.address), c.line) << c.address;
  struct Line {
    int line;
    std::optional<int> address;
  };
  for (const Line& c : {Line{1, 0x10}, Line{3, 0x10}, Line{4, 0x12}, Line{6, 0x20}, Line{8, std::nullopt}})
    EXPECT_EQ(map.address_of(c.line), c.address) << c.line;
  ASSERT_EQ(map.image().size(), 4096u);
  EXPECT_EQ(map.image()[0x10], 0x23);
  EXPECT_EQ(map.image()[0x12], 0x05);
  EXPECT_EQ(map.image()[0x13], 0xFF);  // the fill byte where no code stands
  EXPECT_EQ(map.origin_of(0x10), "");
}

TEST(DebuggerSessionTest, StepOverRunToAndBreakpointsStopWhereTheyShould) {
  // A routine that calls itself twice before it returns: step over the
  // outer call stops only at its own return, at the same stack depth.
  asm48::Assembler assembler;
  const std::string text =
      "        org 0\n"
      "        mov r2,#3\n"       // 000
      "        call deep\n"       // 002
      "        inc a\n"           // 004
      "stop:   jmp stop\n"        // 005
      "deep:   djnz r2,again\n"   // 007
      "        ret\n"             // 009
      "again:  call deep\n"       // 00A
      "        ret\n"             // 00C
      "        end\n";
  DebuggerSession session;
  session.load(assembled(text, assembler), sim::Variant::I8048, 6000000);
  ASSERT_EQ(session.step(), DebugStop::Step);
  EXPECT_TRUE(session.start_step_over());
  DebugStop why = DebugStop::Running;
  while (why == DebugStop::Running) why = session.run_slice(3);  // tiny slices: the target is found across them
  EXPECT_EQ(why, DebugStop::Target);
  EXPECT_EQ(session.simulator().state().pc, 0x004);
  EXPECT_EQ(session.simulator().state().sp, 0);
  EXPECT_EQ(session.simulator().state().ram[2], 0);
  EXPECT_FALSE(session.start_step_over());  // inc a: one step
  EXPECT_EQ(session.simulator().state().a, 1);

  session.load(assembled(text, assembler), sim::Variant::I8048, 6000000);
  session.set_breakpoints({0x009});
  session.start_run();
  why = DebugStop::Running;
  while (why == DebugStop::Running) why = session.run_slice(1000);
  EXPECT_EQ(why, DebugStop::Breakpoint);
  EXPECT_EQ(session.simulator().state().pc, 0x009);
  EXPECT_EQ(session.simulator().state().sp, 3);
  session.set_breakpoints({});
  session.start_run(0x005);
  why = DebugStop::Running;
  while (why == DebugStop::Running) why = session.run_slice(1000);
  EXPECT_EQ(why, DebugStop::Target);
  EXPECT_EQ(session.simulator().state().pc, 0x005);

  // The stopwatch counts from its zero; an undefined opcode stops with its message.
  session.zero_stopwatch();
  session.step();  // jmp: 2 cycles
  EXPECT_EQ(session.stopwatch_cycles(), 2u);
  session.simulator().program()[0x005] = 0x01;  // no 8048 instruction
  session.start_run();
  why = DebugStop::Running;
  while (why == DebugStop::Running) why = session.run_slice(1000);
  EXPECT_EQ(why, DebugStop::Undefined);
  EXPECT_EQ(session.stop_message(), "Undefinierter Befehlscode 01H bei Adresse 0005H");
  EXPECT_FALSE(session.running());
}

// --- the values as the window shows and reads them -----------------------

TEST(DebuggerFormat, HexTimeAndClockTextsBothWays) {
  struct Hex {
    const char* text;
    unsigned max;
    std::optional<unsigned> value;
  };
  for (const Hex& c : {Hex{"3F", 0xFF, 0x3F}, Hex{"3fh", 0xFF, 0x3F}, Hex{"0x3F", 0xFF, 0x3F}, Hex{" 7 ", 0xFF, 7},
                       Hex{"100", 0xFF, std::nullopt}, Hex{"FFF", 0xFFF, 0xFFF}, Hex{"", 0xFF, std::nullopt},
                       Hex{"h", 0xFF, std::nullopt}, Hex{"1g", 0xFF, std::nullopt}, Hex{"8", 7, std::nullopt}})
    EXPECT_EQ(parse_hex(c.text, c.max), c.value) << c.text;

  struct Time {
    double seconds;
    const char* text;
  };
  for (const Time& c : {Time{2.5e-6, "2,5 µs"}, Time{0.0, "0,0 µs"}, Time{0.012345, "12,345 ms"},
                        Time{1.2345678, "1,234568 s"}})
    EXPECT_EQ(time_text(c.seconds), c.text);

  struct Clock {
    const char* text;
    std::optional<std::int32_t> hz;
  };
  for (const Clock& c : {Clock{"6", 6000000}, Clock{"11", 11000000}, Clock{"3,579545", 3579545},
                         Clock{"3.579545", 3579545}, Clock{"0", std::nullopt}, Clock{"200", std::nullopt},
                         Clock{"6,0,0", std::nullopt}, Clock{"sechs", std::nullopt}, Clock{"", std::nullopt}})
    EXPECT_EQ(parse_mhz(c.text), c.hz) << c.text;
  EXPECT_EQ(mhz_text(6000000), "6");
  EXPECT_EQ(mhz_text(3579545), "3,579545");
}

TEST(DebuggerPanelDigit, SegmentsLitByThePinsInTheChosenOrderAndCommon) {
  struct Case {
    std::uint8_t pins;
    const char* order;
    bool anode;
    std::optional<std::uint8_t> lit;
  };
  for (const Case& c : {Case{0x06, "abcdefgp", false, 0x06},   // "1": b and c
                        Case{0x06, "abcdefgp", true, 0xF9},    // the same pins, lit at low
                        Case{0x80, "pgfedcba", false, 0x01},   // bit 7 drives a
                        Case{0x01, ".gfedcba", false, 0x80},   // bit 0 the dot
                        Case{0xFF, "abc-----", false, 0x07},   // pins without a segment
                        Case{0xFF, "ABCDEFGP", false, 0xFF},
                        Case{0x00, "abcdefg", false, std::nullopt},
                        Case{0x00, "abcdefgx", false, std::nullopt}})
    EXPECT_EQ(lit_segments(c.pins, c.order, c.anode), c.lit) << c.order;
}

TEST(DebuggerFormat, IncludeStatementsAreFoundWithOrWithoutALabel) {
  EXPECT_EQ(included_file_name("  include \"a.inc\""), "a.inc");
  EXPECT_EQ(included_file_name("x: INCLUDE \"sub/b.inc\" ; Kommentar"), "sub/b.inc");
  EXPECT_EQ(included_file_name("  includes \"a.inc\""), "");
  EXPECT_EQ(included_file_name("  mov a,#1"), "");
  EXPECT_EQ(included_file_name("  include \"offen"), "");
}

TEST(DebuggerClock, TheClockIsKeptInTheSettingsFileOnlyOnceItWasSet) {
  const std::string path = (std::filesystem::temp_directory_path() / "zorvin-debugger-clock.ini").string();
  std::filesystem::remove(path);
  settings::Settings first;
  settings::load_or_create_settings(first, path);
  EXPECT_EQ(first.clock_hz, 6000000);
  first.clock_hz = 11000000;
  settings::save_settings(first, path);
  settings::Settings next;
  settings::load_settings(next, path);
  EXPECT_EQ(next.clock_hz, 11000000);
  next.clock_hz = 6000000;  // back to the default: written, not left at 11 MHz
  settings::save_settings(next, path);
  settings::Settings last;
  last.clock_hz = 1;
  settings::load_settings(last, path);
  EXPECT_EQ(last.clock_hz, 6000000);
  std::filesystem::remove(path);
}


// --- the peripherals ------------------------------------------------------

namespace panel_test {

// Echo at 9600 bit/s and 6 MHz (41.67 cycles a bit): T0 in, P2.7 out, each
// bit 41 cycles by the manual's counts.
constexpr const char* kEcho =
    "        ORG 0\n"
    "        ORL P2,#80H\n"
    "MAIN:   CALL GETC\n"
    "        CALL PUTC\n"
    "        JMP MAIN\n"
    "GETC:   JT0 GETC\n"          // the start bit's edge
    "        MOV R6,#12\n"
    "H1:     DJNZ R6,H1\n"
    "        MOV R5,#8\n"
    "RBIT:   MOV R6,#15\n"
    "R1:     DJNZ R6,R1\n"
    "        CLR C\n"
    "        JNT0 RZ\n"
    "        CPL C\n"
    "        JMP RX\n"
    "RZ:     NOP\n"
    "        NOP\n"
    "        NOP\n"
    "RX:     RRC A\n"
    "        DJNZ R5,RBIT\n"
    "        MOV R6,#15\n"           // into the stop bit
    "R2:     DJNZ R6,R2\n"
    "        RET\n"
    "PUTC:   ANL P2,#7FH\n"           // start bit
    "        MOV R5,#8\n"
    "        MOV R6,#16\n"
    "P1:     DJNZ R6,P1\n"
    "TBIT:   RRC A\n"
    "        JC TONE\n"
    "        ANL P2,#7FH\n"
    "        JMP TNEXT\n"
    "TONE:   ORL P2,#80H\n"
    "        NOP\n"
    "        NOP\n"
    "TNEXT:  MOV R6,#15\n"
    "T1:     DJNZ R6,T1\n"
    "        DJNZ R5,TBIT\n"
    "        NOP\n"
    "        NOP\n"
    "        NOP\n"
    "        ORL P2,#80H\n"           // stop bit
    "        MOV R6,#15\n"
    "T2:     DJNZ R6,T2\n"
    "        RET\n"
    "        END\n";

}  // namespace panel_test

TEST_F(Debugging, ThePanelShowsTheLedsTakesTheSwitchesAndEchoesWhatIsTypedIntoTheTerminal) {
  start_app();
  app().panes().set_editor_text(panel_test::kEcho);
  app().dispatch_command(debug::kShowPanel);
  key(GDK_KEY_F7);  // loaded
  key(GDK_KEY_F7);  // orl p2,#80H
  ui::ToolWindow& panel = debugger().panel().window();
  ASSERT_TRUE(panel.visible());
  EXPECT_EQ(panel.leds(panel_field::kLedsP2), 0xFF);
  EXPECT_EQ(panel.leds(panel_field::kLedsP1), 0xFF);
  // A switch closed on P1.2 pulls that pin low: its LED goes out.
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(panel.widget(panel_field::kSwitchesP1 + 2)), FALSE);
  pump(10);
  EXPECT_EQ(panel.leds(panel_field::kLedsP1), 0xFB);
  EXPECT_EQ(debugger().session().simulator().pin_level(sim::Port::P1), 0xFB);
  EXPECT_EQ(panel.leds(panel_field::kDigit), 0xFB);  // the digit on P1 loses segment c
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(panel.widget(panel_field::kDigitAnode)), TRUE);
  pump(10);
  EXPECT_EQ(panel.leds(panel_field::kDigit), 0x04);  // with a common anode only c lights

  press_key(editor(), GDK_KEY_F9);  // runs (no breakpoint): the loop waits for a start bit
  pump(50);
  EXPECT_TRUE(debugger().running());
  gtk_entry_set_text(GTK_ENTRY(panel.widget(panel_field::kTyped)), "Hallo 8048");
  g_signal_emit_by_name(panel.widget(panel_field::kTyped), "activate");
  EXPECT_TRUE(pump_until([&] { return panel.all_text(panel_field::kTerminal).find("Hallo 8048") != std::string::npos; },
                         5000))
      << panel.all_text(panel_field::kTerminal);
  EXPECT_EQ(panel.all_text(panel_field::kTerminal).find('['), std::string::npos) << panel.all_text(panel_field::kTerminal);
  // The echoed CR ends the line, as on a terminal.
  gtk_entry_set_text(GTK_ENTRY(panel.widget(panel_field::kTyped)), "zwei");
  g_signal_emit_by_name(panel.widget(panel_field::kTyped), "activate");
  EXPECT_TRUE(pump_until([&] { return panel.all_text(panel_field::kTerminal) == "Hallo 8048\nzwei\n"; }, 5000))
      << panel.all_text(panel_field::kTerminal);
  app().dispatch_command(debug::kStop);
  pump(20);
  EXPECT_FALSE(debugger().running());

  // At 10 % off the rate the terminal says so instead of hiding it.
  gtk_entry_set_text(GTK_ENTRY(panel.widget(panel_field::kBaud)), "10560");
  g_signal_emit_by_name(panel.widget(panel_field::kBaud), "activate");
  press_key(editor(), GDK_KEY_F9);
  pump(50);
  gtk_entry_set_text(GTK_ENTRY(panel.widget(panel_field::kTyped)), "U");
  g_signal_emit_by_name(panel.widget(panel_field::kTyped), "activate");
  EXPECT_TRUE(pump_until([&] { return panel.all_text(panel_field::kTerminal).find('[') != std::string::npos; }, 5000))
      << panel.all_text(panel_field::kTerminal);
  app().dispatch_command(debug::kStop);
  pump(20);
}

// Ctrl+F7 steps back, Ctrl+F9 runs back to the breakpoint before; F7 then
// takes the recorded steps again.
TEST_F(Debugging, StepsBackAndRunsBackToTheBreakpointBefore) {
  start_app();
  app().panes().set_editor_text(kTimerProgram);
  click_gutter(19);
  key(GDK_KEY_F9);
  ASSERT_EQ(cycles(), 16u);
  key(GDK_KEY_F9);  // round the loop and the delay to the breakpoint again
  ASSERT_EQ(current_line(), 19);
  const std::uint64_t second = cycles();
  EXPECT_EQ(field(f::kA), "02");  // the table's second entry
  EXPECT_EQ(field(f::kP1Latch), "02");
  const std::string timer = field(f::kTimer);

  key(GDK_KEY_F7, GDK_CONTROL_MASK);  // back over outl p1,a
  EXPECT_EQ(current_line(), 18);
  EXPECT_EQ(cycles(), second - 2);
  EXPECT_EQ(field(f::kP1Latch), "01");
  EXPECT_EQ(field(f::kA), "02");
  key(GDK_KEY_F7);  // the same step again
  EXPECT_EQ(current_line(), 19);
  EXPECT_EQ(cycles(), second);
  EXPECT_EQ(field(f::kP1Latch), "02");
  EXPECT_EQ(field(f::kTimer), timer);

  key(GDK_KEY_F9, GDK_CONTROL_MASK);  // back to the first stop at the breakpoint
  EXPECT_EQ(current_line(), 19);
  EXPECT_EQ(cycles(), 16u);
  EXPECT_EQ(field(f::kP1Latch), "01");
  EXPECT_NE(debugger().window().status().find("Haltepunkt"), std::string::npos);
  key(GDK_KEY_F9, GDK_CONTROL_MASK);  // none before it: the oldest step, reset
  EXPECT_EQ(cycles(), 0u);
  EXPECT_EQ(field(f::kPc), "000");
  EXPECT_NE(debugger().window().status().find("Kein Haltepunkt im Verlauf"), std::string::npos);
  key(GDK_KEY_F7, GDK_CONTROL_MASK);
  EXPECT_NE(debugger().window().status().find("Kein früherer Schritt"), std::string::npos);

  // A switch taken off between steps: going back over it puts it on again.
  app().dispatch_command(debug::kShowPanel);
  ui::ToolWindow& panel = debugger().panel().window();
  key(GDK_KEY_F7);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(panel.widget(panel_field::kSwitchesP1 + 2)), FALSE);
  pump(10);
  key(GDK_KEY_F7);
  EXPECT_EQ(debugger().session().simulator().driven(sim::Port::P1), 0xFB);
  key(GDK_KEY_F7, GDK_CONTROL_MASK);  // to just after the change
  EXPECT_FALSE(panel.checked(panel_field::kSwitchesP1 + 2));
  key(GDK_KEY_F7, GDK_CONTROL_MASK);  // over it
  EXPECT_EQ(debugger().session().simulator().driven(sim::Port::P1), 0xFF);
  EXPECT_TRUE(panel.checked(panel_field::kSwitchesP1 + 2));
  EXPECT_EQ(cycles(), 0u);
}

// "Zurück bis Änderung" with R4 watched: back to before the inc r4 of the
// first round (the second round's mov r4,a wrote the same value), then
// nothing earlier changed it (mov r4,#0 wrote the 0 it held).
TEST_F(Debugging, RunsBackToTheLastChangeOfAWatchedValue) {
  start_app();
  app().panes().set_editor_text(kTimerProgram);
  click_gutter(19);
  key(GDK_KEY_F9);
  key(GDK_KEY_F9);
  ASSERT_EQ(current_line(), 19);
  ASSERT_GT(cycles(), 16u);
  debugger().window().set_text(f::kBackWatch, "R4");
  app().dispatch_command(debug::kBackToChange);
  pump(20);
  EXPECT_EQ(current_line(), 19);
  EXPECT_EQ(cycles(), 16u);
  EXPECT_EQ(field(f::kBank0 + 4), "00");
  EXPECT_NE(debugger().window().status().find("Vor der letzten Änderung von R4"), std::string::npos);
  app().dispatch_command(debug::kBackToChange);
  pump(20);
  EXPECT_EQ(cycles(), 0u);
  EXPECT_NE(debugger().window().status().find("R4 hat sich im Verlauf nicht geändert"), std::string::npos);
  debugger().window().set_text(f::kBackWatch, "R9");
  app().dispatch_command(debug::kBackToChange);
  pump(20);
  EXPECT_NE(debugger().window().status().find("ist kein Wert des Simulators"), std::string::npos);
}
TEST_F(Debugging, TheTerminalSendsWithoutCrAndHexBytesKeepsAHistoryAndIsCleared) {
  start_app();
  app().panes().set_editor_text(panel_test::kEcho);
  app().dispatch_command(debug::kShowPanel);
  ui::ToolWindow& panel = debugger().panel().window();
  auto terminal = [&] { return panel.all_text(panel_field::kTerminal); };
  press_key(editor(), GDK_KEY_F9);
  pump(50);
  ASSERT_TRUE(debugger().running());
  GtkWidget* typed = panel.widget(panel_field::kTyped);
  gtk_entry_set_text(GTK_ENTRY(typed), "eins");
  g_signal_emit_by_name(typed, "activate");
  EXPECT_TRUE(pump_until([&] { return terminal() == "eins\n"; }, 5000)) << terminal();
  gtk_entry_set_text(GTK_ENTRY(typed), "ab");
  g_signal_emit_by_name(panel.button(debug::kSendWithoutCr), "clicked");
  EXPECT_TRUE(pump_until([&] { return terminal() == "eins\nab"; }, 5000)) << terminal();
  EXPECT_EQ(panel.text(panel_field::kTyped), "");
  // A byte in hexadecimal; one that is none is refused with a reason.
  struct Byte {
    const char* typed;
    const char* shown;
  };
  for (const Byte& byte : {Byte{"41", "eins\nabA"}, Byte{"1bh", "eins\nabA<1B>"}, Byte{"G1", "eins\nabA<1B>"}}) {
    gtk_entry_set_text(GTK_ENTRY(panel.widget(panel_field::kTypedHex)), byte.typed);
    g_signal_emit_by_name(panel.button(debug::kSendHexByte), "clicked");
    pump(50);
    EXPECT_TRUE(pump_until([&] { return terminal() == byte.shown; }, 5000)) << byte.typed << ": " << terminal();
  }
  EXPECT_NE(panel.text(panel_field::kLineState).find("Kein Byte in Hex"), std::string::npos);
  // Up and Down bring back what was entered.
  gtk_entry_set_text(GTK_ENTRY(typed), "zwei");
  g_signal_emit_by_name(typed, "activate");
  pump(20);
  gtk_widget_grab_focus(typed);
  for (const auto& [keyval, shown] : std::vector<std::pair<guint, std::string>>{
           {GDK_KEY_Up, "zwei"}, {GDK_KEY_Up, "eins"}, {GDK_KEY_Up, "eins"}, {GDK_KEY_Down, "zwei"}, {GDK_KEY_Down, ""}}) {
    press_key(typed, keyval);
    EXPECT_EQ(panel.text(panel_field::kTyped), shown);
  }
  g_signal_emit_by_name(panel.button(debug::kClearTerminal), "clicked");
  pump(20);
  EXPECT_EQ(terminal(), "");
  app().dispatch_command(debug::kStop);
  pump(20);
}

TEST_F(Debugging, BoardAndWatchListBelongToTheSourceFileAndLedsShowTheirPolarity) {
  write_file("a.asm", "        ORG 0\n        MOV R2,#5\nHALT:   JMP HALT\n");
  write_file("b.asm", "        ORG 0\n        MOV R3,#7\nHALT:   JMP HALT\n");
  start_app();
  // The panes are built when opened; the user types into them then.
  app().dispatch_command(debug::kShowWindow);
  app().dispatch_command(debug::kShowPanel);
  auto load = [&](const std::string& name) {
    answer_next_requester(dir_ + "/" + name);
    app().dispatch_command(command::kLoadSource);
    pump(50);
    key(GDK_KEY_F5);
  };
  ui::ToolWindow& panel = debugger().panel().window();
  ui::ToolWindow& window = debugger().window();
  auto set = [&](ui::ToolWindow& in, int id, const char* text) {
    gtk_entry_set_text(GTK_ENTRY(in.widget(id)), text);
    g_signal_emit_by_name(in.widget(id), "activate");
    pump(10);
  };
  load("a.asm");
  set(panel, panel_field::kDigitPort, "P2");
  set(window, f::kWatchNames, "r2, halt x:10h");
  load("b.asm");  // a file of its own: the board as it first was
  EXPECT_EQ(panel.text(panel_field::kDigitPort), "P1");
  EXPECT_EQ(window.text(f::kWatchNames), "");
  set(panel, panel_field::kDigitPort, "BUS");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(panel.widget(panel_field::kLedsActiveLow)), TRUE);
  set(window, f::kWatchNames, "r3");
  load("a.asm");
  EXPECT_EQ(panel.text(panel_field::kDigitPort), "P2");
  EXPECT_FALSE(panel.checked(panel_field::kLedsActiveLow));
  EXPECT_EQ(window.text(f::kWatchNames), "r2, halt, x:10h");
  key(GDK_KEY_F7);
  key(GDK_KEY_F7);  // mov r2,#5
  EXPECT_EQ(window.all_text(f::kWatch), "r2 = 05H\nhalt (RAM 02H) = 05H\nx:10h = 00H");
  load("b.asm");
  EXPECT_EQ(panel.text(panel_field::kDigitPort), "BUS");
  EXPECT_TRUE(panel.checked(panel_field::kLedsActiveLow));
  EXPECT_EQ(panel.leds(panel_field::kLedsP1), 0x00);  // P1 high: LEDs to ground... here to the supply, dark
  // Kept in the settings file with the source's path.
  bool found = false;
  for (const auto& entry : app().settings().source_peripherals)
    found = found || (entry.path.ends_with("/a.asm") && entry.dialect.find("Anzeige=P2;") != std::string::npos);
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace zorvin::test
