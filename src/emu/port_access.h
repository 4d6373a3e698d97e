// What may be opened as the emulator's port, and why opening it failed, in
// words the user can act on.
#pragma once

#include <optional>
#include <string>

namespace zorvin::emu {

// Whether `path` names a character device (a link to one counts); a regular
// file, FIFO or directory is never written to as if it were the emulator.
bool is_character_device(const std::string& path);
bool is_character_device(int fd);

// The line for an open of `port` that failed with `error`: not found, in use
// by another program (or another transfer), no permission, or the system's
// reason.
std::string open_failure(const std::string& port, int error);

// The hint for an open that failed with `error` on `port`: for missing
// permission, which group to join when that group may read and write the
// device, and what to do instead when no group may.
std::optional<std::string> permission_hint(const std::string& port, int error);

}  // namespace zorvin::emu
