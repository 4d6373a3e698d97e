// A full 2048-byte transfer against zorvin-emusim with a prompt device and
// the timing users get. The reply polling sets the floor: the window-event
// wait after the open, the banner and the quiet interval after it, and 21
// replies of at least one poll interval each.
// The goal is a wall time within 10 % of that floor and a CPU time under 5 %
// of the wall time (no busy-waiting).

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "emu/clock.h"
#include "emu/emulator_transfer.h"

namespace {

using namespace zorvin;

// Stands in for the window: the event wait lasts its whole timeout, as when
// no event comes, which is the slow case.
class IdleView : public emu::TransferView {
 public:
  int lines = 0;
  void append_message(const std::string&) override { ++lines; }
  void scroll_messages_to_end() override {}
  void wait_for_one_event(int timeout_ms) override { emu::delay_ms(timeout_ms); }
};

double cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
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

  const char* argv[] = {simulator.c_str(), "--link", link.c_str(), "--banner-delay", "0",
                        "--dump", dump.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, simulator.c_str(), nullptr, nullptr, const_cast<char**>(argv),
                  environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", simulator.c_str());
    return 1;
  }
  struct stat info {};
  for (int waited = 0; lstat(link.c_str(), &info) != 0 && waited < 5000; waited += 5) {
    emu::delay_ms(5);
  }

  settings::Settings settings;
  settings.port_name = link;
  settings.eprom_code = "E256";
  emu::SerialPorts ports;
  IdleView view;
  const emu::TransferTiming timing;  // what users get

  const double cpu_start = cpu_ms();
  const std::int64_t start = emu::elapsed_ms();
  emu::emulator_transfer(image, settings, ports, view, timing);
  const auto wall = static_cast<double>(emu::elapsed_ms() - start);
  const double cpu = cpu_ms() - cpu_start;

  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  std::ifstream dumped(dump, std::ios::binary);
  const std::string loaded((std::istreambuf_iterator<char>(dumped)), {});
  std::remove(image.c_str());
  std::remove(dump.c_str());
  rmdir(dir.c_str());

  // The settle after the reset: the banner, then a quiet interval, read a
  // poll at a time; then one reply for the sync and each of the 20 steps.
  const double floor = timing.first_event_wait_ms + timing.poll_interval_ms + timing.quiet_ms +
                       21.0 * timing.poll_interval_ms;
  std::printf("transfer of 2048 bytes: %.0f ms wall, floor %.0f ms (+%.1f %%)\n", wall, floor,
              100.0 * (wall - floor) / floor);
  std::printf("CPU time of the transfer: %.1f ms = %.2f %% of wall time\n", cpu,
              100.0 * cpu / wall);
  std::printf("image arrived intact: %s (%d message lines)\n", loaded == bytes ? "yes" : "NO",
              view.lines);
  return loaded == bytes ? 0 : 1;
}
