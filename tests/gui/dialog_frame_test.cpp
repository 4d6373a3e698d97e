// Dialogs as the window manager and the user see them: a dialog of the main
// window, kept above it, out of the taskbar, of fixed size, and with a title
// bar of its own that offers only closing (openbox would otherwise draw
// minimise and maximise on it).
#include "app/ids.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

struct Frame {
  bool seen = false;
  GdkWindowTypeHint hint = GDK_WINDOW_TYPE_HINT_NORMAL;
  bool transient_for_main = false;
  bool resizable = true;
  bool skips_taskbar = false;
  bool own_title_bar = false;
  std::string layout;
  std::string title;
  bool close_button = false;
  bool wm_decorations = true;
};

Frame frame_of(GtkWindow* window) {
  Frame f;
  f.seen = true;
  f.hint = gtk_window_get_type_hint(window);
  f.transient_for_main = gtk_window_get_transient_for(window) == GuiTest::ui().gtk_window(window::kMain);
  f.resizable = gtk_window_get_resizable(window);
  f.skips_taskbar = gtk_window_get_skip_taskbar_hint(window);
  GtkWidget* bar = gtk_window_get_titlebar(window);
  f.own_title_bar = bar && GTK_IS_HEADER_BAR(bar);
  if (f.own_title_bar) {
    const gchar* layout = gtk_header_bar_get_decoration_layout(GTK_HEADER_BAR(bar));
    f.layout = layout ? layout : "";
    const gchar* title = gtk_header_bar_get_title(GTK_HEADER_BAR(bar));
    f.title = title ? title : "";
    f.close_button = gtk_header_bar_get_show_close_button(GTK_HEADER_BAR(bar));
  }
  GdkWMDecoration decorations{};
  f.wm_decorations = gdk_window_get_decorations(gtk_widget_get_window(GTK_WIDGET(window)), &decorations) &&
                     decorations != 0;
  return f;
}

class DialogFrame : public GuiTestWithWindowManager {};

TEST_F(DialogFrame, InfoAndDefinitionsAreDialogsOfTheMainWindowWithOnlyAClose) {
  start_app();
  for (const auto& [title, command_id] : {std::pair<std::string, int>{"Info", command::kInfo},
                                          std::pair<std::string, int>{"Definitionen", command::kDefinitions}}) {
    Frame frame;
    when_window_shown(title, [&](GtkWindow* window) {
      frame = frame_of(window);
      gtk_window_close(window);
    });
    app().dispatch_command(command_id);
    ASSERT_TRUE(frame.seen) << title;
    EXPECT_EQ(frame.hint, GDK_WINDOW_TYPE_HINT_DIALOG) << title;
    EXPECT_TRUE(frame.transient_for_main) << title;
    EXPECT_FALSE(frame.resizable) << title;
    EXPECT_TRUE(frame.skips_taskbar) << title;
    EXPECT_TRUE(frame.own_title_bar) << title;
    EXPECT_EQ(frame.layout, ":close") << title;
    EXPECT_TRUE(frame.close_button) << title;
    EXPECT_EQ(frame.title, title);
    EXPECT_FALSE(frame.wm_decorations) << title << ": the window manager would add its own buttons";
  }
}

}  // namespace
}  // namespace zorvin::test
