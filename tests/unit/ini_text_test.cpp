#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "settings/ini_text.h"
#include "settings/number_text.h"

namespace zorvin::settings {
namespace {

using Kind = IniEntry::Kind;

std::string rewritten(const std::string& file_bytes) { return compose_ini(parse_ini(file_bytes)); }

TEST(IniText, ReadsEveryKindOfLine) {
  const IniText text = parse_ini(
      ";note\n;  two\n# hash\n  [ Grp x ]junk\n[Open\n"
      " \tKey \t=\t val  \nBare\nEmpty =\n=orphan\n");
  ASSERT_EQ(text.entries.size(), 9u);
  EXPECT_EQ(text.entries[0].kind, Kind::comment);
  EXPECT_EQ(text.entries[0].name, "note");
  EXPECT_EQ(text.entries[1].name, " two");  // only one blank belongs to the ";"
  EXPECT_EQ(text.entries[2].kind, Kind::comment);  // "#" starts a comment too
  EXPECT_EQ(text.entries[2].name, "hash");
  EXPECT_EQ(text.entries[3].kind, Kind::group);
  EXPECT_EQ(text.entries[3].name, " Grp x ");
  EXPECT_EQ(text.entries[3].line, "  [ Grp x ]junk");  // the whole line, for writing it back
  EXPECT_EQ(text.entries[4].name, "Open");
  EXPECT_EQ(text.entries[5].name, "Key");
  EXPECT_EQ(text.entries[5].value, "val  ");
  EXPECT_EQ(text.entries[5].line, " \tKey \t=\t val  ");
  EXPECT_EQ(text.entries[6].name, "Bare");
  EXPECT_EQ(text.entries[6].value, "");
  EXPECT_EQ(text.entries[7].name, "Empty");
  EXPECT_EQ(text.entries[8].name, "");
  EXPECT_EQ(text.entries[8].value, "orphan");
}

TEST(IniText, RewriteKeepsTheUsersLinesAndDropsBlankOnes) {
  const std::string file =
      ";note\r\n\r\n\r\n   \t \n[Splitter]\rHorizontal=900\n\n\nFlag\n[Mine]\nx\t=  1 2 \n# mine\n  ; indented";
  const std::string expected =
      "\xEF\xBB\xBF\n;note\n[Splitter]\nHorizontal=900\nFlag\n[Mine]\nx\t=  1 2 \n# mine\n  ; indented\n";
  EXPECT_EQ(rewritten(file), expected);
  // The written form reads back as the same entries.
  EXPECT_EQ(rewritten(expected), expected);
}

TEST(IniText, EncodingFollowsTheByteOrderMark) {
  // Without the mark every byte is an ISO 8859-1 character.
  const IniText latin1 = parse_ini("k=\xE4\xFF");
  EXPECT_EQ(latin1.entries.at(0).value, "\u00E4\u00FF");
  EXPECT_EQ(compose_ini(latin1), "\xEF\xBB\xBF\nk=\xC3\xA4\xC3\xBF\n");
  // With it the bytes stay as they are, even where they are not UTF-8.
  EXPECT_EQ(rewritten("\xEF\xBB\xBFk=\xC3\xA4\xFF"), "\xEF\xBB\xBF\nk=\xC3\xA4\xFF\n");
  // A mark alone is a UTF-8 file without entries; a file of 0 bytes has no encoding.
  EXPECT_EQ(rewritten("\xEF\xBB\xBF"), "\xEF\xBB\xBF\n");
  IniText empty = parse_ini("");
  EXPECT_EQ(empty.encoding, IniEncoding::unknown);
  empty.entries.push_back({Kind::group, "Speicher", {}, {}});
  EXPECT_EQ(compose_ini(empty), "[Speicher]\n");
}

TEST(IniText, ZeroByteDoesNotCutOffTheRestOfTheFile) {
  const std::string latin1("[A]\nk=1\0[B]\nm=\xE4", 15);
  EXPECT_EQ(rewritten(latin1), "\xEF\xBB\xBF\n[A]\nk=1\n[B]\nm=\xC3\xA4\n");
  const std::string utf8("\xEF\xBB\xBF[A]\0k=1", 10);
  EXPECT_EQ(rewritten(utf8), "\xEF\xBB\xBF\n[A]\nk=1\n");
}

TEST(IniText, LineBreaksInsideAValueCannotAddEntries) {
  IniText text;
  text.entries.push_back({Kind::key, "COM", "/dev/x\n[Evil]\r\nk=1", {}});
  const IniText back = parse_ini(compose_ini(text));
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].value, "/dev/x [Evil]  k=1");
}

TEST(NumberText, DecimalReadsLikeStrtol) {
  EXPECT_EQ(parse_decimal(" \t\v-12x"), -12);
  EXPECT_EQ(parse_decimal("+7"), 7);
  EXPECT_EQ(parse_decimal("007"), 7);
  EXPECT_EQ(parse_decimal("yes"), 0);
  EXPECT_EQ(parse_decimal(""), 0);
  EXPECT_EQ(parse_decimal("0xFF"), 0);
  EXPECT_EQ(parse_decimal("- 5"), 0);
  EXPECT_EQ(parse_decimal("$FF"), 0);
  EXPECT_EQ(parse_decimal("2147483647"), 2147483647);
  EXPECT_EQ(parse_decimal("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(NumberText, OutOfRangeClampsAlikeOnEveryProcessor) {
  EXPECT_EQ(parse_decimal("2147483648"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(parse_decimal("-99999999999999999999999"), std::numeric_limits<std::int32_t>::min());
  // A huge value must never wrap round to something small.
  EXPECT_EQ(parse_prefixed_number("$1000000FF"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(parse_prefixed_number("4294967551"), std::numeric_limits<std::int32_t>::max());
}

// 255, "$FF" and "%11111111" are covered where the fill byte is loaded.
TEST(NumberText, PrefixedNumberStopsAtTheFirstUnfitCharacter) {
  EXPECT_EQ(parse_prefixed_number("-$FF"), -255);
  EXPECT_EQ(parse_prefixed_number("$FG"), 15);
  EXPECT_EQ(parse_prefixed_number("%1021"), 2);
  EXPECT_EQ(parse_prefixed_number("$"), 0);
  EXPECT_EQ(parse_prefixed_number("%"), 0);
}

}  // namespace
}  // namespace zorvin::settings
