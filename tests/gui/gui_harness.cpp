#include "gui_harness.h"

#include "key_press.h"
#include "private_xvfb.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace zorvin::test {

ui::Toolkit* GuiTest::toolkit_ = nullptr;

namespace {

pid_t xvfb_pid = 0;
pid_t window_manager_pid = 0;

void stop_xvfb() { stop_private_xvfb(xvfb_pid); }

GtkWidget* find_toplevel(const std::function<bool(GtkWidget*)>& match) {
  GList* all = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* entry = all; entry && !found; entry = entry->next) {
    auto* widget = GTK_WIDGET(entry->data);
    if (gtk_widget_get_visible(widget) && match(widget)) found = widget;
  }
  g_list_free(all);
  return found;
}

// Answers still waiting when a test ends; they must not answer the next
// test's boxes.
std::vector<guint> waiting_answers;

// Polls every 20 ms until `act` reports it is done.
void poll_until_done(std::function<bool()> act) {
  auto* heap = new std::function<bool()>(std::move(act));
  waiting_answers.push_back(g_timeout_add_full(
      G_PRIORITY_DEFAULT, 20,
      [](gpointer data) -> gboolean {
        auto* fn = static_cast<std::function<bool()>*>(data);
        return (*fn)() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
      },
      heap,
      [](gpointer data) { delete static_cast<std::function<bool()>*>(data); }));
}

}  // namespace

void GuiTest::SetUpTestSuite() {
  if (toolkit_) return;
  xvfb_pid = start_private_xvfb();
  ASSERT_GT(xvfb_pid, 0) << "Xvfb did not start";
  std::atexit(stop_xvfb);
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GSETTINGS_BACKEND", "memory", 1);
  // The recent files list goes to a folder of the tests' own, not the user's.
  static char data_home[] = "/tmp/zorvin-gui-data-XXXXXX";
  ASSERT_NE(mkdtemp(data_home), nullptr);
  setenv("XDG_DATA_HOME", data_home, 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(data_home, ignored);
  });
  XInitThreads();
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* args[] = {name, nullptr};
  static char** argv = args;
  toolkit_ = new ui::Toolkit(&argc, &argv);
  ASSERT_TRUE(toolkit_->ready());
}

// Starts openbox on the test's display and waits until it manages windows
// (it then names itself on the root window).
void GuiTestWithWindowManager::SetUpTestSuite() {
  GuiTest::SetUpTestSuite();
  if (window_manager_pid > 0) return;
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  window_manager_pid = pid;
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  bool running = false;
  for (int i = 0; i < 250 && !running; ++i) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType, &type, &format,
                       &count, &left, &data);
    running = count > 0;
    if (data) XFree(data);
    if (!running) usleep(20000);
  }
  XCloseDisplay(display);
  ASSERT_TRUE(running) << "openbox did not start (scripts/deps.sh installs it)";
}

void GuiTestWithWindowManager::TearDownTestSuite() {
  if (window_manager_pid <= 0) return;
  kill(window_manager_pid, SIGTERM);
  waitpid(window_manager_pid, nullptr, 0);
  window_manager_pid = 0;
}

void GuiTest::SetUp() {
  ASSERT_TRUE(toolkit_ && toolkit_->ready());
  old_dir_ = std::filesystem::current_path();
  char pattern[] = "/tmp/zorvin-gui-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = pattern;
  std::filesystem::current_path(dir_);
  toolkit_->flush_dropping_events();
}

void GuiTest::TearDown() {
  for (guint source : waiting_answers) {
    if (g_main_context_find_source_by_id(nullptr, source)) g_source_remove(source);
  }
  waiting_answers.clear();
  if (app_) finish_app();
  toolkit_->flush_dropping_events();
  std::filesystem::current_path(old_dir_);
  std::error_code ignored;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(dir_, ignored);
}

app::App& GuiTest::start_app(const std::string& ini_text, const std::string& file) {
  if (!ini_text.empty()) write_file("zorvin.ini", ini_text);
  app_ = std::make_unique<app::App>(*toolkit_, dir_ + "/zorvin.ini");
  EXPECT_TRUE(app_->start(file));
  pump(200);
  return *app_;
}

void GuiTest::finish_app() {
  app_->finish();
  app_.reset();
  toolkit_->flush_dropping_events();
}

void GuiTest::pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    while (auto event = toolkit_->poll_event()) {
      if (app_) app_->handle(*event);
    }
    g_usleep(2000);
  } while (std::chrono::steady_clock::now() < end);
}

bool GuiTest::pump_until(const std::function<bool()>& done, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done() && std::chrono::steady_clock::now() < end) pump(10);
  return done();
}

std::shared_ptr<Seen> GuiTest::answer_next_box(GtkResponseType response) {
  auto seen = std::make_shared<Seen>();
  poll_until_done([seen, response] {
    GtkWidget* box = find_toplevel([](GtkWidget* w) { return GTK_IS_MESSAGE_DIALOG(w); });
    if (!box) return false;
    seen->shown = true;
    seen->title = gtk_window_get_title(GTK_WINDOW(box)) ? gtk_window_get_title(GTK_WINDOW(box)) : "";
    gchar* text = nullptr;
    g_object_get(box, "text", &text, nullptr);
    seen->text = text ? text : "";
    g_free(text);
    for (GtkResponseType kind : {GTK_RESPONSE_YES, GTK_RESPONSE_NO, GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL}) {
      GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), kind);
      if (button && GTK_IS_BUTTON(button)) seen->buttons.emplace_back(gtk_button_get_label(GTK_BUTTON(button)));
    }
    gtk_dialog_response(GTK_DIALOG(box), response);
    return true;
  });
  return seen;
}

std::shared_ptr<Seen> GuiTest::answer_next_requester(const std::string& path, std::function<void()> before_accept) {
  auto seen = std::make_shared<Seen>();
  auto selected = std::make_shared<bool>(false);
  poll_until_done([seen, selected, path, before_accept] {
    GtkWidget* dialog = find_toplevel([](GtkWidget* w) { return GTK_IS_FILE_CHOOSER_DIALOG(w); });
    if (!dialog) return false;
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    const bool saving = gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE;
    if (!seen->shown) {
      seen->shown = true;
      seen->title = gtk_window_get_title(GTK_WINDOW(dialog));
      gchar* name = saving ? gtk_file_chooser_get_current_name(chooser) : nullptr;
      seen->text = name ? name : "";
      g_free(name);
    }
    if (path.empty()) {
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
      return true;
    }
    const std::filesystem::path target(path);
    if (!*selected) {
      *selected = true;
      if (saving) {
        gtk_file_chooser_set_current_folder(chooser, target.parent_path().c_str());
        gtk_file_chooser_set_current_name(chooser, target.filename().c_str());
      } else {
        gtk_file_chooser_set_filename(chooser, path.c_str());
      }
      return false;
    }
    // The requester selects a file only once its folder has been read.
    gchar* chosen = gtk_file_chooser_get_filename(chooser);
    const bool ready = chosen && path == chosen;
    g_free(chosen);
    if (!ready) return false;
    if (before_accept) before_accept();
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    return true;
  });
  return seen;
}

void GuiTest::when_window_shown(const std::string& title, std::function<void(GtkWindow*)> action) {
  poll_until_done([title, action] {
    GtkWidget* window = find_toplevel([&](GtkWidget* w) {
      const char* t = gtk_window_get_title(GTK_WINDOW(w));
      return t && title == t && gtk_widget_get_mapped(w);
    });
    if (!window) return false;
    action(GTK_WINDOW(window));
    return true;
  });
}

void GuiTest::type_into_editor(const std::string& text) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(toolkit_->widget(1)));
  gtk_text_buffer_insert_interactive_at_cursor(buffer, text.c_str(), static_cast<gint>(text.size()), TRUE);
  pump(10);
}

void GuiTest::press_key(GtkWidget* widget, guint keyval, GdkModifierType modifiers) {
  gtk_widget_grab_focus(widget);
  test::send_key_press(widget, keyval, modifiers, true);
}

std::string GuiTest::read_file(const std::string& name) const {
  std::ifstream in(dir_ + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void GuiTest::write_file(const std::string& name, const std::string& bytes) const {
  std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
}

// The text of the first label inside a menu item (icon and label sit in a box).
static std::string label_inside(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
  if (!GTK_IS_CONTAINER(widget)) return {};
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  std::string text;
  for (GList* child = children; child && text.empty(); child = child->next) text = label_inside(GTK_WIDGET(child->data));
  g_list_free(children);
  return text;
}

// The menu item whose label reads `text`, through the submenus of `shell`.
GtkWidget* menu_item_labelled(GtkWidget* shell, const std::string& text) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) {
    if (!GTK_IS_MENU_ITEM(child->data)) continue;
    GtkMenuItem* item = GTK_MENU_ITEM(child->data);
    if (label_inside(GTK_WIDGET(item)) == text) found = GTK_WIDGET(item);
    else if (GtkWidget* submenu = gtk_menu_item_get_submenu(item)) found = menu_item_labelled(submenu, text);
  }
  g_list_free(children);
  return found;
}

GtkWidget* find_widget(GtkWidget* root, const std::function<bool(GtkWidget*)>& wanted) {
  if (wanted(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) found = find_widget(GTK_WIDGET(child->data), wanted);
  g_list_free(children);
  return found;
}

GtkWidget* find_menu_bar(GtkWidget* root) {
  return find_widget(root, [](GtkWidget* widget) { return GTK_IS_MENU_BAR(widget); });
}

void GuiTest::choose_menu(const std::string& label) {
  GtkWidget* bar = find_menu_bar(GTK_WIDGET(ui().gtk_window(app::window::kMain)));
  ASSERT_NE(bar, nullptr);
  GtkWidget* item = menu_item_labelled(bar, label);
  ASSERT_NE(item, nullptr) << label;
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  pump(100);
}

}  // namespace zorvin::test
