#include "options.h"

#include <charconv>
#include <string_view>

#include "repeating_text.h"

namespace zorvin::emusim {

const char* const kUsage =
    "Aufruf: zorvin-emusim --link PFAD [--dump DATEI] [--log DATEI] [--silent]\n"
    "                      [--banner-delay MS] [--reply-delay MS] [--latency MS]\n"
    "                      [--once] [--reset-on-open]\n"
    "                      [--firmware current|old] [--spi 0|1] [--auto 0|1]\n"
    "                      [--last-eprom 16|32|64|E64|128|256|E256|512]\n"
    "                      [--spi-image DATEI] [--lose-byte N]... [--stream TEXT]\n"
    "        zorvin-emusim --help | --version\n"
    "Simuliert den EPROM-Emulator an einem Pseudo-Terminal, erreichbar als PFAD.\n";

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

// "--spi erwartet 0 oder 1, nicht '2'"
std::string wrong_value(std::string_view arg, std::string_view expected, std::string_view value) {
  return std::string(arg) + " erwartet " + std::string(expected) + ", nicht '" + std::string(value) + "'";
}

// Takes the option `arg` and its value, if it has one; the message when it
// is unknown or its value is wrong.
std::optional<std::string> take_option(Options& options, std::string_view arg, const char* value,
                                       bool& used_value) {
  used_value = false;
  if (arg == "--silent" || arg == "--once" || arg == "--reset-on-open") {
    (arg == "--silent" ? options.silent : arg == "--once" ? options.once : options.reset_on_open) = true;
    return std::nullopt;
  }
  static constexpr std::string_view kWithValue[] = {
      "--link", "--dump", "--log", "--spi-image", "--banner-delay", "--reply-delay", "--latency", "--firmware",
      "--spi", "--auto", "--last-eprom", "--lose-byte", "--stream"};
  bool known = false;
  for (const std::string_view option : kWithValue) known = known || option == arg;
  if (!known) {
    return arg.starts_with("-") ? "unbekannte Option '" + std::string(arg) + "'"
                                : "unerwartetes Argument '" + std::string(arg) + "'";
  }
  if (value == nullptr) return std::string(arg) + " ohne Wert";
  used_value = true;
  const std::string_view text = value;
  if (arg == "--link" || arg == "--dump" || arg == "--log" || arg == "--spi-image") {
    if (text.empty()) return std::string(arg) + " erwartet einen Pfad, nicht ''";
    (arg == "--link"   ? options.link
     : arg == "--dump" ? options.dump
     : arg == "--log"  ? options.log
                       : options.spi_image) = text;
  } else if (arg == "--banner-delay" || arg == "--reply-delay" || arg == "--latency") {
    const std::optional<int> ms = parse_number(text, 0);
    if (!ms) return wrong_value(arg, "Millisekunden (eine ganze Zahl ab 0)", text);
    (arg == "--banner-delay" ? options.banner_delay_ms
     : arg == "--reply-delay" ? options.reply_delay_ms
                              : options.latency_ms) = *ms;
  } else if (arg == "--firmware") {
    if (text != "current" && text != "old") return wrong_value(arg, "current oder old", text);
    options.firmware = text == "current" ? Firmware::Current : Firmware::Old;
  } else if (arg == "--spi" || arg == "--auto") {
    const std::optional<bool> on = parse_switch(text);
    if (!on) return wrong_value(arg, "0 oder 1", text);
    (arg == "--spi" ? options.settings.spi_save : options.settings.auto_load) = *on;
  } else if (arg == "--last-eprom") {
    options.settings.last_eprom = find_eprom(text);
    if (options.settings.last_eprom == nullptr)
      return wrong_value(arg, "einen dieser Codes: 16, 32, 64, E64, 128, 256, E256, 512", text);
  } else if (arg == "--lose-byte") {
    const std::optional<std::uint64_t> n = parse_number<std::uint64_t>(text, 1);
    if (!n) return wrong_value(arg, "die Nummer eines Bytes (eine ganze Zahl ab 1)", text);
    options.lose_bytes.insert(*n);
  } else {  // --stream
    options.stream = decode_escapes(text);
    if (options.stream->empty()) return wrong_value(arg, "einen Text, der nicht leer ist", text);
  }
  return std::nullopt;
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv, std::string& error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if ((options.request = cli::request_of(argv[i]))) return options;
    bool used_value = false;
    if (std::optional<std::string> wrong =
            take_option(options, argv[i], i + 1 < argc ? argv[i + 1] : nullptr, used_value)) {
      error = std::move(*wrong);
      return std::nullopt;
    }
    if (used_value) ++i;
  }
  if (options.link.empty()) {
    error = "--link PFAD fehlt";
    return std::nullopt;
  }
  return options;
}

}  // namespace zorvin::emusim
