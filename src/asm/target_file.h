// The file a source names for its program (SB-Assembler's .TF name,format):
// the command-line assembler writes there, the window says so.
#pragma once

#include <string>

namespace zorvin::asm48 {

struct TargetFile {
  std::string name;        // as written, relative to the source's folder
  bool intel_hex = false;  // INT (or a .hex name without a format): Intel HEX, else the binary image
};

}  // namespace zorvin::asm48
