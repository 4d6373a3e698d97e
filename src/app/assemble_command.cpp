// F5: assemble the editor's text, show the errors or the listing, and write
// the binary image beside the source.
#include "app/app.h"
#include "files/output_writer.h"

namespace zorvin::app {

void App::assemble() {
  const asm48::AssemblyResult result = assembler_.run(panes_.editor_text());
  if (result.nothing_to_assemble) {
    ui_.message_box("Hinweis", std::string(asm48::kNothingToAssemble), ui::MessageIcon::Information, false);
    return;
  }
  for (const std::string& line : result.error_lines) panes_.append_message(line);
  last_assembly_failed_ = !result.ok();
  if (result.ok()) {
    const files::OutputResult output = files::write_output(assembler_.table(), settings_.fill_byte, panes_.source_path());
    panes_.set_listing(output.listing_rows);
    if (output.image_path) {
      image_path_ = *output.image_path;
      image_source_text_ = panes_.editor_text();
    }
    for (const std::string& line : output.messages) panes_.append_message(line);
  }
  panes_.append_message(result.summary);
  panes_.scroll_messages_to_end();
}

}  // namespace zorvin::app
