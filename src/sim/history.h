// Going back in time: a debugger's record of the steps a simulator ran, to
// show every register, flag, RAM cell, port, pin, the timer and the cycle
// count as they were before any of them.
//
// How: the steps are cut into segments of at most kSegmentSteps. A segment
// keeps a full Simulator::Snapshot of its first boundary and the calls the
// pin listeners made during it (a terminal scheduling its bits, a board
// driving a key). Going to an earlier step restores the segment's snapshot
// and runs it again up to that step; the simulator is deterministic, and
// the listeners' calls are made again at the same pin events instead of
// asking the listeners, which stay silent meanwhile. Anything changed from
// outside between runs (a register edited, a pin driven by hand, a reset)
// starts a new segment, so going back over it undoes it too. Devices on
// the movx bus (Simulator::set_external_bus) are not asked again either:
// their answers are recorded and given back, their writes left out; the
// devices themselves keep their own state.
//
// Cost: about 750 bytes per segment, i.e. about 100 bytes per 1000 steps,
// plus the pending scheduled inputs and the listeners' calls; nothing per
// step. A step back runs at most kSegmentSteps steps again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "sim/simulator.h"

namespace zorvin::sim {

inline constexpr std::uint64_t kSegmentSteps = 8192;

struct HistoryBounds {
  std::uint64_t steps = 16'000'000;       // kept at least, when `bytes` allows
  std::size_t bytes = 64u * 1024 * 1024;  // the oldest segments go beyond it
  std::uint64_t segment_steps = kSegmentSteps;
};

// How a run backwards ended.
enum class BackStop : std::uint8_t {
  Found,    // at the step asked for
  Oldest,   // not found: at the oldest step the history keeps
  Nothing,  // no earlier step is kept; nothing changed
};

// A value a run backwards watches.
struct Watch {
  enum class Kind : std::uint8_t { Ram, Xram, Register, A, Psw, P1, P2 };
  Kind kind = Kind::Ram;
  int index = 0;  // the address, or 0-7 for R0-R7 of the selected bank
};
std::uint32_t watched_value(const Simulator& simulator, const Watch& watch);

class History {
 public:
  explicit History(HistoryBounds bounds = {}) : bounds_(bounds) {
    if (bounds_.segment_steps == 0) bounds_.segment_steps = kSegmentSteps;
  }

  // Runs as Simulator::run does and records it. Standing in the past
  // (after back()) this drops the steps recorded after it first.
  RunResult run(Simulator& simulator, const RunLimits& limits);
  // One step forward: in the past the recorded one again (with the pins as
  // they were driven then), else a new one, recorded.
  RunResult step(Simulator& simulator);

  // `steps` steps back (fewer when the history holds fewer); false when it
  // holds none before the current one.
  bool back(Simulator& simulator, std::uint64_t steps = 1);
  // `steps` recorded steps forward again; false when none lies ahead.
  bool forward(Simulator& simulator, std::uint64_t steps = 1);
  // Back to the latest earlier step where the PC stood on a breakpoint.
  BackStop back_to_breakpoint(Simulator& simulator);
  // Back to just before the latest step that changed the watched value
  // (the PC then shows the instruction that changes it).
  BackStop back_to_change(Simulator& simulator, const Watch& watch);
  BackStop back_to_change(Simulator& simulator, const std::function<std::uint64_t(const Simulator&)>& value);

  // Steps held before the current one, and ahead of it (recorded future).
  std::uint64_t steps_back() const { return position_ - oldest(); }
  std::uint64_t steps_ahead() const { return end() - position_; }
  std::size_t bytes() const { return bytes_; }
  // Forgets everything, e.g. for a new program.
  void clear();

 private:
  struct Segment {
    std::uint64_t begin = 0;  // position of its first boundary
    std::uint64_t steps = 0;
    Simulator::Snapshot start;
    std::vector<Input> inputs;  // the listeners' calls during it
    bool external_bus = false;  // movx went to devices: what they answered
    std::vector<std::uint8_t> bus_reads;
  };

  std::uint64_t oldest() const { return segments_.empty() ? position_ : segments_.front().begin; }
  std::uint64_t end() const { return segments_.empty() ? position_ : segments_.back().begin + segments_.back().steps; }
  std::size_t segment_of(std::uint64_t position) const;
  static std::size_t size_of(const Segment& segment);
  bool unchanged(const Simulator& simulator) const;
  void begin_recording(Simulator& simulator);
  void open_segment(Simulator::Snapshot start);
  void keep_bounds();
  void go_to(Simulator& simulator, std::uint64_t position);
  // Restores segment `index` and runs `steps` of it again; `at` (if set)
  // sees each boundary on the way, the first and the last included.
  void replay(Simulator& simulator, std::size_t index, std::uint64_t steps,
              const std::function<void(std::uint64_t position)>& at = {});
  // Replays segments from the current one backwards; `hit` sees every
  // boundary (its position, and whether it is a segment's first) and may
  // name an earlier step as the one to stop at; the latest named wins.
  using Hit = std::function<std::optional<std::uint64_t>(std::uint64_t position, bool first)>;
  BackStop back_to(Simulator& simulator, const Hit& hit);

  HistoryBounds bounds_;
  std::deque<Segment> segments_;
  std::uint64_t position_ = 0;  // where the simulator stands
  std::size_t bytes_ = 0;
  Simulator::Snapshot expected_;  // the simulator as the history left it
  std::vector<std::uint8_t> program_;
  Variant variant_ = Variant::I8048;
};

}  // namespace zorvin::sim
