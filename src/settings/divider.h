// Where a splitter's divider may stand: no pane it separates is squeezed
// out of sight, whether the position was dragged there or read from the
// settings file.
#pragma once

namespace zorvin::settings {

// The narrowest a pane may become, in pixels.
inline constexpr int kMinimumPaneSize = 40;

// `position` is the divider's distance from the splitter's start, `room` the
// pixels both panes share (the splitter's length less the divider itself).
// Gives the nearest position that leaves both panes kMinimumPaneSize; when
// the room holds less than that twice, the panes share it evenly.
int fitted_divider(int position, int room);

}  // namespace zorvin::settings
