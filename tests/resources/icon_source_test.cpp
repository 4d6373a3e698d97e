#include <gtest/gtest.h>

#include <string>

#include "resources/icon_source.h"
#include "resources/png_encode.h"

namespace zorvin::resources {
namespace {

TEST(IconSource, ReadsFormatPaletteInOrderAndRows) {
  const std::string text =
      "# A test image\r\n"
      "format rgba\n"
      "\n"
      ". transparent\n"
      "k #2E3436\n"
      "g  #73d21680\n"
      "pixels\n"
      ".kg\n"
      "gk.\r\n";
  IconSource icon;
  std::string error;
  ASSERT_TRUE(parse_icon_source(text, icon, error)) << error;
  EXPECT_EQ(icon.format, IconSource::Format::rgba);
  EXPECT_EQ(icon.width, 3);
  EXPECT_EQ(icon.height, 2);
  ASSERT_EQ(icon.palette.size(), 3u);
  EXPECT_EQ(icon.palette[0], (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(icon.palette[1], (Rgba{0x2E, 0x34, 0x36, 0xFF}));
  EXPECT_EQ(icon.palette[2], (Rgba{0x73, 0xD2, 0x16, 0x80}));
  EXPECT_EQ(icon.indices, (std::vector<unsigned char>{0, 1, 2, 2, 1, 0}));
}

TEST(IconSource, PaletteIsTheDefaultFormat) {
  IconSource icon;
  std::string error;
  ASSERT_TRUE(parse_icon_source("x #000000\npixels\nx\n", icon, error)) << error;
  EXPECT_EQ(icon.format, IconSource::Format::palette);
}

TEST(IconSource, MistakesAreReportedWithTheirLine) {
  const struct {
    const char* text;
    const char* error_start;
  } cases[] = {
      {"x #000000\npixels\nxx\nx\n", "line 4: row length"},
      {"x #000000\npixels\nxy\n", "line 3: character 'y'"},
      {"x #000000\nx #ffffff\n", "line 2: character 'x' is bound twice"},
      {"x #00000\n", "line 1: colour"},
      {"x #00000g\n", "line 1: colour"},
      {"x red\n", "line 1: colour"},
      {"format indexed\n", "line 1: format"},
      {"hello\n", "line 1: expected"},
      {"x #000000\n", "line 1: no \"pixels\""},
      {"x #000000\npixels\n\n", "line 3: no pixel rows"},
      {"", "line 0: no \"pixels\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    IconSource icon;
    std::string error;
    EXPECT_FALSE(parse_icon_source(c.text, icon, error));
    EXPECT_TRUE(error.starts_with(c.error_start)) << error;
  }
}

TEST(IconSource, RejectsImagesBeyondTheSizeLimit) {
  const std::string wide_row(kMaxSourceSide + 1, 'x');
  std::string tall = "x #000000\npixels\n";
  for (int i = 0; i <= kMaxSourceSide; ++i) tall += "x\n";
  IconSource icon;
  std::string error;
  EXPECT_FALSE(parse_icon_source("x #000000\npixels\n" + wide_row + "\n", icon, error));
  EXPECT_FALSE(parse_icon_source(tall, icon, error));
  EXPECT_TRUE(parse_icon_source("x #000000\npixels\n" + wide_row.substr(1) + "\n", icon, error))
      << error;
}

TEST(PngEncode, RefusesBadScaleAndInconsistentSources) {
  IconSource icon;
  icon.width = icon.height = 1;
  icon.palette = {{1, 2, 3, 255}};
  icon.indices = {0};
  EXPECT_FALSE(encode_png(icon, 1).empty());
  EXPECT_TRUE(encode_png(icon, 0).empty());
  EXPECT_TRUE(encode_png(icon, 17).empty());
  IconSource bad_index = icon;
  bad_index.indices = {1};
  EXPECT_TRUE(encode_png(bad_index).empty());
  IconSource short_data = icon;
  short_data.width = 2;
  EXPECT_TRUE(encode_png(short_data).empty());
}

}  // namespace
}  // namespace zorvin::resources
