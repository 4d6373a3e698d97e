#include "ui/repeating_task.h"

#include <glib.h>

namespace zorvin::ui {

namespace {

gboolean on_tick(gpointer data) { return static_cast<RepeatingTask*>(data)->tick() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE; }

}  // namespace

void RepeatingTask::start(int interval_ms, std::function<bool()> work) {
  stop();
  work_ = std::move(work);
  source_ = g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, static_cast<guint>(interval_ms > 0 ? interval_ms : 1),
                               on_tick, this, nullptr);
}

void RepeatingTask::stop() {
  if (source_ != 0) g_source_remove(source_);
  source_ = 0;
}

bool RepeatingTask::tick() {
  // The work may stop the task (or start it anew) itself.
  const unsigned running = source_;
  const bool again = work_();
  if (source_ != running) return false;
  if (!again) source_ = 0;
  return again;
}

}  // namespace zorvin::ui
