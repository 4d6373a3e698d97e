// The serial monitor of the simulator tests (tests/sim/programs/monitor.asm)
// in the window's terminal, as a user drives it: F9, the banner and the
// prompt, a command typed into "Eingabe", the answer on the next line.
#include <gdk/gdkkeysyms.h>

#include <fstream>
#include <sstream>

#include "app/board/board_digits.h"
#include "app/debugger/debugger_fields.h"
#include "app/board/board_panel.h"
#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

class Peripherals : public GuiTest {
 protected:
  ui::ToolWindow& panel() { return app().debugger().panel().window(); }
  std::string terminal() { return panel().all_text(panel_field::kTerminal); }

  // Types a line into the terminal's input and waits until `answer` shows.
  bool command(const std::string& line, const std::string& answer) {
    gtk_entry_set_text(GTK_ENTRY(panel().widget(panel_field::kTyped)), line.c_str());
    g_signal_emit_by_name(panel().widget(panel_field::kTyped), "activate");
    return pump_until([&] { return terminal().find(answer) != std::string::npos; }, 8000);
  }
};

std::string monitor_source() {
  std::ifstream in(ZORVIN_SOURCE_DIR "/tests/sim/programs/monitor.asm");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(Peripherals, TheMonitorAnswersCommandsTypedIntoTheTerminal) {
  const std::string source = monitor_source();
  ASSERT_NE(source.find("8048-Monitor"), std::string::npos);
  start_app();
  app().panes().set_editor_text(source);
  app().dispatch_command(debug::kShowPanel);
  ASSERT_TRUE(panel().visible());
  // The panel's line is P2.7 out, T0 in, 9600 bit/s; the crystal 6 MHz.
  press_key(ui().widget(control::kEditor), GDK_KEY_F9);
  ASSERT_TRUE(pump_until([&] { return terminal().find("8048-Monitor 1.0\n>") != std::string::npos; }, 8000))
      << terminal();
  // The monitor echoes what is typed; the CR ends the line, the answer
  // follows on the next with a new prompt.
  EXPECT_TRUE(command("S 20 5A", "S 20 5A\n20: 5A\n>")) << terminal();
  EXPECT_TRUE(command("d 1e", "d 1e\n1E: 00 00 5A 00 00 00 00 00\n>")) << terminal();
  EXPECT_TRUE(command("Q", "Q\n?\n>")) << terminal();
  EXPECT_EQ(terminal().find('['), std::string::npos) << terminal();  // no framing error on the way
  EXPECT_EQ(app().debugger().session().simulator().state().ram[0x20], 0x5A);
  app().dispatch_command(debug::kStop);
  pump(20);
  EXPECT_FALSE(app().debugger().running());
}

// The monitor is timed for 6 MHz; on a 4 MHz crystal its bits are half as
// long again, and the terminal says by how much (not a near miss of a few
// per cent, which would point at the program's timing instead).
TEST_F(Peripherals, AProgramForAnotherCrystalIsToldByHowFarItsBitsAreOff) {
  start_app("[Simulator]\nTakt=4000000\n");
  app().panes().set_editor_text(monitor_source());
  app().dispatch_command(debug::kShowPanel);
  press_key(ui().widget(control::kEditor), GDK_KEY_F9);
  ASSERT_TRUE(pump_until([&] { return terminal().find("[Bitlänge weicht um ") != std::string::npos; }, 8000))
      << terminal();
  app().dispatch_command(debug::kStop);
  const std::string text = terminal();
  for (std::size_t at = text.find("[Bitlänge weicht um "); at != std::string::npos;
       at = text.find("[Bitlänge weicht um ", at + 1)) {
    const int percent = std::stoi(text.substr(at + std::string("[Bitlänge weicht um ").size()));
    EXPECT_GE(percent, 45) << text;
    EXPECT_LE(percent, 55) << text;
  }
}

// Two digits on P1 (common anode), selected by P2.0 and P2.1 low, each lit
// for about 400 cycles; while T0 is held both show "-".
constexpr const char* kTwoDigits =
    "        ORG 0\n"
    "        MOV R2,#99H\n"   // 4: b c f g
    "        MOV R3,#0A4H\n"  // 2: a b d e g
    "LOOP:   ORL P2,#03H\n"
    "        MOV A,R2\n"
    "        JT0 D0\n"
    "        MOV A,#0BFH\n"
    "D0:     OUTL P1,A\n"
    "        ANL P2,#0FEH\n"
    "        CALL WAIT\n"
    "        ORL P2,#03H\n"
    "        MOV A,R3\n"
    "        JT0 D1\n"
    "        MOV A,#0BFH\n"
    "D1:     OUTL P1,A\n"
    "        ANL P2,#0FDH\n"
    "        CALL WAIT\n"
    "        JMP LOOP\n"
    "WAIT:   MOV R7,#200\n"
    "W:      DJNZ R7,W\n"
    "        RET\n"
    "        END\n";

TEST_F(Peripherals, MultiplexedDigitsAndAPushButtonHeldOnT0) {
  start_app();
  app().panes().set_editor_text(kTwoDigits);
  app().dispatch_command(debug::kShowPanel);
  ASSERT_TRUE(panel().visible());
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(panel().widget(panel_field::kDigitAnode)), TRUE);
  gtk_entry_set_text(GTK_ENTRY(panel().widget(panel_field::kDigitSelect)), "p2.0, p2.1");
  g_signal_emit_by_name(panel().widget(panel_field::kDigitSelect), "activate");
  EXPECT_EQ(panel().text(panel_field::kDigitSelect), "P2.0 P2.1");
  press_key(ui().widget(control::kEditor), GDK_KEY_F9);
  const auto digits_are = [&](std::uint8_t first, std::uint8_t second) {
    return pump_until([&] {
      return panel().leds(panel_field::digit_id(0)) == first && panel().leds(panel_field::digit_id(1)) == second;
    }, 5000);
  };
  EXPECT_TRUE(digits_are(0x66, 0x5B)) << int(panel().leds(panel_field::digit_id(0))) << " "
                                      << int(panel().leds(panel_field::digit_id(1)));
  EXPECT_EQ(panel().leds(panel_field::digit_id(2)), 0);  // no select pin: dark
  // The button pulls T0 low only while it is held.
  GtkWidget* t0 = panel().widget(panel_field::kButtonT0);
  ASSERT_NE(t0, nullptr);
  g_signal_emit_by_name(t0, "pressed");
  EXPECT_TRUE(panel().checked(panel_field::kButtonT0));
  EXPECT_TRUE(digits_are(0x40, 0x40));
  g_signal_emit_by_name(t0, "released");
  EXPECT_TRUE(digits_are(0x66, 0x5B));
  EXPECT_EQ(app().debugger().session().simulator().pin_level(sim::Port::T0), 1);
  // Select pins that are no port bits are refused; the ones before stay.
  gtk_entry_set_text(GTK_ENTRY(panel().widget(panel_field::kDigitSelect)), "T0 P2.1");
  g_signal_emit_by_name(panel().widget(panel_field::kDigitSelect), "activate");
  EXPECT_EQ(panel().text(panel_field::kDigitSelect), "P2.0 P2.1");
  // The chosen button on P1.3 (input pins only: P1, P2, T0, T1, INT).
  for (const char* refused : {"P4.1", "BUS.0", "P1"}) {
    gtk_entry_set_text(GTK_ENTRY(panel().widget(panel_field::kButtonPinName)), refused);
    g_signal_emit_by_name(panel().widget(panel_field::kButtonPinName), "activate");
    EXPECT_EQ(panel().text(panel_field::kButtonPinName), "P1.0") << refused;
  }
  gtk_entry_set_text(GTK_ENTRY(panel().widget(panel_field::kButtonPinName)), "p1.3");
  g_signal_emit_by_name(panel().widget(panel_field::kButtonPinName), "activate");
  EXPECT_EQ(panel().text(panel_field::kButtonPinName), "P1.3");
  app().dispatch_command(debug::kStop);
  pump(20);
  sim::Simulator& simulator = app().debugger().session().simulator();
  g_signal_emit_by_name(panel().widget(panel_field::kButtonPin), "pressed");
  EXPECT_EQ(simulator.pin_level(sim::Port::P1) & 0x08, 0);
  g_signal_emit_by_name(panel().widget(panel_field::kButtonPin), "released");
  EXPECT_EQ(simulator.pin_level(sim::Port::P1) & 0x08, simulator.state().p1 & 0x08);
  app().dispatch_command(debug::kStop);
  pump(20);
}

TEST(MultiplexedDigitsTest, EachDigitShowsWhatItWasLitWithLongest) {
  MultiplexedDigits digits;
  digits.pins(0, 0b01, 0x06);     // digit 0: "1" for 400 cycles
  digits.pins(400, 0b01, 0x5B);   // the next digit's segments a moment too early
  digits.pins(405, 0b10, 0x5B);   // digit 1: "2" for 395 cycles
  digits.pins(800, 0b00, 0x5B);   // all off
  digits.settle(1000);
  EXPECT_EQ(digits.shown(0), 0x06);
  EXPECT_EQ(digits.shown(1), 0x5B);
  EXPECT_EQ(digits.shown(2), 0x00);
  // Until the next look only digit 1 is lit: digit 0 keeps what it showed.
  digits.pins(1000, 0b10, 0x4F);
  digits.settle(1200);
  EXPECT_EQ(digits.shown(0), 0x06);
  EXPECT_EQ(digits.shown(1), 0x4F);
  // A look without time passing changes nothing.
  digits.settle(1200);
  EXPECT_EQ(digits.shown(1), 0x4F);
}

}  // namespace
}  // namespace zorvin::test
