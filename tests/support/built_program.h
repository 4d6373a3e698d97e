// Starting the programs this build made (zorvin-asm, zorvin-emusim, ...).
// A cross build runs them through its emulator, qemu-user: the host cannot
// execute them itself. ZORVIN_EXE_LAUNCHER holds the emulator's words,
// separated by spaces; it is empty in a native build.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace zorvin::test {

// The words that run `program` with `arguments`; the first one is for
// execvp or posix_spawnp, which search PATH for the emulator.
inline std::vector<std::string> built_program_command(const std::string& program,
                                                      const std::vector<std::string>& arguments = {}) {
  std::vector<std::string> command;
  std::istringstream launcher(ZORVIN_EXE_LAUNCHER);
  for (std::string word; launcher >> word;) command.push_back(word);
  command.push_back(program);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

// The argument vector for exec: pointers into `command`, then a null.
inline std::vector<char*> argv_of(std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

// The same command for a shell, every word in single quotes.
inline std::string shell_command(const std::vector<std::string>& command) {
  std::string line;
  for (const std::string& word : command) {
    if (!line.empty()) line += ' ';
    line += '\'';
    for (char c : word) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += '\'';
  }
  return line;
}

}  // namespace zorvin::test
