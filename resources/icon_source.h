// The pixel-art text format of the icon sources in resources/icons:
//
//   # Comment lines and blank lines are ignored before "pixels".
//   format palette            (or "format rgba")
//   . transparent
//   k #2e3436                 (opaque colour)
//   g #73d21680               (colour with alpha)
//   pixels
//   ..kkkk..
//   .kggggk.
//
// Each colour line binds one printable character to a colour; the rows after
// "pixels" use only bound characters and all have the same length. The
// palette keeps the order of the colour lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvin::resources {

struct Rgba {
  unsigned char r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

struct IconSource {
  enum class Format { palette, rgba };
  Format format = Format::palette;
  int width = 0, height = 0;
  std::vector<Rgba> palette;
  std::vector<unsigned char> indices;  // palette index per pixel, row-major
};

inline constexpr int kMaxSourceSide = 256;

// Parses `text`; on failure returns false and sets `error` to a message that
// names the line.
bool parse_icon_source(std::string_view text, IconSource& icon, std::string& error);

}  // namespace zorvin::resources
