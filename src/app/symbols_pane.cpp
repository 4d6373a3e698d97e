// "Fenster → Symbole": the labels, equates and macros of the last
// successful assembly in a window of their own beside the main window,
// filtered by what the user types; choosing one puts the editor's cursor
// on its line (Return or a double-click also gives the editor the focus).
// Whether it is open is kept in zorvin.ini.
#include "analysis/symbols.h"
#include "app/app.h"
#include "app/ids.h"
#include "output/listing_file.h"

namespace zorvin::app {

namespace {

constexpr int kWidth = 380, kHeight = 420, kFilterHeight = 26, kGap = 5;

}  // namespace

void App::toggle_symbols_pane() {
  if (ui_.has_window(window::kSymbols)) {
    close_symbols_pane();
  } else {
    open_symbols_pane();
  }
}

void App::open_symbols_pane() {
  if (!ui_.has_window(window::kSymbols)) {
    const ui::Rect main = ui_.window_position(window::kMain);
    const ui::Rect inner = ui_.window_inner_size(window::kMain);
    if (!ui_.open_window(window::kSymbols, "Symbole", {main.x + inner.width + 10, main.y, kWidth, kHeight},
                         ui::WindowStyle::Main, window::kMain))
      return;
    ui_.set_window_icon(window::kSymbols, image::kWindowIcon);
    ui_.set_minimum_size(window::kSymbols, 200, 150);
    ui_.create_entry(window::kSymbols, control::kSymbolFilter, {kGap, kGap, kWidth - 2 * kGap, kFilterHeight}, "");
    ui_.create_list(window::kSymbols, control::kSymbolList, kMonoFont);
    ui_.place_in_control_area(window::kSymbols, control::kSymbolList,
                              {kGap, 2 * kGap + kFilterHeight, kWidth - 2 * kGap, kHeight - 3 * kGap - kFilterHeight});
    ui_.watch_changes(control::kSymbolFilter);
    ui_.watch_changes(control::kSymbolList);
    show_symbols();
    ui_.show_window(window::kSymbols);
  }
  ui_.focus(control::kSymbolFilter);
  settings_.symbols_open = true;
  ui_.set_menu_item_tick(command::kShowSymbols, true);
}

void App::fit_symbols_pane() {
  const ui::Rect inner = ui_.window_inner_size(window::kSymbols);
  if (inner.width <= 2 * kGap || inner.height <= 3 * kGap + kFilterHeight) return;
  ui_.set_control_size(control::kSymbolFilter, inner.width - 2 * kGap, kFilterHeight);
  ui_.set_control_size(control::kSymbolList, inner.width - 2 * kGap, inner.height - 3 * kGap - kFilterHeight);
}

void App::close_symbols_pane() {
  if (ui_.has_window(window::kSymbols)) ui_.close_window(window::kSymbols);
  settings_.symbols_open = false;
  ui_.set_menu_item_tick(command::kShowSymbols, false);
}

void App::collect_symbols() {
  const asm48::SourceListing listing = assembler_.extended()
                                           ? assembler_.extended_listing()
                                           : output::plain_source_listing(panes_.editor_text(), assembler_.table());
  symbols_ = analysis::listed_symbols(listing);
  if (ui_.has_window(window::kSymbols)) show_symbols();
}

void App::show_symbols() {
  shown_symbols_ = analysis::filter_symbols(symbols_, ui_.text(control::kSymbolFilter));
  std::vector<std::string> rows;
  rows.reserve(shown_symbols_.size());
  for (const analysis::SymbolEntry& symbol : shown_symbols_) rows.push_back(analysis::symbol_row(symbol));
  ui_.set_rows(control::kSymbolList, rows);
}

void App::symbols_event(const ui::Event& event) {
  if (event.kind == ui::EventKind::CloseRequest) return close_symbols_pane();
  if (event.kind != ui::EventKind::Control) return;
  if (event.id == control::kSymbolFilter) return show_symbols();
  if (event.id != control::kSymbolList) return;
  const int row = ui_.selected_row(control::kSymbolList);
  if (row < 0 || static_cast<std::size_t>(row) >= shown_symbols_.size()) return;
  const std::int32_t line = shown_symbols_[static_cast<std::size_t>(row)].line;
  if (line <= 0) return;
  if (event.control == ui::ControlKind::Activated) return go_to_editor_line(line);
  ui_.go_to_line(control::kEditor, line - 1);
}

}  // namespace zorvin::app
