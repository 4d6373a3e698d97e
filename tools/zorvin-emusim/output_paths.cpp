#include "output_paths.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "files/file_identity.h"

namespace zorvin::emusim {
namespace {

namespace fs = std::filesystem;

fs::path normal(const std::string& path) {
  std::error_code ignored;
  const fs::path absolute = fs::absolute(path, ignored).lexically_normal();
  const fs::path canonical = fs::weakly_canonical(absolute, ignored);
  return canonical.empty() ? absolute : canonical;
}

}  // namespace

bool same_target(const std::string& a, const std::string& b) {
  std::error_code ignored;
  return files::same_file(a, b) || normal(a) == normal(b) ||
         fs::absolute(a, ignored).lexically_normal() == fs::absolute(b, ignored).lexically_normal();
}

std::optional<std::string> file_clash(const Options& options) {
  using Named = std::pair<std::string, std::string>;  // option, path
  const std::vector<Named> outputs = {{"--log", options.log}, {"--dump", options.dump}};
  for (const auto& [option, path] : outputs) {
    if (path.empty()) continue;
    if (!options.spi_image.empty() && same_target(path, options.spi_image)) {
      return option + " " + path + " ist dieselbe Datei wie --spi-image " + options.spi_image +
             " - sie würde überschrieben";
    }
    if (same_target(path, options.link)) {
      return option + " " + path + " ist derselbe Pfad wie --link " + options.link +
             " - dort entsteht der Link zur Schnittstelle";
    }
  }
  if (!options.log.empty() && !options.dump.empty() && same_target(options.log, options.dump)) {
    return "--log und --dump nennen dieselbe Datei (" + options.log + ", " + options.dump +
           ") - jede würde die andere überschreiben";
  }
  if (!options.spi_image.empty() && same_target(options.spi_image, options.link)) {
    return "--spi-image " + options.spi_image + " ist derselbe Pfad wie --link " + options.link +
           " - dort entsteht der Link zur Schnittstelle";
  }
  return std::nullopt;
}

}  // namespace zorvin::emusim
