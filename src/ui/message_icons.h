// The sign a message box shows beside its text: GTK 3 shows none for the
// message type alone.
#pragma once

#include <gtk/gtk.h>

#include "ui/toolkit.h"

namespace zorvin::ui::detail {

void add_message_icon(GtkMessageDialog* box, MessageIcon icon);

}  // namespace zorvin::ui::detail
