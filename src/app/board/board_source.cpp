#include "app/board/board_source.h"

#include <filesystem>

namespace zorvin::app {

std::string board_file_path(const std::string& source_path) {
  if (source_path.empty()) return {};
  std::filesystem::path path(source_path);
  path.replace_extension(".ini");
  // zorvin.asm must not take the program's own settings for its board.
  if (path.filename() == "zorvin.ini" || path == std::filesystem::path(source_path)) return {};
  return path.string();
}

SourceBoard read_source_board(const std::string& source_path) {
  SourceBoard result;
  const std::string path = board_file_path(source_path);
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) return result;
  result.path = path;
  board::ParsedBoard parsed = board::read_board_file(path);
  if (!parsed.board) {
    result.error = "Platine: " + parsed.error;
    return result;
  }
  result.board = std::move(parsed.board);
  return result;
}

}  // namespace zorvin::app
