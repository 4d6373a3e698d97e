// zorvin-asm [--fill 00|FF] [--listing] [--output FILE] SOURCE
//
// Assembles an 8-bit (ISO 8859-1) source file like the F5 command does and
// prints, UTF-8, one per line: the listing rows (with --listing), the error
// lines, the "gespeichert" line and the summary. Exit status: 0 without
// errors, 1 for assembly errors, an empty source or an image that could not
// be written, 2 for a usage error or a source that cannot be read (missing,
// not a regular file, or larger than the editor would load).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "files/file_identity.h"
#include "files/listing.h"
#include "files/output_writer.h"
#include "files/source_file.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kAssemblyFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage = "Aufruf: zorvin-asm [--fill 00|FF] [--listing] [--output DATEI] QUELLE\n";

struct Options {
  std::uint8_t fill_byte = 0x00;
  bool listing = false;
  std::optional<std::string> output;
  std::string source;
};

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  bool have_source = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--listing") {
      options.listing = true;
    } else if (arg == "--fill" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value == "00") {
        options.fill_byte = 0x00;
      } else if (value == "FF" || value == "ff") {
        options.fill_byte = 0xFF;
      } else {
        std::fprintf(stderr, "zorvin-asm: --fill erwartet 00 oder FF, nicht '%s'\n", value.c_str());
        return std::nullopt;
      }
    } else if (arg == "--output" && i + 1 < argc) {
      options.output = argv[++i];
    } else if (!arg.starts_with("-") && !have_source) {
      options.source = arg;
      have_source = true;
    } else {
      std::fprintf(stderr, "zorvin-asm: unbekanntes oder unvollständiges Argument '%s'\n", arg.c_str());
      return std::nullopt;
    }
  }
  if (!have_source) {
    std::fprintf(stderr, "zorvin-asm: keine Quelldatei angegeben\n");
    return std::nullopt;
  }
  return options;
}

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = parse_options(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  const zorvin::files::LoadedSource source = zorvin::files::read_source_file(options->source);
  if (!source.ok) {
    std::fprintf(stderr, "zorvin-asm: %s kann nicht gelesen werden: %s\n", options->source.c_str(),
                 source.error.c_str());
    return kUsageError;
  }
  if (source.cut_at_zero) {
    std::fprintf(stderr, "zorvin-asm: %s: ab dem ersten 00H-Byte wurden %ju Byte nicht gelesen\n",
                 options->source.c_str(), source.bytes_not_loaded);
  }
  if (options->output && zorvin::files::same_file(*options->output, options->source)) {
    std::fprintf(stderr, "zorvin-asm: --output %s würde die Quelle überschreiben\n", options->output->c_str());
    return kUsageError;
  }

  zorvin::asm48::Assembler assembler;
  const auto result = assembler.run(source.text);
  if (result.nothing_to_assemble) {
    print_line(std::string(zorvin::asm48::kNothingToAssemble));
    return kAssemblyFailed;
  }
  if (!result.ok()) {
    for (const auto& line : result.error_lines) print_line(line);
    print_line(result.summary);
    return kAssemblyFailed;
  }

  const auto output = options->output
                          ? zorvin::files::write_output_to(assembler.table(), options->fill_byte, *options->output,
                                                           options->source)
                          : zorvin::files::write_output(assembler.table(), options->fill_byte, options->source);
  if (options->listing)
    for (const auto& row : zorvin::files::listing_rows(assembler.table())) print_line(row);
  for (const auto& line : output.messages) print_line(line);
  print_line(result.summary);
  return output.image_written ? kSuccess : kAssemblyFailed;
}
