// What the tool window keeps of each field, shared by the files that build
// and fill its kinds (tool_window.cpp, tool_window_views.cpp).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ui/tool_window.h"

namespace zorvin::ui {

// The tool windows' colours and fonts, installed once; called again when
// a tool is made, it settles what was left for later.
void install_tool_style();

enum class FieldKind : int { Entry, Check, Push, Grid, Leds, Segments, Text, Signals, Lcd, KeyPad, List };

struct ToolWindow::Field {
  Field() = default;
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;
  ~Field() {
    if (pending) g_source_remove(pending);
    if (store) g_object_unref(store);
    if (buffer) g_object_unref(buffer);
  }

  ToolWindow* owner = nullptr;
  int id = 0;
  FieldKind kind = FieldKind::Entry;
  int group = 0;
  GtkWidget* widget = nullptr;  // entry, check button or tree view; null until its group is made
  gulong handler = 0;           // its changed or toggled handler
  bool typed = false;           // the user typed since the program last set the text
  // What shows once the widget is made, kept while it is not.
  std::string text;             // an entry's
  bool ticked = false;          // a check box's, also while it is made
  bool marked = false;          // shown as just changed
  bool editable = true;
  GtkListStore* store = nullptr;    // a grid's bytes, made with the field
  GtkTextBuffer* buffer = nullptr;  // a text view's text, made with the field
  bool follows_end = false;         // a text view that text was appended to
  int bytes = 0;
  std::vector<bool> changed;
  std::uint8_t levels = 0;  // LEDs
  bool held = false;        // a push button that is down
  bool keeps_history = false;
  bool live = false;                 // each change typed is an edit
  guint pending = 0;                 // a list's activation, told when the click is over
  int activated_row = -1;
  std::vector<std::string> history;  // what was entered, oldest first
  std::size_t history_at = 0;        // the entry shown; history.size(): the text being typed
  std::vector<std::string> lines;    // an LCD's text
  bool lit = false;                  // an LCD that is switched on
  std::vector<std::vector<GtkWidget*>> keys;  // a key pad's buttons by row and column
  std::vector<std::pair<guint16, std::string>> typed_down;  // PC keys held on the pad: key code, what it typed
};

// Shows a field's value in the colour of a value that just changed, or not.
void mark_changed(GtkWidget* widget, bool changed);
// Up and Down in an entry bring back what was entered before (tool_window_views.cpp).
void connect_history(ToolWindow::Field* field);

inline constexpr int kBytesPerRow = 16;

inline std::string hex_byte(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
  return text;
}

}  // namespace zorvin::ui
