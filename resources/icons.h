// The program's icon images: PNG files embedded in the binary at build time,
// and the decoder that turns PNG bytes into plain RGBA pixels for the
// toolkit layer.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace zorvin::resources {

// Images 0 to 15 are 16 x 16 palette PNGs with a transparency table,
// image 16 is the 32 x 32 RGBA light bulb of the Info dialog.
inline constexpr int kIconCount = 17;

// The embedded PNG bytes of image `id`; an empty span for an id outside 0..16.
std::span<const unsigned char> icon_png(int id);

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;  // RGBA, row-major, 4 * width * height bytes
};

// Decodes any PNG (palette, grey, RGB, with or without alpha, 16-bit,
// interlaced) into 8-bit RGBA. Returns nullopt for anything that is not a
// complete, valid PNG, and for images larger than 4096 x 4096.
std::optional<RgbaImage> decode_png(std::span<const unsigned char> png);

}  // namespace zorvin::resources
