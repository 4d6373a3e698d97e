// The main window: menu bar, toolbar, the three panes in two splitters, and
// the status bar.
#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "app/app.h"
#include "app/ids.h"
#include "ui/dock.h"
#include "ui/tool_window.h"
#include "resources/icons.h"

namespace zorvin::app {

namespace {

// Keeps a stored window inside the screen's work area, so a file written on
// a larger screen (or edited by hand) cannot open the window out of sight.
ui::Rect fit_to_screen(const settings::WindowGeometry& stored) {
  // A size below the window's minimum never comes from the program itself
  // (a file without window entries reads as 0 x 0): open at the default.
  const bool usable = stored.width >= pane::kWindowWidth && stored.height >= pane::kWindowHeight;
  ui::Rect rect{stored.x, stored.y, usable ? stored.width : 800, usable ? stored.height : 600};
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
  if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
  if (!monitor) return rect;
  GdkRectangle work;
  gdk_monitor_get_workarea(monitor, &work);
  rect.width = std::min(rect.width, work.width);
  rect.height = std::min(rect.height, work.height);
  // Menu bar, toolbar and status bar need about 100 pixels even when the
  // stored height is smaller.
  const int shown_height = std::min(std::max(rect.height, 100), work.height);
  rect.x = std::clamp(rect.x, work.x, work.x + work.width - rect.width);
  rect.y = std::clamp(rect.y, work.y, work.y + work.height - shown_height);
  return rect;
}

constexpr const char* kStyleSheet =
    "button, entry {min-height: 20px;} tab {min-height: 20px;} button, scale {padding-bottom: 2px; "
    "padding-left: 2px; padding-right: 2px; padding-top: 2px} ";

}  // namespace

void App::load_icons() {
  for (int id = 0; id < resources::kIconCount; ++id) {
    if (auto image = resources::decode_png(resources::icon_png(id)))
      ui_.add_image(id, image->width, image->height, image->pixels);
  }
}

void App::build_main_window() {
  const settings::WindowGeometry& stored = settings_.window_geometry[0];
  // The style sheet first: the widgets are styled once, as they are made,
  // not all over again when it arrives.
  ui_.install_style_sheet(kStyleSheet);
  ui::ToolWindow::install_style();  // the tool panes open without restyling the window
  if (!ui_.open_window(window::kMain, "Assembler für 8048", fit_to_screen(stored), ui::WindowStyle::Main)) return;
  ui_.set_window_icon(window::kMain, image::kWindowIcon);
  ui_.set_minimum_size(window::kMain, pane::kWindowWidth, pane::kWindowHeight);
  build_menus_and_toolbar();
  build_panes();
  debugger_.attach_editor();
  ui_.show_line_tips(control::kEditor, [this](int line) { return instruction_tip(line); });
  ui_.add_status_field(window::kMain, status::kCursor, 200, 0.5f);
  ui_.add_status_field(window::kMain, status::kFile, -1, 0.0f);
  ui_.add_status_field(window::kMain, status::kCycles, 320, 0.0f);
  ui_.set_status_text(status::kCursor, "Zeile: 1, Spalte: 1");
  ui_.set_status_text(status::kFile, "Datei: keine");
  ui_.start_timer(window::kMain, kCursorTimer, 200);
  ui_.on_window_resized([this](int window) { on_window_resized(window); });
  ui_.on_window_moved([this](int window) { on_window_moved(window); });
  ui_.accept_dropped_files(window::kMain);
  ui_.show_window(window::kMain);
}

void App::build_menus_and_toolbar() {
  ui_.add_menu(window::kMain, menu::kProgram, "Programm");
  ui_.add_menu_item(menu::kProgram, command::kNewSource, "Quelle neu\tStrg+N", image::kNew);
  ui_.add_menu_item(menu::kProgram, command::kLoadSource, "Quelle laden\tStrg+O", image::kLoad);
  ui_.add_menu_item(menu::kProgram, command::kOpenBinary, "Binärdatei öffnen…", image::kLoad);
  ui_.add_menu_item(menu::kProgram, command::kSaveSource, "Quelle speichern\tStrg+S", image::kSave);
  ui_.add_menu_item(menu::kProgram, command::kSaveSourceAs, "Quelle speichern als\tStrg+Umschalt+S", image::kSaveAs);
  ui_.add_recent_files_menu(menu::kProgram, "Zuletzt geöffnet");
  ui_.add_menu_separator(menu::kProgram);
  ui_.add_submenu(menu::kSettings, menu::kProgram, "Einstellungen", image::kSettings);
  ui_.add_menu_item(menu::kSettings, command::kEmulatorSettings, "EPROM Emulator", image::kChip);
  ui_.add_submenu(menu::kUnusedMemory, menu::kSettings, "ungenutzter Programmspeicher", image::kChip);
  ui_.add_menu_item(menu::kUnusedMemory, command::kFill00, "00H");
  ui_.add_menu_item(menu::kUnusedMemory, command::kFillFF, "FFH");
  ui_.add_menu_item(menu::kSettings, command::kDefinitions, "Definitionen…");
  ui_.add_menu_separator(menu::kProgram);
  ui_.add_menu_item(menu::kProgram, command::kQuit, "Beenden", image::kQuit);

  build_edit_menu();

  ui_.add_menu(window::kMain, menu::kRun, "Ausführen");
  ui_.add_menu_item(menu::kRun, command::kAssemble, "Assembler\tF5", image::kAssemble);
  ui_.add_menu_item(menu::kRun, command::kTransfer, "EPROM Emulator\tF6", image::kChip);
  build_dialect_menu();
  build_analysis_menu();
  build_error_navigation();

  debugger_.build_menu();

  ui_.add_menu(window::kMain, menu::kWindow, "Fenster");
  ui_.add_check_menu_item(menu::kWindow, command::kShowSymbols, "Symbole", false);  // ticked while the pane is open
  ui_.add_menu_item(menu::kWindow, command::kInfo, "Info", image::kInfo);

  ui_.add_tool_button(window::kMain, command::kNewSource, image::kNew, "Quelle neu");
  ui_.add_tool_button(window::kMain, command::kLoadSource, image::kLoad, "Quelle laden");
  ui_.add_tool_button(window::kMain, command::kSaveSource, image::kSave, "Quelle speichern");
  ui_.add_tool_separator(window::kMain);
  ui_.add_tool_button(window::kMain, command::kAssemble, image::kAssemble, "Assembler [F5]");
  ui_.add_tool_button(window::kMain, command::kTransfer, image::kChip, "EPROM Emulator [F6]");

  ui_.add_shortcut(window::kMain, GDK_KEY_F5, command::kAssemble);
  ui_.add_shortcut(window::kMain, GDK_KEY_F6, command::kTransfer);
  add_standard_shortcuts();
  set_fill_byte_ticks();
}

void App::build_panes() {
  ui_.create_source_view(window::kMain, control::kEditor, kMonoFont);
  ui_.create_text_view(window::kMain, control::kMessages, false, -1);
  // Wrapped, so no line is cut off and no scroll bar covers the last one.
  ui_.set_line_wrapping(control::kMessages, true);
  panes_.append_message("Willkommen an Bord!");
  ui_.watch_line_activation(control::kMessages);
  // F5 leaves the focus here; what the user types then goes to the editor.
  ui_.forward_typing(control::kMessages, control::kEditor);
  ui_.create_list(window::kMain, control::kListing, kMonoFont);
  panes_.append_listing_row("Adr Opcode");
  ui_.create_splitter(window::kMain, control::kInnerSplitter, false, control::kEditor, control::kMessages);
  ui_.create_splitter(window::kMain, control::kOuterSplitter, true, control::kInnerSplitter, control::kListing);
  build_dock();
  const ui::Rect inner = ui_.window_inner_size(window::kMain);
  ui_.place_in_control_area(window::kMain, control::kDockSplitter,
                            {5, 0, std::max(inner.width - 10, 0), std::max(inner.height - 95, 0)});
  ui_.set_splitter_position(control::kOuterSplitter, settings_.splitter_horizontal);
  ui_.set_splitter_position(control::kInnerSplitter, settings_.splitter_vertical);
  remember_splitters();  // as fitted to the window
}

// The tool panes' strip right of the editor and the listing; empty and
// hidden until a pane opens.
void App::build_dock() {
  ui_.create_dock(window::kMain, control::kDock);
  ui_.create_splitter(window::kMain, control::kDockSplitter, true, control::kOuterSplitter, control::kDock);
  ui::Dock* dock = ui_.dock();
  dock->set_width(settings_.dock_width);
  std::map<std::string, std::string> layouts;
  for (const settings::PaneLayoutEntry& entry : settings_.pane_layouts) layouts[entry.title] = entry.layout;
  dock->set_layouts(std::move(layouts));
}

void App::keep_dock_layout() {
  const ui::Dock* dock = ui_.dock();
  if (!dock) return;
  settings_.dock_width = dock->width();
  settings_.pane_layouts.clear();
  for (const auto& [title, layout] : dock->layouts()) settings_.pane_layouts.push_back({title, layout});
}

}  // namespace zorvin::app
