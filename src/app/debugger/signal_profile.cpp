#include "app/debugger/signal_profile.h"

#include "app/ids.h"
#include "ui/profile_gutter.h"

namespace zorvin::app {

void SignalProfile::build_menu(int menu) {
  ui_.add_check_menu_item(menu, signals::kProfileInGutter, "Laufzeitprofil im Rand", settings_.profile_in_gutter);
}

bool SignalProfile::command(int id) {
  if (id != signals::kProfileInGutter) return false;
  settings_.profile_in_gutter = ui_.menu_item_ticked(signals::kProfileInGutter);
  ui::enable_line_figures(ui_, control::kEditor, settings_.profile_in_gutter);
  // Switched on, it counts from here; switched off, it costs nothing.
  attach();
  return true;
}

void SignalProfile::attach() {
  profile_.reset();
  ui::show_line_figures(ui_, control::kEditor, {});
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  if (!settings_.profile_in_gutter) {
    sim.set_trace({});
    return;
  }
  profile_.emplace(sim.variant());
  sim.set_trace([this](const sim::TraceStep& step) { profile_->count(step); });
}

void SignalProfile::clear() {
  if (profile_) profile_->clear();
  ui::show_line_figures(ui_, control::kEditor, {});
}

void SignalProfile::show(bool stale) {
  if (!profile_ || stale || profile_->total_steps() == 0) {
    ui::show_line_figures(ui_, control::kEditor, {});
    return;
  }
  const double total = static_cast<double>(profile_->total_cycles());
  std::vector<ui::LineFigure> figures;
  for (const sim::LineProfile& line : sim::profile_by_line(*profile_, session_.lines().code_lines()))
    figures.push_back({line.line - 1, line.executions, line.cycles, total > 0 ? static_cast<double>(line.cycles) / total : 0.0});
  ui::show_line_figures(ui_, control::kEditor, std::move(figures));
}

}  // namespace zorvin::app
