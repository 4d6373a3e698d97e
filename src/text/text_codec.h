// Conversion between 8-bit text (ISO 8859-1, the encoding of source files and
// of the serial protocol) and the UTF-8 the program uses inside.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvin {

// Each byte becomes the character of the same code; the text ends before the
// first 00H byte. Line ends are kept as they are.
std::string latin1_to_utf8(std::string_view bytes);
// The same, keeping the storage of bytes that are ASCII already.
std::string latin1_to_utf8_reusing(std::string&& bytes);

struct Latin1Text {
  std::string bytes;
  std::size_t dropped = 0;  // characters above 00FFH that have no byte
};

// Each character up to 00FFH becomes one byte of the same value; characters
// above are left out and counted. Line ends are kept as they are.
Latin1Text utf8_to_latin1(std::string_view text);

// UTF-16 bytes (without their byte-order mark) as UTF-8. An unpaired
// surrogate or a lone last byte becomes U+FFFD.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian);

}  // namespace zorvin
