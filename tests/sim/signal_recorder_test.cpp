// The logic analyzer's record: bounded however long the run, the levels at
// any kept cycle the same as a full record's, a run again after going back
// in time recorded once, and its export the dump zorvin-sim --vcd writes.
#include "sim/signal_recorder.h"

#include <cstdio>

#include "sim/history.h"
#include "sim/vcd_writer.h"
#include "sim_cli.h"
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

// P1.0 high for 4 cycles, low for 4; T0's clock output aside.
constexpr const char* kToggle =
    "loop:   orl p1,#01H\n"
    "        anl p1,#0FEH\n"
    "        jmp loop\n";

// Records a run of `cycles` with a ring of `capacity` changes.
SignalRecorder recorded(Simulator& simulator, std::size_t capacity, std::uint64_t cycles) {
  SignalRecorder record(capacity);
  record.start(simulator);
  simulator.set_pin_listener([&](const PinEvent& event) { record.pin_changed(simulator, event); });
  simulator.run({.until_cycle = cycles});
  simulator.set_pin_listener({});
  return record;
}

std::string vcd_text(const std::function<void(std::FILE*)>& write) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  write(file);
  std::fclose(file);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

TEST(SignalRecorder, KeepsTheLatestChangesWithTheLevelsBeforeThem) {
  const struct {
    std::size_t capacity;
    std::uint64_t cycles;
  } cases[] = {{1, 100}, {16, 100}, {16, 20'000}, {1000, 20'000}, {100'000, 20'000}};
  Simulator reference_sim = assembled(kToggle);
  const SignalRecorder full = recorded(reference_sim, 1'000'000, 20'000);
  ASSERT_GT(full.size(), 4000u);  // two changes per 6 cycles
  for (const auto& c : cases) {
    Simulator simulator = assembled(kToggle);
    const SignalRecorder ring = recorded(simulator, c.capacity, c.cycles);
    const std::size_t expected = std::min(c.capacity, full.first_at_or_after(c.cycles + 1));
    EXPECT_EQ(ring.size(), expected) << c.capacity << "/" << c.cycles;
    EXPECT_EQ(ring.dropped(), ring.size() < full.first_at_or_after(c.cycles + 1)) << c.capacity;
    // Kept cycles read as the full record reads them: every one near the
    // start (the levels before the first kept change), then every 13th.
    for (std::uint64_t cycle = ring.start_cycle(); cycle <= ring.last_cycle();
         cycle += cycle - ring.start_cycle() < 50 ? 1 : 13)
      ASSERT_EQ(ring.levels_at(cycle), full.levels_at(cycle)) << c.capacity << " at " << cycle;
    if (ring.size() > 0) {
      EXPECT_EQ(ring[ring.size() - 1].cycle, ring.last_cycle());
    }
  }
}

TEST(SignalRecorder, GoingBackInTimeRecordsTheRunAgainOnce) {
  Simulator straight = assembled(kToggle);
  const SignalRecorder once = recorded(straight, 10'000, 3000);

  Simulator simulator = assembled(kToggle);
  SignalRecorder record(10'000);
  record.start(simulator);
  simulator.set_pin_listener([&](const PinEvent& event) { record.pin_changed(simulator, event); });
  History history;
  history.run(simulator, {.until_cycle = 2000});
  ASSERT_TRUE(history.back(simulator, 100));  // replays report nothing
  history.run(simulator, {.until_cycle = 3000});
  ASSERT_EQ(record.size(), once.size());
  for (std::size_t i = 0; i < once.size(); ++i) {
    ASSERT_EQ(record[i].cycle, once[i].cycle) << i;
    ASSERT_EQ(record[i].level, once[i].level) << i;
  }
}

TEST(SignalRecorder, ACycleCountSetBackStartsAnewInTimeOrder) {
  Simulator simulator = assembled(kToggle);
  SignalRecorder record(1000);
  record.start(simulator);
  simulator.set_pin_listener([&](const PinEvent& event) { record.pin_changed(simulator, event); });
  simulator.run({.until_cycle = 600});
  ASSERT_GT(record.size(), 100u);
  simulator.state().cycles = 100;
  simulator.run({.until_cycle = 160});
  EXPECT_GE(record.start_cycle(), 100u);
  EXPECT_LT(record.size(), 30u);
  for (std::size_t i = 1; i < record.size(); ++i) EXPECT_LE(record[i - 1].cycle, record[i].cycle) << i;
}

TEST(SignalRecorder, ExportsTheDumpOfALiveWriter) {
  for (const std::size_t capacity : {std::size_t{1'000'000}, std::size_t{50}}) {
    Simulator live_sim = assembled(kToggle);
    live_sim.set_clock_hz(11'000'000);
    const std::string live = vcd_text([&](std::FILE* file) {
      VcdWriter writer(file, live_sim);
      live_sim.set_pin_listener([&](const PinEvent& event) { writer.pin_changed(event); });
      live_sim.run({.until_cycle = 500});
    });
    Simulator simulator = assembled(kToggle);
    simulator.set_clock_hz(11'000'000);
    const SignalRecorder record = recorded(simulator, capacity, 500);
    const std::string exported = vcd_text([&](std::FILE* file) { write_vcd(file, record, "8048", 11'000'000); });
    if (!record.dropped()) {
      EXPECT_EQ(exported, live);
    } else {
      // A cut record begins later, with the levels there; its end is the live one's.
      EXPECT_NE(exported, live);
      EXPECT_TRUE(live.ends_with(exported.substr(exported.rfind("$end\n") + 5)));
    }
  }
}

class SignalRecorderCli : public SimCliTest {};

TEST_F(SignalRecorderCli, ExportsWhatZorvinSimWrites) {
  write("toggle.asm", kToggle);
  const Outcome run = sim("toggle.asm --cycles 300 --vcd wave.vcd");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  Simulator simulator = assembled(kToggle);
  const SignalRecorder record = recorded(simulator, 1000, 300);
  EXPECT_EQ(vcd_text([&](std::FILE* file) { write_vcd(file, record, "8048", kDefaultClockHz); }), read("wave.vcd"));
}

}  // namespace
}  // namespace zorvin::sim::test
