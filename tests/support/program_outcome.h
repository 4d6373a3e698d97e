// A built program started as a script starts it, in a folder of the test's:
// its standard output, exit status and error stream.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "built_program.h"

namespace zorvin::test {

struct ProgramOutcome {
  int status = -1;  // -1 when it did not end by itself (a signal, the timeout's kill)
  std::string out;
  std::string err;
};

// `arguments` are words for the shell; `prefix` goes before the program
// ("ulimit -f 8;", "NAME=value").
inline ProgramOutcome run_built_program(const std::filesystem::path& dir, const std::string& program,
                                        const std::string& arguments, const std::string& prefix = "",
                                        int timeout_seconds = 20) {
  ProgramOutcome result;
  const std::string command = "cd '" + dir.string() + "' && " + prefix + " timeout " +
                              std::to_string(timeout_seconds) + " " +
                              shell_command(built_program_command(program)) + " " + arguments +
                              " 2>stderr.txt </dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(dir / "stderr.txt", std::ios::binary);
  std::ostringstream text;
  text << err.rdbuf();
  result.err = text.str();
  return result;
}

}  // namespace zorvin::test
