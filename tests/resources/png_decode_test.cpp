#include <gtest/gtest.h>
#include <png.h>

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
  png_image header{};
  header.version = PNG_IMAGE_VERSION;
  header.width = width;
  header.height = 1;
  header.format = format;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&header, nullptr, &size, 0, pixels, 0, nullptr)) return {};
  std::vector<unsigned char> png(size);
  if (!png_image_write_to_memory(&header, png.data(), &size, 0, pixels, 0, nullptr)) return {};
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

TEST(PngRoundTrip, InterlacedRgbIsPutBackInRowOrder) {
  // 3 x 2 RGB, Adam7 interlaced, written by ImageMagick from the pixels below.
  const unsigned char png[] = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00,
      0x01, 0x65, 0x11, 0xc1, 0xdb, 0x00, 0x00, 0x00, 0x1a, 0x49, 0x44, 0x41, 0x54, 0x08,
      0xd7, 0x63, 0xf8, 0xcf, 0xc0, 0xc0, 0xc0, 0xc0, 0xf0, 0x9f, 0x81, 0xe1, 0x3f, 0x03,
      0x23, 0x97, 0x88, 0x1c, 0x04, 0x00, 0x00, 0x34, 0x32, 0x03, 0xef, 0x33, 0x63, 0x98,
      0xec, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  ASSERT_EQ(png[28], 1);  // interlace method Adam7
  const auto image = decode_png(png);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->pixels, (std::vector<unsigned char>{255, 0,  0,  255, 0,  255, 0,  255,
                                                       0,   0,  255, 255, 10, 20,  30, 255,
                                                       40,  50, 60,  255, 70, 80,  90, 255}));
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
  // The last 12 bytes are the IEND chunk; libpng accepts an image without
  // it, as the pixel data is complete.
  for (std::size_t size = 0; size < whole.size() - 12; ++size) {
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

TEST(PngDecode, RejectsValidImagesWiderThanTheLimit) {
  const std::vector<unsigned char> row(4097, 0x40);
  const auto too_wide = simple_png(PNG_FORMAT_GRAY, 4097, row.data());
  const auto widest = simple_png(PNG_FORMAT_GRAY, 4096, row.data());
  ASSERT_FALSE(too_wide.empty());
  EXPECT_FALSE(decode_png(too_wide).has_value());
  const auto image = decode_png(widest);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 4096);
}

}  // namespace
}  // namespace zorvin::resources
