// zorvin-dis IMAGE [--cpu NAME] [--entry ADDR ...] [--base ADDR]
//            [--fill 00|FF] [-o FILE]
//
// Disassembles a raw image (.bin and any other name) or an Intel HEX file
// (.hex, .ihx) into a source of the extended dialect that zorvin-asm, with
// the same fill byte, assembles back to the identical image. Without -o the
// source goes to standard output (UTF-8); -o writes it as 8-bit text like
// the sources. Exit status: 0 when disassembled, 1 when the image cannot be
// disassembled (empty, beyond the part's program memory) or the source
// cannot be written, 2 for a usage error or an image file that cannot be
// read.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "asm/ext/pass.h"
#include "dis/disassembler.h"
#include "dis/image_file.h"
#include "files/file_identity.h"
#include "files/file_rewrite.h"
#include "text/text_codec.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Aufruf: zorvin-dis ABBILD [--cpu NAME] [--entry ADRESSE ...] [--base ADRESSE] [--fill 00|FF] [-o DATEI]\n";

struct Options {
  std::string image;
  std::string cpu = "8048";
  std::vector<std::int32_t> entries;
  std::int32_t base = 0;
  std::uint8_t fill_byte = 0x00;
  std::optional<std::string> output;
};

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  bool have_image = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--cpu" && has_value) {
      options.cpu = argv[++i];
      if (!zorvin::asm48::ext::instruction_set_of(options.cpu)) {
        std::fprintf(stderr, "zorvin-dis: unbekannter Prozessor '%s' (8048, 8049, 8050, 8035, 8039, 8040, 8041, 8042)\n",
                     options.cpu.c_str());
        return std::nullopt;
      }
    } else if ((arg == "--entry" || arg == "--base") && has_value) {
      const std::string value = argv[++i];
      const auto address = zorvin::dis::program_address(value);
      if (!address) {
        std::fprintf(stderr, "zorvin-dis: %s erwartet eine Adresse von 0 bis 0FFFh, nicht '%s'\n", arg.c_str(),
                     value.c_str());
        return std::nullopt;
      }
      if (arg == "--entry") options.entries.push_back(*address);
      else options.base = *address;
    } else if (arg == "--fill" && has_value) {
      const std::string value = argv[++i];
      if (value == "00") {
        options.fill_byte = 0x00;
      } else if (value == "FF" || value == "ff") {
        options.fill_byte = 0xFF;
      } else {
        std::fprintf(stderr, "zorvin-dis: --fill erwartet 00 oder FF, nicht '%s'\n", value.c_str());
        return std::nullopt;
      }
    } else if ((arg == "-o" || arg == "--output") && has_value) {
      options.output = argv[++i];
    } else if (!arg.starts_with("-") && !have_image) {
      options.image = arg;
      have_image = true;
    } else {
      std::fprintf(stderr, "zorvin-dis: unbekanntes oder unvollständiges Argument '%s'\n", arg.c_str());
      return std::nullopt;
    }
  }
  if (!have_image) {
    std::fprintf(stderr, "zorvin-dis: keine Abbilddatei angegeben\n");
    return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = parse_options(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  if (options->output && zorvin::files::same_file(*options->output, options->image)) {
    std::fprintf(stderr, "zorvin-dis: -o %s würde das Abbild überschreiben\n", options->output->c_str());
    return kUsageError;
  }
  const zorvin::dis::ImageFile image =
      zorvin::dis::read_image_file(options->image, options->base, options->fill_byte);
  if (!image.ok()) {
    std::fprintf(stderr, "zorvin-dis: %s\n", zorvin::dis::error_with_name(options->image, image).c_str());
    return kUsageError;
  }
  zorvin::dis::DisassemblyOptions settings;
  settings.cpu = options->cpu;
  settings.entries = options->entries;
  settings.fill_byte = options->fill_byte;
  settings.title = std::filesystem::path(options->image).filename().string();
  for (const std::int32_t entry : settings.entries) {
    if (entry < image.base || entry >= image.base + static_cast<std::int32_t>(image.bytes.size()))
      std::fprintf(stderr, "zorvin-dis: Einsprung %04XH liegt nicht im Abbild und bleibt unbeachtet\n",
                   static_cast<unsigned>(entry));
  }
  const zorvin::dis::Disassembly source = zorvin::dis::disassemble(image.base, image.bytes, settings);
  if (!source.ok()) {
    std::fprintf(stderr, "zorvin-dis: %s: %s\n", options->image.c_str(), source.error.c_str());
    return kFailed;
  }
  if (!options->output) {
    std::fwrite(source.text.data(), 1, source.text.size(), stdout);
    return std::fflush(stdout) == 0 ? kSuccess : kFailed;
  }
  const zorvin::Latin1Text bytes = zorvin::utf8_to_latin1(source.text);
  const zorvin::files::RewriteResult written = zorvin::files::rewrite_file(*options->output, bytes.bytes);
  if (!written.ok) {
    std::printf("%s - Fehler beim Speichern (%s)\n", options->output->c_str(), written.error.c_str());
    return kFailed;
  }
  std::printf("%s (%zu Byte) gespeichert\n", options->output->c_str(), bytes.bytes.size());
  return kSuccess;
}
