// The simulator's side of a history: its whole run state as a snapshot,
// and the outside world's recorded calls made again.
#include "sim/simulator.h"

#include <utility>

namespace zorvin::sim {

void Simulator::apply(const Input& input) {
  std::vector<Input>* const log = std::exchange(input_log_, nullptr);
  switch (input.kind) {
    case Input::Kind::Drive: drive_bits(input.port, input.value, input.mask); break;
    case Input::Kind::Schedule: schedule_change(input.cycle, input.port, input.value, input.mask); break;
    case Input::Kind::ClearSchedule: drop_schedule(); break;
    case Input::Kind::HostWrite: host_write(input.value, input.mask != 0); break;
    case Input::Kind::HostRead: host_read(); break;
  }
  input_log_ = log;
}

Simulator::Snapshot Simulator::snapshot() const {
  Snapshot shot{state_, drive_, last_level_, {}, schedule_order_, pin_events_};
  shot.schedule.assign(schedule_.begin() + static_cast<std::ptrdiff_t>(schedule_next_), schedule_.end());
  return shot;
}

void Simulator::restore(const Snapshot& shot) {
  state_ = shot.state;
  drive_ = shot.drive;
  last_level_ = shot.last_level;
  schedule_ = shot.schedule;
  schedule_next_ = 0;
  schedule_order_ = shot.schedule_order;
  pin_events_ = shot.pin_events;
  timer_synced_ = state_.cycles;
  next_event_ = 0;
}

}  // namespace zorvin::sim
