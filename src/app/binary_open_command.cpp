// "Binärdatei öffnen…": a program memory image (raw or Intel HEX) read back
// into a source in the editor, which F5 turns into the same image again.
// The source has no file name until it is saved: the image is not its file.
#include "app/app.h"
#include "dis/disassembler.h"
#include "dis/image_file.h"

namespace zorvin::app {

namespace {

const std::vector<ui::FileFilter> kImageFilters = {
    {"Binärdateien (*.bin)", "*.[bB][iI][nN]"},
    {"Intel HEX (*.hex)", "*.[hH][eE][xX]"},
    {"Alle Dateien (*.*)", "*"},
};

}  // namespace

void App::open_binary() {
  const auto chosen = ui_.choose_file_to_open("Binärdatei öffnen", kImageFilters);
  if (!chosen) return;
  // Holes of a HEX file get the fill byte that F5 will put there again.
  const dis::ImageFile image = dis::read_image_file(*chosen, 0, settings_.fill_byte);
  dis::Disassembly source;
  if (image.ok()) {
    dis::DisassemblyOptions options;
    options.fill_byte = settings_.fill_byte;
    const auto slash = chosen->rfind('/');
    options.title = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    source = dis::disassemble(image.base, image.bytes, options);
  }
  const std::string error = image.ok() ? source.error : image.error;
  if (!error.empty()) {
    panes_.append_message(*chosen + " - Binärdatei konnte nicht geöffnet werden (" + error + ")");
    panes_.scroll_messages_to_end();
    return;
  }
  panes_.set_source_path("");
  source_file_.reset();
  source_file_cut_ = false;
  panes_.set_editor_text(source.text);
  forget_error_lines();
  panes_.set_modified(0);
  panes_.set_file_status();
  panes_.append_message(*chosen + " (" + std::to_string(image.bytes.size()) + " Byte) rückübersetzt");
  panes_.scroll_messages_to_end();
  panes_.focus_editor();
}

}  // namespace zorvin::app
