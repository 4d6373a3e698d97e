// The watch list and the board's settings belong to the source file: they
// come back when it is loaded again and are kept in zorvin.ini with it.
#include <filesystem>

#include "app/debugger/debugger.h"
#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_watch.h"
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

// Another file in the editor: its own watch list and board, or the empty
// list and the board as it first was. The same text under a new name (saved
// as) keeps what it had; a file just loaded (`loaded`) never does.
void Debugger::follow_source(bool loaded) {
  const std::string key = absolute_key(panes_.source_path());
  const std::string text = panes_.editor_text();
  if (key == source_key_) return;
  const bool same_text = !loaded && text == followed_text_;
  source_key_ = key;
  followed_text_ = text;
  const std::string watches = settings::chosen_dialect(settings_.source_watches, key);
  const std::string board = settings::chosen_dialect(settings_.source_peripherals, key);
  if (watches.empty() && board.empty() && same_text) {
    if (customised_) keep_source_settings();
    return;
  }
  customised_ = !watches.empty() || !board.empty();
  watch_names_ = watch_names(watches);
  window_.set_text(debug_field::kWatchNames, watches);
  panel_.apply_settings(board.empty() ? panel_.first_settings() : board);
  refresh(false);
}

// Written only once the user changed something: a file never debugged
// leaves no trace in zorvin.ini.
void Debugger::keep_source_settings() {
  customised_ = true;
  if (source_key_.empty()) return;
  std::string watches;
  for (const std::string& name : watch_names_) watches += (watches.empty() ? "" : ", ") + name;
  settings::choose_dialect(settings_.source_watches, source_key_, watches);
  settings::choose_dialect(settings_.source_peripherals, source_key_, panel_.settings_text());
}

}  // namespace zorvin::app
