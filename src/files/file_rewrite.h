// Replacing a file's whole content so that a power cut or a full disk never
// leaves it half written or empty.
#pragma once

#include <string>
#include <string_view>

namespace zorvin::files {

// Makes `bytes` the content of the file at `path`; `writable_fd` is a
// descriptor of that file open for writing. The new text goes to a temporary
// file in the same directory, which then takes the old file's place with its
// permissions and owner. Where that cannot be done (the path is a symbolic
// link or a hard-linked file, the directory is not writable, the owner cannot
// be kept) the file is rewritten in place through `writable_fd` and cut to
// the new length. If the temporary file cannot be written the old file stays
// as it is. Returns whether the new content was written.
bool rewrite_file(const std::string& path, int writable_fd, std::string_view bytes);

}  // namespace zorvin::files
