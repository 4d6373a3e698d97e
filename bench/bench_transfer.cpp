// Full 2048-byte transfers against zorvin-emusim with the real device's
// timing: 115200 baud both ways, the adapter's 16 ms latency timer (each
// reply some 17 ms after its command) and a boot pause of one second after
// a reset. Measured: the first open after the simulator started (the open
// resets the board, which prints its banner) and later opens (no reset), each
// the median of three, with and without a window event after the open.
// Goals: a later open within 0.8 s, the first within 1.9 s; the CPU time
// stays a small part of the wall time (no busy-waiting).
//
// The source uses only what every version of the link offers, so the same
// file built against an older library measures that one side by side.

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "emu/clock.h"
#include "emu/emulator_transfer.h"

namespace {

using namespace zorvin;

// Stands in for the window. The wait for one window event after the open
// either lasts its whole timeout, as when no event comes (the slow case), or
// ends at once, as when the window redraws the new line.
class IdleView : public emu::TransferView {
 public:
  explicit IdleView(bool event_comes) : event_comes_(event_comes) {}
  void append_message(const std::string&) override {}
  void scroll_messages_to_end() override {}
  void wait_for_one_event(int timeout_ms) override {
    if (!event_comes_) emu::delay_ms(timeout_ms);
  }

 private:
  bool event_comes_;
};

double cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Run {
  double wall_ms = 0;
  double cpu_ms = 0;
  bool exact = false;
};

Run transfer(const std::string& image, const std::string& dump, const std::string& bytes,
             const settings::Settings& settings, bool event_comes) {
  emu::SerialPorts ports;
  IdleView view(event_comes);
  const double cpu_start = cpu_ms();
  const std::int64_t start = emu::elapsed_ms();
  const bool ok = emu::emulator_transfer(image, settings, ports, view);
  Run run;
  run.wall_ms = static_cast<double>(emu::elapsed_ms() - start);
  run.cpu_ms = cpu_ms() - cpu_start;
  emu::delay_ms(50);  // the dump is written once the simulator has seen ":EMUON"
  run.exact = ok && read_all(dump) == bytes;
  return run;
}

}  // namespace

int main() {
  const std::string simulator = ZORVIN_BINARY_DIR "/tools/zorvin-emusim/zorvin-emusim";
  const std::string dir = "/tmp/zorvin_bench_transfer_" + std::to_string(getpid());
  const std::string link = dir + "/ttyUSB0";
  const std::string image = dir + "/image.bin";
  const std::string dump = dir + "/dump.bin";
  mkdir(dir.c_str(), 0700);

  std::string bytes(2048, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37 + 11);
  std::ofstream(image, std::ios::binary) << bytes;

  settings::Settings settings;
  settings.port_name = link;
  settings.eprom_code = "E256";

  double cpu = 0, wall = 0;
  bool all_exact = true;
  for (const bool event_comes : {false, true}) {
    std::vector<double> first, later;
    for (int round = 0; round < 3; ++round) {
      // A fresh simulator each round, so its first open resets the board.
      const char* argv[] = {simulator.c_str(), "--link", link.c_str(), "--dump", dump.c_str(), nullptr};
      pid_t pid = 0;
      if (posix_spawn(&pid, simulator.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", simulator.c_str());
        return 1;
      }
      struct stat info {};
      for (int waited = 0; lstat(link.c_str(), &info) != 0 && waited < 5000; waited += 5) emu::delay_ms(5);
      for (int open = 0; open < 3; ++open) {
        std::remove(dump.c_str());
        const Run run = transfer(image, dump, bytes, settings, event_comes);
        (open == 0 ? first : later).push_back(run.wall_ms);
        cpu += run.cpu_ms;
        wall += run.wall_ms;
        all_exact = all_exact && run.exact;
      }
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    std::printf("%s:\n", event_comes ? "window event at once" : "no window event (the wait runs out)");
    std::printf("  2048 bytes, first open after a reset: %.0f ms (goal 1900 ms)\n", median(first));
    std::printf("  2048 bytes, later open:               %.0f ms (goal 800 ms)\n", median(later));
  }
  std::remove(image.c_str());
  std::remove(dump.c_str());
  rmdir(dir.c_str());

  std::printf("CPU time of the transfers: %.1f ms = %.2f %% of wall time\n", cpu, 100.0 * cpu / wall);
  std::printf("every image arrived intact: %s\n", all_exact ? "yes" : "NO");
  return all_exact ? 0 : 1;
}
