#include "files/binary_path.h"

namespace zorvin::files {

namespace {

// Position just after the "." that starts the extension, or npos. The scan
// runs backwards and stops at the first ".", "/" or blank; a leading dot or
// one right after a path separator starts a hidden name, not an extension.
std::size_t extension_start(std::string_view path) {
  const auto stop = path.find_last_of("./ ");
  if (stop == std::string_view::npos || path[stop] != '.' || stop == 0) return std::string_view::npos;
  if (path[stop - 1] == '/' || path[stop - 1] == '\\') return std::string_view::npos;
  return stop + 1;
}

}  // namespace

std::string binary_path(std::string_view source_path) {
  const auto start = extension_start(source_path);
  std::string path(source_path);
  if (start != std::string_view::npos) path = std::string(source_path.substr(0, start)) + "bin";
  if (path == source_path) path += ".bin";
  return path;
}

std::string folder_of(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

}  // namespace zorvin::files
