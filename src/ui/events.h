// Toolkit signals turned into plain events that the program's loops take one
// at a time. Every event carries the id of the window it belongs to.
#pragma once

#include <deque>
#include <optional>

namespace zorvin::ui {

enum class EventKind { Command, Control, CloseRequest, WindowMoved, WindowResized, Timer };
// Activated: Return or a double-click on a line of a text view that is watched
// for it (Toolkit::watch_line_activation).
enum class ControlKind { PositionChanged, Clicked, Activated };

struct Event {
  EventKind kind = EventKind::Command;
  int window = 0;
  int id = 0;  // command, control or timer id
  ControlKind control = ControlKind::Clicked;

  bool operator==(const Event&) const = default;
};

class EventQueue {
 public:
  // Identical consecutive events are joined: a burst of timer ticks or text
  // changes while a command runs becomes one event.
  void push(const Event& event) {
    if (!events_.empty() && events_.back() == event) return;
    events_.push_back(event);
  }
  std::optional<Event> pop() {
    if (events_.empty()) return std::nullopt;
    Event event = events_.front();
    events_.pop_front();
    return event;
  }
  bool empty() const { return events_.empty(); }
  void clear() { events_.clear(); }

 private:
  std::deque<Event> events_;
};

}  // namespace zorvin::ui
