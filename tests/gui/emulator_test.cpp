// The "EPROM Emulator" settings dialog and F6 against the device simulator.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ids.h"
#include "built_program.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

constexpr int kPortList = 8, kEpromList = 9, kSpiBox = 10, kAutoBox = 11, kCancel = 12, kSave = 13;

class Emulator : public GuiTest {
 protected:
  void TearDown() override {
    for (pid_t pid : simulators_) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    GuiTest::TearDown();
  }

  // Starts a simulated EPROM emulator whose port appears at `link`.
  void start_simulator(const std::string& link, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--link", link, "--banner-delay", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<std::string> command = built_program_command(ZORVIN_EMUSIM, args);
    std::vector<char*> argv = argv_of(command);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execvp(argv[0], argv.data());
      _exit(127);
    }
    simulators_.push_back(pid);
    ASSERT_TRUE(pump_until([&] { return std::filesystem::exists(std::filesystem::symlink_status(link)); }, 5000));
  }

  std::string ini(const std::string& emulator_keys) {
    return "\xEF\xBB\xBF\n[Emulator]\n" + emulator_keys + "[Speicher]\nWert = 0\n";
  }

  // Opens the dialog, lets `act` work on it, then presses `button`.
  void run_dialog(const std::function<void()>& act, int button) {
    when_window_shown("EPROM Emulator", [act, button](GtkWindow*) {
      act();
      gtk_button_clicked(GTK_BUTTON(ui().widget(button)));
    });
    app().dispatch_command(command::kEmulatorSettings);
  }

  std::vector<pid_t> simulators_;
};

TEST_F(Emulator, DialogShowsTheStoredChoicesAndStoresOnlyOnSave) {
  start_simulator(dir_ + "/ttyEMU0");
  start_simulator(dir_ + "/ttyEMU3");
  start_app(ini("COM_PRFX = " + dir_ + "/ttyEMU\nCOM = " + dir_ + "/ttyEMU3\nEPROM = E256\nSPI = 2\nAUTO = 1\n"));
  std::vector<std::string> ports;
  int port = -1, eprom = -1;
  bool spi = true, autoload = false, cancel_focused = false, main_enabled = true;
  // Automatic loading without the SPI backup is stored only after a warning.
  const auto warning = answer_next_box(GTK_RESPONSE_YES);
  run_dialog(
      [&] {
        ports = ui().rows(kPortList);
        port = ui().selected_row(kPortList);
        eprom = ui().selected_row(kEpromList);
        spi = ui().ticked(kSpiBox);
        autoload = ui().ticked(kAutoBox);
        cancel_focused = gtk_widget_is_focus(ui().widget(kCancel));
        main_enabled = ui().window_enabled(window::kMain);
      },
      kSave);
  EXPECT_EQ(ports, (std::vector<std::string>{dir_ + "/ttyEMU0", dir_ + "/ttyEMU3"}));
  EXPECT_EQ(port, 1);
  EXPECT_EQ(eprom, 6) << "E256 is the 28C256";
  EXPECT_FALSE(spi) << "only 1 ticks the box";
  EXPECT_TRUE(autoload);
  EXPECT_TRUE(cancel_focused);
  EXPECT_FALSE(main_enabled);
  EXPECT_TRUE(ui().window_enabled(window::kMain));
  EXPECT_EQ(warning->title, "Warnung");
  EXPECT_NE(warning->text.find("„Automatsiches Laden“ ohne „Sicherung auf SPI“"), std::string::npos) << warning->text;
  const std::string saved = read_file("zorvin.ini");
  EXPECT_NE(saved.find("COM_PRFX = " + dir_ + "/ttyEMU\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("COM = " + dir_ + "/ttyEMU3\nEPROM = E256\nSPI = 0\nAUTO = 1\n"), std::string::npos) << saved;

  // Changing everything and leaving by the window's close button stores nothing.
  when_window_shown("EPROM Emulator", [](GtkWindow* dialog) {
    ui().select_row(kPortList, 0);
    ui().select_row(kEpromList, 0);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(ui().widget(kSpiBox)), TRUE);
    gtk_window_close(dialog);
  });
  app().dispatch_command(command::kEmulatorSettings);
  EXPECT_EQ(read_file("zorvin.ini"), saved);
  EXPECT_EQ(app().settings().port_name, dir_ + "/ttyEMU3");

  // Choosing the other adapter and the first EPROM stores them.
  answer_next_box(GTK_RESPONSE_YES);
  run_dialog(
      [] {
        ui().select_row(kPortList, 0);
        ui().select_row(kEpromList, 0);
      },
      kSave);
  EXPECT_EQ(app().settings().port_name, dir_ + "/ttyEMU0");
  EXPECT_EQ(app().settings().eprom_code, "16");
}

TEST_F(Emulator, FirstRunWithoutAdaptersKeepsThePortAndOffersThe2716) {
  start_app();  // a first start leaves the port and the EPROM code empty
  app().settings().port_prefix = dir_ + "/none";
  app().settings().port_name = "COM4";
  int eprom = -1;
  run_dialog([&] { eprom = ui().selected_row(kEpromList); }, kSave);
  EXPECT_EQ(eprom, 0) << "an empty code opens on the 2716";
  EXPECT_EQ(app().settings().port_name, "COM4");
  EXPECT_EQ(app().settings().eprom_code, "16");
}

TEST_F(Emulator, F6SendsTheImageOfTheLastSuccessfulAssembly) {
  start_simulator(dir_ + "/ttyEMU0", {"--dump", dir_ + "/dump.bin", "--log", dir_ + "/wire.log"});
  start_app(ini("COM = " + dir_ + "/ttyEMU0\nEPROM = 64\nSPI = 0\nAUTO = 1\n"));
  write_file("prog.asm", "start: mov a,#12h\n  jmp start\n");
  answer_next_requester(dir_ + "/prog.asm");
  app().dispatch_command(command::kLoadSource);
  app().dispatch_command(command::kAssemble);
  // A failed assembly afterwards keeps the earlier image for F6.
  app().panes().set_editor_text("foo\n");
  app().dispatch_command(command::kAssemble);
  app().dispatch_command(command::kTransfer);
  const std::string shown = messages();
  EXPECT_NE(shown.find("Hinweis: Der letzte Assemblerlauf war fehlerhaft - gesendet wird " + dir_ +
                       "/prog.bin vom letzten fehlerfreien Lauf\n" + dir_ +
                       "/ttyEMU0 geöffnet, warte auf Eprom Emulator ..."),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("-> Auto Load ON"), std::string::npos) << shown;
  EXPECT_TRUE(shown.ends_with("-> Emulator Running.\n" + dir_ +
                              "/ttyEMU0 geschlossen\nÜbertragung erfolgreich: 4 Byte in 1 Block als 2764 geladen, "
                              "Emulator läuft"))
      << shown;
  ASSERT_TRUE(pump_until([&] { return std::filesystem::exists(dir_ + "/dump.bin"); }));
  EXPECT_EQ(read_file("dump.bin").substr(0, 4), std::string("\x23\x12\x04\x00", 4));
  EXPECT_TRUE(gtk_widget_is_focus(ui().widget(control::kMessages)));
}

TEST_F(Emulator, F6WithAMissingPortSaysSo) {
  start_app(ini("COM = COM4\n"));
  write_file("prog.asm", "nop\n");
  answer_next_requester(dir_ + "/prog.asm");
  app().dispatch_command(command::kLoadSource);
  app().dispatch_command(command::kAssemble);
  app().dispatch_command(command::kTransfer);
  EXPECT_NE(messages().find("Fehler beim Öffnen der seriellen Schnittstelle - COM4 nicht gefunden"), std::string::npos)
      << messages();
}

// Loading made "64" of each of these; F6 names the stored value and sends
// nothing. A port that is no terminal is refused before anything is written.
TEST_F(Emulator, F6RefusesAnUnknownStoredEpromTypeAndAPortThatIsNoTerminal) {
  start_simulator(dir_ + "/ttyEMU0", {"--log", dir_ + "/wire.log"});
  start_app(ini("COM = " + dir_ + "/ttyEMU0\nEPROM = 77\n"));
  EXPECT_EQ(app().settings().eprom_code, "64");
  write_file("prog.asm", "nop\n");
  answer_next_requester(dir_ + "/prog.asm");
  app().dispatch_command(command::kLoadSource);
  app().dispatch_command(command::kAssemble);
  for (const std::string stored : {"77", "E99", "", "2716"}) {
    SCOPED_TRACE(stored);
    write_file("zorvin.ini", ini("COM = " + dir_ + "/ttyEMU0\nEPROM = " + stored + "\n"));
    app().dispatch_command(command::kTransfer);
    const std::string what =
        stored.empty() ? "EPROM in zorvin.ini ist leer" : "EPROM = " + stored + " in zorvin.ini ist ungültig";
    EXPECT_TRUE(messages().ends_with("Fehler bei der Übertragung - " + what +
                                     " - gültig sind 16, 32, 64, E64, 128, 256, E256, 512; unter Einstellungen -> "
                                     "EPROM Emulator wählen"))
        << messages();
  }
  EXPECT_EQ(messages().find("geöffnet"), std::string::npos);
  EXPECT_EQ(read_file("wire.log").find("vom Host geöffnet"), std::string::npos);

  write_file("zorvin.ini", ini("COM = /dev/null\nEPROM = 64\n"));
  app().settings().port_name = "/dev/null";
  app().dispatch_command(command::kTransfer);
  EXPECT_TRUE(messages().ends_with(
      "Fehler beim Öffnen der seriellen Schnittstelle - /dev/null ist keine serielle Schnittstelle (kein Terminal)"))
      << messages();
}

}  // namespace
}  // namespace zorvin::test
