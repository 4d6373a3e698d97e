// The simulator's files: its outputs (--log, --dump) never overwrite its
// input (--spi-image), each other, or the port's link.
#pragma once

#include <optional>
#include <string>

#include "options.h"

namespace zorvin::emusim {

// Whether `a` and `b` name one file: the same file on disk (links
// followed), or the same path once made absolute, for files not there yet.
bool same_target(const std::string& a, const std::string& b);

// Why the files named in `options` clash, naming the options and paths;
// nothing when they do not.
std::optional<std::string> file_clash(const Options& options);

}  // namespace zorvin::emusim
