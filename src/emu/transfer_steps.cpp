#include "emu/transfer_steps.h"

#include "files/text_codec.h"

namespace zorvin::emu {
namespace {

// Commands are text; on the wire each character is one byte.
std::string command(const std::string& text) { return utf8_to_latin1(":" + text + "\n").bytes; }

}  // namespace

std::vector<std::string> transfer_steps(const std::string& image,
                                        const settings::Settings& settings) {
  std::vector<std::string> steps;
  steps.push_back(command("EMUOFF"));
  steps.push_back(command("iniSPI" + std::to_string(settings.spi_flag)));
  steps.push_back(command("iniAuto" + std::to_string(settings.auto_load)));
  for (std::size_t offset = 0; offset < image.size(); offset += kBlockSize) {
    steps.push_back(command("SBN") + command(std::to_string(offset)) +
                    command(std::to_string(kBlockSize)) + image.substr(offset, kBlockSize));
  }
  steps.push_back(command("ini" + settings.eprom_code));
  steps.push_back(command("EMUON"));
  return steps;
}

}  // namespace zorvin::emu
