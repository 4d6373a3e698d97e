// The watch list and the board's settings belong to the source file: they
// come back when it is loaded again and are kept in zorvin.ini with it.
#include <filesystem>

#include "app/debugger.h"
#include "app/debugger_fields.h"
#include "app/debugger_watch.h"
#include "settings/source_dialects.h"

namespace zorvin::app {

namespace {

std::string absolute_key(const std::string& path) {
  if (path.empty()) return {};
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

// Another file in the editor: its own watch list and board, if it has any
// (a file saved under a new name keeps what the old name had).
void Debugger::follow_source() {
  const std::string key = absolute_key(panes_.source_path());
  if (key == source_key_) return;
  source_key_ = key;
  const std::string watches = settings::chosen_dialect(settings_.source_watches, key);
  const std::string board = settings::chosen_dialect(settings_.source_peripherals, key);
  if (watches.empty() && board.empty()) {
    keep_source_settings();
    return;
  }
  watch_names_ = watch_names(watches);
  window_.set_text(debug_field::kWatchNames, watches);
  if (!board.empty()) panel_.apply_settings(board);
  refresh(false);
}

void Debugger::keep_source_settings() {
  if (source_key_.empty()) return;
  std::string watches;
  for (const std::string& name : watch_names_) watches += (watches.empty() ? "" : ", ") + name;
  settings::choose_dialect(settings_.source_watches, source_key_, watches);
  settings::choose_dialect(settings_.source_peripherals, source_key_, panel_.settings_text());
}

}  // namespace zorvin::app
