// Paths beside a source: where its binary image goes (extension "bin"), and
// the folder that holds a file.
#pragma once

#include <string>
#include <string_view>

namespace zorvin::files {

// The source path with its extension replaced by "bin" (blink.asm ->
// blink.bin). When that would name the source itself (no extension, or the
// extension already is "bin"), ".bin" is appended instead, so a source is
// never overwritten by its image.
std::string binary_path(std::string_view source_path);

// The folder part of a path ("prog/blink.asm" -> "prog"), "/" for a file in
// the root, empty for a bare file name (the working directory).
std::string folder_of(std::string_view path);

}  // namespace zorvin::files
