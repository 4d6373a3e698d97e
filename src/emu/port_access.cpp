#include "emu/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "files/regular_file.h"

namespace zorvin::emu {
namespace {

std::string group_name(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> scratch(16384);
  if (getgrgid_r(gid, &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr) return found->gr_name;
  return {};
}

// Whether the user's account lists `gid`, though this process may not have it
// yet (a group joined takes effect only at the next login).
bool account_has_group(gid_t gid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> scratch(16384);
  if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) != 0 || found == nullptr) return false;
  std::vector<gid_t> groups(256);
  int count = static_cast<int>(groups.size());
  if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) return false;
  groups.resize(static_cast<std::size_t>(count));
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

}  // namespace

bool is_character_device(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

bool is_character_device(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode);
}

std::string open_failure(const std::string& port, int error) {
  const std::string start = "Fehler beim Öffnen der seriellen Schnittstelle - " + port;
  if (error == ENOENT || error == ENOTDIR) return start + " nicht gefunden";
  if (error == EBUSY) return start + ": Schnittstelle wird schon benutzt";
  if (error == EACCES || error == EPERM) return start + " kann nicht geöffnet werden: Zugriff verweigert";
  return start + " kann nicht geöffnet werden: " + files::error_text(error);
}

std::optional<std::string> permission_hint(const std::string& port, int error) {
  if (error != EACCES && error != EPERM) return std::nullopt;
  const std::string start = "Keine Berechtigung für " + port + " - ";
  struct stat info {};
  if (::stat(port.c_str(), &info) != 0) return start + "Zugriffsrechte des Geräts prüfen";
  const bool group_may_use = (info.st_mode & S_IRGRP) != 0 && (info.st_mode & S_IWGRP) != 0;
  const std::string group = group_name(info.st_gid);
  const std::string instead = "Rechte des Geräts freigeben (z. B. mit einer udev-Regel)";
  // Joining root's group would be bad advice even where it could help.
  if (group.empty() || info.st_gid == 0) return start + instead;
  if (!group_may_use) return start + "die Gruppe '" + group + "' darf es nicht lesen und schreiben; " + instead;
  if (account_has_group(info.st_gid)) {
    return start + "der Benutzer ist in der Gruppe '" + group + "', das gilt aber erst nach einer neuen Anmeldung";
  }
  return start + "Benutzer in die Gruppe '" + group + "' aufnehmen";
}

}  // namespace zorvin::emu
