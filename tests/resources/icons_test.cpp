#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "resources/icons.h"

namespace zorvin::resources {
namespace {

constexpr int kBulb = 16;

std::uint32_t big_endian(std::span<const unsigned char> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// Walks the chunk list; true when a chunk of `type` comes before IDAT.
bool has_chunk_before_data(std::span<const unsigned char> png, const std::string& type) {
  for (std::size_t at = 8; at + 8 <= png.size();) {
    const std::string name(png.begin() + at + 4, png.begin() + at + 8);
    if (name == type) return true;
    if (name == "IDAT") return false;
    at += 12 + big_endian(png, at);
  }
  return false;
}

int alpha_at(const RgbaImage& image, int x, int y) {
  return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4 + 3];
}

TEST(Icons, EveryImageIsEmbeddedInItsStoredFormat) {
  for (int id = 0; id < kIconCount; ++id) {
    SCOPED_TRACE("image " + std::to_string(id));
    const auto png = icon_png(id);
    ASSERT_GT(png.size(), 33u);
    // IHDR comes first: width, height, bit depth, colour type.
    ASSERT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    const std::uint32_t side = id == kBulb ? 32 : 16;
    EXPECT_EQ(big_endian(png, 16), side);
    EXPECT_EQ(big_endian(png, 20), side);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], id == kBulb ? 6 : 3);  // RGBA : palette
    EXPECT_EQ(has_chunk_before_data(png, "tRNS"), id != kBulb);
  }
}

TEST(Icons, EveryImageDecodesWithTransparentCornersAndVisibleMiddle) {
  for (int id = 0; id < kIconCount; ++id) {
    SCOPED_TRACE("image " + std::to_string(id));
    const auto image = decode_png(icon_png(id));
    ASSERT_TRUE(image.has_value());
    const int side = id == kBulb ? 32 : 16;
    ASSERT_EQ(image->width, side);
    ASSERT_EQ(image->height, side);
    ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(side * side * 4));
    // Every design is a shape on a transparent ground, none is a full square.
    const int last = side - 1;
    EXPECT_EQ(alpha_at(*image, 0, 0) + alpha_at(*image, last, 0) + alpha_at(*image, 0, last) +
                  alpha_at(*image, last, last),
              0)
        << "a corner pixel is not transparent";
    // Transparency must be an exception, not the rule: at least a third of
    // the pixels are drawn.
    int drawn = 0;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) drawn += alpha_at(*image, x, y) != 0;
    EXPECT_GE(drawn * 3, side * side);
  }
}

TEST(Icons, TheSpareChipIsTheEmulatorChip) {
  const auto spare = icon_png(0);
  const auto chip = icon_png(5);
  EXPECT_TRUE(std::equal(spare.begin(), spare.end(), chip.begin(), chip.end()));
}

TEST(Icons, BadIdsGiveNoData) {
  EXPECT_TRUE(icon_png(-1).empty());
  EXPECT_TRUE(icon_png(kIconCount).empty());
  EXPECT_TRUE(icon_png(1000000).empty());
}

}  // namespace
}  // namespace zorvin::resources
