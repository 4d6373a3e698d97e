#include <gtest/gtest.h>

#include "text/text_codec.h"
#include "text/unicode_text.h"

namespace zorvin {
namespace {

TEST(TextCodec, Latin1BytesBecomeCharactersOfTheSameCode) {
  EXPECT_EQ(latin1_to_utf8("a\xE4\xFC\r\n"), "a\u00E4\u00FC\r\n");
  // UTF-8 bytes on disk show as their Latin-1 characters and go back unchanged.
  const std::string utf8_on_disk = "\xC3\xA4";
  const std::string shown = latin1_to_utf8(utf8_on_disk);
  EXPECT_EQ(shown, "\u00C3\u00A4");
  EXPECT_EQ(utf8_to_latin1(shown).bytes, utf8_on_disk);
}

TEST(TextCodec, TextEndsAtTheFirstZeroByte) {
  EXPECT_EQ(latin1_to_utf8(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(latin1_to_utf8(std::string("\0x", 2)), "");
}

TEST(TextCodec, CharactersAboveFFAreDroppedAndCounted) {
  const Latin1Text out = utf8_to_latin1("\u20AC1\u00E4\U0001F600");
  EXPECT_EQ(out.bytes, "1\xE4");
  EXPECT_EQ(out.dropped, 2u);
}

TEST(UnicodeText, CountsCharactersNotBytes) {
  EXPECT_EQ(char_count("'\u00E4'"), 3u);
  EXPECT_EQ(char_count("'\u20AC'"), 3u);
  EXPECT_EQ(char_count(""), 0u);
  // A malformed byte counts as one character and decoding goes on.
  EXPECT_EQ(decode_utf8("a\xFF" "b"), (std::u32string{U'a', 0xFFFD, U'b'}));
  EXPECT_EQ(decode_utf8("\xE2\x82"), (std::u32string{0xFFFD, 0xFFFD}));
}

TEST(UnicodeText, FoldCaseKeepsByteLength) {
  EXPECT_EQ(fold_case("MOV A,@R0"), "mov a,@r0");
  EXPECT_EQ(fold_case("\u00C4RGER\u00D7"), "\u00E4rger\u00D7");
  EXPECT_EQ(fold_case("\u20AC"), "\u20AC");
}

}  // namespace
}  // namespace zorvin
