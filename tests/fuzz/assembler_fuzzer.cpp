// Fuzz target: an assembler run and the code image on arbitrary editor text.
// The bytes are fed as the editor would hold them: as UTF-8 when they are
// valid UTF-8 (typed or pasted text), and always Latin-1-decoded (a loaded
// source file). Beyond "no crash" it checks what the user sees: every error
// line names a real source line, the summary counts exactly the error lines,
// and a successful run's listing and image agree and stay inside 2 KiB.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembler.h"
#include "asm/definition_order.h"
#include "asm/diagnostics.h"
#include "text/editor_lines.h"
#include "output/listing.h"
#include "output/output_writer.h"
#include "text/text_codec.h"
#include "fuzz_support.h"

namespace {

using namespace zorvin;
using fuzz::require;

// A line can only carry an error when something other than blanks and TABs
// stands before its comment.
bool has_statement(std::string_view line) {
  for (char c : line.substr(0, line.find(';')))
    if (c != ' ' && c != '\t') return true;
  return false;
}

bool is_known_message(std::string_view text) {
  for (std::string_view known : {asm48::kSyntaxError, asm48::kParameterError, asm48::kValueOutOfRange,
                                 asm48::kUnknownTarget, asm48::kTargetOffPage, asm48::kTargetOutOfRange,
                                 asm48::kBeyondProgramMemory, asm48::kOperandTooLong, asm48::kOneValuePerDb})
    if (text == known) return true;
  return text.starts_with(asm48::kCircularDefinition);  // the cycle's names follow
}

void check_error_line(const std::string& error, const std::vector<std::string_view>& lines) {
  constexpr std::string_view kPrefix = "Zeile: ";
  require(error.starts_with(kPrefix), "error line starts with \"Zeile: \"", error);
  const std::size_t digits_end = error.find_first_not_of("0123456789", kPrefix.size());
  require(digits_end != kPrefix.size() && digits_end != std::string::npos, "line number present", error);
  require(error[kPrefix.size()] != '0', "line number without leading zero", error);
  require(digits_end - kPrefix.size() <= 9, "line number of sane size", error);
  const std::size_t line_no = std::stoul(error.substr(kPrefix.size(), digits_end - kPrefix.size()));
  require(line_no >= 1 && line_no <= lines.size(), "line number inside the source", error);
  require(has_statement(lines[line_no - 1]), "error names a line holding a statement", error);
  require(is_known_message(std::string_view(error).substr(digits_end)), "message is one of the texts", error);
}

bool is_upper_hex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

unsigned hex_value(std::string_view text) { return static_cast<unsigned>(std::stoul(std::string(text), nullptr, 16)); }

// Replays the listing rows into an image of its own and compares it with the
// writer's: every listed byte in place, every other byte the fill byte.
// Where code overlaps, the later source line wins: rows are replayed in the
// order of their lines (`row_lines`, one per row).
void check_image(const output::CodeImage& image, const std::vector<std::string>& listing, std::uint8_t fill,
                 const std::vector<std::int32_t>& row_lines) {
  require(!listing.empty() && listing.front() == output::kListingHeader, "listing header first");
  require(listing.size() == row_lines.size() + 1, "one listing row per code line");
  std::array<std::uint8_t, output::kImageSize> expected;
  expected.fill(fill);
  std::size_t length = 1;
  unsigned previous_address = 0;
  for (std::size_t i = 1; i < listing.size(); ++i) {
    const std::string& row = listing[i];
    require(row.size() == 9, "listing row is 9 characters", row);
    require(row[3] == ' ' && row[6] == ' ', "listing row blanks", row);
    require(is_upper_hex(row.substr(0, 3)) && is_upper_hex(row.substr(4, 2)), "listing row hex digits", row);
    require(row.substr(7) == "  " || is_upper_hex(row.substr(7)), "second byte in hex or three blanks", row);
    const unsigned address = hex_value(row.substr(0, 3));
    require(address >= previous_address, "listing in address order", row);
    previous_address = address;
  }
  std::vector<std::size_t> order(row_lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return row_lines[a] < row_lines[b]; });
  for (const std::size_t k : order) {
    const std::string& row = listing[k + 1];
    const bool two_bytes = row.substr(7) != "  ";
    const unsigned address = hex_value(row.substr(0, 3));
    const std::size_t end = address + (two_bytes ? 2u : 1u);
    require(end <= 2048, "every byte inside the 2048-byte image", row);
    expected[address] = static_cast<std::uint8_t>(hex_value(row.substr(4, 2)));
    if (two_bytes) expected[address + 1] = static_cast<std::uint8_t>(hex_value(row.substr(7)));
    length = std::max(length, end);
  }
  require(image.bytes == expected, "image holds the listed bytes and the fill byte elsewhere");
  require(image.length == length, "image length ends after the highest code byte");
}

void check_table(const asm48::LineTable& table, std::size_t line_count, std::vector<std::int32_t>& code_lines) {
  code_lines.clear();
  for (std::size_t i = 0; i < table.records.size(); ++i) {
    const asm48::LineRecord& record = table.records[i];
    require(record.line_no >= 1 && static_cast<std::size_t>(record.line_no) <= line_count, "record line number");
    if (i > 0) require(table.records[i - 1].address <= record.address, "table sorted by address");
    if (record.length <= 0) continue;
    code_lines.push_back(record.line_no);
    require(record.length <= 2, "at most two code bytes", record.mnemonic);
    require(record.address >= 0 && static_cast<std::size_t>(record.address + record.length) <= 2048,
            "code inside program memory");
    require(table.code_of(record).size() == static_cast<std::size_t>(record.length), "every code byte stored",
            record.mnemonic);
  }
}

bool only_blanks_and_line_ends(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

asm48::AssemblyResult check_run(asm48::Assembler& assembler, std::string_view text) {
  asm48::AssemblyResult result = assembler.run(std::string(text));
  if (only_blanks_and_line_ends(text)) require(result.nothing_to_assemble, "blank text has nothing to assemble");
  if (result.nothing_to_assemble) {
    require(std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; }),
            "nothing to assemble only for text without visible characters");
    require(result.error_lines.empty() && result.error_count == 0, "no errors when nothing ran");
    return result;
  }
  // A source with a cpu line is the extended dialect's; extended_fuzzer
  // checks those runs. Here only that it ended and counted its errors.
  if (assembler.extended()) {
    // The note that the bound of errors ended the run is no error.
    const auto errors = std::count_if(result.errors.begin(), result.errors.end(),
                                      [](const asm48::Diagnostic& d) { return d.severity != asm48::Severity::Note; });
    require(result.error_count == errors, "error count = error lines");
    return result;
  }
  const std::vector<std::string_view> lines = editor_lines(text);
  for (const std::string& error : result.error_lines) check_error_line(error, lines);
  require(static_cast<std::size_t>(result.error_count) == result.error_lines.size(), "error count = error lines");
  if (result.error_count == 0) {
    require(result.summary == asm48::kAssembledWithoutErrors, "summary of a clean run", result.summary);
    std::vector<std::int32_t> code_lines;
    check_table(assembler.table(), lines.size(), code_lines);
    const std::vector<std::string> listing = output::listing_rows(assembler.table());
    check_image(output::build_image(assembler.table(), 0x00), listing, 0x00, code_lines);
    check_image(output::build_image(assembler.table(), 0xFF), listing, 0xFF, code_lines);
  } else {
    require(result.summary == std::to_string(result.error_count) + " Fehler beim Assemblieren!",
            "summary counts the errors", result.summary);
  }
  return result;
}

bool is_plain_ascii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // One assembler for all runs, as the program keeps one: nothing of a run
  // may leak into the next, which the two runs of one input check. (Each
  // run starts from a cleared table, so an input replays alone.)
  static asm48::Assembler assembler;
  asm48::AssemblyResult as_typed;
  const bool valid_utf8 = fuzz::is_valid_utf8(bytes);
  if (valid_utf8) as_typed = check_run(assembler, bytes);
  const asm48::AssemblyResult as_loaded = check_run(assembler, latin1_to_utf8(bytes));
  if (valid_utf8 && is_plain_ascii(bytes)) {
    require(as_typed.error_lines == as_loaded.error_lines && as_typed.summary == as_loaded.summary &&
                as_typed.nothing_to_assemble == as_loaded.nothing_to_assemble,
            "ASCII text gives the same run typed and loaded");
  }
  return 0;
}
