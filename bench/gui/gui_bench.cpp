// Start-up and F5 of the real program under a private Xvfb: time from
// process start to the main window being mapped, resident memory once it is
// up, and the time F5 takes for a full 2 KiB program.
#include <X11/Xlib.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/ids.h"
#include "bench_app.h"
#include "private_xvfb.h"
#include "ui/dock.h"

namespace {

using zorvin::bench::Clock;
using zorvin::bench::median;
using zorvin::bench::ms_since;

long resident_kib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

struct StartUp {
  double median_ms = 0;
  double best_ms = 0;
  double resident_mb = 0;
};

// Starts the program in an empty folder and waits for its first top-level
// window to be mapped.
StartUp measure_start_up(const std::string& program, int runs) {
  std::vector<double> times;
  long rss = 0;
  for (int run = 0; run < runs; ++run) {
    const auto dir = std::filesystem::temp_directory_path() / ("zorvin-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    Display* display = XOpenDisplay(nullptr);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      std::filesystem::current_path(dir);
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (;;) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) break;
    }
    times.push_back(ms_since(start));
    usleep(500000);
    rss = std::max(rss, resident_kib(pid));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    std::filesystem::remove_all(dir);
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front(), rss / 1024.0};
}

// The program against the least GTK 3 program with a text view, started
// in turns so that both see the same load of the machine.
// The same with a GtkSourceView instead of the text view shows what the
// editor's library alone adds.
void compare_start_up(int runs) {
  std::vector<double> program_times, baseline_times, source_view_times;
  StartUp program, baseline, source_view;
  for (int run = 0; run < runs; ++run) {
    program = measure_start_up(ZORVIN_PROGRAM, 1);
    baseline = measure_start_up(ZORVIN_MINIMAL_GTK, 1);
    source_view = measure_start_up(ZORVIN_MINIMAL_SOURCE_VIEW, 1);
    program_times.push_back(program.median_ms);
    baseline_times.push_back(baseline.median_ms);
    source_view_times.push_back(source_view.median_ms);
  }
  const double program_ms = median(program_times), baseline_ms = median(baseline_times);
  const double source_view_ms = median(source_view_times);
  std::printf("start-up to window mapped (median of %d runs, every pane closed):\n", runs);
  std::printf("  zorvin                       %7.1f ms  %5.1f MB resident\n", program_ms, program.resident_mb);
  std::printf("  minimal GTK 3                %7.1f ms  %5.1f MB resident\n", baseline_ms, baseline.resident_mb);
  std::printf("  minimal GTK 3, source view   %7.1f ms  %5.1f MB resident\n", source_view_ms,
              source_view.resident_mb);
  std::printf("  zorvin / minimal             %7.2f x   %5.2f x\n", program_ms / baseline_ms,
              program.resident_mb / baseline.resident_mb);
  std::printf("  source view / minimal        %7.2f x   %5.2f x\n", source_view_ms / baseline_ms,
              source_view.resident_mb / baseline.resident_mb);
}

// The simulator's and the board's panes opened for the first time, inside
// this process, until the window has drawn them.
void measure_first_panes() {
  zorvin::bench::BenchApp bench("panes");
  zorvin::app::App& app = bench.app;
  while (gtk_events_pending()) gtk_main_iteration();
  const auto start = Clock::now();
  app.dispatch_command(zorvin::app::debug::kShowWindow);
  app.dispatch_command(zorvin::app::debug::kShowPanel);
  // Until the dock shows at its width, in a window widened for it.
  const zorvin::ui::Dock* dock = bench.ui.dock();
  while (gtk_events_pending() || !dock->showing() || !dock->settled()) gtk_main_iteration();
  std::printf("simulator and board panes opened for the first time: %.1f ms\n", ms_since(start));
}

// F5 on a program that fills all 2048 bytes, inside this process.
void measure_f5(int runs) {
  zorvin::bench::BenchApp bench("f5");
  zorvin::app::App& app = bench.app;
  std::string text;
  for (int i = 0; i < 1024; ++i) text += "loop" + std::to_string(i) + ": mov a,#" + std::to_string(i % 256) + "\n";
  app.panes().set_editor_text(text);
  while (auto event = bench.ui.poll_event()) app.handle(*event);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    app.dispatch_command(zorvin::app::command::kAssemble);
    times.push_back(ms_since(start));
  }
  std::printf("F5 on a full 2 KiB program (1024 lines, listing of 1024 rows): median %.1f ms, best %.1f ms\n",
              median(times), *std::min_element(times.begin(), times.end()));
  std::printf("resident memory of the benchmark after %d assemblies: %.1f MB\n", runs, resident_kib(getpid()) / 1024.0);
}

}  // namespace

int main() {
  const pid_t xvfb = zorvin::test::start_private_xvfb();
  if (xvfb <= 0) return 1;
  zorvin::bench::use_display_as_the_program_does();
  compare_start_up(9);
  measure_first_panes();
  measure_f5(20);
  zorvin::test::stop_private_xvfb(xvfb);
  return 0;
}
