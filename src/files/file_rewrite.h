// Replacing a file's whole content so that a power cut or a full disk never
// leaves it half written, cut or empty.
#pragma once

#include <string>
#include <string_view>

namespace zorvin::files {

struct RewriteResult {
  bool ok = false;
  std::string error;  // why the content could not be written
};

// Makes `bytes` the whole content of the regular file at `path`, creating it
// when there is none; anything but a regular file is refused. A symbolic
// link stays a link: the file it leads to is replaced. The new text goes to
// a temporary file in that file's directory, which then takes the old
// file's place with its permissions and owner. Where a rename cannot be
// used (a hard-linked file, a directory that is not writable, an owner that
// cannot be kept) the file is rewritten in place, but only after the space
// for the new text has been reserved, and the old text is put back if
// writing fails all the same. On failure the old content stays as it was,
// and a file that did not exist before is removed again.
RewriteResult rewrite_file(const std::string& path, std::string_view bytes);

}  // namespace zorvin::files
