// F5: assemble the editor's text, show the errors or the listing, and write
// the binary image beside the source.
#include <algorithm>

#include "app/app.h"
#include "files/binary_path.h"
#include "files/listing.h"
#include "files/output_writer.h"

namespace zorvin::app {

namespace {

// Enough to work through; a source that gives more is hardly a source, and
// a million lines would leave the message pane unusable.
constexpr std::size_t kShownErrorLines = 1000;

}  // namespace

void App::assemble() {
  // Included files of the extended dialect are found beside the source.
  const std::string source_dir = files::folder_of(panes_.source_path());
  const asm48::AssemblyResult result = assembler_.run(panes_.editor_text(), source_dir);
  mark_error_lines(result.error_lines);
  if (result.nothing_to_assemble) {
    ui_.message_box("Hinweis", std::string(asm48::kNothingToAssemble), ui::MessageIcon::Information, false);
    return;
  }
  const std::size_t shown = std::min(result.error_lines.size(), kShownErrorLines);
  for (std::size_t i = 0; i < shown; ++i) panes_.append_message(result.error_lines[i]);
  if (result.error_lines.size() > shown)
    panes_.append_message("... und " + std::to_string(result.error_lines.size() - shown) +
                          " weitere Fehlermeldungen, die nicht angezeigt werden");
  last_assembly_failed_ = !result.ok();
  if (result.ok()) {
    const files::OutputResult output = files::write_output(assembler_.table(), settings_.fill_byte, panes_.source_path());
    panes_.set_listing(files::listing_rows(assembler_.table()));
    if (output.image_path) {
      image_path_ = *output.image_path;
      image_source_text_ = panes_.editor_text();
    }
    for (const std::string& line : output.messages) panes_.append_message(line);
    debugger_.program_assembled(assembler_, panes_.editor_text(), source_dir);
  }
  panes_.append_message(result.summary);
  panes_.scroll_messages_to_end();
}

}  // namespace zorvin::app
