// The PNG bytes of the icon images, generated from resources/icons/*.txt by
// icon_compiler at build time.
#pragma once

#include <span>

#include "resources/icons.h"

namespace zorvin::resources::data {

// Declared with its exact size, so that a generated table with a missing or
// extra image does not compile.
extern const std::span<const unsigned char> icon_pngs[kIconCount];

}  // namespace zorvin::resources::data
