// Small helpers for UTF-8 text where the program counts or compares
// characters rather than bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvin {

// Decodes UTF-8; a malformed sequence yields U+FFFD and resumes at the next byte.
std::u32string decode_utf8(std::string_view text);
void append_utf8(std::string& out, char32_t code_point);
std::string encode_utf8(std::u32string_view text);

// Number of characters (code points) in UTF-8 text.
std::size_t char_count(std::string_view text);

// Lower-cases A-Z and the Latin-1 capitals U+00C0..U+00DE (not U+00D7).
// The result has the same length in bytes, so positions found in the folded
// text are valid in the original.
std::string fold_case(std::string_view text);
// The same into a text the caller keeps, so that its storage is reused.
void fold_case_into(std::string& out, std::string_view text);

// fold_case one byte at a time, for a reader that takes the folded text as
// it comes: feed every byte of the text in order.
class CaseFoldingReader {
 public:
  char next(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (after_c3_) {
      // U+00C0..U+00DE are C3 80..C3 9E; their small letters are 20H higher.
      after_c3_ = false;
      return (byte >= 0x80 && byte <= 0x9E && byte != 0x97) ? static_cast<char>(byte + 0x20) : c;
    }
    after_c3_ = byte == 0xC3;
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : c;
  }

 private:
  bool after_c3_ = false;  // the byte before began a two-byte character C3 xx
};

// fold_case(text) == folded (a keyword, a name folded before), without
// building the folded text.
bool equals_folded(std::string_view text, std::string_view folded);

}  // namespace zorvin
