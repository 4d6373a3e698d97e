// Intel HEX as EPROM programmers and zorvin-asm write it, and what is not.
#include <gtest/gtest.h>

#include <string>

#include "dis/image_file.h"

namespace {

using zorvin::dis::parse_intel_hex;

TEST(DisHex, RecordsGiveTheirRangeWithHolesFilled) {
  // 3 bytes at 0100H, 1 byte at 0105H; CR LF, a segment record of 0 and a
  // start record are taken.
  const auto image = parse_intel_hex(
      ":0301000023058351\r\n:02010500333392\r\n:020000020000FC\r\n:0400000300000000F9\r\n:00000001FF\r\n", 0xFF);
  ASSERT_TRUE(image.ok()) << image.error;
  EXPECT_EQ(image.base, 0x100);
  EXPECT_EQ(image.bytes, (std::vector<std::uint8_t>{0x23, 0x05, 0x83, 0xFF, 0xFF, 0x33, 0x33}));
}

TEST(DisHex, TheLastByteOfProgramMemoryAndWhatFollowsTheEndRecord) {
  const auto image = parse_intel_hex(":010FFF00AA47\n:00000001FF\nnot read\n", 0x00);
  ASSERT_TRUE(image.ok()) << image.error;
  EXPECT_EQ(image.base, 0xFFF);
  EXPECT_EQ(image.bytes, (std::vector<std::uint8_t>{0xAA}));
}

TEST(DisHex, BrokenFilesAreRefusedWithTheirLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {":0301000023058352\n", "Intel-HEX-Zeile 1: Prüfsumme falsch"},
      {"\n:0301000023058\n", "Intel-HEX-Zeile 2: kein Datensatz"},
      {":0301000023G58351\n", "Intel-HEX-Zeile 1: keine Hexadezimalziffer"},
      {":04010000230583F0\n", "Intel-HEX-Zeile 1: Länge stimmt nicht"},
      {":02100000000EE\n", "Intel-HEX-Zeile 1: kein Datensatz"},
      {":0210000000EE00\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
      {":020000040001F9\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
      {":00000006FA\n", "Intel-HEX-Zeile 1: unbekannte Satzart 6"},
      {":00000001FF\n", "Die Intel-HEX-Datei enthält keine Daten."},
      // a file cut short, and faults after good lines
      {":0100000004FB\n", "Intel-HEX-Zeile 1: Endesatz fehlt"},
      {":0100000004FB\n\n", "Intel-HEX-Zeile 2: Endesatz fehlt"},
      {":0100000004FB\nhello\n:00000001FF\n", "Intel-HEX-Zeile 2: kein Datensatz"},
      {":020010002301CB\n:00000001FF\n", "Intel-HEX-Zeile 1: Prüfsumme falsch"},
      {":01100000AA45\n:00000001FF\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
      {":020FFF00AABB8B\n:00000001FF\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
      {":02FFFF00AABB9B\n:00000001FF\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
      {":020000021000EC\n:00000001FF\n", "Intel-HEX-Zeile 1: Adresse außerhalb des Programmspeichers (bis 0FFFH)"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_intel_hex(c.text, 0x00).error, c.message) << c.text;
}

// Two records for one address: the same byte again is taken, another byte
// is an error that names the address and both lines.
TEST(DisHex, RecordsThatOverlap) {
  const std::string first = ":0301000023058351\n";  // 23 05 83 at 0100H
  const struct {
    std::string second;
    const char* message;  // empty: read
  } cases[] = {
      {":010102008478\n", "Intel-HEX-Zeile 2: Adresse 102H schon mit 83H belegt (Zeile 1), hier 84H"},
      {":0300FF00112306C4\n", "Intel-HEX-Zeile 2: Adresse 101H schon mit 05H belegt (Zeile 1), hier 06H"},
      {":0101010005F8\n", ""},
      {first, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    const auto image = parse_intel_hex(first + c.second + ":00000001FF\n", 0xFF);
    EXPECT_EQ(image.error, c.message);
    if (*c.message == '\0') {
      EXPECT_EQ(image.bytes, (std::vector<std::uint8_t>{0x23, 0x05, 0x83}));
    }
  }
}

TEST(DisHex, NamesThatMeanHex) {
  EXPECT_TRUE(zorvin::dis::is_hex_name("rom.hex"));
  EXPECT_TRUE(zorvin::dis::is_hex_name("/a/ROM.IHX"));
  EXPECT_FALSE(zorvin::dis::is_hex_name("rom.bin"));
  EXPECT_FALSE(zorvin::dis::is_hex_name("hex.d/rom"));
  EXPECT_FALSE(zorvin::dis::is_hex_name("rom"));
}

}  // namespace
