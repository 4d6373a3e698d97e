// What F6 and zorvin-load take for the image they send.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "emu/transfer_image.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;

TEST(TransferImage, HexLiesAtItsAddressesRawStaysRawAndTextIsRefused) {
  const fs::path dir = fs::temp_directory_path() / ("zorvin_transfer_image_" + std::to_string(::getpid()));
  fs::create_directories(dir / "folder");
  const auto file = [&](const std::string& name, const std::string& bytes) {
    std::ofstream((dir / name).string(), std::ios::binary) << bytes;
    return (dir / name).string();
  };
  // 0010H-0012H and 0020H: a gap and the space below the first record.
  const std::string hex = ":0300100012345651\r\n:01002000AA35\r\n:00000001FF\r\n";
  const std::string hex_image = std::string(16, '\xFF') + "\x12\x34\x56" + std::string(13, '\xFF') + "\xAA";
  const std::string code = std::string("\x04\x10\x00\x23", 4);  // jmp and mov: no text
  const std::string not_an_image =
      "Text, kein Abbild - eine Quelle erst assemblieren (F5 oder zorvin-asm) und die .bin- oder .hex-Datei laden";
  struct Case {
    std::string path;
    std::string bytes;    // read, before padding
    std::string problem;  // or this
  };
  const std::vector<Case> cases = {
      {file("a.hex", hex), hex_image, ""},
      {file("a.IHX", hex), hex_image, ""},
      {file("a.txt", "\r\n" + hex), hex_image, ""},
      {file("a.bin", hex), hex, ""},  // F5 writes raw .bin files only
      {file("code.rom", code), code, ""},
      {file("full.bin", std::string(4096, '\x01')), std::string(4096, '\x01'), ""},
      {file("over.bin", std::string(4097, '\x01')), "", "Datei zu groß"},
      {file("over.rom", std::string(4097, '\x01')), "", "Datei zu groß"},
      {file("empty.hex", ""), "", "Datei leer"},
      {file("blink.asm", code), "", not_an_image},
      {file("blink.a48", "\torg 0\n\tjmp start\n"), "", not_an_image},
      {file("notes", "Zähler\tüber alles\n"), "", not_an_image},
      {file("cut.hex", ":0300100012345651\r\n"), "", "Intel-HEX-Zeile 1: Endesatz fehlt"},
      {file("sum.txt", ":0300100012345650\r\n:00000001FF\r\n"), "", "Intel-HEX-Zeile 1: Prüfsumme falsch"},
      {(dir / "none.bin").string(), "", "Datei nicht gefunden"},
      {(dir / "folder").string(), "", "Datei nicht gefunden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const TransferImage image = read_transfer_image(c.path, 0xFF);
    EXPECT_EQ(image.problem, c.problem);
    EXPECT_EQ(image.size, c.bytes.size());
    const std::size_t blocks = (c.bytes.size() + 127) / 128;
    EXPECT_TRUE(image.bytes == c.bytes + std::string(blocks * 128 - c.bytes.size(), '\0'));
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zorvin::emu
