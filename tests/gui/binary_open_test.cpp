// "Programm → Binärdatei öffnen…": an image read back into the editor as a
// source without a file name, which F5 and a save turn into the same image.
#include <filesystem>

#include "app/ids.h"
#include "gui_harness.h"
#include "key_press.h"

namespace zorvin::test {
namespace {

using namespace app;

constexpr int kEntriesText = 61, kEntriesOk = 62, kEntriesCancel = 63;

// Answers the "Einsprünge" dialog: the text typed into it, then the button,
// or Return in the field when `button` is 0.
void answer_entries(GtkWindow*, const std::string& text, int button) {
  GtkWidget* field = GuiTest::ui().widget(kEntriesText);
  gtk_entry_set_text(GTK_ENTRY(field), text.c_str());
  if (button == 0) {
    gtk_widget_grab_focus(field);
    send_key_press(field, GDK_KEY_Return, GdkModifierType(0), false);
  } else {
    gtk_button_clicked(GTK_BUTTON(GuiTest::ui().widget(button)));
  }
}

// Whether a message box is on the screen.
bool message_box_open() {
  GList* windows = gtk_window_list_toplevels();
  bool open = false;
  for (GList* window = windows; window && !open; window = window->next)
    open = GTK_IS_MESSAGE_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data));
  g_list_free(windows);
  return open;
}

// Runs `step` from the main loop once `ready` holds, checking every 20 ms.
void once(std::function<bool()> ready, std::function<void()> step) {
  struct Pending {
    std::function<bool()> ready;
    std::function<void()> step;
  };
  g_timeout_add(20, [](gpointer data) -> gboolean {
    auto* pending = static_cast<Pending*>(data);
    if (!pending->ready()) return G_SOURCE_CONTINUE;
    pending->step();
    delete pending;
    return G_SOURCE_REMOVE;
  }, new Pending{std::move(ready), std::move(step)});
}

// The entry of "Zuletzt geöffnet" for `path` (its tooltip is the full path).
GtkWidget* recent_entry(const std::string& path) {
  GtkWidget* bar = find_menu_bar(GTK_WIDGET(GuiTest::ui().gtk_window(window::kMain)));
  GtkWidget* recent = bar ? menu_item_labelled(bar, "Zuletzt geöffnet") : nullptr;
  GtkWidget* submenu = recent ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(recent)) : nullptr;
  if (!submenu) return nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(submenu));
  GtkWidget* found = nullptr;
  for (GList* item = items; item && !found; item = item->next) {
    gchar* tip = gtk_widget_get_tooltip_text(GTK_WIDGET(item->data));
    if (tip && path == tip) found = GTK_WIDGET(item->data);
    g_free(tip);
  }
  g_list_free(items);
  return found;
}

class BinaryOpen : public GuiTest {
 protected:
  void choose_menu_item() { choose_menu("Binärdatei öffnen…"); }
};

// mov a,#41h / jmp 000 / nop (the interrupts at 003H) / retr (at 007H) /
// "ABCD" / a gap of 00H / ret
const std::string kImage = std::string("\x23\x41\x04\x00\x00\x00\x00\x93", 8) + "ABCD" + std::string(40, '\0') + "\x83";

TEST_F(BinaryOpen, FillsTheEditorWithASourceThatAssemblesToTheSameImage) {
  write_file("rom.bin", kImage);
  start_app();
  type_into_editor("nop\n");
  auto asked = answer_next_box(GTK_RESPONSE_YES);
  auto requester = answer_next_requester(dir_ + "/rom.bin");
  when_window_shown("Einsprünge", [](GtkWindow* window) { answer_entries(window, "", kEntriesOk); });
  choose_menu_item();
  EXPECT_EQ(asked->text, "Quelle wurde geändert. Trotzdem laden?");
  EXPECT_EQ(requester->title, "Binärdatei öffnen");
  const std::string source = app().panes().editor_text();
  EXPECT_TRUE(source.starts_with("        cpu     8048\n")) << source;
  EXPECT_NE(source.find("L0000:"), std::string::npos) << source;
  EXPECT_NE(source.find("jmp     L0000"), std::string::npos) << source;
  EXPECT_NE(source.find("db      \"ABCD\""), std::string::npos) << source;
  EXPECT_EQ(app().panes().is_modified(), 0);
  EXPECT_EQ(app().panes().source_path(), "");
  EXPECT_EQ(ui().status_text(status::kFile), "Datei: keine");
  EXPECT_NE(messages().find(dir_ + "/rom.bin (" + std::to_string(kImage.size()) + " Byte) rückübersetzt"),
            std::string::npos)
      << messages();

  // Without a name F5 writes no image, and says so above the summary.
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("Keine Binärdatei geschrieben: die rückübersetzte Quelle hat noch keinen Namen. Nach "
                            "„Quelle speichern“ schreibt F5 die Binärdatei neben die Quelle.\n"
                            "Assemblieren ohne Fehler beendet."),
            std::string::npos)
      << messages();
  EXPECT_EQ(read_file("rom.bin"), kImage);

  // Saved under a name of its own, F5 writes the image it came from.
  answer_next_requester(dir_ + "/rom.asm");
  app().dispatch_command(command::kSaveSource);
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("Assemblieren ohne Fehler beendet."), std::string::npos) << messages();
  EXPECT_EQ(read_file("rom.bin"), kImage);
  const std::string all = messages();
  EXPECT_EQ(all.find("Keine Binärdatei geschrieben"), all.rfind("Keine Binärdatei geschrieben")) << all;

  // A changed source stays when the user says No.
  type_into_editor("; mine\n");
  auto refused = answer_next_box(GTK_RESPONSE_NO);
  auto not_asked = answer_next_requester("");
  choose_menu_item();
  EXPECT_EQ(refused->text, "Quelle wurde geändert. Trotzdem laden?");
  EXPECT_FALSE(not_asked->shown);
  EXPECT_NE(app().panes().editor_text().find("; mine"), std::string::npos);
}

TEST_F(BinaryOpen, AnImageThatCannotBeReadChangesNothing) {
  write_file("broken.hex", ":0301000023058352\r\n");
  start_app();
  type_into_editor("mine\n");
  answer_next_box(GTK_RESPONSE_YES);
  answer_next_requester(dir_ + "/broken.hex");
  choose_menu_item();  // no "Einsprünge" dialog for a file that cannot be read
  EXPECT_NE(messages().find(dir_ + "/broken.hex - Binärdatei konnte nicht geöffnet werden (Intel-HEX-Zeile 1: "
                                   "Prüfsumme falsch)"),
            std::string::npos)
      << messages();
  EXPECT_EQ(app().panes().editor_text(), "mine\n");
  EXPECT_EQ(app().panes().is_modified(), 1);
}

// jmp 000 at reset, retr at both interrupt vectors, then code at 010H that
// no jump reaches: mov a,#55h / outl p1,a / ret.
const std::string kHidden = std::string("\x04\x00\x00\x93\x00\x00\x00\x93", 8) + std::string(8, '\xFF') +
                            std::string("\x23\x55\x39\x83", 4);

TEST_F(BinaryOpen, EntryPointsTheUserNamesAreFollowed) {
  write_file("hidden.bin", kHidden);
  start_app();
  // A word that is no address is named, and the dialog stays for a better one.
  auto hint = answer_next_box(GTK_RESPONSE_OK);
  answer_next_requester(dir_ + "/hidden.bin");
  when_window_shown("Einsprünge", [hint](GtkWindow* window) {
    answer_entries(window, "0010h, zz", kEntriesOk);
    once([hint] { return hint->shown && !message_box_open(); },
         [window] { answer_entries(window, "0010h", 0); });
  });
  choose_menu_item();
  pump_until([this] { return app().panes().editor_text().find("cpu") != std::string::npos; });
  EXPECT_EQ(hint->text, "'zz' ist keine Adresse von 0 bis 0FFFh.");
  const std::string source = app().panes().editor_text();
  EXPECT_NE(source.find("L0010:\n        mov     a,#55h"), std::string::npos) << source;
  EXPECT_NE(source.find("outl    p1,a"), std::string::npos) << source;

  // Abbrechen in the dialog leaves everything as it was.
  type_into_editor("; mine\n");
  answer_next_box(GTK_RESPONSE_YES);
  answer_next_requester(dir_ + "/hidden.bin");
  when_window_shown("Einsprünge", [](GtkWindow* window) { answer_entries(window, "", kEntriesCancel); });
  const std::string before = messages();
  choose_menu_item();
  EXPECT_NE(app().panes().editor_text().find("; mine"), std::string::npos);
  EXPECT_EQ(app().panes().is_modified(), 1);
  EXPECT_EQ(messages(), before);
}

// An image opened with "Binärdatei öffnen…" comes back from the recent files
// as an image, disassembled again; a source beside it as its text.
TEST_F(BinaryOpen, RecentFilesReopenAnImageAsAnImage) {
  write_file("again.bin", kImage);
  write_file("plain.asm", "\tnop\n");
  start_app();
  answer_next_requester(dir_ + "/again.bin");
  when_window_shown("Einsprünge", [](GtkWindow* window) { answer_entries(window, "", kEntriesOk); });
  choose_menu_item();
  ui().request_file(dir_ + "/plain.asm");
  ASSERT_TRUE(pump_until([&] { return app().panes().editor_text() == "\tnop\n"; }));
  ASSERT_TRUE(pump_until([&] { return recent_entry(dir_ + "/again.bin") && recent_entry(dir_ + "/plain.asm"); }));

  bool asked_for_entries = false;
  when_window_shown("Einsprünge", [&asked_for_entries](GtkWindow* window) {
    asked_for_entries = true;
    answer_entries(window, "", kEntriesOk);
  });
  gtk_menu_item_activate(GTK_MENU_ITEM(recent_entry(dir_ + "/again.bin")));
  ASSERT_TRUE(pump_until([&] { return app().panes().editor_text().find("cpu") != std::string::npos; }))
      << app().panes().editor_text();
  EXPECT_TRUE(asked_for_entries);
  EXPECT_NE(app().panes().editor_text().find("jmp     L0000"), std::string::npos) << app().panes().editor_text();
  EXPECT_EQ(app().panes().source_path(), "");

  gtk_menu_item_activate(GTK_MENU_ITEM(recent_entry(dir_ + "/plain.asm")));
  EXPECT_TRUE(pump_until([&] { return app().panes().editor_text() == "\tnop\n"; })) << app().panes().editor_text();
  EXPECT_EQ(app().panes().source_path(), dir_ + "/plain.asm");
}

}  // namespace
}  // namespace zorvin::test
