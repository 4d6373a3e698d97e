// The switch of the run's figures in the editor's gutter: on unless the
// file says 0, written once it was switched off, and not before.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings_test_files.h"

namespace zorvin::settings {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(SettingsProfile, OnByDefaultWrittenOnceSwitchedOff) {
  const struct {
    const char* file;
    bool loaded;      // what the file says
    bool saved;       // what the user set before saving
    const char* key;  // the key's line after saving, or "" for none
  } cases[] = {
      {"[Simulator]\nTakt=4000000\n", true, true, ""},
      {"", true, true, ""},
      {"[Simulator]\nTakt=4000000\n", true, false, "Profil = 0\n"},
      {"[Simulator]\nProfil=0\n", false, false, "Profil = 0\n"},
      {"[Simulator]\nProfil=0\n", false, true, "Profil = 1\n"},
      {"[Simulator]\nProfil=1\n", true, true, "Profil = 1\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.file("zorvin.ini");
    write_file(path, c.file);
    Settings settings;
    load_settings(settings, path);
    EXPECT_EQ(settings.profile_in_gutter, c.loaded) << c.file;
    settings.profile_in_gutter = c.saved;
    save_settings(settings, path);
    const std::string written = read_file(path);
    if (*c.key) {
      const auto group = written.find("[Simulator]");
      const auto key = written.find(c.key);
      EXPECT_NE(key, std::string::npos) << c.file << "\n" << written;
      EXPECT_LT(group, key) << c.file << "\n" << written;
    } else {
      EXPECT_EQ(written.find("Profil"), std::string::npos) << c.file << "\n" << written;
    }
  }
}

}  // namespace
}  // namespace zorvin::settings
