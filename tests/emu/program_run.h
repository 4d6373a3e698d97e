// Runs a built command-line program as a script would: in a folder of the
// test's, with its output and errors caught, waited for now or later.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "built_program.h"

namespace zorvin::emu::testing {

inline std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

struct ProgramRun {
  int status = -1;
  std::string output;
  std::string errors;
};

class RunningProgram {
 public:
  // `name` keeps the output files of runs at the same time apart.
  RunningProgram(const char* program, const std::vector<std::string>& arguments, const std::string& dir,
                 const std::string& name = "run")
      : out_(dir + "/" + name + ".out"), err_(dir + "/" + name + ".err") {
    std::vector<std::string> command = test::built_program_command(program, arguments);
    std::vector<char*> argv = test::argv_of(command);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());  // zorvin.ini, if any, is the test's
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~RunningProgram() { wait(); }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  ProgramRun wait() {
    ProgramRun run;
    if (pid_ > 0) {
      int status = 0;
      waitpid(pid_, &status, 0);
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      pid_ = -1;
    }
    run.status = status_;
    run.output = file_text(out_);
    run.errors = file_text(err_);
    return run;
  }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
  int status_ = -1;
};

inline ProgramRun run_program(const char* program, const std::vector<std::string>& arguments,
                              const std::string& dir) {
  return RunningProgram(program, arguments, dir).wait();
}

}  // namespace zorvin::emu::testing
