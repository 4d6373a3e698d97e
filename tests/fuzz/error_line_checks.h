// Shared by the fuzz targets of the extended engine: every error line has
// the form "Zeile: N -> text" with N inside the source. The note that the
// bound of errors ended the run is no error line and is not counted.
#pragma once

#include <cstddef>
#include <string>

#include "asm/assembler.h"
#include "fuzz_support.h"

namespace zorvin::fuzz {

// Checks the error lines of `result`; returns how many are errors.
inline std::size_t check_error_lines(const asm48::AssemblyResult& result, std::size_t line_count) {
  std::size_t counted = 0;
  for (std::size_t i = 0; i < result.error_lines.size(); ++i) {
    if (i < result.errors.size() && result.errors[i].severity == asm48::Severity::Note) continue;
    ++counted;
    const std::string& error = result.error_lines[i];
    require(error.starts_with("Zeile: "), "error line form", error);
    const std::size_t end = error.find(" -> ");
    require(end != std::string::npos && end > 7, "error line has a text", error);
    const std::string number = error.substr(7, end - 7);
    require(number.size() <= 9 && number.find_first_not_of("0123456789") == std::string::npos, "line number", error);
    const std::size_t line_no = std::stoul(number);
    require(line_no >= 1 && line_no <= line_count, "line number inside the source", error);
  }
  return counted;
}

}  // namespace zorvin::fuzz
