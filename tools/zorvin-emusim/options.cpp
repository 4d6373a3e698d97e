#include "options.h"

#include <charconv>
#include <string_view>

#include "repeating_text.h"

namespace zorvin::emusim {

const char* const kUsage =
    "usage: zorvin-emusim --link PATH [--dump FILE] [--log FILE] [--silent]\n"
    "                     [--banner-delay MS] [--reply-delay MS] [--latency MS]\n"
    "                     [--once] [--reset-on-open]\n"
    "                     [--firmware current|old] [--spi 0|1] [--auto 0|1]\n"
    "                     [--last-eprom 16|32|64|E64|128|256|E256|512]\n"
    "                     [--spi-image FILE] [--lose-byte N]... [--stream TEXT]\n"
    "Simulates the EPROM emulator on a pseudo-terminal reachable as PATH.\n";

namespace {

template <typename Number>
std::optional<Number> parse_number(std::string_view text, Number low) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low) return std::nullopt;
  return value;
}

std::optional<bool> parse_switch(std::string_view text) {
  if (text == "0" || text == "1") return text == "1";
  return std::nullopt;
}

// Takes the option at argv[i] and its value, if it has one; false when it
// is unknown or its value is wrong.
bool take_option(Options& options, std::string_view arg, const char* value, bool& used_value) {
  used_value = false;
  if (arg == "--silent") return options.silent = true;
  if (arg == "--once") return options.once = true;
  if (arg == "--reset-on-open") return options.reset_on_open = true;
  if (value == nullptr) return false;
  used_value = true;
  const std::string_view text = value;
  if (arg == "--link") {
    options.link = text;
  } else if (arg == "--dump") {
    options.dump = text;
  } else if (arg == "--log") {
    options.log = text;
  } else if (arg == "--spi-image") {
    options.spi_image = text;
  } else if (arg == "--banner-delay" || arg == "--reply-delay" || arg == "--latency") {
    const std::optional<int> ms = parse_number(text, 0);
    if (!ms) return false;
    (arg == "--banner-delay" ? options.banner_delay_ms
     : arg == "--reply-delay" ? options.reply_delay_ms
                              : options.latency_ms) = *ms;
  } else if (arg == "--firmware") {
    if (text != "current" && text != "old") return false;
    options.firmware = text == "current" ? Firmware::Current : Firmware::Old;
  } else if (arg == "--spi" || arg == "--auto") {
    const std::optional<bool> on = parse_switch(text);
    if (!on) return false;
    (arg == "--spi" ? options.settings.spi_save : options.settings.auto_load) = *on;
  } else if (arg == "--last-eprom") {
    options.settings.last_eprom = find_eprom(text);
    if (options.settings.last_eprom == nullptr) return false;
  } else if (arg == "--lose-byte") {
    const std::optional<std::uint64_t> n = parse_number<std::uint64_t>(text, 1);
    if (!n) return false;
    options.lose_bytes.insert(*n);
  } else if (arg == "--stream") {
    options.stream = decode_escapes(text);
    if (options.stream->empty()) return false;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    bool used_value = false;
    if (!take_option(options, argv[i], i + 1 < argc ? argv[i + 1] : nullptr, used_value)) {
      return std::nullopt;
    }
    if (used_value) ++i;
  }
  if (options.link.empty()) return std::nullopt;
  return options;
}

}  // namespace zorvin::emusim
