// Text typed while a long command runs is a change like any other: quitting
// afterwards asks first.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

class UnsavedEdits : public GuiTest {
 protected:
  void TearDown() override {
    if (simulator_ > 0) {
      kill(simulator_, SIGTERM);
      waitpid(simulator_, nullptr, 0);
    }
    GuiTest::TearDown();
  }
  pid_t simulator_ = -1;
};

TEST_F(UnsavedEdits, TextTypedDuringATransferMakesQuittingAsk) {
  const std::string port = dir_ + "/ttyEMU0";
  simulator_ = fork();
  ASSERT_GE(simulator_, 0);
  if (simulator_ == 0) {
    execl(ZORVIN_EMUSIM, ZORVIN_EMUSIM, "--link", port.c_str(), "--silent", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(pump_until([&] { return std::filesystem::exists(std::filesystem::symlink_status(port)); }, 5000));
  start_app("\xEF\xBB\xBF\n[Emulator]\nCOM = " + port + "\nEPROM = 64\n");
  write_file("prog.asm", "nop\n");
  answer_next_requester(dir_ + "/prog.asm");
  app().dispatch_command(command::kLoadSource);
  app().dispatch_command(command::kAssemble);
  ASSERT_EQ(app().panes().is_modified(), 0);

  // The device never answers, so the transfer waits for seconds, handling
  // window events and dropping the queued ones.
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
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: prog.asm [geändert]");
  auto box = answer_next_box(GTK_RESPONSE_NO);
  app().dispatch_command(command::kQuit);
  EXPECT_EQ(box->text, "Quelle wurde geändert. Trotzdem beenden?");
  EXPECT_FALSE(app().quit_requested());
}

}  // namespace
}  // namespace zorvin::test
