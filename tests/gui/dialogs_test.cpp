// The Info dialog, and inputs that must not break the program.
#include <gdk/gdkkeysyms.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/ids.h"
#include "app/info.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

class InfoDialog : public GuiTest {
 protected:
  // A stand-in xdg-open, first on PATH, that writes its arguments to a file.
  std::string install_fake_opener() {
    const std::string bin = dir_ + "/bin";
    std::filesystem::create_directory(bin);
    write_file("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + dir_ + "/opened.txt\"\n");
    chmod((bin + "/xdg-open").c_str(), 0755);
    setenv("PATH", (bin + ":" + getenv("PATH")).c_str(), 1);
    return dir_ + "/opened.txt";
  }
};

void click(GtkWidget* widget, guint button) {
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    event->button.button = button;
    event->button.x = 5;
    event->button.y = 5;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(widget, event);
    gdk_event_free(event);
  }
}

TEST_F(InfoDialog, BlocksTheMainWindowOpensTheLinkAndClosesWithReturn) {
  const std::string opened = install_fake_opener();
  start_app();
  bool main_enabled = true;
  bool f5_acted = false;
  int picture_width = 0;
  when_window_shown("Info", [&](GtkWindow*) {
    main_enabled = ui().window_enabled(window::kMain);
    // F5 and the close button of the main window do nothing meanwhile.
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "nop", -1, TRUE);
    press_key(ui().widget(control::kEditor), GDK_KEY_F5);
    gtk_window_close(ui().gtk_window(window::kMain));
    f5_acted = ui().rows(control::kListing).size() > 1;
    picture_width = gdk_pixbuf_get_width(gtk_image_get_pixbuf(GTK_IMAGE(ui().widget(20))));
    click(gtk_widget_get_parent(ui().widget(19)), 3);  // the link, right button
    press_key(ui().widget(21), GDK_KEY_Return);
  });
  app().dispatch_command(command::kInfo);
  EXPECT_FALSE(main_enabled);
  EXPECT_FALSE(f5_acted);
  EXPECT_EQ(picture_width, 48);
  EXPECT_FALSE(ui().has_window(window::kInfo));
  EXPECT_TRUE(ui().window_enabled(window::kMain));
  pump(100);
  EXPECT_FALSE(app().quit_requested()) << "a close request while the dialog was open must be dropped";
  EXPECT_TRUE(pump_until([&] { return std::filesystem::exists(opened) && !read_file("opened.txt").empty(); }));
  EXPECT_EQ(read_file("opened.txt"), std::string("1\n") + info::kWebPage + "\n");

  // A second opening shows the picture at the same size.
  when_window_shown("Info", [&](GtkWindow* window) {
    picture_width = gdk_pixbuf_get_width(gtk_image_get_pixbuf(GTK_IMAGE(ui().widget(20))));
    gtk_window_close(window);
  });
  app().dispatch_command(command::kInfo);
  EXPECT_EQ(picture_width, 48);
}

class BadInput : public GuiTest {};

TEST_F(BadInput, SettingsFileThatCannotBeReadStillStarts) {
  std::filesystem::create_directory(dir_ + "/zorvin.ini");
  start_app();
  EXPECT_TRUE(ui().has_window(window::kMain));
  app().dispatch_command(command::kFillFF);
  // The settings cannot be saved there, and the user is told.
  const auto box = answer_next_box(GTK_RESPONSE_OK);
  finish_app();
  EXPECT_TRUE(box->shown);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ + "/zorvin.ini"));
}

TEST_F(BadInput, HundredThousandLinesAssembleAndTheWindowStaysResponsive) {
  start_app();
  std::string text;
  for (int i = 0; i < 100000; ++i) text += (i % 50 == 0) ? "   nop ; line\n" : "; comment only\n";
  app().panes().set_editor_text(text);
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(ui().rows(control::kListing).size(), 2001u);
  EXPECT_NE(messages().find("Assemblieren ohne Fehler beendet."), std::string::npos);
  // Beyond the 2 KiB program memory every further line is an error.
  app().panes().set_editor_text(text + std::string(100, 'x') + "\n" + text);
  app().dispatch_command(command::kAssemble);
  EXPECT_NE(messages().find("Fehler beim Assemblieren!"), std::string::npos);
  EXPECT_EQ(ui().rows(control::kListing).size(), 2001u);
  type_into_editor("x");
  pump(50);
  EXPECT_EQ(app().panes().is_modified(), 1);
}

}  // namespace
}  // namespace zorvin::test
