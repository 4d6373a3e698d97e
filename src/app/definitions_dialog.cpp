// "Programm → Einstellungen → Definitionen…": names F5 defines for the
// source's ifdef and expressions, written like the command line's -D.
#include "app/app.h"
#include "app/ids.h"
#include "asm/dialect/definitions.h"

namespace zorvin::app {

namespace {

constexpr int kPrompt = 16, kEntry = 17, kProblem = 18, kCancel = 19, kOk = 20;

}  // namespace

void App::edit_definitions() {
  const int dialog = window::kDefinitions;
  if (!ui_.open_window(dialog, "Definitionen", {0, 0, 560, 150}, ui::WindowStyle::Dialog, window::kMain)) return;
  ui_.set_window_icon(dialog, image::kWindowIcon);
  ui_.set_window_enabled(window::kMain, false);
  ui_.create_label(dialog, kPrompt, {10, 8, 540, 36},
                   "Namen für ifdef und Ausdrücke beim Assemblieren (F5), z. B. DEBUG=1, TEST:");
  ui_.create_entry(dialog, kEntry, {10, 48, 540, 26}, settings_.definitions);
  ui_.create_label(dialog, kProblem, {10, 80, 540, 24}, "", false, true);
  ui_.create_button(dialog, kCancel, {10, 118, 90, 25}, "Abbrechen");
  ui_.create_button(dialog, kOk, {460, 118, 90, 25}, "OK");
  ui_.show_window(dialog);
  ui_.focus(kEntry);

  for (;;) {
    const ui::Event event = ui_.wait_event();
    if (event.kind == ui::EventKind::CloseRequest) break;
    if (event.kind != ui::EventKind::Control || event.window != dialog) continue;
    if (event.id == kCancel) break;
    if (event.id != kOk && event.id != kEntry) continue;
    const std::string text = ui_.text(kEntry);
    const asm48::DefinitionsParse parse = asm48::parse_definitions(text);
    // A wrong entry stays in the field to be corrected.
    if (!parse.ok) {
      ui_.set_text(kProblem, "Fehler: " + parse.error);
      ui_.focus(kEntry);
      continue;
    }
    if (text.find_first_of("\r\n") == std::string::npos) {
      settings_.definitions = text;
      settings::save_settings(settings_, settings_path_);
    }
    break;
  }
  ui_.close_window(dialog);
  ui_.set_window_enabled(window::kMain, true);
}

}  // namespace zorvin::app
