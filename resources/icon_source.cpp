#include "resources/icon_source.h"

#include <array>
#include <optional>

namespace zorvin::resources {
namespace {

std::string_view trim(std::string_view s) {
  const auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
  return s;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "transparent", "#rrggbb" or "#rrggbbaa".
std::optional<Rgba> parse_colour(std::string_view value) {
  if (value == "transparent") return Rgba{};
  if ((value.size() != 7 && value.size() != 9) || value[0] != '#') return std::nullopt;
  std::array<unsigned char, 4> channels{0, 0, 0, 0xFF};
  for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
    const int high = hex_digit(value[i + 1]);
    const int low = hex_digit(value[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i / 2] = static_cast<unsigned char>(high * 16 + low);
  }
  return Rgba{channels[0], channels[1], channels[2], channels[3]};
}

bool is_key(char c) { return c > ' ' && c < 0x7F && c != '#'; }

class Parser {
 public:
  explicit Parser(IconSource& icon) : icon_(icon) { slot_.fill(-1); }

  bool line(std::string_view raw) {
    ++number_;
    const std::string_view text = trim(raw);
    if (in_pixels_) return pixel_row(text);
    if (text.empty() || text.front() == '#') return true;
    if (text == "pixels") {
      in_pixels_ = true;
      return true;
    }
    if (text.starts_with("format ")) return format(trim(text.substr(7)));
    if (text.size() > 2 && is_key(text[0]) && (text[1] == ' ' || text[1] == '\t'))
      return colour(text[0], trim(text.substr(2)));
    return fail("expected \"format\", a colour line or \"pixels\"");
  }

  bool finish() {
    if (!in_pixels_) return fail("no \"pixels\" line");
    if (icon_.height == 0) return fail("no pixel rows");
    return true;
  }

  const std::string& error() const { return error_; }

 private:
  bool format(std::string_view name) {
    if (name == "palette") icon_.format = IconSource::Format::palette;
    else if (name == "rgba") icon_.format = IconSource::Format::rgba;
    else return fail("format must be \"palette\" or \"rgba\"");
    return true;
  }

  bool colour(char key, std::string_view value) {
    const auto rgba = parse_colour(value);
    if (!rgba) return fail("colour must be \"transparent\", #rrggbb or #rrggbbaa");
    auto& slot = slot_[static_cast<unsigned char>(key)];
    if (slot >= 0) return fail(std::string("character '") + key + "' is bound twice");
    slot = static_cast<int>(icon_.palette.size());
    icon_.palette.push_back(*rgba);
    return true;
  }

  bool pixel_row(std::string_view row) {
    if (row.empty()) return true;
    const int width = static_cast<int>(row.size());
    if (icon_.height == 0) {
      if (width > kMaxSourceSide) return fail("row is too long");
      icon_.width = width;
    } else if (width != icon_.width) {
      return fail("row length differs from the first row");
    }
    if (icon_.height == kMaxSourceSide) return fail("too many rows");
    for (const char c : row) {
      const int index = slot_[static_cast<unsigned char>(c)];
      if (index < 0) return fail(std::string("character '") + c + "' has no colour");
      icon_.indices.push_back(static_cast<unsigned char>(index));
    }
    ++icon_.height;
    return true;
  }

  bool fail(std::string message) {
    error_ = "line " + std::to_string(number_) + ": " + message;
    return false;
  }

  IconSource& icon_;
  std::array<int, 256> slot_;  // palette index per character, -1 when unbound
  bool in_pixels_ = false;
  int number_ = 0;
  std::string error_;
};

}  // namespace

bool parse_icon_source(std::string_view text, IconSource& icon, std::string& error) {
  icon = IconSource{};
  Parser parser(icon);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!parser.line(line)) {
      error = parser.error();
      return false;
    }
  }
  if (!parser.finish()) {
    error = parser.error();
    return false;
  }
  return true;
}

}  // namespace zorvin::resources
