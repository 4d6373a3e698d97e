#include "app/debugger/debugger_format.h"

#include <cmath>
#include <cstdio>

namespace zorvin::app {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string with_comma(std::string text) {
  for (char& c : text)
    if (c == '.') c = ',';
  return text;
}

}  // namespace

std::string hex_text(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::optional<unsigned> parse_hex(std::string_view text, unsigned max) {
  text = trimmed(text);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  } else if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) {
    text.remove_suffix(1);
  }
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  if (value > max) return std::nullopt;
  return value;
}

std::string time_text(double seconds) {
  char text[48];
  if (seconds < 1e-3) {
    std::snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
  } else if (seconds < 1.0) {
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.6f s", seconds);
  }
  return with_comma(text);
}

std::optional<std::int32_t> parse_mhz(std::string_view text) {
  text = trimmed(text);
  if (text.empty() || text.size() > 16) return std::nullopt;
  double whole = 0, scale = 0;
  bool digits = false;
  for (char c : text) {
    if ((c == ',' || c == '.') && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0) {
        whole = whole * 10 + (c - '0');
      } else {
        scale /= 10;
        whole += (c - '0') * scale;
      }
    } else {
      return std::nullopt;
    }
  }
  const double hz = std::round(whole * 1e6);
  if (!digits || hz < 1e3 || hz > 1e8) return std::nullopt;
  return static_cast<std::int32_t>(hz);
}

std::string mhz_text(std::int32_t hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", hz / 1e6);
  std::string shown = text;
  while (shown.back() == '0') shown.pop_back();
  if (shown.back() == '.') shown.pop_back();
  return with_comma(shown);
}

}  // namespace zorvin::app
