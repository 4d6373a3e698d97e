// The serial monitor of the simulator tests (tests/sim/programs/monitor.asm)
// in the window's terminal, as a user drives it: F9, the banner and the
// prompt, a command typed into "Eingabe", the answer on the next line.
#include <gdk/gdkkeysyms.h>

#include <fstream>
#include <sstream>

#include "app/debugger_fields.h"
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

}  // namespace
}  // namespace zorvin::test
