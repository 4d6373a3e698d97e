// "Ausführen → Dialekt": which convention F5 reads the editor's text in,
// chosen per source file and remembered for it, or recognised from the
// text. The editor's highlighting follows the dialect in use.
#include <filesystem>
#include <system_error>

#include "app/app.h"
#include "app/ids.h"
#include "asm/dialect/definitions.h"
#include "asm/dialect/dialects.h"
#include "asm/dialect/recognition.h"

namespace zorvin::app {

namespace {

// The menu's dialects after "Automatisch erkennen": the plain one, then the
// engine's conventions.
std::vector<const asm48::Convention*> menu_dialects() {
  std::vector<const asm48::Convention*> list{nullptr};
  for (const asm48::Convention* convention : asm48::engine_conventions()) list.push_back(convention);
  return list;
}

std::string option_of(const asm48::Convention* convention) {
  return convention ? std::string(convention->option) : "plain";
}

// The same file under another spelling of its path keeps its choice.
std::string file_key(const std::string& path) {
  if (path.empty()) return {};
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::string language_of(const asm48::Convention* convention) {
  return convention ? "mcs48-" + std::string(convention->option) : "mcs48";
}

}  // namespace

void App::build_dialect_menu() {
  ui_.add_submenu(menu::kDialect, menu::kRun, "Dialekt");
  ui_.add_radio_menu_item(menu::kDialect, dialect::kAutomatic, "Automatisch erkennen");
  ui_.add_menu_separator(menu::kDialect);
  int item = dialect::kFirst;
  for (const asm48::Convention* convention : menu_dialects()) {
    const std::string name = convention ? std::string(convention->name) : "Einfach";
    ui_.add_radio_menu_item(menu::kDialect, item++, name + " (" + option_of(convention) + ")");
  }
  ui_.set_menu_item_tick(dialect::kAutomatic, true);
}

void App::choose_dialect(int item) {
  const auto list = menu_dialects();
  const int index = item - dialect::kFirst;
  dialect_ = index >= 0 && index < static_cast<int>(list.size()) ? option_of(list[static_cast<std::size_t>(index)]) : "";
  const std::string key = file_key(panes_.source_path());
  if (!key.empty()) settings::choose_dialect(settings_.source_dialects, key, dialect_);
  show_dialect_ticks();
}

void App::restore_dialect(bool remembered) {
  dialect_ = remembered ? settings::chosen_dialect(settings_.source_dialects, file_key(panes_.source_path())) : "";
  if (!asm48::dialect_by_option(dialect_).known) dialect_.clear();  // a hand-edited name no longer known
  show_dialect_ticks();
}

// Ticks the item of dialect_ and no other; the highlighting follows.
void App::show_dialect_ticks() {
  const auto list = menu_dialects();
  ui_.set_menu_item_tick(dialect::kAutomatic, dialect_.empty());
  for (std::size_t i = 0; i < list.size(); ++i)
    ui_.set_menu_item_tick(dialect::kFirst + static_cast<int>(i), !dialect_.empty() && option_of(list[i]) == dialect_);
  follow_dialect();
}

void App::keep_dialect_for(const std::string& path) {
  settings::choose_dialect(settings_.source_dialects, file_key(path), dialect_);
}

void App::follow_dialect() {
  const asm48::DialectName named = asm48::dialect_by_option(dialect_);
  const asm48::Convention* convention =
      !dialect_.empty() && named.known ? named.convention : asm48::recognise_dialect(panes_.editor_text()).convention;
  ui_.set_source_language(control::kEditor, language_of(convention));
}

asm48::RunOptions App::run_options() {
  asm48::RunOptions options;
  options.dialect = dialect_;
  options.source_cut_at_zero = source_file_cut_;
  const asm48::DefinitionsParse parse = asm48::parse_definitions(settings_.definitions);
  if (parse.ok)
    options.definitions = parse.definitions;
  else
    panes_.append_message("Warnung: Definitionen nicht verwendet (" + parse.error + ")");
  return options;
}

}  // namespace zorvin::app
