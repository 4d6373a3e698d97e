// Turns a parsed icon source into PNG bytes: an 8-bit palette PNG with a
// transparency table, or an 8-bit RGBA PNG, as the source's format says.
#pragma once

#include <vector>

#include "resources/icon_source.h"

namespace zorvin::resources {

// Each source pixel becomes a `scale` x `scale` block (nearest neighbour,
// 1 <= scale <= 16). Returns an empty vector when libpng fails.
std::vector<unsigned char> encode_png(const IconSource& icon, int scale = 1);

}  // namespace zorvin::resources
