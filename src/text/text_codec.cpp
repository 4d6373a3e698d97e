#include "text/text_codec.h"

#include <cstdint>
#include <cstring>

#include "text/unicode_text.h"

namespace zorvin {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t word_at(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Position of the first byte from 80H on, at or after `from`; eight bytes
// are tested at once, the order of bytes in a word does not matter.
std::size_t next_high_byte(std::string_view bytes, std::size_t from) {
  while (from + 8 <= bytes.size() && (word_at(bytes.data() + from) & kHighBits) == 0) from += 8;
  while (from < bytes.size() && static_cast<unsigned char>(bytes[from]) < 0x80) ++from;
  return from;
}

}  // namespace

std::string latin1_to_utf8(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::size_t high = 0;
  for (std::size_t at = next_high_byte(bytes, 0); at < bytes.size(); at = next_high_byte(bytes, at + 1)) ++high;
  std::string out;
  out.reserve(bytes.size() + high);
  // Runs of ASCII are copied as they are; a byte from 80H on becomes two.
  std::size_t run = 0;
  for (std::size_t at = next_high_byte(bytes, 0); at < bytes.size(); at = next_high_byte(bytes, run)) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    out.append(bytes, run, at - run);
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
    run = at + 1;
  }
  out.append(bytes, run);
  return out;
}

std::string latin1_to_utf8_reusing(std::string&& bytes) {
  const std::string_view text = std::string_view(bytes).substr(0, bytes.find('\0'));
  if (next_high_byte(text, 0) < text.size()) return latin1_to_utf8(text);
  bytes.resize(text.size());
  return std::move(bytes);
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
