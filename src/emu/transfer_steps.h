// The bytes the EPROM emulator is sent, step by step, and the reply lines
// each step must bring back before the next one may go out.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace zorvin::emu {

inline constexpr std::size_t kBlockSize = 128;
// Both 2 KiB banks of the 8048's program memory.
inline constexpr std::size_t kMaxImageSize = 4096;

// Takes the device's bus and holds the target in reset; answered with the
// device's version line ("-> HW: ..., FW: ...").
inline constexpr std::string_view kSyncCommand = ":EMUOFF\n";

struct TransferStep {
  std::string name;                   // for messages: ":iniSPI0", "Block 2 von 16 (Adresse 128)"
  std::string bytes;                  // what goes on the wire
  std::vector<std::string> replies;   // the lines expected back, in order, each by its beginning
  bool is_block = false;
};

// The steps after the sync, for `image` (the padded image, a multiple of 128
// bytes): ":iniSPI<spi>\n", ":iniAuto<auto>\n", one step per block
// (":SBN\n" ":<offset>\n" ":128\n" and the 128 raw bytes), ":ini<code>\n"
// and ":EMUON\n".
std::vector<TransferStep> transfer_steps(const std::string& image, const settings::Settings& settings);

// The parts the device emulates, smallest first: the code that selects one
// (":ini" + code), its part number and how many bytes it holds.
struct EpromPart {
  std::string_view code;
  std::string_view part;
  std::size_t capacity;
};
std::span<const EpromPart> eprom_parts();

// The part number an EPROM code stands for ("2764" for "64", "28C256" for
// "E256"); empty for a code the device does not know.
std::string eprom_part(std::string_view code);

// The codes the device knows, for messages: "16, 32, 64, E64, 128, 256, E256, 512".
std::string eprom_code_list();

// Why the EPROM value stored in the settings file at `ini_path` cannot be
// sent, in the words of a message; nothing when it is a known code, or when
// the file holds no such value (the settings record's code counts then).
// Loading the settings turns an unknown value into "64"; this finds it.
std::optional<std::string> stored_eprom_problem(const std::string& ini_path);

// Why an image of `size` bytes does not fit the part `code` stands for;
// nothing when it fits.
std::optional<std::string> capacity_problem(std::size_t size, std::string_view code);

// Whether `line` is the device's version line.
bool is_version_line(std::string_view line);

// What is wrong with the emulator settings before anything is sent, in the
// words of a message; nothing when all can be sent.
std::optional<std::string> settings_problem(const settings::Settings& settings);

}  // namespace zorvin::emu
