// zorvin-asm [--fill 00|FF] [--listing] [--output FILE] SOURCE
//
// Assembles an 8-bit (ISO 8859-1) source file like the F5 command does and
// prints, UTF-8, one per line: the listing rows (with --listing), the error
// lines, the "gespeichert" line and the summary. Exit status: 0 without
// errors, 1 for assembly errors, an empty source or an image that could not
// be written, 2 for a usage error or an unreadable source.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "files/output_writer.h"
#include "files/text_codec.h"

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

// Whole file as raw bytes; errno tells why when it fails.
std::optional<std::string> read_bytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int read_errno = errno;
  std::fclose(file);
  if (failed) {
    errno = read_errno;
    return std::nullopt;
  }
  return bytes;
}

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = parse_options(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  const auto bytes = read_bytes(options->source);
  if (!bytes) {
    std::fprintf(stderr, "zorvin-asm: %s kann nicht gelesen werden: %s\n", options->source.c_str(),
                 std::strerror(errno));
    return kUsageError;
  }
  if (options->output && same_file(*options->output, options->source)) {
    std::fprintf(stderr, "zorvin-asm: --output %s würde die Quelle überschreiben\n", options->output->c_str());
    return kUsageError;
  }

  zorvin::asm48::Assembler assembler;
  const auto result = assembler.run(zorvin::latin1_to_utf8(*bytes));
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
                          ? zorvin::files::write_output_to(assembler.table(), options->fill_byte, *options->output)
                          : zorvin::files::write_output(assembler.table(), options->fill_byte, options->source);
  if (options->listing)
    for (const auto& row : output.listing_rows) print_line(row);
  for (const auto& line : output.messages) print_line(line);
  print_line(result.summary);
  return output.image_written ? kSuccess : kAssemblyFailed;
}
