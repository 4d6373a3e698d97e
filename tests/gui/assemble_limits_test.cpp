// F5 on sources that would never end or fill the memory: each run stops at
// its bound with a message naming it, the window answers the next key at
// once, and the unsaved text in the editor is kept to the byte.
#include <gdk/gdkkeysyms.h>

#include <filesystem>
#include <string>

#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

GtkWidget* editor() { return GuiTest::ui().widget(control::kEditor); }

std::string repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

struct HostileSource {
  const char* name;
  std::string text;
  const char* message;  // part of the error line the run must end with
};

class AssembleLimits : public GuiTest {};

TEST_F(AssembleLimits, EveryRunEndsWithItsBoundAndKeepsTheText) {
  const HostileSource sources[] = {
      {"nested loops", " cpu 8048\n rept 65536\n rept 65536\n rept 65536\n endm\n endm\n endm\n",
       "Zeile: 2 -> mehr als 1000000 Schleifendurchläufe"},
      {"doubling macro", " cpu 8048\ngrow macro p\n grow p p\n endm\n grow a\n",
       "Zeile: 5 -> Zeile durch Makroersetzung länger als 1 MiB"},
      {"macro tree", " cpu 8048\nm0 macro\n if 0\n nop\n endif\n endm\n" + [] {
         std::string levels;
         for (int i = 1; i < 40; ++i)
           levels += "m" + std::to_string(i) + " macro\n m" + std::to_string(i - 1) + "\n m" +
                     std::to_string(i - 1) + "\n endm\n";
         return levels;
       }() + " m39\n",
       "mehr als 2000000 Anweisungen"},
      {"deeply nested loops", " cpu 8048\n" + repeated(" rept 2\n", 70000) + " nop\n" + repeated(" endm\n", 70000),
       "Zeile: 2 -> mehr als 16 MiB Text"},
  };
  start_app();
  for (const HostileSource& source : sources) {
    SCOPED_TRACE(source.name);
    app().panes().set_editor_text(source.text);
    press_key(editor(), GDK_KEY_F5);
    ASSERT_TRUE(pump_until([&] { return messages().find(source.message) != std::string::npos; }, 30000))
        << messages();
    EXPECT_NE(messages().find("1 Fehler beim Assemblieren!"), std::string::npos);
    EXPECT_EQ(app().panes().editor_text(), source.text) << "the text in the editor is kept";

    // The window takes the next key as soon as the run has ended.
    gtk_widget_grab_focus(editor());
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor()));
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);
    type_into_editor(";");
    EXPECT_EQ(app().panes().editor_text(), ";" + source.text);
  }
}

// Settings that cannot be written at exit are not lost without a word; an
// oversized settings file is refused at the start and left as it is.
TEST_F(AssembleLimits, SettingsThatAreNotSavedAreReported) {
  start_app();
  std::filesystem::remove(dir_ + "/zorvin.ini");
  std::filesystem::create_directory(dir_ + "/zorvin.ini");
  const auto box = answer_next_box(GTK_RESPONSE_OK);
  finish_app();
  EXPECT_TRUE(box->shown);
  EXPECT_EQ(box->title, "Fehler");
  EXPECT_EQ(box->text, dir_ + "/zorvin.ini - Einstellungen nicht gespeichert (ist ein Ordner (Is a directory))");
  std::filesystem::remove(dir_ + "/zorvin.ini");

  const std::string huge = "[Splitter]\nHorizontal=300\n" + std::string(2 * 1024 * 1024, ';');
  write_file("zorvin.ini", huge);
  start_app();
  EXPECT_NE(messages().find("Einstellungen nicht gelesen (größer als 1 MiB"), std::string::npos) << messages();
  const auto refused = answer_next_box(GTK_RESPONSE_OK);
  finish_app();
  EXPECT_TRUE(refused->shown);
  EXPECT_EQ(read_file("zorvin.ini"), huge);
}

}  // namespace
}  // namespace zorvin::test
