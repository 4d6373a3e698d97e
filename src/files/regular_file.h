// Opening files so that only regular files are read or written: a FIFO, a
// device or a directory named by mistake must neither hang the program in
// open() nor be read for ever.
#pragma once

#include <sys/stat.h>

#include <string>

namespace zorvin::files {

// Error number of a path that names something other than a regular file.
inline constexpr int kNotARegularFile = -1;

struct OpenedFile {
  int fd = -1;          // blocking again once opened; the caller closes it
  struct stat info {};  // of the opened file
  int error = 0;        // an errno value or kNotARegularFile
  bool ok() const { return fd >= 0; }
};

// Opens `path` with `flags` (O_RDONLY, O_RDWR, O_CREAT, ...) when it is a
// regular file or, with O_CREAT, does not exist yet. Anything else is
// refused before it is opened, so a serial device is never touched.
OpenedFile open_regular_file(const std::string& path, int flags);

// The text for an error number: German for the common ones, followed by the
// system's own in parentheses, "Kein Platz mehr auf dem Datenträger (No space
// left on device)"; the system's alone for the rare ones; "keine normale
// Datei" for kNotARegularFile.
std::string error_text(int error);

// Why `path` cannot be read as a file: empty for a regular file, else what
// it is instead (a folder, a FIFO, a device) or why it cannot be reached.
std::string file_kind_problem(const std::string& path);

}  // namespace zorvin::files
