// F5: assemble the editor's text, show the errors or the listing, and write
// the binary image beside the source.
//
// The run stays on the main loop: the assembler bounds its own work (see
// asm/work_limits.h), so any source ends within about a second and a few
// hundred MB, and the editor's text is only read. A worker thread would buy
// little for that second and cost a second owner of the line table.
#include <new>
#include <string_view>

#include "analysis/analysis.h"
#include "app/app.h"
#include "app/ids.h"
#include "asm/run_messages.h"
#include "files/binary_path.h"
#include "output/listing.h"
#include "output/output_writer.h"

namespace zorvin::app {

namespace {

constexpr std::string_view kNoImageBeforeSaving =
    "Keine Binärdatei geschrieben: die rückübersetzte Quelle hat noch keinen Namen. Nach „Quelle speichern“ "
    "schreibt F5 die Binärdatei neben die Quelle.";

}  // namespace

void App::assemble() {
  // Included files of the extended dialect are found beside the source.
  const std::string source_dir = files::folder_of(panes_.source_path());
  asm48::AssemblyResult result;
  assembled_program_.reset();
  assembler_.set_options(run_options());
  try {
    result = assembler_.run(panes_.editor_text(), source_dir);
  } catch (const std::bad_alloc&) {
    // Not expected within the bounds; should memory run out all the same,
    // the run is given up and the unsaved text stays in the editor.
    panes_.append_message("Zu wenig Arbeitsspeicher zum Assemblieren, abgebrochen. Der Text im Editor ist erhalten.");
    panes_.scroll_messages_to_end();
    return;
  }
  mark_error_lines(result.errors);
  follow_dialect();
  if (result.nothing_to_assemble) {
    ui_.message_box("Hinweis", std::string(asm48::kNothingToAssemble), ui::MessageIcon::Information, false);
    return;
  }
  // The same lines as zorvin-asm prints, warnings included.
  for (const std::string& line : asm48::run_message_lines(result, kShownErrorLines)) panes_.append_message(line);
  last_assembly_failed_ = !result.ok();
  std::string summary = result.summary;
  if (result.ok()) {
    const output::OutputResult output =
        output::write_output(assembler_.table(), settings_.fill_byte, panes_.source_path(), result.included_files);
    panes_.set_listing(output::listing_rows(assembler_.table()));
    if (output.image_path) {
      image_path_ = *output.image_path;
      image_source_text_ = panes_.editor_text();
    }
    for (const std::string& line : output.messages) panes_.append_message(line);
    // A user who opened an image expects one back: say why there is none.
    if (panes_.source_path().empty() && text_from_image_)
      panes_.append_message(std::string(kNoImageBeforeSaving));
    // A binary that was meant to be written and was not is no success.
    if (!panes_.source_path().empty() && !output.image_written) summary = std::string(output::kOutputsNotSaved);
    debugger_.program_assembled(assembler_, panes_.editor_text(), source_dir);
    // For the selection's cycles and "Analyse"; the listing is kept (see start()).
    assembled_program_ = analysis::program_of_run(assembler_, analysis::names_upi_part(panes_.editor_text()));
    collect_symbols();
  }
  panes_.append_message(summary);
  panes_.scroll_messages_to_end();
}

}  // namespace zorvin::app
