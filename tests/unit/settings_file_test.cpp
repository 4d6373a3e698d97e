#include <gtest/gtest.h>

#include <unistd.h>

#include "settings/ini_store.h"
#include "settings/settings.h"
#include "settings_test_files.h"

namespace zorvin::settings {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::round_trip;
using testing::write_file;

// The file a first start writes: mark, empty line, then the 27 entry lines.
const std::string kFirstStartFile =
    "\xEF\xBB\xBF\n"
    "[Fenster]\n"
    "F0X = 0\nF0Y = 0\nF0W = 800\nF0H = 600\n"
    "F1X = 0\nF1Y = 0\nF1W = 500\nF1H = 300\n"
    "F2X = 0\nF2Y = 400\nF2W = 500\nF2H = 100\n"
    "F3X = 550\nF3Y = 0\nF3W = 200\nF3H = 500\n"
    "[Splitter]\nHorizontal = 900\nVertikal = 400\n"
    "[Emulator]\nCOM = \nEPROM = \nSPI = 0\nAUTO = 0\n"
    "[Speicher]\nWert = 0\n";

Settings loaded_from(const std::string& file_bytes, Settings start = {}) {
  TempDir dir;
  write_file(dir.file("zorvin.ini"), file_bytes);
  load_settings(start, dir.file("zorvin.ini"));
  return start;
}

TEST(SettingsFile, FirstStartCreatesTheDefaultFileAndTheNextStartRepairsIt) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  Settings first;
  load_or_create_settings(first, path);
  EXPECT_EQ(read_file(path), kFirstStartFile);
  EXPECT_EQ(first.window_geometry[3].x, 550);
  EXPECT_EQ(first.splitter_vertical, 400);
  EXPECT_EQ(first.port_name, "");

  Settings next;
  load_or_create_settings(next, path);
  EXPECT_EQ(read_file(path), kFirstStartFile);  // loading writes nothing
  EXPECT_EQ(next.port_name, "COM4");
  EXPECT_EQ(next.eprom_code, "64");
  EXPECT_EQ(next.window_geometry[2].y, 400);
  EXPECT_EQ(next.window_geometry[0].width, 800);
  EXPECT_EQ(next.splitter_horizontal, 900);
  EXPECT_EQ(next.fill_byte, 0x00);
}

TEST(SettingsFile, PathIsInTheWorkingDirectory) {
  TempDir dir;
  const std::string before = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  const std::string in_dir = settings_file_path();
  ASSERT_EQ(::chdir("/"), 0);
  const std::string in_root = settings_file_path();
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_EQ(in_dir, std::filesystem::canonical(dir.path()).string() + "/zorvin.ini");
  EXPECT_EQ(in_root, "/zorvin.ini");
}

TEST(SettingsFile, GroupAndKeyNamesIgnoreCaseAndTheWriteSpellingWins) {
  const std::string file = "[fenster]\nf0x = 10\n";
  EXPECT_EQ(loaded_from(file).window_geometry[0].x, 10);
  const std::string saved = round_trip(file);
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF\n[fenster]\nF0X = 10\nF0Y = 0\n", 0), 0u) << saved;
  EXPECT_EQ(saved.find("[Fenster]"), std::string::npos);
}

TEST(SettingsFile, EmulatorValuesAreRepairedAtLoad) {
  const auto emulator = [](const std::string& keys) { return loaded_from("[Emulator]\n" + keys); };
  EXPECT_EQ(emulator("EPROM=e64\n").eprom_code, "64");  // the codes are case-sensitive
  EXPECT_EQ(emulator("EPROM=E64\n").eprom_code, "E64");
  EXPECT_EQ(emulator("EPROM= E256 \n").eprom_code, "E256");
  EXPECT_EQ(emulator("EPROM=\n").eprom_code, "64");
  EXPECT_EQ(emulator("COM=\n").port_name, "COM4");
  EXPECT_EQ(emulator("COM=/dev/ttyUSB1\n").port_name, "/dev/ttyUSB1");
  EXPECT_EQ(emulator("SPI=yes\nAUTO=1\n").spi_flag, 0);
  EXPECT_EQ(emulator("SPI=yes\nAUTO=1\n").auto_load, 1);
  EXPECT_EQ(emulator("SPI=\n").spi_flag, 0);
  EXPECT_EQ(emulator("SPI=1\n").spi_flag, 1);
}

TEST(SettingsFile, OnlyTheValue255SelectsFF) {
  for (const char* value : {"255", "$FF", "%11111111", " +255", "$0ff"}) {
    EXPECT_EQ(loaded_from(std::string("[Speicher]\nWert=") + value).fill_byte, 0xFF) << value;
  }
  for (const char* value : {"0xFF", "254", "", "-255", "$1FF", "$1000000FF", "FF"}) {
    EXPECT_EQ(loaded_from(std::string("[Speicher]\nWert=") + value).fill_byte, 0x00) << value;
  }
  Settings already_ff;
  already_ff.fill_byte = 0xFF;
  EXPECT_EQ(loaded_from("[Speicher]\nWert=0\n", already_ff).fill_byte, 0xFF);
}

TEST(SettingsFile, MissingGroupsLeaveTheirFields) {
  Settings start;
  start.window_geometry[1].height = 7;
  start.port_name = "keep";
  const Settings loaded = loaded_from("[Speicher]\nWert=0\n", start);
  EXPECT_EQ(loaded.window_geometry[1].height, 7);
  EXPECT_EQ(loaded.port_name, "keep");
  EXPECT_EQ(loaded.splitter_horizontal, 900);
  EXPECT_EQ(loaded.splitter_vertical, 400);
}

TEST(SettingsFile, HandEditedFileKeepsItsContentAcrossSaves) {
  const std::string file =
      ";note\n\n\n[Emulator]\nCOM_PRFX=/dev/ttyACM\nCOM=/dev/ttyACM0\nBaud\nEPROM=E64\n"
      "[Splitter]\nHorizontal=900\n[Mine]\n  # own = stuff\n";
  const std::string saved = round_trip(file);
  EXPECT_EQ(saved,
            "\xEF\xBB\xBF\n;note\n"
            "[Emulator]\nCOM_PRFX=/dev/ttyACM\nCOM = /dev/ttyACM0\nBaud\nEPROM = E64\n"
            "SPI = 0\nAUTO = 0\n"
            "[Splitter]\nHorizontal = 900\nVertikal = 400\n"
            "[Mine]\n  # own = stuff\n"
            "[Fenster]\nF0X = 0\nF0Y = 0\nF0W = 0\nF0H = 0\nF1X = 0\nF1Y = 0\nF1W = 0\nF1H = 0\n"
            "F2X = 0\nF2Y = 0\nF2W = 0\nF2H = 0\nF3X = 0\nF3Y = 0\nF3W = 0\nF3H = 0\n"
            "[Speicher]\nWert = 0\n");
  EXPECT_EQ(round_trip(saved), saved);
  EXPECT_EQ(loaded_from(saved).port_prefix, "/dev/ttyACM");

  // The prefix in the record is never written, whatever it holds.
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  Settings settings;
  settings.port_prefix = "/dev/other";
  save_settings(settings, path);
  EXPECT_EQ(read_file(path).find("COM_PRFX"), std::string::npos);
}

TEST(SettingsFile, Latin1FileIsReadAndWrittenBackAsUtf8) {
  const std::string file = "[Emulator]\nCOM=/dev/tty\xE4\n";
  EXPECT_EQ(loaded_from(file).port_name, "/dev/tty\u00E4");
  const std::string saved = round_trip(file);
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF\n[Emulator]\nCOM = /dev/tty\xC3\xA4\n", 0), 0u) << saved;
}

// Saved as UTF-16 by an editor: written back as UTF-8 with its mark, the
// user's comment and own key (here with a surrogate pair) intact.
TEST(SettingsFile, Utf16FileIsReadAndWrittenBackAsUtf8) {
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : std::u16string(u"; Notiz \u00E4\r\n[Emulator]\r\nCOM=/dev/ttyUSB2\r\n[Mein]\r\nx=\U0001F600")) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  for (const std::string& file : {little, big})
    EXPECT_EQ(round_trip(file).rfind("\xEF\xBB\xBF\n; Notiz \xC3\xA4\n[Emulator]\nCOM = /dev/ttyUSB2\nEPROM = 64\n"
                                     "SPI = 0\nAUTO = 0\n[Mein]\nx=\xF0\x9F\x98\x80\n[Fenster]\n", 0), 0u);
}

TEST(SettingsFile, EmptyFileLoadsWithoutGroupsAndStaysWithoutMark) {
  const Settings loaded = loaded_from("");
  EXPECT_EQ(loaded.splitter_horizontal, 900);
  EXPECT_EQ(loaded.splitter_vertical, 400);
  EXPECT_EQ(loaded.window_geometry[0].width, 0);
  EXPECT_EQ(loaded.port_name, "");
  EXPECT_EQ(loaded.eprom_code, "");
  const std::string saved = round_trip("");
  EXPECT_EQ(saved.rfind("[Fenster]\nF0X = 0\n", 0), 0u) << saved;
  EXPECT_EQ(saved.find("\xEF\xBB\xBF"), std::string::npos);
}

TEST(SettingsFile, FileThatCannotBeOpenedIsNeitherReadNorReplaced) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  ASSERT_TRUE(std::filesystem::create_directory(path));
  Settings settings;
  const SettingsFileResult loaded = load_or_create_settings(settings, path);
  EXPECT_EQ(settings.splitter_horizontal, 0);
  EXPECT_EQ(settings.window_geometry[0].width, 0);
  EXPECT_EQ(settings.port_name, "");
  EXPECT_EQ(loaded.message, path + " - Einstellungen nicht gelesen (ist ein Ordner (Is a directory)); die Datei "
                                   "bleibt unverändert und wird nicht überschrieben");
  const SettingsFileResult saved = save_settings(settings, path);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.message, path + " - Einstellungen nicht gespeichert (ist ein Ordner (Is a directory))");
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(dir.names(), std::set<std::string>{"zorvin.ini"});
}

TEST(SettingsFile, CreationFailureIsReported) {
  Settings settings;
  const SettingsFileResult created = load_or_create_settings(settings, "/nonexistent-dir-zorvin/zorvin.ini");
  EXPECT_EQ(settings.splitter_horizontal, 900);  // the run goes on with the defaults
  EXPECT_FALSE(created.ok);
  EXPECT_EQ(created.message, "/nonexistent-dir-zorvin/zorvin.ini - Einstellungen nicht gespeichert (Datei oder Ordner "
                             "nicht gefunden (No such file or directory))");
}

// Far larger than any settings file: neither read nor replaced, and said so
// at the start and at every save.
TEST(SettingsFile, OversizedFileIsRefusedAndLeftUntouched) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  const std::string huge = "[Splitter]\nHorizontal=123\n" + std::string(kMaxSettingsBytes, ';');
  write_file(path, huge);
  Settings settings;
  const SettingsFileResult loaded = load_or_create_settings(settings, path);
  EXPECT_FALSE(loaded.ok);
  EXPECT_NE(loaded.message.find("größer als 1 MiB"), std::string::npos) << loaded.message;
  EXPECT_EQ(settings.splitter_horizontal, 0);  // nothing of it was read
  settings.splitter_horizontal = 500;
  const SettingsFileResult saved = save_settings(settings, path);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.message, path + " - Einstellungen nicht gespeichert (größer als 1 MiB, keine Einstellungsdatei)");
  EXPECT_EQ(read_file(path), huge);
  // At the bound itself the file is still read.
  write_file(path, "[Splitter]\nHorizontal=123\n" + std::string(kMaxSettingsBytes - 26, ';'));
  EXPECT_TRUE(load_settings(settings, path).ok);
  EXPECT_EQ(settings.splitter_horizontal, 123);
}

// The user's own lines are written back byte for byte; zorvin's keys in
// their own form, "KEY = value".
TEST(SettingsFile, UsersLinesStayAsTheyAre) {
  const struct {
    const char* line;     // in the group [Mine], or a key of zorvin's in [Splitter]
    const char* written;
  } cases[] = {
      {"[Mine]\n# hash comment", "[Mine]\n# hash comment\n"},
      {"[Mine]\n;no blank", "[Mine]\n;no blank\n"},
      {"[Mine]\n   ; indented", "[Mine]\n   ; indented\n"},
      {"[Mine]\nno equals sign", "[Mine]\nno equals sign\n"},
      {"[Mine]\nkey=value", "[Mine]\nkey=value\n"},
      {"[Mine]\n\tkey  =  value  ", "[Mine]\n\tkey  =  value  \n"},
      {"[Splitter]\nhorizontal=77", "[Splitter]\nHorizontal = 77\nVertikal = 400\n"},
      {"[Splitter]\n  Vertikal\t=\t5  ", "[Splitter]\nVertikal = 5\nHorizontal = 900\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string saved = round_trip(c.line);
    EXPECT_NE(saved.find(c.written), std::string::npos) << saved;
  }
}

}  // namespace
}  // namespace zorvin::settings
