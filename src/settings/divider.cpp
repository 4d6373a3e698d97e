#include "settings/divider.h"

#include <algorithm>

namespace zorvin::settings {

int fitted_divider(int position, int room) {
  if (room < 2 * kMinimumPaneSize) return std::max(room, 0) / 2;
  return std::clamp(position, kMinimumPaneSize, room - kMinimumPaneSize);
}

}  // namespace zorvin::settings
