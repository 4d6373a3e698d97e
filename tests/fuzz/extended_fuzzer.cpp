// Fuzz target: the extended dialect's expression and macro reader. Every
// input runs as a source behind a cpu line, and each of its lines goes
// through the lexer, the expression evaluator and the macro text helpers on
// their own. Beyond "no crash": the run ends (nesting, loops and expansion
// are bounded), error lines name real source lines and are counted, a clean
// run keeps its code inside 4 KiB, and evaluation is repeatable.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembler.h"
#include "text/editor_lines.h"
#include "asm/ext/expression.h"
#include "asm/ext/lexer.h"
#include "asm/ext/macro_text.h"
#include "output/output_writer.h"
#include "text/text_codec.h"
#include "error_line_checks.h"
#include "fuzz_support.h"

namespace {

using namespace zorvin;
using fuzz::require;

// Names of one letter have a value, others none; "$" is 100H.
class FixedSymbols final : public asm48::ext::SymbolSource {
 public:
  std::optional<std::int32_t> value_of(std::string_view name) override {
    if (name.size() == 1) return static_cast<std::int32_t>(name[0]) * 3;
    return std::nullopt;
  }
  std::int32_t location() const override { return 0x100; }
};

void check_line(std::string_view line) {
  const asm48::ext::TokenLine tokens = asm48::ext::tokenize(line);
  require(tokens.code_end <= line.size(), "comment starts inside the line");
  for (const auto& token : tokens.tokens)
    require(token.start + token.text.size() <= tokens.code_end, "token inside the code part");
  FixedSymbols symbols;
  const auto first = asm48::ext::evaluate(tokens.tokens, symbols);
  const auto second = asm48::ext::evaluate(tokens.tokens, symbols);
  require(first.value == second.value && first.error == second.error && first.undefined == second.undefined,
          "evaluation is repeatable");
  require(first.error.empty() || first.error.starts_with(" -> "), "expression message form", first.error);

  // Without replacements a line comes back unchanged.
  std::string out;
  require(!asm48::ext::substitute_names(line, {}, out, SIZE_MAX) && out == line, "substitution without names is identity");
  const std::vector<std::pair<std::string, std::string>> replacements = {{"a", "r0"}, {"x", "(1+2)"}};
  asm48::ext::substitute_names(line, replacements, out, SIZE_MAX);
  for (std::string_view piece : asm48::ext::split_arguments(line))
    require(piece.empty() || (piece.data() >= line.data() && piece.data() + piece.size() <= line.data() + line.size()),
            "argument inside the line");
}

void check_run(std::string_view text) {
  static asm48::Assembler assembler;
  const asm48::AssemblyResult result = assembler.run(std::string(text));
  require(assembler.extended(), "a cpu line switches to the extended dialect");
  const auto lines = editor_lines(text);
  const std::size_t counted = fuzz::check_error_lines(result, lines.size());
  require(static_cast<std::size_t>(result.error_count) == counted, "error count = error lines");
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
  const std::string text = fuzz::is_valid_utf8(bytes) ? std::string(bytes) : latin1_to_utf8(bytes);
  for (std::string_view line : editor_lines(text)) check_line(line);
  check_run("cpu 8048\n" + text);
  return 0;
}
