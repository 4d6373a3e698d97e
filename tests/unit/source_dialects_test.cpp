#include <gtest/gtest.h>

#include "asm/dialect/definitions.h"
#include "settings/ini_store.h"
#include "settings/settings.h"
#include "settings/source_dialects.h"
#include "settings_test_files.h"

namespace zorvin::settings {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(SourceDialects, ChoosingPutsTheFileFirstForgetsAutomaticAndKeepsTheNewestHundred) {
  std::vector<SourceDialect> list;
  choose_dialect(list, "/a.asm", "tasm");
  choose_dialect(list, "/b.asm", "sbasm");
  choose_dialect(list, "/a.asm", "asm48");  // chosen again: first, once
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].path, "/a.asm");
  EXPECT_EQ(chosen_dialect(list, "/a.asm"), "asm48");
  EXPECT_EQ(chosen_dialect(list, "/b.asm"), "sbasm");
  EXPECT_EQ(chosen_dialect(list, "/c.asm"), "");
  choose_dialect(list, "/b.asm", "");  // "Automatisch erkennen"
  EXPECT_EQ(chosen_dialect(list, "/b.asm"), "");
  EXPECT_EQ(list.size(), 1u);
  choose_dialect(list, "", "tasm");  // a text without a file is not remembered
  choose_dialect(list, "/zwei\nzeilen.asm", "tasm");  // nor a path the settings file cannot hold
  EXPECT_EQ(list.size(), 1u);

  for (int i = 0; i < 150; ++i) choose_dialect(list, "/f" + std::to_string(i) + ".asm", "tasm");
  EXPECT_EQ(list.size(), kMaxSourceDialects);
  EXPECT_EQ(list.front().path, "/f149.asm");
  EXPECT_EQ(chosen_dialect(list, "/f50.asm"), "tasm");
  EXPECT_EQ(chosen_dialect(list, "/f49.asm"), "");
  EXPECT_EQ(chosen_dialect(list, "/a.asm"), "");
}

TEST(SourceDialects, SettingsFileKeepsChoicesAndDefinitionsBesideTheUsersLines) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  write_file(path, "\xEF\xBB\xBF\n; mein Kommentar\n[Eigenes]\nSchluessel = Wert\n");
  Settings settings;
  // Paths with "=", ";", "|" and blanks inside.
  choose_dialect(settings.source_dialects, "/home/u/alt=1.asm", "sbasm");
  choose_dialect(settings.source_dialects, "/home/u/mein prog;2|b.a48", "tasm");
  settings.definitions = "DEBUG=1, TEST";
  ASSERT_TRUE(save_settings(settings, path).ok);

  Settings loaded;
  load_settings(loaded, path);
  ASSERT_EQ(loaded.source_dialects.size(), 2u);
  EXPECT_EQ(loaded.source_dialects[0].path, "/home/u/mein prog;2|b.a48");
  EXPECT_EQ(loaded.source_dialects[0].dialect, "tasm");
  EXPECT_EQ(loaded.source_dialects[1].path, "/home/u/alt=1.asm");
  EXPECT_EQ(loaded.definitions, "DEBUG=1, TEST");
  const std::string file = read_file(path);
  EXPECT_NE(file.find("; mein Kommentar\n[Eigenes]\nSchluessel = Wert\n"), std::string::npos);
  EXPECT_NE(file.find("[Dialekte]\nDatei1 = tasm|/home/u/mein prog;2|b.a48\nDatei2 = sbasm|/home/u/alt=1.asm\n"),
            std::string::npos);

  // Fewer choices: the numbers no longer used go, nothing else.
  choose_dialect(loaded.source_dialects, "/home/u/alt=1.asm", "");
  ASSERT_TRUE(save_settings(loaded, path).ok);
  const std::string after = read_file(path);
  EXPECT_EQ(after.find("Datei2"), std::string::npos);
  EXPECT_NE(after.find("Datei1 = tasm|"), std::string::npos);
}

TEST(SourceDialects, TheSimulatorsBoardAndWatchListKeepTheirOwnGroups) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  Settings settings;
  const std::string board = "Anzeige=P1;Segmente=abc-efgp;Stellen=P2.0 P2.1;SchalterP1=FF";
  choose_dialect(settings.source_peripherals, "/home/u/a.asm", board);
  choose_dialect(settings.source_watches, "/home/u/a.asm", "r2, zaehler; x:30h");
  choose_dialect(settings.source_dialects, "/home/u/a.asm", "tasm");
  ASSERT_TRUE(save_settings(settings, path).ok);
  Settings loaded;
  load_settings(loaded, path);
  struct Kept {
    const std::vector<SourceDialect>& list;
    std::string text;
  };
  for (const Kept& kept : {Kept{loaded.source_peripherals, board}, Kept{loaded.source_watches, "r2, zaehler; x:30h"},
                           Kept{loaded.source_dialects, "tasm"}}) {
    ASSERT_EQ(kept.list.size(), 1u) << kept.text;
    EXPECT_EQ(kept.list[0].path, "/home/u/a.asm");
    EXPECT_EQ(kept.list[0].dialect, kept.text);
  }
  const std::string file = read_file(path);
  EXPECT_NE(file.find("[Peripherie]\nDatei1 = " + board + "|/home/u/a.asm\n"), std::string::npos) << file;
  EXPECT_NE(file.find("[Beobachten]\nDatei1 = r2, zaehler; x:30h|/home/u/a.asm\n"), std::string::npos) << file;
}

TEST(SourceDialects, HandEditedGroupSkipsBrokenEntriesAndDoubles) {
  TempDir dir;
  const std::string path = dir.file("zorvin.ini");
  write_file(path,
             "\xEF\xBB\xBF\n[Dialekte]\nDatei1 = tasm|/a.asm\nDatei2 = ohne-strich\nDatei3 = |/b.asm\n"
             "Datei4 = sbasm|/a.asm\nDatei5 = asm48|/c.asm\nDatei999 = as|/d.asm\n");
  Settings loaded;
  load_settings(loaded, path);
  ASSERT_EQ(loaded.source_dialects.size(), 2u);
  EXPECT_EQ(chosen_dialect(loaded.source_dialects, "/a.asm"), "tasm");
  EXPECT_EQ(chosen_dialect(loaded.source_dialects, "/c.asm"), "asm48");
}

TEST(Definitions, ListsAsTheCommandLineTakesThem) {
  struct Case {
    const char* text;
    bool ok;
    std::vector<asm48::Definition> expected;
  };
  const Case cases[] = {
      {"", true, {}},
      {"   ", true, {}},
      {"DEBUG", true, {{"DEBUG", 1}}},
      {"DEBUG=0, TEST", true, {{"DEBUG", 0}, {"TEST", 1}}},
      {" A = 0FFh ,B=0x10,C=20h,_d=12 ", true, {{"A", 255}, {"B", 16}, {"C", 32}, {"_d", 12}}},
      {"1ABC", false, {}},
      {"A=", false, {}},
      {"A=zwölf", false, {}},
      {"A B", false, {}},
      {"A,,B", false, {}},
      {"A,", false, {}},
      {"=5", false, {}},
      {"A=0FFFFFFFFh", true, {{"A", -1}}},
      {"A=100000000h", false, {}},
      {"A=1, B, a=2", false, {}},
  };
  for (const Case& c : cases) {
    const asm48::DefinitionsParse parse = asm48::parse_definitions(c.text);
    EXPECT_EQ(parse.ok, c.ok) << c.text;
    EXPECT_EQ(parse.definitions, c.expected) << c.text;
    EXPECT_EQ(parse.error.empty(), c.ok) << c.text;
  }
  EXPECT_NE(asm48::parse_definitions("A, 1X").error.find("'1X' ist keine Definition"), std::string::npos);
  EXPECT_EQ(asm48::parse_definitions("A=4294967296").error, "'A=4294967296': Zahl passt nicht in 32 Bit");
  EXPECT_EQ(asm48::parse_definitions("Fast, FAST=2").error, "'FAST' ist zweimal definiert");
  // A long entry is quoted shortened, cut between characters, not bytes.
  EXPECT_EQ(asm48::parse_definitions("A, ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ=zwölf").error,
            "'ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ…' ist keine Definition (NAME oder NAME=ZAHL)");
}

}  // namespace
}  // namespace zorvin::settings
