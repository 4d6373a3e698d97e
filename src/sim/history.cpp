#include "sim/history.h"

#include <algorithm>

namespace zorvin::sim {

std::uint32_t watched_value(const Simulator& simulator, const Watch& watch) {
  const State& s = simulator.state();
  switch (watch.kind) {
    case Watch::Kind::Ram: return simulator.ram(watch.index);
    case Watch::Kind::Xram: return s.xram[static_cast<std::size_t>(watch.index & 0xFF)];
    case Watch::Kind::Register: return simulator.reg(watch.index);
    case Watch::Kind::A: return s.a;
    case Watch::Kind::Psw: return simulator.psw();
    case Watch::Kind::P1: return s.p1;
    case Watch::Kind::P2: return s.p2;
  }
  return 0;
}

void History::clear() {
  segments_.clear();
  position_ = 0;
  bytes_ = 0;
  program_.clear();
}

std::size_t History::size_of(const Segment& segment) {
  return sizeof(Segment) + segment.start.schedule.capacity() * sizeof(segment.start.schedule[0]) +
         segment.inputs.capacity() * sizeof(Input) + segment.bus_reads.capacity();
}

std::size_t History::segment_of(std::uint64_t position) const {
  // The last segment beginning at or before it: a segment that begins
  // where another ends holds the state after what changed in between.
  const auto after = std::upper_bound(segments_.begin(), segments_.end(), position,
                                      [](std::uint64_t p, const Segment& segment) { return p < segment.begin; });
  return static_cast<std::size_t>(after - segments_.begin()) - 1;
}

bool History::unchanged(const Simulator& simulator) const {
  return !segments_.empty() && simulator.variant() == variant_ &&
         std::equal(program_.begin(), program_.end(), simulator.program().begin(), simulator.program().end()) &&
         simulator.snapshot() == expected_;
}

void History::open_segment(Simulator::Snapshot start) {
  if (!segments_.empty() && segments_.back().steps == 0) {
    bytes_ -= size_of(segments_.back());
    segments_.pop_back();
  }
  segments_.push_back(Segment{position_, 0, std::move(start), {}, false, {}});
  bytes_ += size_of(segments_.back());
}

// Before a recorded run: the simulator must stand where the history left
// it; a change from outside or a step back begins a new segment.
void History::begin_recording(Simulator& simulator) {
  const bool same_program =
      !segments_.empty() && simulator.variant() == variant_ &&
      std::equal(program_.begin(), program_.end(), simulator.program().begin(), simulator.program().end());
  if (!same_program) {
    // Steps of another program cannot be run again.
    clear();
    variant_ = simulator.variant();
    program_.assign(simulator.program().begin(), simulator.program().end());
  }
  const bool continues = same_program && simulator.snapshot() == expected_;
  if (continues && position_ == end() && segments_.back().steps < bounds_.segment_steps) return;
  if (position_ < end()) {
    // The recorded future is dropped.
    const std::size_t index = segment_of(position_);
    Segment& current = segments_[index];
    // A segment that begins here is replaced by the new one.
    const std::size_t keep = current.begin == position_ ? index : index + 1;
    current.steps = position_ - current.begin;
    while (segments_.size() > keep) {
      bytes_ -= size_of(segments_.back());
      segments_.pop_back();
    }
  }
  open_segment(simulator.snapshot());
}

void History::keep_bounds() {
  while (segments_.size() > 1) {
    const bool enough_steps = end() - segments_[1].begin >= bounds_.steps;
    if (!enough_steps && bytes_ <= bounds_.bytes) break;
    bytes_ -= size_of(segments_.front());
    segments_.pop_front();
  }
}

RunResult History::run(Simulator& simulator, const RunLimits& limits) {
  RunResult total;
  std::uint64_t left = limits.max_steps;
  begin_recording(simulator);
  // What devices on the movx bus answer is recorded for running it again.
  const Simulator::ExternalBus bus = simulator.external_bus();
  const bool on_bus = static_cast<bool>(bus.read);
  if (on_bus) {
    simulator.set_external_bus({[this, &bus](std::uint8_t address) {
                                  const std::uint8_t value = bus.read(address);
                                  segments_.back().bus_reads.push_back(value);
                                  return value;
                                },
                                bus.write});
  }
  for (;;) {
    const bool full = segments_.back().steps >= bounds_.segment_steps;
    if (full || (segments_.back().external_bus != on_bus && segments_.back().steps > 0))
      open_segment(simulator.snapshot());
    Segment& segment = segments_.back();
    segment.external_bus = on_bus;
    RunLimits part = limits;
    part.max_steps = std::min(left, bounds_.segment_steps - segment.steps);
    bytes_ -= size_of(segment);
    simulator.set_input_log(&segment.inputs);
    const RunResult result = simulator.run(part);
    simulator.set_input_log(nullptr);
    bytes_ += size_of(segment);
    segment.steps += result.steps;
    position_ += result.steps;
    left -= result.steps;
    total.steps += result.steps;
    total.reason = result.reason;
    total.pc = result.pc;
    total.opcode = result.opcode;
    // A piece that ends at the segment's size goes on where it stopped:
    // the run would not have stopped at that boundary either.
    if (result.reason != StopReason::StepLimit || left == 0) break;
  }
  if (on_bus) simulator.set_external_bus(bus);
  expected_ = simulator.snapshot();
  keep_bounds();
  return total;
}

RunResult History::step(Simulator& simulator) {
  if (position_ < end() && unchanged(simulator)) {
    forward(simulator);
    RunResult result;
    result.steps = 1;
    result.pc = simulator.state().pc;
    result.opcode = simulator.program()[result.pc % simulator.program().size()];
    return result;
  }
  return run(simulator, RunLimits{.max_steps = 1});
}

void History::replay(Simulator& simulator, std::size_t index, std::uint64_t steps,
                     const std::function<void(std::uint64_t)>& at) {
  const Segment& segment = segments_[index];
  const auto listener = simulator.pin_listener();
  const auto trace = simulator.trace();
  const Simulator::ExternalBus bus = simulator.external_bus();
  std::size_t next_read = 0;
  if (segment.external_bus) {
    simulator.set_external_bus({[&](std::uint8_t) {
                                  return next_read < segment.bus_reads.size() ? segment.bus_reads[next_read++] : 0xFF;
                                },
                                [](std::uint8_t, std::uint8_t) {}});
  } else {
    simulator.set_external_bus({});
  }
  simulator.restore(segment.start);
  // The listeners stay silent; what they did is done again at the same pin event.
  std::size_t next = 0;
  simulator.set_pin_listener([&](const PinEvent&) {
    while (next < segment.inputs.size() && segment.inputs[next].after_events <= simulator.pin_events())
      simulator.apply(segment.inputs[next++]);
  });
  std::uint64_t position = segment.begin;
  if (at) {
    at(position);
    simulator.set_trace([&](const TraceStep&) { at(++position); });
  } else {
    simulator.set_trace({});
  }
  // A breakpoint stops a run; the next one goes on from it.
  for (std::uint64_t left = steps; left > 0;) {
    const RunResult result = simulator.run(RunLimits{.max_steps = left});
    if (result.steps == 0) break;  // cannot happen for recorded steps
    left -= result.steps;
  }
  simulator.set_pin_listener(listener);
  simulator.set_trace(trace);
  simulator.set_external_bus(bus);
}

void History::go_to(Simulator& simulator, std::uint64_t position) {
  const std::size_t index = segment_of(position);
  replay(simulator, index, position - segments_[index].begin);
  position_ = position;
  expected_ = simulator.snapshot();
}

bool History::back(Simulator& simulator, std::uint64_t steps) {
  if (segments_.empty() || steps_back() == 0 || steps == 0) return false;
  if (!unchanged(simulator)) begin_recording(simulator);  // what changed is undone with the step
  if (steps_back() == 0) return false;
  go_to(simulator, position_ - std::min(steps, steps_back()));
  return true;
}

bool History::forward(Simulator& simulator, std::uint64_t steps) {
  if (steps_ahead() == 0 || steps == 0 || !unchanged(simulator)) return false;
  go_to(simulator, position_ + std::min(steps, steps_ahead()));
  return true;
}

BackStop History::back_to(Simulator& simulator, const Hit& hit) {
  if (segments_.empty() || steps_back() == 0) return BackStop::Nothing;
  if (!unchanged(simulator)) begin_recording(simulator);
  if (steps_back() == 0) return BackStop::Nothing;
  const std::uint64_t from = position_;
  for (std::size_t index = segment_of(from - 1);; --index) {
    const Segment& segment = segments_[index];
    const std::uint64_t segment_end = segment.begin + segment.steps;
    const bool last = index + 1 == segments_.size();
    std::optional<std::uint64_t> found;
    replay(simulator, index, std::min(from, segment_end) - segment.begin, [&](std::uint64_t position) {
      const auto named = hit(position, position == segment.begin);
      // The end of a segment that another follows is that one's first boundary.
      if (named && *named < from && (last || *named < segment_end)) found = named;
    });
    if (found) {
      go_to(simulator, *found);
      return BackStop::Found;
    }
    if (index == 0) break;
  }
  go_to(simulator, oldest());
  return BackStop::Oldest;
}

BackStop History::back_to_breakpoint(Simulator& simulator) {
  return back_to(simulator, [&](std::uint64_t position, bool) -> std::optional<std::uint64_t> {
    if (simulator.breakpoint(simulator.state().pc)) return position;
    return std::nullopt;
  });
}

BackStop History::back_to_change(Simulator& simulator, const std::function<std::uint64_t(const Simulator&)>& value) {
  std::uint64_t before = 0;
  return back_to(simulator, [&](std::uint64_t position, bool first) -> std::optional<std::uint64_t> {
    const std::uint64_t now = value(simulator);
    const bool changed = !first && now != before;
    before = now;
    if (changed) return position - 1;
    return std::nullopt;
  });
}

BackStop History::back_to_change(Simulator& simulator, const Watch& watch) {
  return back_to_change(simulator, [&](const Simulator& s) -> std::uint64_t { return watched_value(s, watch); });
}

}  // namespace zorvin::sim
