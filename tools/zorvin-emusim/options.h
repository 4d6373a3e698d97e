// The simulator's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "command_line.h"
#include "firmware.h"

namespace zorvin::emusim {

struct Options {
  std::string link;
  std::string dump;
  std::string log;
  std::string spi_image;
  bool silent = false;
  bool once = false;
  bool reset_on_open = false;  // the adapter's driver drops DTR at every close
  int latency_ms = 16;         // the adapter's latency timer
  int banner_delay_ms = 1000;
  int reply_delay_ms = 0;
  Firmware firmware = Firmware::Current;
  StoredSettings settings;
  std::set<std::uint64_t> lose_bytes;
  std::optional<std::string> stream;  // decoded
  std::optional<cli::Request> request;  // --help or --version: answered instead of a run
};

extern const char* const kUsage;

// Empty for a wrong command line; `error` then says what is wrong, naming
// the option and its value. At --help or --version `request` is set and the
// rest is not read.
std::optional<Options> parse_options(int argc, char** argv, std::string& error);

}  // namespace zorvin::emusim
