// The window "Platine" as a user drives it: the board file beside the
// source, keys clicked and typed reaching the keyboard controller, the host
// console, the LCD showing what the program wrote, the 8243's LEDs, and a
// board file with a mistake named with its line.
#include <gdk/gdkkeysyms.h>

#include <fstream>
#include <sstream>

#include "app/board/board_source.h"
#include "app/board/board_window.h"
#include "app/debugger/debugger_fields.h"
#include "app/ids.h"
#include "gui_harness.h"
#include "key_press.h"

namespace zorvin::test {
namespace {

using namespace app;
namespace f = board_field;

std::string example_file(const std::string& name) {
  std::ifstream in(ZORVIN_SOURCE_DIR "/examples/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class BoardWindowTest : public GuiTest {
 protected:
  ui::ToolWindow& board() { return app().debugger().board_window().window(); }
  std::string host_log() { return board().all_text(f::kHostLog); }

  // The example's source and board file in the working folder, the source
  // opened as from the command line, the window shown and the program run.
  void run_example(const std::string& folder, const std::string& source, const std::string& board_file) {
    write_file(source, example_file(folder + "/" + source));
    write_file(board_file, example_file(folder + "/" + board_file));
    start_app("", source);
    app().dispatch_command(board_window::kShowWindow);
    ASSERT_TRUE(board().visible());
    press_key(ui().widget(control::kEditor), GDK_KEY_F9);
    ASSERT_TRUE(pump_until([&] { return app().debugger().running(); }));
  }

  // The host as the console drives it: a byte written as data or command.
  void host_writes(const std::string& hex, int command) {
    gtk_entry_set_text(GTK_ENTRY(board().widget(f::kHostByte)), hex.c_str());
    gtk_button_clicked(GTK_BUTTON(board().button(command)));
    pump(20);
  }
  // Waits for OBF, then reads the byte with the console's button.
  bool host_reads(const std::string& expected) {
    if (!pump_until([&] { return board().text(f::kHostStatus).find("OBF=1") != std::string::npos; }, 5000))
      return false;
    gtk_button_clicked(GTK_BUTTON(board().button(board_window::kHostRead)));
    pump(20);
    return host_log().find("Daten gelesen " + expected + "H\n") != std::string::npos ||
           host_log().ends_with("Daten gelesen " + expected + "H");
  }
};

TEST_F(BoardWindowTest, KeysClickedAndTypedReachTheKeyboardControllerAndTheHostReadsThem) {
  run_example("tastatur", "tastatur.asm", "tastatur.ini");
  EXPECT_NE(board().text(f::kFile).find("tastatur.ini"), std::string::npos);
  // The board's part and crystal are the run's, and the debugger shows them.
  EXPECT_EQ(app().debugger().session().simulator().variant(), sim::Variant::I8042);
  EXPECT_EQ(app().debugger().session().simulator().clock_hz(), 12'000'000u);
  EXPECT_EQ(app().debugger().window().text(debug_field::kClock), "12");
  // The self test: command AAH, answer 55H.
  host_writes("AA", board_window::kHostWriteCommand);
  EXPECT_NE(host_log().find("Befehl AAH geschrieben"), std::string::npos) << host_log();
  EXPECT_TRUE(host_reads("55")) << host_log();

  // Key "4" (row 1, column 0) clicked quicker than the program scans: it
  // stays closed until it was down for 30 ms of the board's time.
  GtkWidget* four = board().key_button(f::kKeys, 1, 0);
  ASSERT_NE(four, nullptr);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(four)), "4");
  g_signal_emit_by_name(four, "pressed");
  g_signal_emit_by_name(four, "released");
  EXPECT_TRUE(app().debugger().board_window().board()->contact({1, 0}));
  EXPECT_TRUE(host_reads("34")) << host_log();
  EXPECT_TRUE(pump_until([&] { return !app().debugger().board_window().board()->contact({1, 0}); }));

  // Keys of the PC's keyboard on the focused pad: a letter and "*" for STERN.
  GtkWidget* pad = board().widget(f::kKeys);
  struct Typed {
    guint keyval;
    const char* read;
  };
  for (const Typed& typed : {Typed{GDK_KEY_a, "41"}, Typed{GDK_KEY_asterisk, "2A"}, Typed{GDK_KEY_KP_9, "39"}}) {
    press_key(pad, typed.keyval);
    pump(30);
    send_key_release(pad, typed.keyval);
    EXPECT_TRUE(host_reads(typed.read)) << typed.read << "\n" << host_log();
  }
  // A status read is logged with its flags: nothing waits in the buffer, F1
  // still tells the last write was a command.
  gtk_button_clicked(GTK_BUTTON(board().button(board_window::kHostStatus)));
  pump(20);
  EXPECT_NE(host_log().find("Status gelesen 18H  OBF=0 IBF=0 F0=0 F1=1"), std::string::npos) << host_log();
  app().dispatch_command(debug::kStop);
  pump(20);
}

TEST_F(BoardWindowTest, TheLcdShowsWhatTheProgramWrote) {
  run_example("lcd-gruss", "gruss.asm", "gruss.ini");
  const std::vector<std::string> greeting = {"Hallo, Welt!    ", "zorvin          "};
  EXPECT_TRUE(pump_until([&] { return board().lcd_lines(f::kLcd) == greeting; }, 8000))
      << board().lcd_lines(f::kLcd).front();
  // Devices the board does not have stay hidden.
  EXPECT_FALSE(gtk_widget_get_visible(board().widget(f::kKeys)) &&
               gtk_widget_is_drawable(board().widget(f::kKeys)));
  EXPECT_FALSE(gtk_widget_is_drawable(board().widget(f::kHostLog)));
  EXPECT_TRUE(gtk_widget_is_drawable(board().widget(f::kLcd)));
  app().dispatch_command(debug::kStop);
  pump(20);
}

// A 20x4 display on the MOVX bus, written before its 15 ms after power-on
// are over: the byte is lost, and the status line names it with its cycle.
TEST_F(BoardWindowTest, ALostLcdByteIsNamedInTheStatusLine) {
  write_file("hast.asm", " cpu 8048\n mov r0,#80h\n mov a,#38h\n movx @r0,a\ndone: jmp done\n");
  write_file("hast.ini", "[Platine]\nProzessor = 8048\n[LCD]\nFormat = 20x4\nAdresse = 80\n");
  start_app("", "hast.asm");
  app().dispatch_command(board_window::kShowWindow);
  press_key(ui().widget(control::kEditor), GDK_KEY_F9);
  ASSERT_TRUE(pump_until([&] { return board().status().starts_with("LCD bei Zyklus "); })) << board().status();
  EXPECT_NE(board().status().find("Befehl 38H"), std::string::npos) << board().status();
  const std::vector<std::string> blank(4, std::string(20, ' '));
  EXPECT_EQ(board().lcd_lines(f::kLcd), blank);
  app().dispatch_command(debug::kStop);
  pump(20);
}

// The light walks faster than the window follows a free run: the program
// runs to a cycle, and a step shows where the light is then.
TEST_F(BoardWindowTest, TheExpanderLedsFollowTheRunningLight) {
  write_file("lauflicht.asm", example_file("lauflicht-8243/lauflicht.asm"));
  write_file("lauflicht.ini", example_file("lauflicht-8243/lauflicht.ini"));
  start_app("", "lauflicht.asm");
  app().dispatch_command(board_window::kShowWindow);
  press_key(ui().widget(control::kEditor), GDK_KEY_F7);
  pump(20);
  // After reset the 8243's latches are high and its ports inputs.
  EXPECT_EQ(board().leds(f::kExpanderLeds + 0), 0x0F);
  EXPECT_EQ(board().text(f::kExpanderDirections + 0), "Eingang");
  struct Case {
    std::uint64_t cycle;
    int port;
    std::uint8_t lit;
  };
  for (const Case& c : {Case{25000, 0, 0x02}, Case{90000, 1, 0x01}, Case{310000, 3, 0x08}}) {
    app().debugger().session().simulator().run({.until_cycle = c.cycle});
    press_key(ui().widget(control::kEditor), GDK_KEY_F7);
    pump(20);
    for (int port = 0; port < 4; ++port) {
      EXPECT_EQ(board().leds(f::kExpanderLeds + port), port == c.port ? c.lit : 0) << c.cycle << " P" << 4 + port;
      EXPECT_EQ(board().text(f::kExpanderDirections + port), "Ausgang") << c.cycle << " P" << 4 + port;
    }
  }
}

// A switch of the 8243 drives its pin and goes into the board file as the
// pin's level, the file's comments and order kept; a level the file cannot
// take (a pin a device uses) is refused and the file stays as it was.
TEST_F(BoardWindowTest, ExpanderSwitchesAreKeptInTheBoardFile) {
  write_file("leds.asm", " cpu 8048\nloop: movd a,p6\n jmp loop\n");
  const std::string board_text = "; meine Platine\r\n[Platine]\r\nProzessor = 8048 ; der alte\r\nP6.1 = 0\r\n\r\n[8243]\r\n";
  write_file("leds.ini", board_text);
  start_app("", "leds.asm");
  app().dispatch_command(board_window::kShowWindow);
  // The file's level shows as the switch.
  EXPECT_FALSE(board().checked(f::kExpanderSwitches + 4 * 2 + 1));
  EXPECT_TRUE(board().checked(f::kExpanderSwitches + 4 * 2 + 0));
  press_key(ui().widget(control::kEditor), GDK_KEY_F7);
  pump(50);
  EXPECT_EQ(app().debugger().session().simulator().pin_level(sim::Port::P6), 0x0D);
  // The program only reads P6: it stays an input.
  press_key(ui().widget(control::kEditor), GDK_KEY_F7);
  pump(20);
  EXPECT_EQ(board().text(f::kExpanderDirections + 2), "Eingang");
  EXPECT_EQ(app().debugger().session().simulator().state().a, 0x0D);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(board().widget(f::kExpanderSwitches + 4 * 2 + 3)), FALSE);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(board().widget(f::kExpanderSwitches + 4 * 2 + 1)), TRUE);
  pump(20);
  EXPECT_EQ(app().debugger().session().simulator().pin_level(sim::Port::P6), 0x07);
  EXPECT_EQ(read_file("leds.ini"),
            "; meine Platine\r\n[Platine]\r\nProzessor = 8048 ; der alte\r\nP6.1 = 1\r\nP6.3 = 0\r\n\r\n[8243]\r\n");
  EXPECT_EQ(board().status(), "P6.1 = 1 in leds.ini gespeichert");

  // A key row on P4.0: its switch cannot be a level as well.
  write_file("leds.ini", "[Platine]\n[8243]\n[Tastatur]\nZeilen = P4.0\nSpalten = P1.0\nReihe0 = X\n");
  app().dispatch_command(debug::kReset);
  pump(20);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(board().widget(f::kExpanderSwitches + 0)), FALSE);
  pump(20);
  EXPECT_EQ(board().status(),
            "P4.0 nicht in leds.ini gespeichert, die Datei wäre damit falsch: "
            "Zeile 5: der Pin P4.0 ist schon in Zeile 2 belegt");
  EXPECT_EQ(read_file("leds.ini"), "[Platine]\n[8243]\n[Tastatur]\nZeilen = P4.0\nSpalten = P1.0\nReihe0 = X\n");
  // The switch springs back and its pin stays the key row's.
  EXPECT_TRUE(board().checked(f::kExpanderSwitches + 0));
  EXPECT_EQ(app().debugger().session().simulator().driven(sim::Port::P4) & 1, 1);
}

TEST_F(BoardWindowTest, AMistakeInTheBoardFileIsNamedWithItsLineAndTheProgramRunsWithout) {
  write_file("motor.asm", " cpu 8048\nloop: jmp loop\n");
  write_file("motor.ini", "[Platine]\nProzessor = 8048\n\n[Motor]\n");
  start_app("", "motor.asm");
  press_key(ui().widget(control::kEditor), GDK_KEY_F7);
  pump(50);
  EXPECT_NE(messages().find("Platine: motor.ini, Zeile 4: unbekanntes Gerät [motor]"), std::string::npos) << messages();
  EXPECT_NE(messages().find("das Programm läuft ohne Platine."), std::string::npos) << messages();
  EXPECT_TRUE(app().debugger().session().loaded());
  EXPECT_EQ(app().debugger().board_window().board(), nullptr);
}

TEST_F(BoardWindowTest, TheBoardFileIsTheSourcesNameWithIni) {
  struct Case {
    const char* source;
    const char* board;
  };
  for (const Case& c : {Case{"prog/uhr.asm", "prog/uhr.ini"}, Case{"/a/b.c/tastatur.asm", "/a/b.c/tastatur.ini"},
                        Case{"ohne", "ohne.ini"}, Case{"", ""}, Case{"zorvin.asm", ""}, Case{"x/zorvin.a48", ""},
                        Case{"platine.ini", ""}}) {
    EXPECT_EQ(board_file_path(c.source), c.board) << c.source;
  }
}

TEST_F(BoardWindowTest, PcKeysFindTheirBoardKeysByNameOrUsualName) {
  board::ParsedBoard parsed = board::parse_board_file(
      "[Platine]\nProzessor = 8042\n[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = P1.4-P1.6\n"
      "Reihe0 = 1 STERN ENTER\nReihe1 = Shift a -\n",
      "");
  ASSERT_TRUE(parsed.board) << parsed.error;
  board::Board keys(*parsed.board);
  struct Case {
    const char* typed;
    int row;  // -1: no key
    int column;
  };
  for (const Case& c : {Case{"1", 0, 0}, Case{"KP_1", 0, 0}, Case{"*", 0, 1}, Case{"KP_Multiply", 0, 1},
                        Case{"Return", 0, 2}, Case{"KP_Enter", 0, 2}, Case{"Shift_R", 1, 0}, Case{"A", 1, 1},
                        Case{"2", -1, 0}, Case{"#", -1, 0}, Case{"-", -1, 0}, Case{"KP_", -1, 0}}) {
    const auto key = BoardWindow::key_for_typed(keys, c.typed);
    if (c.row < 0) {
      EXPECT_FALSE(key) << c.typed;
    } else {
      ASSERT_TRUE(key) << c.typed;
      EXPECT_EQ(key->row, c.row) << c.typed;
      EXPECT_EQ(key->column, c.column) << c.typed;
    }
  }
}

}  // namespace
}  // namespace zorvin::test
