#include "app/app.h"

#include "app/ids.h"
#include "ui/dock.h"

#include <filesystem>

namespace zorvin::app {

App::App(ui::Toolkit& ui, std::string settings_path)
    : ui_(ui), settings_path_(std::move(settings_path)), panes_(ui) {}

App::~App() {
  ui_.on_window_moved({});
  ui_.on_window_resized({});
  ui_.on_text_edited({});
  ui_.on_files_requested({});
}

bool App::start(const std::string& file_to_open) {
  settings_.fill_byte = 0x00;
  assembler_.keep_listing(true);  // the debugger names the lines of included files and macros
  ui_.add_font(kMonoFont, "Liberation Mono", 10);
  load_icons();
  const settings::SettingsFileResult loaded = settings::load_or_create_settings(settings_, settings_path_);
  build_main_window();
  if (!loaded.message.empty()) panes_.append_message(loaded.message);
  // Marked at the moment of the edit: text typed while a long command runs
  // arrives when that command drops the queued events.
  ui_.on_text_edited([this](int control) {
    if (control == control::kEditor) panes_.follow_edits();
    if (control == control::kEditor) debugger_.source_edited();
    if (control == control::kEditor) assembled_program_.reset();  // its lines no longer hold
  });
  // Noted in the toolkit's signal; the question and the loading wait for
  // the loop, out of the drag's way.
  ui_.on_files_requested([this](const std::string& path, ui::FileKind kind) {
    requested_file_ = path;
    requested_kind_ = kind;
    ui_.push_event({ui::EventKind::Command, window::kMain, request::kOpenFile});
  });
  if (!ui_.has_window(window::kMain)) return false;
  if (!file_to_open.empty()) {
    open_source(file_to_open);
  } else if (std::error_code error; !settings_.last_source.empty() &&
                                    std::filesystem::is_regular_file(settings_.last_source, error)) {
    open_source(settings_.last_source);
  } else {
    panes_.focus_editor();  // ready for typing, as after loading
  }
  debugger_.reopen_panes();
  // Panes the user opens from now on may widen the window; those of the
  // last session open in the window as it was left.
  if (ui::Dock* dock = ui_.dock()) dock->widen_window(true);
  if (settings_.symbols_open) {
    open_symbols_pane();
    panes_.focus_editor();
  }
  return true;
}

void App::run() {
  while (!quit_requested()) handle(ui_.wait_event());
}

void App::finish() {
  keep_dock_layout();
  // The last moment the user can be told: the window is still open.
  const settings::SettingsFileResult saved = settings::save_settings(settings_, settings_path_);
  if (!saved.ok && ui_.has_window(window::kMain))
    ui_.message_box("Fehler", saved.message, ui::MessageIcon::Error, false);
  serial_ports_.close(-1);
  if (ui_.has_window(window::kMain)) ui_.close_window(window::kMain);
}

void App::handle(const ui::Event& event) {
  switch (event.kind) {
    case ui::EventKind::Timer:
      if (event.id == kCursorTimer) panes_.update_cursor_display();
      if (event.id == kCursorTimer) show_selection_cycles();
      break;
    case ui::EventKind::Control:
      // Editor changes were marked already, when the toolkit reported them.
      if (event.id == control::kInnerSplitter || event.id == control::kOuterSplitter ||
          event.id == control::kDockSplitter)
        remember_splitters();
      if (event.id == control::kMessages && event.control == ui::ControlKind::Activated) go_to_error_of_message();
      break;
    case ui::EventKind::CloseRequest:
      // The close button takes the same path as "Beenden", question included.
      if (event.window == window::kMain) ui_.push_event({ui::EventKind::Command, window::kMain, command::kQuit});
      break;
    case ui::EventKind::Command:
      dispatch_command(event.id);
      break;
    case ui::EventKind::WindowMoved:
    case ui::EventKind::WindowResized:
      break;  // their handlers already ran when the toolkit reported them
  }
}

bool App::confirm(const std::string& question) {
  return panes_.is_modified() != 1 || ask(question);
}

bool App::ask(const std::string& question) {
  return ui_.message_box("Warnung", question, ui::MessageIcon::Warning, true) == ui::Answer::Yes;
}

void App::dispatch_command(int id) {
  switch (id) {
    case command::kNewSource:
      if (confirm("Quelle wurde geändert. Trotzdem neu anlegen?")) new_example_source();
      break;
    case command::kLoadSource:
      if (confirm("Quelle wurde geändert. Trotzdem laden?")) load_source();
      break;
    case command::kOpenBinary:
      if (confirm("Quelle wurde geändert. Trotzdem laden?")) open_binary();
      break;
    case command::kSaveSource:
      save_source(false);
      break;
    case command::kSaveSourceAs:
      save_source(true);
      break;
    case command::kEmulatorSettings:
      open_emulator_dialog();
      break;
    case command::kQuit:
      if (confirm("Quelle wurde geändert. Trotzdem beenden?")) quit_requested_ = 1;
      break;
    case command::kAssemble:
      assemble();
      break;
    case command::kTransfer:
      transfer();
      break;
    case command::kFill00:
      set_fill_byte(0x00);
      break;
    case command::kFillFF:
      set_fill_byte(0xFF);
      break;
    case command::kInfo:
      show_info_dialog();
      break;
    case errors::kNext:
      go_to_next_error(true);
      break;
    case errors::kPrevious:
      go_to_next_error(false);
      break;
    case request::kOpenFile:
      open_requested_file();
      break;
    case command::kDefinitions:
      edit_definitions();
      break;
    case command::kAnalyse:
      analyse_program();
      break;
    case command::kShowSymbols:
      toggle_symbols_pane();
      break;
    default:
      if (id >= dialect::kAutomatic && id <= dialect::kLast) {
        choose_dialect(id);
        break;
      }
      if (!debugger_.command(id)) edit_command(id);
      break;
  }
}

void App::set_fill_byte(std::uint8_t value) {
  // The chosen item ends up ticked even when it already was; the toolkit's
  // own toggle on activation is overridden here.
  settings_.fill_byte = value;
  const bool ff = value == 0xFF;
  ui_.set_menu_item_tick(command::kFillFF, ff);
  ui_.set_menu_item_tick(command::kFill00, !ff);
}

void App::set_fill_byte_ticks() {
  // At start-up only the matching item becomes a ticked check item.
  ui_.set_menu_item_tick(settings_.fill_byte == 0xFF ? command::kFillFF : command::kFill00, true);
}

void App::remember_splitters() {
  const ui::Rect inner = ui_.window_inner_size(window::kMain);
  fit_dividers(inner.width - 10, inner.height - 95);
  settings_.splitter_horizontal = ui_.splitter_position(control::kOuterSplitter);
  settings_.splitter_vertical = ui_.splitter_position(control::kInnerSplitter);
}

void App::on_window_resized(int window) {
  const ui::Rect inner = ui_.window_inner_size(window::kMain);
  if (window == window::kMain) {
    settings_.window_geometry[0].height = inner.height;
    settings_.window_geometry[0].width = inner.width;
  }
  ui_.set_control_size(control::kDockSplitter, inner.width - 10, inner.height - 95);
  remember_splitters();
}

void App::on_window_moved(int window) {
  if (window != window::kMain) return;
  const ui::Rect position = ui_.window_position(window::kMain);
  settings_.window_geometry[0].x = position.x;
  settings_.window_geometry[0].y = position.y;
}

}  // namespace zorvin::app
