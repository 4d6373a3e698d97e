#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

#include "resources/icon_source.h"
#include "resources/icons.h"
#include "resources/png_encode.h"

namespace zorvin::resources {
namespace {

std::vector<unsigned char> copy_of(std::span<const unsigned char> bytes) {
  return {bytes.begin(), bytes.end()};
}

// A PNG written by libpng's own simplified API, for colour types our
// encoder does not produce.
std::vector<unsigned char> simple_png(png_uint_32 format, png_uint_32 width, const void* pixels) {
  png_image spec{};
  spec.version = PNG_IMAGE_VERSION;
  spec.width = width;
  spec.height = 1;
  spec.format = format;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&spec, nullptr, &size, 0, pixels, 0, nullptr)) return {};
  std::vector<unsigned char> png(size);
  if (!png_image_write_to_memory(&spec, png.data(), &size, 0, pixels, 0, nullptr)) return {};
  png.resize(size);
  return png;
}

IconSource two_by_two(IconSource::Format format) {
  IconSource icon;
  icon.format = format;
  icon.width = icon.height = 2;
  icon.palette = {{0, 0, 0, 0}, {0x34, 0x65, 0xA4, 0xFF}, {0xFC, 0xE9, 0x4F, 0x80}};
  icon.indices = {1, 0, 2, 1};
  return icon;
}

std::vector<unsigned char> expected_rgba(const IconSource& icon, int scale) {
  std::vector<unsigned char> out;
  for (int y = 0; y < icon.height * scale; ++y)
    for (int x = 0; x < icon.width * scale; ++x) {
      const Rgba& c = icon.palette[icon.indices[(y / scale) * icon.width + x / scale]];
      out.insert(out.end(), {c.r, c.g, c.b, c.a});
    }
  return out;
}

TEST(PngRoundTrip, PaletteAndRgbaSourcesComeBackAsTheirColours) {
  for (const auto format : {IconSource::Format::palette, IconSource::Format::rgba}) {
    for (const int scale : {1, 3}) {
      SCOPED_TRACE(scale);
      const IconSource icon = two_by_two(format);
      const auto png = encode_png(icon, scale);
      ASSERT_FALSE(png.empty());
      EXPECT_EQ(png[25], format == IconSource::Format::palette ? 3 : 6);
      const auto image = decode_png(png);
      ASSERT_TRUE(image.has_value());
      EXPECT_EQ(image->width, 2 * scale);
      EXPECT_EQ(image->height, 2 * scale);
      EXPECT_EQ(image->pixels, expected_rgba(icon, scale));
    }
  }
}

TEST(PngRoundTrip, GreyAndRgbWithoutAlphaBecomeOpaqueRgba) {
  const unsigned char grey[] = {0x00, 0x80, 0xFF};
  auto image = decode_png(simple_png(PNG_FORMAT_GRAY, 3, grey));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixels, (std::vector<unsigned char>{0, 0, 0, 255, 0x80, 0x80, 0x80, 255,
                                                       255, 255, 255, 255}));

  const unsigned char rgb[] = {1, 2, 3, 250, 251, 252};
  image = decode_png(simple_png(PNG_FORMAT_RGB, 2, rgb));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixels, (std::vector<unsigned char>{1, 2, 3, 255, 250, 251, 252, 255}));
}

TEST(PngDecode, RejectsEmptyAndGarbageInput) {
  EXPECT_FALSE(decode_png({}).has_value());
  const std::vector<unsigned char> text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', '!'};
  EXPECT_FALSE(decode_png(text).has_value());
  // A valid signature followed by noise.
  std::vector<unsigned char> noise = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (int i = 0; i < 200; ++i) noise.push_back(static_cast<unsigned char>(i * 37 + 11));
  EXPECT_FALSE(decode_png(noise).has_value());
}

TEST(PngDecode, RejectsEveryTruncationOfARealImage) {
  const auto whole = copy_of(icon_png(14));
  ASSERT_TRUE(decode_png(whole).has_value());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    // The last 12 bytes are the IEND chunk; libpng accepts an image without
    // it, as the pixel data is complete.
    if (size >= whole.size() - 12) continue;
    EXPECT_FALSE(decode_png(std::span(whole.data(), size)).has_value()) << size << " bytes";
  }
}

TEST(PngDecode, RejectsDamagedPixelData) {
  auto damaged = copy_of(icon_png(16));
  // The byte after IDAT's type field is the first byte of compressed data;
  // changing it breaks the chunk's checksum.
  const auto at = std::search(damaged.begin(), damaged.end(), std::begin("IDAT"),
                              std::begin("IDAT") + 4);
  ASSERT_NE(at, damaged.end());
  at[4] ^= 0x5A;
  EXPECT_FALSE(decode_png(damaged).has_value());
}

TEST(PngDecode, RejectsImagesTooLargeToBeIcons) {
  IconSource icon;
  icon.width = 1;
  icon.height = 1;
  icon.palette = {{1, 2, 3, 255}};
  icon.indices = {0};
  auto png = encode_png(icon);
  ASSERT_TRUE(decode_png(png).has_value());
  // Claim 5000 x 5000 in IHDR and fix its checksum, so that only the size is wrong.
  png[16] = png[20] = 0;
  png[17] = png[21] = 0;
  png[18] = png[22] = 0x13;
  png[19] = png[23] = 0x88;
  const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  EXPECT_FALSE(decode_png(png).has_value());
}

}  // namespace
}  // namespace zorvin::resources
