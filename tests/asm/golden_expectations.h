// Expectations written into golden sources, in the comment after ";":
//
//   nop            ; = 00               bytes the line produces (hex)
//   jmp start      ; @0101 = 24 00      address of the line and its bytes
//   mov a,#256     ; error: Wert außerhalb des zulässigen Bereiches
//   ; ! fill: FF                        file-wide: fill byte for the image
//   ; ! image: 04 0D 00 ...             image file contents (lines append)
//   ; ! length: 257                     image length only
//   ; ! listing: 000 04 0D              next listing row after the header
//   ; ! summary: 2 Fehler beim Assemblieren!
//
// Expectations stand after the first ";" that one follows. A line that produces
// more than two bytes (a macro call, a db with several values) lists them
// all. A comment whose text starts with "=", "@", "error" or "!" must parse, so a
// mistyped expectation fails instead of passing unnoticed. Any other comment
// is prose. File-wide expectations may stand after the END line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvin::golden {

struct LineExpectation {
  std::int32_t line_no = 0;
  std::optional<std::int32_t> address;
  std::vector<std::uint8_t> bytes;
};

struct Expectations {
  std::vector<LineExpectation> lines;
  std::vector<std::string> error_lines;  // full "Zeile: N -> ..." texts, file order
  std::optional<std::string> summary;
  std::uint8_t fill_byte = 0x00;
  std::optional<std::vector<std::uint8_t>> image;
  std::optional<std::size_t> length;
  std::vector<std::string> listing_rows;
  std::vector<std::string> problems;  // expectations that could not be parsed
};

Expectations parse_expectations(const std::string& source);

}  // namespace zorvin::golden
