// Where the binary image of a source goes: beside it, extension "bin".
#pragma once

#include <string>
#include <string_view>

namespace zorvin::files {

// The source path with its extension replaced by "bin" (blink.asm ->
// blink.bin). When that would name the source itself (no extension, or the
// extension already is "bin"), ".bin" is appended instead, so a source is
// never overwritten by its image.
std::string binary_path(std::string_view source_path);

}  // namespace zorvin::files
