#include "board/keyboard.h"

namespace zorvin::board {

KeyMatrix::KeyMatrix(int rows, int columns, bool diodes)
    : rows_(rows), columns_(columns), diodes_(diodes), closed_(static_cast<std::size_t>(rows), 0) {}

void KeyMatrix::set_closed(int row, int column, bool closed) {
  std::uint32_t& keys = closed_[static_cast<std::size_t>(row)];
  const std::uint32_t bit = 1u << column;
  keys = closed ? keys | bit : keys & ~bit;
}

bool KeyMatrix::closed(int row, int column) const {
  return ((closed_[static_cast<std::size_t>(row)] >> column) & 1) != 0;
}

std::uint32_t KeyMatrix::column_levels(std::uint32_t low_rows) const {
  const std::uint32_t all = columns_ >= 32 ? 0xFFFFFFFFu : (1u << columns_) - 1;
  std::uint32_t low_columns = 0;
  for (int row = 0; row < rows_; ++row)
    if ((low_rows >> row) & 1) low_columns |= closed_[static_cast<std::size_t>(row)];
  if (!diodes_) {
    // Without diodes a low column pulls every row with a closed key on it
    // low as well, and so on, until nothing changes.
    std::uint32_t rows_low = low_rows;
    for (bool grew = true; grew;) {
      grew = false;
      for (int row = 0; row < rows_; ++row) {
        const std::uint32_t keys = closed_[static_cast<std::size_t>(row)];
        if (((rows_low >> row) & 1) || (keys & low_columns) == 0) continue;
        rows_low |= 1u << row;
        low_columns |= keys;
        grew = true;
      }
    }
  }
  return all & ~low_columns;
}

}  // namespace zorvin::board
