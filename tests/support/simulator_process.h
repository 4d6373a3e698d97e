// Runs zorvin-emusim as a child process for the duration of a test.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "built_program.h"
#include "emu/clock.h"

namespace zorvin::emu::testing {

class SimulatorProcess {
 public:
  // Starts the simulator on `link` with the extra options and waits until
  // the link is there. ok() tells whether that worked.
  SimulatorProcess(const std::string& link, std::vector<std::string> options) : link_(link) {
    options.insert(options.begin(), {"--link", link});
    std::vector<std::string> command = test::built_program_command(ZORVIN_EMUSIM, options);
    std::vector<char*> argv = test::argv_of(command);
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      return;
    }
    for (int waited = 0; waited < 5000 && !link_exists() && running(); waited += 5) delay_ms(5);
  }
  ~SimulatorProcess() { stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  bool ok() const { return pid_ > 0 && link_exists(); }

  bool link_exists() const {
    struct stat info {};
    return lstat(link_.c_str(), &info) == 0;
  }

  bool running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }

  // Waits at most `ms` for the simulator to end by itself; its exit status,
  // or -1 if it is still running.
  int wait_for_exit(int ms) {
    for (int waited = 0; running() && waited < ms; waited += 10) delay_ms(10);
    if (running()) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  }

  // SIGTERM and wait; returns the exit status as wait_for_exit.
  int stop() {
    if (running()) kill(pid_, SIGTERM);
    return wait_for_exit(5000);
  }

 private:
  std::string link_;
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace zorvin::emu::testing
