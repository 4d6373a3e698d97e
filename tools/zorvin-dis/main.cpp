// zorvin-dis IMAGE [--cpu NAME] [--entry ADDR ...] [--base ADDR]
//            [--fill 00|FF] [-o FILE]
// zorvin-dis --help | --version
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
#include "command_line.h"
#include "dis/disassembler.h"
#include "dis/image_file.h"
#include "files/file_identity.h"
#include "files/file_rewrite.h"
#include "text/text_codec.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = zorvin::cli::kUsageError;

constexpr zorvin::cli::Tool kTool = {
    "zorvin-dis",
    "Aufruf: zorvin-dis ABBILD [--cpu NAME] [--entry ADRESSE ...] [--base ADRESSE] [--fill 00|FF] [-o DATEI]\n"
    "        zorvin-dis --help | --version\n"};

struct Options {
  std::string image;
  std::string cpu = "8048";
  std::vector<std::int32_t> entries;
  std::int32_t base = 0;
  std::uint8_t fill_byte = 0x00;
  std::optional<std::string> output;
};

std::optional<Options> parse_options(zorvin::cli::ArgumentReader& args) {
  Options options;
  std::optional<std::string> image;
  std::string value;
  while (args.next()) {
    const std::string& arg = args.arg();
    if (args.value("--cpu", value)) {
      options.cpu = value;
      if (!zorvin::asm48::ext::instruction_set_of(options.cpu))
        return args.fail("unbekannter Prozessor '" + value + "' (8048, 8049, 8050, 8035, 8039, 8040, 8041, 8042)");
    } else if (args.value("--entry", value) || args.value("--base", value)) {
      const auto address = zorvin::dis::program_address(value);
      if (!address)
        return args.fail(arg + " erwartet eine Adresse von 0 bis 0FFFh, nicht '" + value + "'");
      if (arg == "--entry") options.entries.push_back(*address);
      else options.base = *address;
    } else if (args.value("--fill", value)) {
      const auto fill = zorvin::cli::fill_byte_of(value);
      if (!fill) return args.fail("--fill erwartet 00 oder FF, nicht '" + value + "'");
      options.fill_byte = *fill;
    } else if (args.value("-o", value) || args.value("--output", value)) {
      options.output = value;
    } else if (!args.positional(image)) {
      args.unknown();
    }
  }
  if (args.stopped()) return std::nullopt;
  if (!image) return args.fail("keine Abbilddatei angegeben");
  options.image = *image;
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  zorvin::cli::ArgumentReader args(kTool, argc, argv);
  const auto options = parse_options(args);
  if (!options) return args.stop();
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
