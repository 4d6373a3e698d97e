// Runs the program's main window in-process under a private Xvfb and gives
// tests the means a user has: typing, keys, answering boxes and requesters.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "ui/toolkit.h"

namespace zorvin::test {

// What a message box or requester showed before the test answered it.
struct Seen {
  bool shown = false;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // the labels, as shown
};

// Menus as a user finds them: the main window's menu bar, and the item whose
// label reads `text` anywhere in the submenus of `shell` (or null).
GtkWidget* find_menu_bar(GtkWidget* root);
// The first widget under `root` (itself included, depth first) that is wanted.
GtkWidget* find_widget(GtkWidget* root, const std::function<bool(GtkWidget*)>& wanted);
GtkWidget* menu_item_labelled(GtkWidget* shell, const std::string& text);

class GuiTest : public ::testing::Test {
 public:
  static ui::Toolkit& ui() { return *toolkit_; }

 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Writes zorvin.ini (when given) into the test's working directory, then
  // starts the program there, with `file` as on its command line.
  app::App& start_app(const std::string& ini_text = "", const std::string& file = "");
  // Saves the settings and closes the main window, as quitting does.
  void finish_app();

  // Handles events for about `ms` milliseconds, as the main loop would.
  void pump(int ms = 50);
  // Pumps until `done` holds or `timeout_ms` passed; returns `done()`.
  bool pump_until(const std::function<bool()>& done, int timeout_ms = 3000);

  // The next message box is answered with `response` (GTK_RESPONSE_YES, _NO,
  // _OK, or _DELETE_EVENT for closing it).
  std::shared_ptr<Seen> answer_next_box(GtkResponseType response);
  // The next file requester gets `path` (accepted, after `before_accept`
  // ran) or is cancelled when `path` is empty.
  std::shared_ptr<Seen> answer_next_requester(const std::string& path, std::function<void()> before_accept = {});
  // Runs `action` once the window titled `title` is shown (for dialogs with
  // their own loop).
  void when_window_shown(const std::string& title, std::function<void(GtkWindow*)> action);

  // User input: text typed at the cursor (then pumped; not for use inside a
  // dialog's own loop), and a key press to a control, with modifiers held.
  void type_into_editor(const std::string& text);
  // The main window's menu item labelled `label`, chosen as with the mouse.
  void choose_menu(const std::string& label);
  void press_key(GtkWidget* widget, guint keyval, GdkModifierType modifiers = GdkModifierType(0));

  std::string read_file(const std::string& name) const;
  void write_file(const std::string& name, const std::string& bytes) const;

  app::App& app() { return *app_; }
  std::string messages() const { return toolkit_->text(2); }

  std::string dir_;
  std::unique_ptr<app::App> app_;

 private:
  static ui::Toolkit* toolkit_;
  std::string old_dir_;
};

// The same under a window manager (openbox), as users run the program:
// window sizes, dialogs and focus as a desktop handles them.
class GuiTestWithWindowManager : public GuiTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
};

}  // namespace zorvin::test
