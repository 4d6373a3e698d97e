#include "files/text_codec.h"

#include "files/unicode_text.h"

namespace zorvin {

std::string latin1_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c == '\0') break;
    append_utf8(out, static_cast<unsigned char>(c));
  }
  return out;
}

Latin1Text utf8_to_latin1(std::string_view text) {
  Latin1Text result;
  result.bytes.reserve(text.size());
  for (char32_t cp : decode_utf8(text)) {
    if (cp <= 0xFF) {
      result.bytes.push_back(static_cast<char>(cp));
    } else {
      ++result.dropped;
    }
  }
  return result;
}

}  // namespace zorvin
