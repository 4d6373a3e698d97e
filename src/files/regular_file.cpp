#include "files/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <locale.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace zorvin::files {

namespace {

struct GermanError {
  int error;
  std::string_view text;
};

// The errors a user meets with files; others keep the system's text alone.
constexpr GermanError kGermanErrors[] = {
    {ENOENT, "Datei oder Ordner nicht gefunden"},
    {EACCES, "keine Berechtigung"},
    {EPERM, "nicht erlaubt"},
    {ENOSPC, "kein Platz mehr auf dem Datenträger"},
    {EDQUOT, "Speicherkontingent überschritten"},
    {EISDIR, "ist ein Ordner"},
    {ENOTDIR, "ein Teil des Pfades ist kein Ordner"},
    {EROFS, "Dateisystem ist nur lesbar"},
    {EIO, "Ein-/Ausgabefehler"},
    {ENAMETOOLONG, "Name zu lang"},
    {ELOOP, "zu viele symbolische Links"},
    {EMFILE, "zu viele offene Dateien"},
    {ENFILE, "zu viele offene Dateien im System"},
    {EFBIG, "Datei zu groß"},
    {ENXIO, "Gerät nicht vorhanden"},
    {ENODEV, "Gerät nicht vorhanden"},
    {EBUSY, "Gerät oder Datei belegt"},
    {ETXTBSY, "Datei wird gerade ausgeführt"},
    {ENOMEM, "zu wenig Arbeitsspeicher"},
    {EEXIST, "Datei existiert bereits"},
    {EINVAL, "ungültiges Argument"},
};

// The system's own text in the C locale: the same whatever the user's
// locale, so that it can stand in parentheses after the German one.
std::string system_text(int error) {
  const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (c_locale == static_cast<locale_t>(0)) return std::strerror(error);
  std::string text = ::strerror_l(error, c_locale);
  ::freelocale(c_locale);
  return text;
}

}  // namespace

std::string error_text(int error) {
  if (error == kNotARegularFile) return "keine normale Datei";
  for (const GermanError& german : kGermanErrors)
    if (german.error == error) return std::string(german.text) + " (" + system_text(error) + ")";
  return system_text(error);
}

std::string file_kind_problem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return error_text(errno);
  if (S_ISREG(info.st_mode)) return {};
  if (S_ISDIR(info.st_mode)) return "ist ein Ordner, keine Datei";
  if (S_ISFIFO(info.st_mode)) return "ist eine benannte Pipe (FIFO), keine Datei";
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "ist ein Gerät, keine Datei";
  if (S_ISSOCK(info.st_mode)) return "ist ein Socket, keine Datei";
  return "keine normale Datei";
}

OpenedFile open_regular_file(const std::string& path, int flags) {
  OpenedFile file;
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
    file.error = S_ISDIR(before.st_mode) ? EISDIR : kNotARegularFile;
    return file;
  }
  // Non-blocking, in case a FIFO took the file's place since the check.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) {
    file.error = errno == ENXIO ? kNotARegularFile : errno;
    return file;
  }
  if (::fstat(fd, &file.info) != 0 || !S_ISREG(file.info.st_mode)) {
    ::close(fd);
    file.error = kNotARegularFile;
    return file;
  }
  // Back to blocking: the caller's flags hold no status flag but the
  // O_NONBLOCK added above (F_SETFL ignores the access mode and O_CREAT).
  ::fcntl(fd, F_SETFL, flags);
  file.fd = fd;
  return file;
}

}  // namespace zorvin::files
