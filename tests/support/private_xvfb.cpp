#include "private_xvfb.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zorvin::test {

namespace {

bool alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// One try: Xvfb picks a free display and writes its number once it accepts
// clients. -noreset: by default the server resets when its last client
// leaves (our own check below, a test's window closed), and a client that
// connects during that reset is refused.
pid_t try_start(std::string& display) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  display = ":" + number;
  return pid;
}

// Two servers started at the same moment can both name the same display;
// the loser ends at once. Ours must still run and answer.
bool serves(pid_t pid, const std::string& display) {
  usleep(100000);
  if (!alive(pid)) return false;
  Display* connection = XOpenDisplay(display.c_str());
  if (!connection) return false;
  XCloseDisplay(connection);
  usleep(50000);
  return alive(pid);
}

}  // namespace

pid_t start_private_xvfb() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::string display;
    const pid_t pid = try_start(display);
    if (pid < 0) return -1;
    if (display.size() > 1 && serves(pid, display)) {
      setenv("DISPLAY", display.c_str(), 1);
      return pid;
    }
    stop_private_xvfb(pid);
  }
  return -1;
}

void stop_private_xvfb(pid_t xvfb) {
  if (xvfb <= 0) return;
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
}

}  // namespace zorvin::test
