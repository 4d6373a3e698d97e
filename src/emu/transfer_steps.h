// The bytes the EPROM emulator is sent, step by step. After each step the
// transfer waits for one reply line.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace zorvin::emu {

inline constexpr std::size_t kBlockSize = 128;
inline constexpr std::size_t kMaxImageSize = 2048;

// `image` is the padded image (a multiple of 128 bytes). The steps are:
// ":EMUOFF\n", ":iniSPI<spi>\n", ":iniAuto<auto>\n", one step per block
// (":SBN\n" ":<offset>\n" ":128\n" and the 128 raw bytes),
// ":ini<eprom code>\n" and ":EMUON\n".
std::vector<std::string> transfer_steps(const std::string& image,
                                        const settings::Settings& settings);

}  // namespace zorvin::emu
