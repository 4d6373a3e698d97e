// Rules behind the window that need no window: where a divider may stand,
// and which line an error message leads to.
#include <gtest/gtest.h>

#include "asm/error_lines.h"
#include "settings/divider.h"

namespace zorvin {
namespace {

TEST(WindowRules, DividerLeavesEveryPaneInSight) {
  // Read from a hand-edited file or dragged to an edge: 0, negative, 14, or
  // past the far end of a 600-pixel splitter.
  EXPECT_EQ(settings::fitted_divider(0, 600), 40);
  EXPECT_EQ(settings::fitted_divider(-25, 600), 40);
  EXPECT_EQ(settings::fitted_divider(14, 600), 40);
  EXPECT_EQ(settings::fitted_divider(590, 600), 560);
  // Positions that leave both panes their room stay as they are.
  EXPECT_EQ(settings::fitted_divider(40, 600), 40);
  EXPECT_EQ(settings::fitted_divider(560, 600), 560);
  // A splitter too short for two panes of 40 is shared evenly.
  EXPECT_EQ(settings::fitted_divider(5, 70), 35);
  EXPECT_EQ(settings::fitted_divider(400, 0), 0);
  EXPECT_EQ(settings::fitted_divider(400, -95), 0);
}

TEST(WindowRules, ErrorMessagesLeadToTheirLinesInTurn) {
  EXPECT_EQ(asm48::error_line_number("Zeile: 212 -> Parameterfehler"), 212);
  for (const char* other : {"Willkommen an Bord!", "Zeile: 3", "Zeile: x -> Syntaxfehler", "Zeile: 0 -> Syntaxfehler",
                            " Zeile: 3 -> Syntaxfehler", "2 Fehler beim Assemblieren!"})
    EXPECT_FALSE(asm48::error_line_number(other)) << other;

  // Two errors on line 7 make one stop.
  const std::vector<int> lines = asm48::distinct_error_lines(
      {"Zeile: 7 -> Syntaxfehler", "Zeile: 3 -> Parameterfehler", "Zeile: 7 -> ungültiges Sprungziel",
       "Zeile: 12 -> Syntaxfehler", "3 Fehler beim Assemblieren!"});
  EXPECT_EQ(lines, (std::vector<int>{3, 7, 12}));
  EXPECT_EQ(asm48::next_error_line(lines, 3, true), 7);
  EXPECT_EQ(asm48::next_error_line(lines, 12, true), 3);  // round to the first
  EXPECT_EQ(asm48::next_error_line(lines, 8, false), 7);
  EXPECT_EQ(asm48::next_error_line(lines, 3, false), 12);  // round to the last
  EXPECT_FALSE(asm48::next_error_line({}, 5, true));
}

}  // namespace
}  // namespace zorvin
