#include "app/board/board_source.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/binary_path.h"

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
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, error)) {
    result.error = "Platine: die Platinendatei " + path + " kann nicht gelesen werden";
    return result;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  board::ParsedBoard parsed = board::parse_board_file(text, files::folder_of(path));
  if (!parsed.board) {
    result.error = "Platine: " + path + ", " + parsed.error;
    return result;
  }
  result.board = std::move(parsed.board);
  return result;
}

}  // namespace zorvin::app
