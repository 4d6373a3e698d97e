// Fuzz target for one convention's front end, named at build time
// (ZORVIN_FUZZ_DIALECT: tasm, asxxxx, sbasm, asm48). Every input runs as a
// source in that convention. Beyond "no crash": the run ends, the first
// message line names the convention, error lines name real source lines and
// are counted, a clean run keeps its code inside 4 KiB in address order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "asm/assembler.h"
#include "asm/dialect/dialects.h"
#include "text/editor_lines.h"
#include "output/output_writer.h"
#include "text/text_codec.h"
#include "error_line_checks.h"
#include "fuzz_support.h"

namespace {

using namespace zorvin;
using fuzz::require;

void check_run(const std::string& text) {
  static asm48::Assembler assembler = [] {
    asm48::Assembler a;
    a.set_options({ZORVIN_FUZZ_DIALECT, {{"FUZZ", 1}}});
    return a;
  }();
  static const std::string named =
      "Dialekt: " + std::string(asm48::dialect_by_option(ZORVIN_FUZZ_DIALECT).convention->name) + " (";
  const asm48::AssemblyResult result = assembler.run(text);
  if (result.nothing_to_assemble) return;
  require(result.dialect_line.starts_with(named), "the dialect line names the convention", result.dialect_line);
  require(assembler.extended(), "a convention runs on the shared engine");
  const std::size_t lines = editor_lines(text).size();
  const std::size_t counted = fuzz::check_error_lines(result, lines);
  require(static_cast<std::size_t>(result.error_count) >= counted, "error count covers the lines");
  if (!result.ok()) return;
  const auto& table = assembler.table();
  for (std::size_t i = 0; i < table.records.size(); ++i) {
    const auto& record = table.records[i];
    if (i > 0) require(table.records[i - 1].address <= record.address, "table sorted by address");
    require(record.address >= 0 && record.address + record.length <= 4096, "code inside program memory");
  }
  require(output::build_image(table, 0xFF).length <= output::kImageSize, "image inside 4 KiB");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_run(fuzz::is_valid_utf8(bytes) ? std::string(bytes) : latin1_to_utf8(bytes));
  return 0;
}
