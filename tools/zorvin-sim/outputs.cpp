#include "outputs.h"

#include "files/file_identity.h"

namespace zorvin::sim_tool {

Outputs::Outputs(const Options& options)
    : outputs_{{{"--trace", &options.trace, {}}, {"--vcd", &options.vcd, {}}, {"--serial-out", &options.serial_out, {}},
                {"--profile", &options.profile, {}}}} {}

std::string Outputs::conflict(const std::vector<InputFile>& inputs) const {
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    const Output& output = outputs_[i];
    if (!*output.path) continue;
    const std::string& path = **output.path;
    const std::string named = std::string(output.option) + " " + path;
    for (const InputFile& input : inputs)
      if (files::same_file(path, input.path)) return named + " würde " + input.what + " überschreiben";
    for (std::size_t j = i + 1; j < outputs_.size(); ++j) {
      const Output& other = outputs_[j];
      if (*other.path && files::same_output(path, **other.path))
        return named + " und " + other.option + " " + **other.path + " wären dieselbe Datei";
    }
  }
  return {};
}

bool Outputs::open() {
  for (Output& output : outputs_) {
    if (!*output.path) continue;
    if (!output.file.open(**output.path)) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden: %s\n", output.path->value().c_str(),
                   output.file.error().c_str());
      return false;
    }
  }
  return true;
}

bool Outputs::commit() {
  bool ok = true;
  for (Output& output : outputs_) {
    if (!*output.path) continue;
    if (output.file.commit()) continue;
    std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden: %s\n", output.path->value().c_str(),
                 output.file.error().c_str());
    ok = false;
  }
  return ok;
}

}  // namespace zorvin::sim_tool
