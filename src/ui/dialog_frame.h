// What makes a window a dialog for the user: a title bar of its own with a
// close button only (minimising it would take its disabled owner along), and
// Escape working like that close button.
#pragma once

namespace zorvin::ui::detail {

struct WindowRecord;

void make_dialog_frame(WindowRecord* record);

}  // namespace zorvin::ui::detail
