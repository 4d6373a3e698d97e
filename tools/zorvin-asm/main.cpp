// zorvin-asm [--fill 00|FF] [--listing] [--output FILE] [--hex FILE]
//            [--listing-file FILE] [--dialect NAME] [-D NAME[=VALUE]]...
//            [--analyse [--entry LABEL|ADDRESS]...] [--fehlerformat gnu|standard] SOURCE
// zorvin-asm --help | --version
//
// Assembles an 8-bit (ISO 8859-1) source file like the F5 command does and
// prints, UTF-8, one per line: the dialect line, the listing rows (with --listing), the error
// lines, the "gespeichert" lines and the summary. --hex also writes Intel
// HEX of the used range (a source's .TF name,BIN or name,INT names these
// files where the options do not); --dialect fixes the convention (plain, as, asxxxx,
// tasm, sbasm, asm48), -D defines a name for ifdef and expressions;
// --listing-file writes a listing with the source lines and
// the symbols; --analyse adds the code analysis (stack depth, cycles,
// hazards; analysis/analysis.h) before the summary. --fehlerformat gnu (or
// ZORVIN_FEHLERFORMAT=gnu) writes the messages as "quelle.asm:12: Fehler:
// Syntaxfehler" for Make and editors. No output replaces a file the run
// read (the source or an
// included file, compared by device and inode), and no two outputs are one
// file. Exit status: 0 without errors, 1 for assembly errors (a source cut
// by a 00H byte among them), an empty source or an image that could not be
// written, 2 for a usage error (also a -D beyond 32 bits or given twice, or
// outputs on one file) or a source that cannot be read (missing, not a
// regular file, or larger than the editor would load).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis.h"
#include "asm/assembler.h"
#include "command_line.h"
#include "asm/dialect/definitions.h"
#include "asm/dialect/dialects.h"
#include "asm/run_messages.h"
#include "files/binary_path.h"
#include "files/file_identity.h"
#include "files/file_rewrite.h"
#include "output/intel_hex.h"
#include "output/listing_file.h"
#include "output/listing.h"
#include "output/output_writer.h"
#include "files/source_file.h"
#include "text/text_codec.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kAssemblyFailed = 1;
constexpr int kUsageError = zorvin::cli::kUsageError;

constexpr zorvin::cli::Tool kTool = {
    "zorvin-asm",
    "Aufruf: zorvin-asm [--fill 00|FF] [--listing] [--output DATEI] [--hex DATEI] [--listing-file DATEI]\n"
    "                  [--dialect NAME] [-D NAME[=WERT]]... [--analyse [--entry MARKE|ADRESSE]...]\n"
    "                  [--fehlerformat gnu|standard] QUELLE\n"
    "        zorvin-asm --help | --version\n"};

struct Options {
  std::uint8_t fill_byte = 0x00;
  bool listing = false;
  std::optional<std::string> output;
  std::optional<std::string> hex;
  std::optional<std::string> listing_file;
  zorvin::asm48::RunOptions run;
  std::optional<zorvin::cli::ErrorFormat> error_format;
  std::string source;
  bool analyse = false;
  std::vector<std::string> entries;  // --entry: further entry points for --analyse
};

// NAME or NAME=VALUE of -D; the value is a number in any of the usual forms.
// A value beyond 32 bits and a second -D of a name are refused: the run
// would use other bits, or only one of the values. The message, or empty.
std::string add_definition(const std::string& text, zorvin::asm48::RunOptions& run) {
  zorvin::asm48::Definition definition;
  switch (zorvin::asm48::read_definition(text, definition)) {
    case zorvin::asm48::DefinitionFault::None:
      break;
    case zorvin::asm48::DefinitionFault::TooWide:
      return "-D " + text + ": Zahl passt nicht in 32 Bit";
    case zorvin::asm48::DefinitionFault::NoDefinition:
      return "-D erwartet NAME oder NAME=ZAHL, nicht '" + text + "'";
  }
  if (const auto* earlier = zorvin::asm48::same_name(run.definitions, definition.first))
    return "-D " + text + ": " + earlier->first + " ist schon mit -D definiert (Wert " +
           std::to_string(earlier->second) + ")";
  run.definitions.push_back(std::move(definition));
  return {};
}

std::optional<Options> parse_options(zorvin::cli::ArgumentReader& args) {
  Options options;
  std::optional<std::string> source;
  std::string value;
  while (args.next()) {
    const std::string& arg = args.arg();
    if (args.flag("--listing")) {
      options.listing = true;
    } else if (args.flag("--analyse")) {
      options.analyse = true;
    } else if (args.value("--entry", value)) {
      options.entries.push_back(value);
    } else if (args.value("--fill", value)) {
      const auto fill = zorvin::cli::fill_byte_of(value);
      if (!fill) return args.fail("--fill erwartet 00 oder FF, nicht '" + value + "'");
      options.fill_byte = *fill;
    } else if (args.value("--output", value)) {
      options.output = value;
    } else if (args.value("--hex", value)) {
      options.hex = value;
    } else if (args.value("--listing-file", value)) {
      options.listing_file = value;
    } else if (args.value("--dialect", value)) {
      options.run.dialect = value;
      if (!zorvin::asm48::dialect_by_option(options.run.dialect).known)
        return args.fail("unbekannter Dialekt '" + value + "' (bekannt: " +
                         std::string(zorvin::asm48::kDialectOptions) + ")");
    } else if (args.value("--fehlerformat", value)) {
      options.error_format = zorvin::cli::error_format_named(value);
      if (!options.error_format)
        return args.fail("--fehlerformat erwartet " + std::string(zorvin::cli::kErrorFormatNames) + ", nicht '" +
                         value + "'");
    } else if (args.value("-D", value) || (arg.starts_with("-D") && arg.size() > 2)) {
      const std::string fault = add_definition(arg == "-D" ? value : arg.substr(2), options.run);
      if (!fault.empty()) return args.fail(fault);
    } else if (!args.positional(source)) {
      args.unknown();
    }
  }
  if (args.stopped()) return std::nullopt;
  if (!source) return args.fail("keine Quelldatei angegeben");
  options.source = *source;
  if (!options.entries.empty() && !options.analyse) return args.fail("--entry gilt nur zusammen mit --analyse");
  return options;
}

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Writes a text file as 8-bit text like the sources, and says so.
bool save_text(const std::string& path, const std::string& text, const char* what) {
  const zorvin::Latin1Text bytes = zorvin::utf8_to_latin1(text);
  const zorvin::files::RewriteResult written = zorvin::files::rewrite_file(path, bytes.bytes);
  if (written.ok)
    print_line(path + " (" + what + ", " + std::to_string(bytes.bytes.size()) + " Byte) gespeichert");
  else
    print_line(path + " - Fehler beim Speichern (" + written.error + ")");
  return written.ok;
}

// The analysis of the assembled program; false (and a message) when an
// --entry names neither a label nor an address.
bool print_analysis(const zorvin::asm48::Assembler& assembler, bool upi, const std::vector<std::string>& entry_names) {
  zorvin::analysis::Program program = zorvin::analysis::program_of_run(assembler, upi);
  zorvin::analysis::AnalysisOptions analysis_options;
  for (const std::string& name : entry_names) {
    const auto entry = zorvin::analysis::resolve_entry(program, name);
    if (!entry) {
      std::fprintf(stderr, "zorvin-asm: --entry %s ist weder eine Marke noch eine Adresse im Programmspeicher\n",
                   name.c_str());
      return false;
    }
    analysis_options.entries.push_back(*entry);
  }
  const auto analysis = zorvin::analysis::analyse(std::move(program), analysis_options);
  for (const std::string& line : zorvin::analysis::analysis_lines(analysis)) print_line(line);
  return true;
}

// A name from the source (.TF) is read from the source's folder, as
// included files are.
std::string target_path(const std::string& source, const std::string& name) {
  const std::filesystem::path named(name);
  if (named.is_absolute()) return name;
  const std::string folder = zorvin::files::folder_of(source);
  return folder.empty() ? name : (std::filesystem::path(folder) / named).string();
}

// Two outputs of one run on one file would leave only the last one
// written, under the other's name: refused before anything is written.
bool distinct_outputs(const Options& options) {
  const std::string image = options.output.value_or(zorvin::files::binary_path(options.source));
  const std::vector<std::pair<std::string, std::string>> outputs = {
      {options.output ? "--output " + image : "die Binärdatei " + image, image},
      {"--hex " + options.hex.value_or(""), options.hex.value_or("")},
      {"--listing-file " + options.listing_file.value_or(""), options.listing_file.value_or("")}};
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (outputs[i].second.empty() || outputs[j].second.empty()) continue;
      if (!zorvin::files::same_destination(outputs[i].second, outputs[j].second)) continue;
      std::fprintf(stderr, "zorvin-asm: %s und %s wären dieselbe Datei; nichts geschrieben\n",
                   outputs[j].first.c_str(), outputs[i].first.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  zorvin::cli::ArgumentReader args(kTool, argc, argv);
  const auto options = parse_options(args);
  if (!options) return args.stop();
  const zorvin::cli::ErrorFormat error_format =
      options->error_format ? *options->error_format : zorvin::cli::error_format_from_environment(kTool);
  // The messages in the format asked for; the source named as the user named it.
  const auto shown = [&](const zorvin::asm48::Diagnostic& diagnostic) {
    return error_format == zorvin::cli::ErrorFormat::Gnu
               ? zorvin::asm48::format_gnu_diagnostic(diagnostic, options->source)
               : zorvin::asm48::format_diagnostic(diagnostic);
  };
  zorvin::files::LoadedSource source = zorvin::files::read_source_file(options->source);
  if (!source.ok) {
    std::fprintf(stderr, "zorvin-asm: %s kann nicht gelesen werden: %s\n", options->source.c_str(),
                 source.error.c_str());
    return kUsageError;
  }
  if (source.utf8_with_mark) print_line(options->source + " - " + std::string(zorvin::files::kReadAsUtf8));
  for (const auto& [option, path] : {std::pair{"--output", options->output}, std::pair{"--hex", options->hex},
                                     std::pair{"--listing-file", options->listing_file}}) {
    if (path && zorvin::files::same_file(*path, options->source)) {
      std::fprintf(stderr, "zorvin-asm: %s %s würde die Quelle überschreiben\n", option, path->c_str());
      return kUsageError;
    }
  }
  if (!distinct_outputs(*options)) return kUsageError;

  zorvin::asm48::Assembler assembler;
  assembler.keep_listing(options->listing_file.has_value() || options->analyse);
  zorvin::asm48::RunOptions run = options->run;
  run.source_cut_at_zero = source.cut_at_zero;  // an error line of the run, which then fails
  assembler.set_options(std::move(run));
  const std::string source_dir = zorvin::files::folder_of(options->source);
  const bool upi = options->analyse && zorvin::analysis::names_upi_part(source.text);
  // The listing file shows the source lines as read; otherwise the
  // assembler may keep the text itself.
  const auto result =
      assembler.run(options->listing_file ? source.text : std::move(source.text), source_dir);
  if (result.nothing_to_assemble) {
    print_line(std::string(zorvin::asm48::kNothingToAssemble));
    return kAssemblyFailed;
  }
  for (const std::string& line : zorvin::asm48::run_message_lines(result, shown)) print_line(line);
  if (!result.ok()) {
    print_line(result.summary);
    return kAssemblyFailed;
  }
  // The file the source names (.TF) takes the image, or the Intel HEX,
  // where the command line names none; it is checked like one it named.
  Options effective = *options;
  if (result.target_file) {
    const std::string named = target_path(options->source, result.target_file->name);
    std::optional<std::string>& slot = result.target_file->intel_hex ? effective.hex : effective.output;
    if (slot) {
      print_line("Zieldatei laut .TF (" + named + ") bleibt unbeachtet: die Befehlszeile nennt " + *slot);
    } else if (zorvin::files::same_file(named, options->source)) {
      std::fprintf(stderr, "zorvin-asm: .TF %s würde die Quelle überschreiben\n", named.c_str());
      return kUsageError;
    } else {
      slot = named;
    }
    if (!distinct_outputs(effective)) return kUsageError;
  }
  // Included files are known only now; none of them may become an output.
  for (const auto& [option, path] : {std::pair{"--output", effective.output}, std::pair{"--hex", effective.hex},
                                     std::pair{"--listing-file", effective.listing_file}}) {
    if (!path) continue;
    if (const auto input = zorvin::output::input_file_at(*path, options->source, result.included_files)) {
      std::fprintf(stderr, "zorvin-asm: %s %s würde die gelesene Datei %s überschreiben\n", option, path->c_str(),
                   input->c_str());
      return kUsageError;
    }
  }

  const auto output = effective.output
                          ? zorvin::output::write_output_to(assembler.table(), options->fill_byte, *effective.output,
                                                           options->source, result.included_files)
                          : zorvin::output::write_output(assembler.table(), options->fill_byte, options->source,
                                                        result.included_files);
  if (options->listing)
    for (const auto& row : zorvin::output::listing_rows(assembler.table())) print_line(row);
  for (const auto& line : output.messages) print_line(line);
  if (options->analyse && !print_analysis(assembler, upi, options->entries)) return kUsageError;
  bool written = output.image_written;
  if (effective.hex)
    written &= save_text(*effective.hex, zorvin::output::intel_hex(assembler.table(), options->fill_byte), "Intel HEX");
  if (options->listing_file) {
    const auto listing = assembler.extended() ? assembler.extended_listing()
                                              : zorvin::output::plain_source_listing(source.text, assembler.table());
    const std::string title = std::filesystem::path(options->source).filename().string();
    const auto program = zorvin::analysis::program_of_run(assembler, zorvin::analysis::names_upi_part(source.text));
    written &= save_text(*options->listing_file, zorvin::output::listing_file_text(listing, title, &program), "Listing");
  }
  // A file that was not written must not end in a line that reads as success.
  print_line(written ? result.summary : std::string(zorvin::output::kOutputsNotSaved));
  return written ? kSuccess : kAssemblyFailed;
}
