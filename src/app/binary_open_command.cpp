// "Binärdatei öffnen…": a program memory image (raw or Intel HEX) read back
// into a source in the editor, which F5 turns into the same image again.
// The source has no file name until it is saved: the image is not its file.
#include <cstdint>
#include <optional>
#include <vector>

#include "app/app.h"
#include "app/ids.h"
#include "dis/disassembler.h"
#include "dis/image_file.h"

namespace zorvin::app {

namespace {

const std::vector<ui::FileFilter> kImageFilters = {
    {"Binärdateien (*.bin)", "*.[bB][iI][nN]"},
    {"Intel HEX (*.hex)", "*.[hH][eE][xX]"},
    {"Alle Dateien (*.*)", "*"},
};

constexpr int kPrompt = 60, kEntries = 61, kOk = 62, kCancel = 63;

// The addresses of the text, written as in a source (0123h, 0x123, 291),
// separated by blanks, commas or lines; the first word that is none is
// returned in `bad`.
std::vector<std::int32_t> entry_points_of(const std::string& text, std::string& bad) {
  std::vector<std::int32_t> entries;
  std::string word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (c != ' ' && c != ',' && c != '\n' && c != '\t' && c != '\r') {
      word += c;
      continue;
    }
    if (word.empty()) continue;
    const auto value = dis::program_address(word);
    if (!value) {
      bad = word;
      return {};
    }
    entries.push_back(*value);
    word.clear();
  }
  return entries;
}

// Asks for entry points besides the vectors (an indirect jump hides its
// targets); none when the user cancels.
std::optional<std::vector<std::int32_t>> ask_entry_points(ui::Toolkit& ui) {
  if (!ui.open_window(window::kEntryPoints, "Einsprünge", {0, 0, 420, 150}, ui::WindowStyle::Dialog, window::kMain))
    return std::vector<std::int32_t>{};
  ui.set_window_icon(window::kEntryPoints, image::kLoad);
  ui.set_window_enabled(window::kMain, false);
  // Room for the prompt on two lines; Return in the field is OK.
  ui.create_label(window::kEntryPoints, kPrompt, {15, 10, 390, 40},
                  "Weitere Einsprünge außer 000H, 003H, 007H (z. B. 0100h 0234h):");
  ui.create_entry(window::kEntryPoints, kEntries, {15, 56, 390, 26}, "");
  ui.create_button(window::kEntryPoints, kOk, {220, 110, 85, 25}, "OK");
  ui.create_button(window::kEntryPoints, kCancel, {315, 110, 90, 25}, "Abbrechen");
  ui.show_window(window::kEntryPoints);
  ui.focus(kEntries);
  std::optional<std::vector<std::int32_t>> chosen;
  for (;;) {
    const ui::Event event = ui.wait_event();
    if (event.kind == ui::EventKind::CloseRequest) break;
    if (event.kind != ui::EventKind::Control || (event.id != kOk && event.id != kCancel && event.id != kEntries))
      continue;
    if (event.id == kCancel) break;
    std::string bad;
    std::vector<std::int32_t> entries = entry_points_of(ui.text(kEntries), bad);
    if (bad.empty()) {
      chosen = std::move(entries);
      break;
    }
    ui.message_box("Hinweis", "'" + bad + "' ist keine Adresse von 0 bis 0FFFh.", ui::MessageIcon::Information, false);
    ui.focus(kEntries);
  }
  ui.close_window(window::kEntryPoints);
  ui.set_window_enabled(window::kMain, true);
  return chosen;
}

}  // namespace

void App::open_binary() {
  const auto chosen = ui_.choose_file_to_open("Binärdatei öffnen", kImageFilters);
  if (chosen) open_binary_file(*chosen);
}

void App::open_binary_file(const std::string& path) {
  // Offered again in the recent files as an image, not as a source text.
  ui_.remember_recent_file(path, ui::FileKind::Binary);
  // Holes of a HEX file get the fill byte that F5 will put there again.
  const dis::ImageFile image = dis::read_image_file(path, 0, settings_.fill_byte);
  dis::Disassembly source;
  if (image.ok()) {
    const auto entries = ask_entry_points(ui_);
    if (!entries) return;
    dis::DisassemblyOptions options;
    options.entries = *entries;
    options.fill_byte = settings_.fill_byte;
    const auto slash = path.rfind('/');
    options.title = slash == std::string::npos ? path : path.substr(slash + 1);
    source = dis::disassemble(image.base, image.bytes, options);
  }
  const std::string error = image.ok() ? source.error : image.error;
  if (!error.empty()) {
    panes_.append_message(path + " - Binärdatei konnte nicht geöffnet werden (" + error + ")");
    panes_.scroll_messages_to_end();
    return;
  }
  panes_.set_source_path("");
  text_from_image_ = true;
  source_file_.reset();
  source_file_cut_ = false;
  source_utf8_ = false;
  // The marks go first: replacing a text that holds thousands of them
  // would move each one.
  forget_error_lines();
  panes_.set_editor_text(source.text);
  panes_.set_modified(0);
  panes_.set_file_status();
  restore_dialect(false);
  panes_.append_message(path + " (" + std::to_string(image.bytes.size()) + " Byte) rückübersetzt");
  panes_.scroll_messages_to_end();
  panes_.focus_editor();
}

}  // namespace zorvin::app
