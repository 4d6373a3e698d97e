// The debugger as a user drives it from the editor: a key, then the events
// handled until the program stopped, and the line the editor stands on.
#pragma once

#include "app/ids.h"
#include "gui_harness.h"
#include "ui/debug_marks.h"

namespace zorvin::test {

class DebuggerTest : public GuiTest {
 protected:
  app::Debugger& debugger() { return app().debugger(); }
  ui::ToolWindow& window() { return debugger().window(); }
  GtkWidget* editor() { return ui().widget(app::control::kEditor); }
  int current_line() { return ui::current_line(ui(), app::control::kEditor) + 1; }

  void key(guint keyval, GdkModifierType modifiers = GdkModifierType(0)) {
    press_key(editor(), keyval, modifiers);
    pump(20);
    ASSERT_TRUE(pump_until([this] { return !debugger().running(); }, 5000)) << "still running";
  }
};

}  // namespace zorvin::test
