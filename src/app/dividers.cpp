// The splitter dividers never leave the editor, the message pane or the
// listing too small to use, whether the position comes from the settings
// file, a drag or a resize of the window.
#include "app/app.h"
#include "app/ids.h"
#include "ui/dock.h"

namespace zorvin::app {

namespace {

// What GTK's divider takes of a splitter that is not laid out yet.
constexpr int kDividerWidth = 1;

void fit_divider(ui::Toolkit& ui, int splitter, int planned_length, int first_least, int second_least) {
  int room = ui.splitter_room(splitter);
  if (room < 0) room = planned_length - kDividerWidth;
  const int position = ui.splitter_position(splitter);
  const int fitted = fitted_divider(position, room, first_least, second_least);
  if (fitted != position) ui.set_splitter_position(splitter, fitted);
}

}  // namespace

// `width` and `height` are the outer splitter's planned size, used until it
// has been laid out.
void App::fit_dividers(int width, int height) {
  // The tool panes' strip leaves the editor its width; the listing beside
  // the editor then shares what is left with it.
  const ui::Dock* dock = ui_.dock();
  const bool docking = dock && dock->showing();
  if (docking) {
    fit_divider(ui_, control::kDockSplitter, width, pane::kEditorWidth, pane::kDockWidth);
    width = ui_.splitter_position(control::kDockSplitter);
    // As the dock opens, the listing gives way first: it keeps no more
    // than a third of what is left, the editor the rest.
    const int room = ui_.splitter_room(control::kOuterSplitter);
    if (!dock_was_showing_ && room > 0 && room / 3 >= pane::kListingWidth &&
        room - ui_.splitter_position(control::kOuterSplitter) > room / 3)
      ui_.set_splitter_position(control::kOuterSplitter, room - room / 3);
  }
  dock_was_showing_ = docking;
  fit_divider(ui_, control::kOuterSplitter, width, pane::kEditorWidth, pane::kListingWidth);
  fit_divider(ui_, control::kInnerSplitter, height, pane::kEditorHeight, pane::kMessagesHeight);
}

}  // namespace zorvin::app
