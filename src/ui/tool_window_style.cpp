// The tool windows' colours and fonts, one style for the whole screen.
#include <string>

#include "ui/tool_window_field.h"

namespace zorvin::ui {

namespace {

constexpr const char* kStyle =
    ".zorvin-value { font-family: \"Liberation Mono\", monospace; }"
    ".zorvin-changed, .zorvin-changed label { color: #c00000; }"
    ".zorvin-status { font-weight: bold; padding: 2px 4px; }";

// GTK's own theme (Adwaita) draws a ticked box's tick from an SVG file that
// GTK 3 reads anew for every ticked box it styles, about 1.5 ms each; a
// pane with a row of ticked switches took tens of milliseconds more to
// open. The same picture taken through the icon theme is read once and
// kept. Other themes draw their ticks their own way and stay as they are,
// and so does Adwaita where the icon theme has a picture of that name.
constexpr const char* kAdwaitaPictures = "/org/gtk/libgtk/theme/Adwaita/assets";
constexpr const char* kTickName = "check-symbolic";
constexpr const char* kSharedTick =
    ".zorvin-tool check:checked { -gtk-icon-source: -gtk-icontheme(\"check-symbolic\"); }";
bool tick_in_icon_theme = false;  // the theme's tick is found by that name
GtkCssProvider* tick_provider = nullptr;  // kept for the program's life: it follows a change of theme
bool tick_settled = false;

bool adwaita_in_use() {
  std::string name;
  if (const char* forced = g_getenv("GTK_THEME"); forced && *forced) {
    name = forced;
  } else {
    gchar* chosen = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-theme-name", &chosen, nullptr);
    name = chosen ? chosen : "";
    g_free(chosen);
  }
  return name == "Adwaita" || name == "Adwaita-dark" || name.starts_with("Adwaita:");
}

void load_tick(GtkCssProvider* provider) {
  gtk_css_provider_load_from_data(provider, tick_in_icon_theme && adwaita_in_use() ? kSharedTick : "", -1, nullptr);
}

void on_theme_changed(GObject*, GParamSpec*, gpointer provider) {
  if (tick_settled) load_tick(GTK_CSS_PROVIDER(provider));
}

// Asking the icon theme reads its folders; a start that opens no tool
// need not wait for that, so it is done once the loop is idle, or when
// the first tool is made, whichever comes first.
void settle_tick() {
  if (tick_settled || !tick_provider) return;
  tick_settled = true;
  GtkIconTheme* icons = gtk_icon_theme_get_default();
  if (!gtk_icon_theme_has_icon(icons, kTickName)) {
    gtk_icon_theme_add_resource_path(icons, kAdwaitaPictures);
    tick_in_icon_theme = true;
  }
  load_tick(tick_provider);
}

void add_for_screen(GtkCssProvider* provider) {
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
}

}  // namespace

void install_tool_style() {
  static bool installed = false;
  if (installed) return settle_tick();
  installed = true;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kStyle, -1, nullptr);
  add_for_screen(provider);
  g_object_unref(provider);
  tick_provider = gtk_css_provider_new();
  add_for_screen(tick_provider);
  g_signal_connect(gtk_settings_get_default(), "notify::gtk-theme-name", G_CALLBACK(on_theme_changed), tick_provider);
  g_idle_add_full(
      G_PRIORITY_LOW, [](gpointer) -> gboolean { settle_tick(); return G_SOURCE_REMOVE; }, nullptr, nullptr);
}

}  // namespace zorvin::ui
