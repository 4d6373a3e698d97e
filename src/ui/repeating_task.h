// Work that repeats in the event loop (a running simulation): every
// `interval_ms` while it returns true, at a priority below drawing and
// input, so the window stays responsive. Stopped by stop() or when the
// task goes away.
#pragma once

#include <functional>

namespace zorvin::ui {

class RepeatingTask {
 public:
  RepeatingTask() = default;
  ~RepeatingTask() { stop(); }
  RepeatingTask(const RepeatingTask&) = delete;
  RepeatingTask& operator=(const RepeatingTask&) = delete;

  void start(int interval_ms, std::function<bool()> work);
  void stop();
  bool active() const { return source_ != 0; }

  // Runs the work once; false when the source is to go (for the timer).
  bool tick();

 private:
  unsigned source_ = 0;
  std::function<bool()> work_;
};

}  // namespace zorvin::ui
