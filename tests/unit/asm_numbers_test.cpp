#include <gtest/gtest.h>

#include "asm/numbers.h"

namespace {

using namespace zorvin::asm48;

TEST(AsmNumbers, EveryNotationOf255) {
  for (const char* text : {"255", "0FFh", "0ffH", "%ff", "0xFF", "0XfF", "FFh", "#0FFh", "#0F#Fh#"}) {
    EXPECT_TRUE(is_number(text)) << text;
    std::string storage;
    EXPECT_EQ(number_value(without_hash(text, storage)), 255) << text;
  }
  EXPECT_EQ(number_value("007"), 7);
  EXPECT_EQ(number_value("%101"), 0x101);  // "%" marks hexadecimal, not binary
}

TEST(AsmNumbers, TextsThatAreNoNumbers) {
  for (const char* text : {"", "FF", "0A", "h", "0x", "%", "#", "%h", "0xh", "%12h", "0x12h", "%0x12", "1 2",
                           "-1", "12h5", "'ab'", "ä", "1ä", "0x1G"})
    EXPECT_FALSE(is_number(text)) << text;
}

TEST(AsmNumbers, CharacterLiteralsCountCodePoints) {
  EXPECT_TRUE(is_char_literal("'a'"));
  EXPECT_EQ(number_value("'a'"), 97);
  EXPECT_EQ(number_value("' '"), 32);
  EXPECT_EQ(number_value("'''"), 39);
  EXPECT_TRUE(is_char_literal("'ä'"));  // two bytes in UTF-8, one character
  EXPECT_EQ(number_value("'ä'"), 0xE4);
  EXPECT_EQ(number_value("'€'"), 0x20AC);
  EXPECT_FALSE(is_char_literal("'ab'"));
  EXPECT_FALSE(is_char_literal("''"));
  EXPECT_FALSE(is_char_literal("\"a\""));
}

// Up to 32 bits a value is signed; beyond them it has none, whatever its
// low bits would be.
TEST(AsmNumbers, ValuesAreSigned32BitsAndWiderOnesHaveNone) {
  EXPECT_EQ(number_value("0FFFFFFFFh"), -1);
  EXPECT_EQ(number_value("4294967295"), -1);
  EXPECT_EQ(number_value("80000000h"), INT32_MIN);
  EXPECT_EQ(number_value("0x0000000000FF"), 255) << "leading zeros are no width";
  for (const char* wide : {"4294967296", "4294967297", "100000000h", "%100000000", "0x1FFFFFFFF",
                           "1000000000000000000000000000000"}) {
    EXPECT_TRUE(is_number(wide)) << wide;
    EXPECT_EQ(number_value(wide), std::nullopt) << wide;
  }
}

TEST(AsmNumbers, ReadingStopsAtTheFirstForeignCharacter) {
  EXPECT_EQ(number_value("12#3"), 12);
  EXPECT_EQ(number_value("#5"), 0);
}

TEST(AsmNumbers, BitTexts) {
  EXPECT_EQ(to_bits(5, 8), "00000101");
  EXPECT_EQ(to_bits(0, 8), "00000000");
  EXPECT_EQ(to_bits(255, 8), "11111111");
  EXPECT_EQ(to_bits(7, 3), "111");
  EXPECT_EQ(to_bits(0, 3), "000");
  for (int value : {0, 1, 0x5A, 0xA5, 0xFF}) EXPECT_EQ(bits_value(to_bits(value, 8)), value);
}

}  // namespace
