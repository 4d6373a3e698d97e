// The files a run writes: --trace, --vcd, --serial-out and --profile. None may be a
// file the run reads or another of them. Each goes to a temporary file
// beside it and takes its place only when the run is over, so a full disk
// or a broken run leaves the old file as it was.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "files/streamed_file.h"
#include "options.h"

namespace zorvin::sim_tool {

// A file the run reads, with how a message names it.
struct InputFile {
  std::string path;
  std::string what;  // "das Programm", "die gelesene Datei stim.txt"
};

class Outputs {
 public:
  explicit Outputs(const Options& options);

  // The first output that would overwrite an input or another output, as
  // a German message; empty when there is none.
  std::string conflict(const std::vector<InputFile>& inputs) const;

  // Opens every output given; false after a message on standard error.
  bool open();

  // Null when the option was not given.
  std::FILE* trace() const { return outputs_[0].file.file(); }
  std::FILE* vcd() const { return outputs_[1].file.file(); }
  std::FILE* serial() const { return outputs_[2].file.file(); }
  std::FILE* profile() const { return outputs_[3].file.file(); }

  // Puts every written file in its place; false after a message on
  // standard error for each that failed.
  bool commit();

 private:
  struct Output {
    const char* option;
    const std::optional<std::string>* path;
    files::StreamedFile file;
  };
  std::array<Output, 4> outputs_;
};

}  // namespace zorvin::sim_tool
