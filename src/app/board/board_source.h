// The board file of a source: beside it, with the source's name and the
// extension "ini" (uhr.asm -> uhr.ini), as zorvin-sim --board reads it.
// A source without such a file runs without a board.
#pragma once

#include <optional>
#include <string>

#include "board/board_file.h"

namespace zorvin::app {

// The path of the board file that belongs to `source_path`; empty for a
// source without a path and for one whose board file would be the settings
// file "zorvin.ini".
std::string board_file_path(const std::string& source_path);

struct SourceBoard {
  std::string path;                        // the board file's, when there is one
  std::optional<board::BoardFile> board;   // read and understood
  std::string error;  // German, "Platine: <Pfad>, Zeile 3: …"; empty without a problem
};

// Reads and parses the board file of `source_path`. No file: no board and
// no error.
SourceBoard read_source_board(const std::string& source_path);

}  // namespace zorvin::app
