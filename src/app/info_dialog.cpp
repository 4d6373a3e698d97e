// The Info dialog: program name, version, copyright, a picture and a link to
// the project's web page, opened with xdg-open.
#include <glib.h>

#include "app/app.h"
#include "app/ids.h"
#include "app/info.h"

namespace zorvin::app {

namespace {

constexpr int kName = 16, kVersion = 17, kCopyright = 18, kLink = 19, kPicture = 20, kOk = 21;

// Starts xdg-open on its own, without a shell and without waiting for it.
void open_web_page(const std::string& address) {
  gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(address.c_str()), nullptr};
  g_spawn_async(nullptr, argv, nullptr,
                static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

void App::show_info_dialog() {
  if (!ui_.open_window(window::kInfo, "Info", {0, 0, 470, 190}, ui::WindowStyle::Dialog, window::kMain)) return;
  ui_.set_window_icon(window::kInfo, image::kWindowIcon);
  ui_.set_window_enabled(window::kMain, false);
  const std::string version = "Programmversion: " + std::to_string(info::kVersionMajor) + "." +
                              std::to_string(info::kVersionMinor);
  ui_.create_label(window::kInfo, kName, {110, 30, 320, 20}, info::kTitle, true);
  ui_.create_label(window::kInfo, kVersion, {110, 50, 320, 20}, version, true);
  ui_.create_label(window::kInfo, kCopyright, {110, 70, 320, 20}, info::kCopyright, true);
  ui_.create_link(window::kInfo, kLink, {120, 90, 320, 20}, info::kWebPage);
  if (!bulb_scaled_) {
    ui_.scale_image(image::kBulb, 48, 48);
    bulb_scaled_ = true;
  }
  ui_.create_picture(window::kInfo, kPicture, {40, 50, 48, 48}, image::kBulb);
  ui_.create_button(window::kInfo, kOk, {210, 140, 80, 25}, "OK");
  ui_.show_window(window::kInfo);
  ui_.focus(kOk);

  for (;;) {
    const ui::Event event = ui_.wait_event();
    if (event.kind == ui::EventKind::CloseRequest) break;
    if (event.kind != ui::EventKind::Control) continue;
    if (event.id == kOk) break;
    if (event.id == kLink) open_web_page(info::kWebPage);
  }
  ui_.close_window(window::kInfo);
  ui_.set_window_enabled(window::kMain, true);
}

}  // namespace zorvin::app
