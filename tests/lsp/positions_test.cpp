// Columns between UTF-8 bytes and UTF-16 units, and the lines of a text.
#include <gtest/gtest.h>

#include "text_positions.h"
#include "workspace.h"

namespace zorvin::lsp {
namespace {

TEST(LspPositions, ColumnsConvertBothWays) {
  // "a" 1 byte/1 unit, "ä" 2/1, "€" 3/1, "𝄞" 4/2.
  const std::string line = "aä€𝄞b";
  struct Case {
    std::size_t bytes, units;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{3, 2}, Case{6, 3}, Case{10, 5}, Case{11, 6}}) {
    EXPECT_EQ(utf16_column(line, c.bytes), c.units) << c.bytes;
    EXPECT_EQ(byte_column(line, c.units), c.bytes) << c.units;
  }
  EXPECT_EQ(byte_column(line, 4), 6u);     // between the two halves of 𝄞: before it
  EXPECT_EQ(byte_column(line, 99), 11u);   // past the end: the end
  EXPECT_EQ(utf16_column(line, 99), 6u);
  // A broken sequence counts as one character per byte, like decoding makes it U+FFFD.
  EXPECT_EQ(utf16_column("\xC3" "x\xE2\x82", 4), 4u);
  EXPECT_EQ(byte_column("\xF0\x9D" "ab", 3), 3u);
}

TEST(LspPositions, LinesEndInAnyConvention) {
  const LineIndex lines("eins\r\nzwei\rdrei\n\nvier");
  ASSERT_EQ(lines.line_count(), 5u);
  EXPECT_EQ(lines.line(0), "eins");
  EXPECT_EQ(lines.line(1), "zwei");
  EXPECT_EQ(lines.line(2), "drei");
  EXPECT_EQ(lines.line(3), "");
  EXPECT_EQ(lines.line(4), "vier");
  EXPECT_EQ(lines.line(5), "");
}

TEST(LspPositions, FileUrisAndPaths) {
  EXPECT_EQ(path_of_uri("file:///home/p/z%C3%A4hler%20neu.asm"), "/home/p/zähler neu.asm");
  EXPECT_EQ(path_of_uri("file://localhost/tmp/a.asm"), "/tmp/a.asm");
  EXPECT_EQ(path_of_uri("untitled:Unbenannt-1"), std::nullopt);
  EXPECT_EQ(path_of_uri("file:///tmp/%00x"), std::nullopt);
  EXPECT_EQ(uri_of_path("/home/p/zähler neu.asm"), "file:///home/p/z%C3%A4hler%20neu.asm");
  EXPECT_EQ(path_of_uri(uri_of_path("/a/b#c%d.asm")), "/a/b#c%d.asm");
}

}  // namespace
}  // namespace zorvin::lsp
