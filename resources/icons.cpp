#include "resources/icons.h"

#include "resources/icon_data.h"

namespace zorvin::resources {

std::span<const unsigned char> icon_png(int id) {
  if (id < 0 || id >= kIconCount) return {};
  return data::icon_pngs[id];
}

}  // namespace zorvin::resources
