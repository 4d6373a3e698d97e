// A key matrix: keys at crossings of rows and columns, a closed key joining
// its row to its column. The program pulls one row low (directly on port
// pins, through a 74x138/74x154-like decoder, or on an 8243 port) and reads
// the columns, which pull-ups hold high unless a closed key joins them to a
// low row. With a diode at every key only that path exists; without them
// closed keys join rows and columns into groups, and three keys at the
// corners of a rectangle show the fourth as closed (ghosting).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvin::board {

class KeyMatrix {
 public:
  KeyMatrix(int rows, int columns, bool diodes);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  void set_closed(int row, int column, bool closed);
  bool closed(int row, int column) const;

  // The column levels (bit c high = column c reads 1) for rows of which
  // bit r of `low_rows` is pulled low.
  std::uint32_t column_levels(std::uint32_t low_rows) const;

 private:
  int rows_;
  int columns_;
  bool diodes_;
  std::vector<std::uint32_t> closed_;  // per row: the columns of its closed keys
};

}  // namespace zorvin::board
