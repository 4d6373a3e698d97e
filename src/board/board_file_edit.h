// Changing one value of a board file as a person would in an editor: the
// rest of the text stays as it was, with its comments, order, blank lines,
// line ends and byte-order mark.
#pragma once

#include <string>
#include <string_view>

namespace zorvin::board {

// The text with `key = value` in the group `group` (names without regard
// to case): a line of that key gets the new value in place of the old (a
// comment after it stays); otherwise a new line follows the group's last
// entry, and a group the text lacks is added at its end.
std::string set_board_value(std::string_view text, std::string_view group, std::string_view key,
                            std::string_view value);

}  // namespace zorvin::board
