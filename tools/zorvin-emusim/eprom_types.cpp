#include "eprom_types.h"

#include <array>

namespace zorvin::emusim {
namespace {

// The loading lines are copied as the firmware prints them, double blanks
// after "->" included.
constexpr std::array<EpromType, 8> kTypes = {{
    {"16", "2716", 16, "-> Bus set to 2716 EPROM Memory", "-> Loading 2716 EPROM from SPI", false},
    {"32", "2732", 32, "-> Bus set to 2732 EPROM Memory", "->  Loading 2732 EPROM from SPI", false},
    {"64", "2764", 64, "-> Bus set to 2764 EPROM Memory", "->  Loading 2764 EPROM from SPI", false},
    {"128", "27128", 128, "-> Bus set to 27128 EPROM Memory", "->  Loading 27128 EPROM from SPI",
     false},
    {"256", "27256", 256, "-> Bus set to 27256 EPROM Memory", "-> Loading 27256 EPROM from SPI",
     false},
    {"512", "27512", 512, "-> Bus set to 27512 EPROM Memory", "-> Loading 27512 EPROM from SPI",
     false},
    {"E256", "28C256", 512, "-> Bus set to 28C256 EEPROM Memory",
     "-> Loading 28C256 EEPROM from SPI", true},
    {"E64", "28C64", 64, "-> Bus set to 28C64 EPROM Memory", "->  Loading 28C64 EEPROM from SPI",
     true},
}};

}  // namespace

const EpromType* find_eprom(std::string_view code) {
  for (const EpromType& type : kTypes) {
    if (type.code == code) return &type;
  }
  return nullptr;
}

const EpromType& eprom_27512() { return *find_eprom("512"); }

}  // namespace zorvin::emusim
