// "Fenster → Symbole": the labels, equates and macros of the last
// successful assembly in a pane beside the editor (or, undocked, a window
// of its own), filtered by what the user types; choosing one puts the
// editor's cursor on its line (Return or a double-click also gives the
// editor the focus). Whether it is open is kept in zorvin.ini.
#include "analysis/symbols.h"
#include "app/app.h"
#include "app/ids.h"
#include "output/listing_file.h"

namespace zorvin::app {

namespace {

constexpr int kListLines = 16, kListChars = 48;  // a row: name, kind, value, line

}  // namespace

ui::ToolWindow& App::symbols_window() {
  if (!symbols_pane_) {
    symbols_pane_ = std::make_unique<ui::ToolWindow>(ui_, window::kSymbols);
    ui::ToolWindow& pane = *symbols_pane_;
    pane.create("Symbole", 1);
    const int group = pane.add_group(0, "Marken, Konstanten und Makros");
    pane.add_field(group, control::kSymbolFilter, 0, 0, "Filter", 20, true);
    pane.set_live(control::kSymbolFilter);
    pane.add_list(group, control::kSymbolList, 1, kListLines, kListChars);
    pane.on_field_edited([this](int, const std::string&) { show_symbols(); });
    pane.on_row_chosen([this](int, int row, bool activated) { symbol_chosen(row, activated); });
    pane.on_hidden([this] { symbols_closed(); });
    pane.place_beside(ui_.gtk_window(window::kMain));
  }
  return *symbols_pane_;
}

void App::toggle_symbols_pane() {
  if (symbols_pane_ && symbols_pane_->visible()) {
    close_symbols_pane();
  } else {
    open_symbols_pane();
  }
}

void App::open_symbols_pane() {
  ui::ToolWindow& pane = symbols_window();
  show_symbols();
  pane.show();
  pane.focus(control::kSymbolFilter);
  settings_.symbols_open = true;
  ui_.set_menu_item_tick(command::kShowSymbols, true);
}

void App::close_symbols_pane() {
  if (symbols_pane_) symbols_pane_->hide();
  symbols_closed();
}

void App::symbols_closed() {
  settings_.symbols_open = false;
  ui_.set_menu_item_tick(command::kShowSymbols, false);
}

void App::collect_symbols() {
  const asm48::SourceListing listing = assembler_.extended()
                                           ? assembler_.extended_listing()
                                           : output::plain_source_listing(panes_.editor_text(), assembler_.table());
  symbols_ = analysis::listed_symbols(listing);
  if (symbols_pane_) show_symbols();
}

void App::show_symbols() {
  ui::ToolWindow& pane = symbols_window();
  shown_symbols_ = analysis::filter_symbols(symbols_, pane.text(control::kSymbolFilter));
  std::vector<std::string> rows;
  rows.reserve(shown_symbols_.size());
  for (const analysis::SymbolEntry& symbol : shown_symbols_) rows.push_back(analysis::symbol_row(symbol));
  pane.set_rows(control::kSymbolList, rows);
}

void App::symbol_chosen(int row, bool activated) {
  if (row < 0 || static_cast<std::size_t>(row) >= shown_symbols_.size()) return;
  const std::int32_t line = shown_symbols_[static_cast<std::size_t>(row)].line;
  if (line <= 0) return;
  if (activated) return go_to_editor_line(line);
  ui_.go_to_line(control::kEditor, line - 1);
}

}  // namespace zorvin::app
