// Where the time went and what the pins did, as the user sees them after a
// run: the figures beside the lines (counted by hand, and the same as the
// core's profile that zorvin-sim --profile writes), cleared with the run and
// switched off for good; the signal view's edges of a toggling pin, the time
// between two cursors at the crystal, and its VCD export.
#include <gdk/gdkkeysyms.h>

#include <cstdio>

#include "debugger_fixture.h"
#include "sim/profile.h"
#include "sim/program_source.h"
#include "sim/vcd_writer.h"
#include "ui/profile_gutter.h"
#include "ui/signal_view.h"

namespace zorvin::test {
namespace {

using namespace app;

class Signals : public DebuggerTest {
 protected:
  std::string figure(int line) { return ui::line_figure_text(ui(), control::kEditor, line - 1); }
  void click(ui::SignalView& view, double x, double y, guint button) {
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view.area())));
    GtkAllocation at;
    gtk_widget_get_allocation(view.area(), &at);
    // The area may share its window with its parents.
    event->button.x = x + (gtk_widget_get_has_window(view.area()) ? 0 : at.x);
    event->button.y = y + (gtk_widget_get_has_window(view.area()) ? 0 : at.y);
    event->button.button = button;
    event->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(event);
    gdk_event_free(event);
    pump(20);
  }
};

TEST_F(Signals, FiguresBesideTheLinesAsCountedByHandAndByTheCore) {
  const struct {
    const char* name;
    const char* source;
    int breakpoint;                      // the run stops there, before it
    std::vector<const char*> expected;   // per line from 1 on
    int hottest;
  } cases[] = {
      {"djnz loop", "        mov r7,#5\nloop:   djnz r7,loop\ndone:   jmp done\n", 3, {"1× 2", "5× 10", "0×"}, 2},
      {"nested loops in a call, a line never run",
       "        call sub\ndone:   jmp done\n        nop\n; comment\nsub:    mov r6,#3\nouter:  mov r7,#4\n"
       "inner:  djnz r7,inner\n        djnz r6,outer\n        ret\n",
       2,
       {"1× 2", "0×", "0×", "", "1× 2", "3× 6", "12× 24", "3× 6", "1× 2"},
       7},
  };
  start_app();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    app().panes().set_editor_text(c.source);
    debugger().source_replaced();  // as loading a file tells it
    ui::set_breakpoint(ui(), control::kEditor, c.breakpoint - 1, true);
    key(GDK_KEY_F9);
    ASSERT_EQ(current_line(), c.breakpoint) << messages() << debugger().window().status();
    EXPECT_TRUE(ui::line_figures_shown(ui(), control::kEditor));
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(figure(static_cast<int>(i) + 1), c.expected[i]) << i + 1;
    EXPECT_EQ(ui::line_figure_shade(ui(), control::kEditor, c.hottest - 1), 1.0);
    EXPECT_LT(ui::line_figure_shade(ui(), control::kEditor, 0), 1.0);

    // What the core counts for zorvin-sim --profile, run to the same place.
    const sim::AssembledProgram program = sim::assemble_program(c.source, {});
    sim::Simulator simulator;
    simulator.load_program(program.bytes);
    sim::Profile profile(simulator.variant());
    simulator.set_trace([&](const sim::TraceStep& step) { profile.count(step); });
    simulator.run({.stop_at = *debugger().session().lines().address_of(c.breakpoint)});
    for (const sim::LineProfile& line : sim::profile_by_line(profile, program.lines))
      EXPECT_EQ(figure(line.line), line.executions == 0 ? "0×"
                                                        : std::to_string(line.executions) + "× " + std::to_string(line.cycles))
          << line.line;
  }

  // The run reset: no figures; one step: that step's.
  key(GDK_KEY_F2, GDK_CONTROL_MASK);
  EXPECT_FALSE(ui::line_figures_shown(ui(), control::kEditor));
  key(GDK_KEY_F7);
  EXPECT_EQ(figure(1), "1× 2");
  EXPECT_EQ(figure(5), "0×");
  // An edit: the figures no longer fit the text.
  type_into_editor(" ");
  EXPECT_FALSE(ui::line_figures_shown(ui(), control::kEditor));

  // Switched off: nothing counted or shown, and so it stays.
  choose_menu("Laufzeitprofil im Rand");
  EXPECT_FALSE(ui().menu_item_ticked(signals::kProfileInGutter));
  key(GDK_KEY_F9);
  key(GDK_KEY_F7);
  EXPECT_FALSE(ui::line_figures_shown(ui(), control::kEditor));
  EXPECT_EQ(debugger().profile().profile(), nullptr);
  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("[Simulator]\nProfil = 0\n"), std::string::npos) << read_file("zorvin.ini");
}

TEST(SignalTexts, CountsAndTimesAsTheGutterAndTheAxisWriteThem) {
  const struct {
    std::uint64_t count;
    const char* text;
  } counts[] = {{0, "0"}, {99'999, "99999"}, {100'000, "100k"}, {12'345'678, "12346k"}, {99'999'999, "100000k"},
                {100'000'000, "100M"}, {18'446'744'073'709'551'615ull, "18446744073710M"}};
  for (const auto& c : counts) EXPECT_EQ(ui::compact_count(c.count), c.text) << c.count;
  const struct {
    double seconds;
    double step;
    const char* axis;
    const char* exact;
  } times[] = {{0.0, 1e-4, "0 µs", "0,0000 s"},
               {250e-6, 50e-6, "250 µs", "0,00025 s"},
               {1.5e-3, 5e-4, "1,5 ms", "0,0015 s"},
               {0.002, 0.001, "2 ms", "2 ms"},
               {380.84298, 2e-6, "380,8 s", "380,842980 s"},
               {2.0, 1.0, "2 s", "2 s"}};
  for (const auto& t : times) {
    EXPECT_EQ(ui::axis_time(t.seconds), t.axis) << t.seconds;
    EXPECT_EQ(ui::exact_time(t.seconds, t.step), t.exact) << t.seconds;
  }
}

// P1.0 high for 2 cycles, low for 4: at 12 MHz a cycle is 1,25 µs.
constexpr const char* kToggle =
    "loop:   orl p1,#01H\n"
    "        anl p1,#0FEH\n"
    "        jmp loop\n";

TEST_F(Signals, EdgesOfAToggledPinTheCursorsAtTheCrystalAndTheExport) {
  start_app("[Simulator]\nTakt=12000000\n");
  app().panes().set_editor_text(kToggle);
  for (int i = 0; i < 30; ++i) key(GDK_KEY_F7);  // ten rounds, 60 cycles
  choose_menu("Signale");
  SignalWindow& signals = debugger().signals();
  ASSERT_TRUE(signals.window().visible());
  ui::SignalView& view = signals.view();
  pump(100);

  const ui::SignalTrace& p1 = view.picture().traces.at(0);
  EXPECT_EQ(p1.name, "P1");
  std::vector<std::pair<std::uint64_t, std::uint8_t>> expected;
  // Falling at the end of anl, rising at the end of orl; the first orl
  // changes nothing (P1 starts high).
  for (std::uint64_t round = 0; round < 10; ++round) {
    if (round > 0) expected.emplace_back(round * 6 + 2, 0xFF);
    expected.emplace_back(round * 6 + 4, 0xFE);
  }
  EXPECT_EQ(p1.changes, expected);
  for (std::size_t t = 1; t < view.picture().traces.size(); ++t)
    EXPECT_TRUE(view.picture().traces[t].changes.empty()) << view.picture().traces[t].name;

  // Single pins as wires of their own; a name that is no port pin is refused.
  GtkWidget* pins = signals.window().widget(signals::kSinglePins);
  for (const char* typed : {"P1.0, P1.1", "P1.0 T0 P9"}) {
    gtk_entry_set_text(GTK_ENTRY(pins), typed);
    g_signal_emit_by_name(pins, "activate");
    pump(20);
  }
  EXPECT_NE(signals.window().status().find("'T0' ist kein Pin eines Ports"), std::string::npos)
      << signals.window().status();
  ASSERT_EQ(view.picture().traces.size(), 10u);
  EXPECT_EQ(view.picture().traces[8].name, "P1.0");
  EXPECT_EQ(view.picture().traces[8].initial, 1);
  EXPECT_EQ(view.picture().traces[8].changes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(view.picture().traces[8].changes[i], std::make_pair(expected[i].first, std::uint8_t(expected[i].second & 1)));
  EXPECT_TRUE(view.picture().traces[9].changes.empty());  // P1.1 stays high

  // Clicks a few pixels beside two rising edges take the edges.
  view.zoom_all();
  pump(50);
  click(view, view.x_of(8) + 3, view.row_middle(0), 1);
  click(view, view.x_of(20) - 3, view.row_middle(0), 3);
  EXPECT_EQ(view.cursor(0), 8u);
  EXPECT_EQ(view.cursor(1), 20u);
  EXPECT_EQ(signals.window().text(signals::kCursorDelta), "15,0 µs = 12 Zyklen");
  EXPECT_EQ(signals.window().text(signals::kCursorA), "10,0 µs (8)");
  // Zoomed in around the middle, the same cycles stand under the same edges.
  const double before = view.cycles_per_pixel();
  gtk_button_clicked(GTK_BUTTON(signals.window().button(signals::kZoomIn)));
  pump(50);
  EXPECT_DOUBLE_EQ(view.cycles_per_pixel(), before / 2);

  // The export is what zorvin-sim --vcd writes for the same steps.
  auto requester = answer_next_requester(dir_ + "/takt.vcd");
  gtk_button_clicked(GTK_BUTTON(signals.window().button(signals::kExport)));
  pump(200);
  EXPECT_TRUE(requester->shown);
  sim::Simulator simulator;
  simulator.set_clock_hz(12'000'000);
  simulator.load_program(sim::assemble_program(kToggle, {}).bytes);
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  {
    sim::VcdWriter writer(file, simulator);
    simulator.set_pin_listener([&](const sim::PinEvent& event) { writer.pin_changed(event); });
    simulator.run({.max_steps = 30});
  }
  std::fclose(file);
  const std::string live(buffer, size);
  std::free(buffer);
  EXPECT_EQ(read_file("takt.vcd"), live);
  EXPECT_NE(signals.window().status().find("takt.vcd ("), std::string::npos) << signals.window().status();
}

}  // namespace
}  // namespace zorvin::test
