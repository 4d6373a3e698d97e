// "Quelle neu", "Quelle laden", "Quelle speichern (als)" with the real file
// requesters, the binary image that F5 writes beside a saved source, and
// nothing of the user's lost on the way.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/ids.h"
#include "gui_harness.h"
#include "simulator_process.h"

namespace zorvin::test {
namespace {

using namespace app;

class SourceFiles : public GuiTest {
 protected:
  std::string status() { return ui().status_text(status::kFile); }
  bool editor_has_focus() { return gtk_widget_is_focus(ui().widget(control::kEditor)); }
};

TEST_F(SourceFiles, NewSaveAssembleWritesTheExampleAndItsImage) {
  start_app();
  app().dispatch_command(command::kNewSource);
  EXPECT_EQ(app().panes().editor_line_count(), 42);
  EXPECT_EQ(app().panes().editor_line_text(13), "ORG 0");
  EXPECT_EQ(status(), "Datei: hallowelt.asm [geändert]");
  EXPECT_TRUE(editor_has_focus());
  EXPECT_NE(messages().find("\nBeispielprogramm 'hallowelt.asm' erzeugt"), std::string::npos);

  auto requester = answer_next_requester("");
  app().dispatch_command(command::kSaveSource);
  pump(100);
  EXPECT_FALSE(requester->shown) << "the example already has its path";
  const std::string source = read_file("hallowelt.asm");
  EXPECT_NE(source.find("Programmger\xFCst"), std::string::npos);
  EXPECT_NE(source.find("ge\xE4ndert am"), std::string::npos);
  EXPECT_EQ(source.find('\r'), std::string::npos);
  EXPECT_EQ(status(), "Datei: hallowelt.asm");
  EXPECT_NE(messages().find(dir_ + "/hallowelt.asm (" + std::to_string(source.size()) + " Byte) gespeichert"),
            std::string::npos);

  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(read_file("hallowelt.bin"), std::string("\x04\x0D\x00\x04\x09\x00\x00\x04\x0B\x00\x93\x00\x93\xC5\xE5\x00\x04\x0F", 18));
  EXPECT_NE(messages().find(dir_ + "/hallowelt.bin (18 Byte) gespeichert\nAssemblieren ohne Fehler beendet."),
            std::string::npos);
  EXPECT_EQ(app().image_path(), dir_ + "/hallowelt.bin");
  const auto listing = ui().rows(control::kListing);
  ASSERT_EQ(listing.size(), 12u);
  EXPECT_EQ(listing[1], "000 04 0D");
  EXPECT_EQ(listing[4], "009 00   ");

  app().dispatch_command(command::kFillFF);
  app().dispatch_command(command::kAssemble);
  const std::string ff = read_file("hallowelt.bin");
  EXPECT_EQ(ff.substr(0, 7), std::string("\x04\x0D\xFF\x04\x09\xFF\xFF", 7));
}

TEST_F(SourceFiles, NewAndLoadAskFirstWhenModified) {
  start_app();
  type_into_editor("mine");
  auto no = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kNewSource);
  EXPECT_EQ(no->text, "Quelle wurde geändert. Trotzdem neu anlegen?");
  EXPECT_EQ(app().panes().editor_text(), "mine");
  auto refused = answer_next_box(GTK_RESPONSE_NO);
  auto requester = answer_next_requester("");
  app().dispatch_command(command::kLoadSource);
  EXPECT_EQ(refused->text, "Quelle wurde geändert. Trotzdem laden?");
  pump(100);
  EXPECT_FALSE(requester->shown);
  auto yes = answer_next_box(GTK_RESPONSE_YES);
  app().dispatch_command(command::kNewSource);
  EXPECT_TRUE(yes->shown);
  EXPECT_EQ(app().panes().editor_line_count(), 42);
}

TEST_F(SourceFiles, LoadShowsTheFileAndSavesItBackByteForByte) {
  const std::string bytes = "; \xC3\xA4 UTF-8 on disk\r\n   nop\r\n";
  write_file("blink.asm", bytes);
  start_app();
  auto requester = answer_next_requester(dir_ + "/blink.asm");
  app().dispatch_command(command::kLoadSource);
  EXPECT_EQ(requester->title, "Quelle laden");
  EXPECT_EQ(app().panes().editor_text(), "; \u00C3\u00A4 UTF-8 on disk\r\n   nop\r\n");
  EXPECT_EQ(app().panes().is_modified(), 0);
  EXPECT_EQ(status(), "Datei: blink.asm");
  EXPECT_NE(messages().find(dir_ + "/blink.asm (" + std::to_string(bytes.size()) + " Byte) geladen"), std::string::npos);
  EXPECT_TRUE(editor_has_focus());
  std::filesystem::remove(dir_ + "/blink.asm");
  app().dispatch_command(command::kSaveSource);
  EXPECT_EQ(read_file("blink.asm"), bytes);

  // A cancelled requester changes nothing and says nothing.
  const std::string before = messages();
  answer_next_requester("");
  app().dispatch_command(command::kLoadSource);
  EXPECT_EQ(messages(), before);
  EXPECT_EQ(status(), "Datei: blink.asm");
}

TEST_F(SourceFiles, AFileThatCannotBeReadChangesNothing) {
  write_file("good.asm", "nop\n");
  write_file("bad.asm", "x");
  start_app();
  answer_next_requester(dir_ + "/good.asm");
  app().dispatch_command(command::kLoadSource);
  type_into_editor("; edited\n");
  // The chosen file turns out to be a folder by the time it is read.
  auto seen = std::make_shared<bool>(false);
  answer_next_requester(dir_ + "/bad.asm", [this, seen] {
    std::filesystem::remove(dir_ + "/bad.asm");
    std::filesystem::create_directory(dir_ + "/bad.asm");
    *seen = true;
  });
  answer_next_box(GTK_RESPONSE_YES);
  app().dispatch_command(command::kLoadSource);
  EXPECT_TRUE(*seen);
  EXPECT_NE(messages().find(dir_ + "/bad.asm - Datei konnte nicht geladen werden"), std::string::npos) << messages();
  EXPECT_EQ(app().panes().source_path(), dir_ + "/good.asm");
  EXPECT_EQ(app().panes().is_modified(), 1);
  EXPECT_EQ(status(), "Datei: good.asm [geändert]");
  EXPECT_NE(app().panes().editor_text().find("; edited"), std::string::npos);
}

TEST_F(SourceFiles, SaveAsPreselectsTheFileAndKeepsTheTypedName) {
  start_app();
  app().dispatch_command(command::kNewSource);
  auto cancelled = answer_next_requester("");
  app().dispatch_command(command::kSaveSourceAs);
  EXPECT_EQ(cancelled->title, "Quelle speichern unter");
  EXPECT_EQ(cancelled->text, "hallowelt.asm");
  EXPECT_NE(messages().find("\nSpeichern der Quelle abgebrochen"), std::string::npos);
  EXPECT_EQ(app().panes().is_modified(), 1);

  answer_next_requester(dir_ + "/firmware");
  app().dispatch_command(command::kSaveSourceAs);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/firmware"));
  EXPECT_EQ(status(), "Datei: firmware");
  // No extension: the image gets ".bin" added instead of replacing the source.
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(std::filesystem::file_size(dir_ + "/firmware.bin"), 18u);
  EXPECT_NE(read_file("firmware").find("ORG 0"), std::string::npos);
}

TEST_F(SourceFiles, EmptyEditorSavesZeroBytesAndDroppedCharactersAreReported) {
  start_app();
  answer_next_requester(dir_ + "/empty.asm");
  app().dispatch_command(command::kSaveSource);
  EXPECT_NE(messages().find(dir_ + "/empty.asm (0 Byte) gespeichert"), std::string::npos);
  type_into_editor("db '\u20AC' ; \u00E4");
  app().dispatch_command(command::kSaveSource);
  EXPECT_EQ(read_file("empty.asm"), "db '' ; \xE4");
  EXPECT_NE(messages().find("(9 Byte) gespeichert\n1 Zeichen ohne 8-Bit-Code (ISO 8859-1) wurden nicht gespeichert"),
            std::string::npos)
      << messages();
}

TEST_F(SourceFiles, AFailedSaveKeepsTheOldFileAndTheChangeMark) {
  write_file("full.asm", "old\n");
  start_app();
  answer_next_requester(dir_ + "/full.asm");
  app().dispatch_command(command::kLoadSource);
  type_into_editor(std::string(200, 'x'));
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &small);
  auto box = answer_next_box(GTK_RESPONSE_OK);
  app().dispatch_command(command::kSaveSource);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_EQ(box->title, "Fehler");
  EXPECT_EQ(box->text, "'full.asm' konnte nicht gespeichert werden!");
  EXPECT_NE(messages().find("\nFehler beim Speichern der Quelle"), std::string::npos);
  EXPECT_EQ(read_file("full.asm"), "old\n");
  EXPECT_EQ(app().panes().is_modified(), 1);
  EXPECT_EQ(status(), "Datei: full.asm [geändert]");
}

TEST_F(SourceFiles, ABlinkInAFolderNamedAsmGetsItsImageBesideIt) {
  std::filesystem::create_directory(dir_ + "/asm");
  write_file("asm/blink.asm", "nop\n");
  start_app();
  answer_next_requester(dir_ + "/asm/blink.asm");
  app().dispatch_command(command::kLoadSource);
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(std::filesystem::file_size(dir_ + "/asm/blink.bin"), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/bin"));
}

// Saving asks before it replaces a file the editor's text did not come
// from; a failed "Quelle speichern als" leaves the status bar and the next
// "Quelle speichern" on the previous file.
TEST_F(SourceFiles, SavingAsksBeforeReplacingAFileItDidNotLoadOrSave) {
  write_file("hallowelt.asm", "mine\n");
  ASSERT_EQ(mkfifo((dir_ + "/fifo.asm").c_str(), 0600), 0);
  start_app();
  app().dispatch_command(command::kNewSource);
  auto no = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kSaveSource);
  EXPECT_EQ(no->text, "'hallowelt.asm' gibt es schon. Ersetzen?");
  EXPECT_EQ(read_file("hallowelt.asm"), "mine\n");
  answer_next_box(GTK_RESPONSE_YES);
  app().dispatch_command(command::kSaveSource);
  EXPECT_NE(read_file("hallowelt.asm").find("ORG 0"), std::string::npos);
  type_into_editor("; more\n");
  answer_next_requester(dir_ + "/fifo.asm");
  auto error = answer_next_box(GTK_RESPONSE_OK);
  app().dispatch_command(command::kSaveSourceAs);
  EXPECT_EQ(error->text, "'fifo.asm' konnte nicht gespeichert werden!");
  EXPECT_EQ(status(), "Datei: hallowelt.asm [geändert]");
  app().dispatch_command(command::kSaveSource);  // its own file: no question
  EXPECT_NE(read_file("hallowelt.asm").find("; more"), std::string::npos);
}

TEST_F(SourceFiles, ASourceCutAtA00HByteIsReportedAndNotCutSilently) {
  write_file("cut.asm", std::string("nop\n\0tail", 9));
  start_app();
  answer_next_requester(dir_ + "/cut.asm");
  app().dispatch_command(command::kLoadSource);
  EXPECT_NE(messages().find("/cut.asm - ab dem ersten 00H-Byte wurden 5 Byte nicht geladen"), std::string::npos);
  auto no = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kSaveSource);
  EXPECT_EQ(no->text.find("'cut.asm' wurde beim Laden an einem 00H-Byte abgeschnitten."), 0u);
  EXPECT_EQ(read_file("cut.asm"), std::string("nop\n\0tail", 9));
  // F5 says where the text ends, as zorvin-asm does, and makes no image
  // without the rest of the program.
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("\nZeile: 2 -> hier steht ein 00H-Byte in der Quelldatei; der Rest der Datei wurde nicht "
                            "gelesen und fehlt im Programm\n1 Fehler beim Assemblieren!"),
            std::string::npos)
      << messages();
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/cut.bin"));
}

// An emulator that never answers keeps F6 waiting for seconds, handling
// window events and dropping the queued ones; what is typed then counts.
TEST_F(SourceFiles, TextTypedDuringATransferMakesQuittingAsk) {
  const std::string port = dir_ + "/ttyEMU0";
  emu::testing::SimulatorProcess simulator(port, {"--silent"});
  ASSERT_TRUE(simulator.ok());
  start_app("\xEF\xBB\xBF\n[Emulator]\nCOM = " + port + "\nEPROM = 64\n");
  app().panes().set_source_path(dir_ + "/prog.asm");
  app().panes().set_editor_text("nop\n");
  app().dispatch_command(command::kAssemble);  // the image for F6
  bool typed = false;
  const guint typing = g_timeout_add(300, [](gpointer data) -> gboolean {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "; typed\n", -1, TRUE);
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
  }, &typed);
  app().dispatch_command(command::kTransfer);
  if (!typed) g_source_remove(typing);
  ASSERT_TRUE(typed) << "the transfer ended before anything was typed";
  EXPECT_EQ(status(), "Datei: prog.asm [geändert]");
  auto box = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kQuit);
  EXPECT_EQ(box->text, "Quelle wurde geändert. Trotzdem beenden?");
}

TEST_F(SourceFiles, AThousandErrorLinesAreShownAndTheRestCounted) {
  start_app();
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "foo\n";
  app().panes().set_editor_text(text);
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("\nZeile: 1000 -> Syntaxfehler\n... und 500 weitere Fehlermeldungen, die nicht angezeigt "
                            "werden\n1500 Fehler beim Assemblieren!"),
            std::string::npos);
  // The extended dialect stops at its bound and says so in the last line.
  std::string extended = " cpu 8048\n";
  for (int i = 0; i < 1500; ++i) extended += " foo\n";
  app().panes().set_editor_text(extended);
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("\nZeile: 1000 -> Syntaxfehler\n... Assemblieren nach 999 Fehlern abgebrochen: weitere "
                            "Fehler nicht gezeigt, der Rest der Quelle ungeprüft\n999 Fehler beim Assemblieren!"),
            std::string::npos)
      << messages().substr(messages().size() - 300);
}

}  // namespace
}  // namespace zorvin::test
