#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/icons.h"

namespace zorvin::resources {
namespace {

std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(HicolorIcons, EverySizeIsBuiltAndTheSmallestIsTheWindowIcon) {
  for (const int size : {16, 32, 48, 128}) {
    SCOPED_TRACE(size);
    const std::string side = std::to_string(size);
    const auto png = read_file(ZORVIN_HICOLOR_DIR "/" + side + "x" + side + "/apps/zorvin.png");
    const auto image = decode_png(png);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, size);
    EXPECT_EQ(image->height, size);
  }
  const auto window_icon = decode_png(icon_png(14));
  const auto small = decode_png(read_file(ZORVIN_HICOLOR_DIR "/16x16/apps/zorvin.png"));
  ASSERT_TRUE(window_icon && small);
  EXPECT_EQ(small->pixels, window_icon->pixels);
}

TEST(HicolorIcons, FortyEightPixelsAreTheWindowIconScaledByThree) {
  const auto window_icon = decode_png(icon_png(14));
  const auto large = decode_png(read_file(ZORVIN_HICOLOR_DIR "/48x48/apps/zorvin.png"));
  ASSERT_TRUE(window_icon && large);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x)
      for (int channel = 0; channel < 4; ++channel)
        ASSERT_EQ(large->pixels[(y * 48 + x) * 4 + channel],
                  window_icon->pixels[((y / 3) * 16 + x / 3) * 4 + channel])
            << x << "," << y;
}

}  // namespace
}  // namespace zorvin::resources
