// The source editor's parts that the rest of the toolkit needs: program
// changes to its text are no undo steps.
#pragma once

#include <gtk/gtk.h>

namespace zorvin::ui::detail {

// Text the program puts into a source editor (a loaded file, the example
// program) is not an undo step: the history starts afresh with it. For any
// other text buffer this does nothing.
class FreshHistory {
 public:
  explicit FreshHistory(GtkTextBuffer* buffer);
  ~FreshHistory();
  FreshHistory(const FreshHistory&) = delete;
  FreshHistory& operator=(const FreshHistory&) = delete;

 private:
  GtkTextBuffer* source_buffer_ = nullptr;
};

}  // namespace zorvin::ui::detail
