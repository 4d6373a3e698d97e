// The key matrix: two and three keys at once, with and without diodes.
#include <gtest/gtest.h>

#include <vector>

#include "board/keyboard.h"

namespace zorvin::board {
namespace {

struct Key {
  int row, column;
};

TEST(KeyMatrix, ColumnsForTheSelectedRows) {
  struct Case {
    const char* what;
    bool diodes;
    std::vector<Key> closed;
    std::uint32_t low_rows;
    std::uint32_t columns;  // levels, bit c = column c
  };
  const std::vector<Case> cases = {
      {"nothing pressed", true, {}, 0x1, 0xF},
      {"one key in the selected row", true, {{0, 2}}, 0x1, 0xB},
      {"one key in another row", true, {{1, 2}}, 0x1, 0xF},
      {"no row selected", true, {{0, 2}}, 0x0, 0xF},
      {"two keys in different rows and columns", true, {{0, 1}, {3, 2}}, 0x1, 0xD},
      {"the same two keys, row 3 selected", true, {{0, 1}, {3, 2}}, 0x8, 0xB},
      {"two keys in one row", true, {{2, 0}, {2, 3}}, 0x4, 0x6},
      {"three corners with diodes: no ghost", true, {{0, 0}, {1, 0}, {1, 1}}, 0x1, 0xE},
      {"three corners without diodes: the fourth ghosts", false, {{0, 0}, {1, 0}, {1, 1}}, 0x1, 0xC},
      {"two keys without diodes, no shared line", false, {{0, 1}, {3, 2}}, 0x1, 0xD},
      {"a chain through three rows without diodes", false, {{0, 0}, {1, 0}, {1, 2}, {2, 2}, {2, 3}}, 0x1, 0x2},
  };
  for (const Case& c : cases) {
    KeyMatrix matrix(4, 4, c.diodes);
    for (const Key& key : c.closed) matrix.set_closed(key.row, key.column, true);
    EXPECT_EQ(matrix.column_levels(c.low_rows), c.columns) << c.what;
  }
}

TEST(KeyMatrix, OpeningAKeyReleasesItsColumn) {
  KeyMatrix matrix(2, 3, true);
  matrix.set_closed(1, 2, true);
  EXPECT_EQ(matrix.column_levels(0x2), 0x3u);
  matrix.set_closed(1, 2, false);
  EXPECT_FALSE(matrix.closed(1, 2));
  EXPECT_EQ(matrix.column_levels(0x2), 0x7u);
}

}  // namespace
}  // namespace zorvin::board
