#include "files/text_codec.h"

#include "files/unicode_text.h"

namespace zorvin {

std::string latin1_to_utf8(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::size_t high = 0;
  for (char c : bytes) high += static_cast<unsigned char>(c) >> 7;
  std::string out;
  out.reserve(bytes.size() + high);
  // Runs of ASCII are copied as they are; a byte from 80H on becomes two.
  std::size_t run = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) continue;
    out.append(bytes, run, i - run);
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
    run = i + 1;
  }
  out.append(bytes, run);
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

std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(bytes.size());
  const auto unit_at = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return big_endian ? (first << 8) | second : (second << 8) | first;
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t unit = unit_at(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit_at(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    append_utf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
  }
  if (i < bytes.size()) append_utf8(out, kReplacement);
  return out;
}

}  // namespace zorvin
