// Fuzz target: the 8-bit source codec and the UTF-8 helpers beneath it.
// Loading a source and saving it unedited must give back its bytes up to
// the first 00H; arbitrary bytes taken as UTF-8 must decode to real code
// points and encode again to valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/text_codec.h"
#include "text/unicode_text.h"
#include "fuzz_support.h"

namespace {

using namespace zorvin;
using fuzz::require;

void check_latin1_round_trip(std::string_view bytes) {
  const std::string_view before_nul = bytes.substr(0, bytes.find('\0'));
  const std::string text = latin1_to_utf8(bytes);
  require(fuzz::is_valid_utf8(text), "loaded text is valid UTF-8");
  require(char_count(text) == before_nul.size(), "one character per byte");
  const Latin1Text saved = utf8_to_latin1(text);
  require(saved.dropped == 0, "a loaded text loses nothing when saved");
  require(saved.bytes == before_nul, "saving a loaded text gives its bytes back");
}

bool is_code_point(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void check_utf8_helpers(std::string_view bytes) {
  const std::u32string decoded = decode_utf8(bytes);
  for (char32_t c : decoded) require(is_code_point(c), "decoding yields code points only");
  require(char_count(bytes) == decoded.size(), "char_count counts what decoding yields");
  const std::string encoded = encode_utf8(decoded);
  require(fuzz::is_valid_utf8(encoded), "encoding yields valid UTF-8");
  require(decode_utf8(encoded) == decoded, "decoding the encoding gives the same characters");
  require((encoded == bytes) == fuzz::is_valid_utf8(bytes), "valid UTF-8 and only that decodes unchanged");

  const Latin1Text latin1 = utf8_to_latin1(bytes);
  std::size_t up_to_ff = 0;
  for (char32_t c : decoded) up_to_ff += c <= 0xFF ? 1 : 0;
  require(latin1.bytes.size() == up_to_ff, "one byte per character up to 00FFH");
  require(latin1.dropped == decoded.size() - up_to_ff, "every character above 00FFH counted as dropped");

  const std::string folded = fold_case(bytes);
  require(folded.size() == bytes.size(), "case folding keeps the length in bytes");
  require(fold_case(folded) == folded, "case folding is idempotent");
  if (fuzz::is_valid_utf8(bytes)) {
    require(fuzz::is_valid_utf8(folded), "case folding keeps UTF-8 valid");
    require(char_count(folded) == decoded.size(), "case folding keeps the characters");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_latin1_round_trip(bytes);
  check_utf8_helpers(bytes);
  return 0;
}
