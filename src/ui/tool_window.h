// A tool such as the simulator's debugger, as a pane in the main window's
// dock (the default, where there is a dock) or in a window of its own
// beside it ("Abdocken" / "Andocken" in its header): a row of command
// buttons, a status line and collapsible groups of groups of labelled value fields and check boxes in
// columns, a row of command buttons, a status line and hex grids. Fields,
// check boxes and grids are addressed by small integers chosen by the
// caller; what the user types or ticks reaches the caller's handlers, the
// buttons and keys raise command events in the toolkit's queue. Changes the
// program makes raise nothing. A collapsed group's widgets are made when it
// is first opened: what the program sets in it before is kept until then.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "ui/toolkit.h"

namespace zorvin::ui {

class SignalView;
enum class FieldKind;  // tool_window_field.h

class ToolWindow {
 public:
  // Commands of buttons and keys go to `ui`'s queue as events of `window`.
  ToolWindow(Toolkit& ui, int window);
  ~ToolWindow();
  ToolWindow(const ToolWindow&) = delete;
  ToolWindow& operator=(const ToolWindow&) = delete;

  // The tools' colours and fonts for the whole screen; best before the
  // first window's widgets are made (a later style restyles them all).
  static void install_style();
  // Builds the (hidden) pane; columns are filled left to right.
  void create(const std::string& title, int columns);
  bool created() const { return pane_ != nullptr; }
  void show();  // shows and raises it
  // A window of its own goes to the right of `other`, as far as the screen
  // allows (before it is first shown); a docked pane stays where it is.
  void place_beside(GtkWindow* other);
  void hide();
  bool visible() const;
  // The window it shows in: the main window while docked.
  GtkWindow* gtk_window() const;
  bool docked() const { return docked_; }
  void set_docked(bool docked);
  bool group_open(int group) const;
  void set_group_open(int group, bool open);
  GtkWidget* pane() const { return pane_; }  // the header and the body (tests)

  // --- building --------------------------------------------------------------
  void add_button(int command, const std::string& label, const std::string& tooltip);
  void add_key(guint keyval, GdkModifierType modifiers, int command);
  // A group in a column; its fields go in rows and columns of a grid.
  // `open` is how it first stands, until the user opens or collapses it.
  int add_group(int column, const std::string& title, bool open = true);
  // Whether the group's widgets are made yet (they are once it was open).
  bool group_built(int group) const;
  // A value field with its caption before it; `chars` wide, editable or not.
  void add_field(int group, int id, int row, int column, const std::string& caption, int chars, bool editable);
  void add_check(int group, int id, int row, int column, const std::string& caption, bool editable);
  void add_button_in_group(int group, int command, int row, int column, const std::string& label);
  // A push button: on_check_toggled hears it go down (true) and up again
  // (false); checked() is true while it is held.
  void add_push_button(int group, int id, int row, int column, const std::string& caption);
  // A grid of bytes in hexadecimal, 16 to a row, each cell editable.
  // With `rows` > 0 only that many rows show at once; the rest scroll.
  void add_hex_grid(int group, int id, int bytes, int rows = 0);
  // Up and Down in the field bring back what was entered in it before.
  void add_history(int id);
  // A row of 8 LEDs with a caption, bit 7 on the left (set_leds).
  void add_leds(int group, int id, int row, const std::string& caption);
  // A 7-segment digit (set_segments: bit 0 = a ... bit 6 = g, bit 7 = dot).
  void add_segments(int group, int id, int row, int column);
  // A read-only text of `lines` lines that grows at its end (append_text).
  // `chars` wide (0: room for a terminal's 60).
  void add_text_view(int group, int id, int row, int lines, int chars = 0);
  // A logic analyzer's traces over time, `rows` traces high; it takes the
  // room the window gets (tool_window_signals.cpp, ui/signal_view.h).
  void add_signal_view(int group, int id, int rows);
  SignalView* signal_view(int id) const;
  // A row of `count` LEDs (1-8) with a caption, bit count-1 on the left
  // (set_leds), as for a 4-bit port.
  void add_port_leds(int group, int id, int row, const std::string& caption, int count);
  // A character LCD drawn as the module looks (set_lcd, tool_window_board.cpp).
  void add_lcd(int group, int id, int row);
  // Keys in rows and columns (set_key_pad): a click holds a key while the
  // mouse button is down; with the pad focused, the PC's keys press them.
  void add_key_pad(int group, int id, int row);
  // Rows of text, as many as there are, `lines` of them in sight and
  // `chars` wide at least (set_rows, tool_window_list.cpp); choosing one
  // tells on_row_chosen.
  void add_list(int group, int id, int row, int lines, int chars);
  // Every change typed into the field is an edit, not only Return.
  void set_live(int id);
  // Hides or shows a whole group (a device the board does not have).
  void set_group_visible(int group, bool visible);

  // --- contents --------------------------------------------------------------
  // A status line below the buttons.
  void set_status(const std::string& text);
  std::string status() const;
  // `changed` shows the value in the colour of a value that just changed.
  // A field the user is typing in keeps what is typed.
  void set_text(int id, const std::string& text, bool changed = false);
  std::string text(int id) const;
  void set_check(int id, bool ticked, bool changed = false);
  bool checked(int id) const;
  void set_editable(int id, bool editable);
  // Grid contents: the bytes, and which of them to show as changed.
  void set_bytes(int id, std::span<const std::uint8_t> bytes, std::span<const bool> changed = {});
  std::string cell_text(int id, int index) const;
  void set_leds(int id, std::uint8_t levels);  // also the segments of a digit
  std::uint8_t leds(int id) const;
  void append_text(int id, const std::string& text);
  std::string all_text(int id) const;
  // Replaces the whole text of a text view (no event).
  void set_all_text(int id, const std::string& text);
  // The lines of a text view, those marked in `changed` in the colour of a
  // value that just changed.
  void set_lines(int id, const std::vector<std::string>& lines, const std::vector<bool>& changed);
  // A list's rows (no event), and which is chosen (-1: none).
  void set_rows(int id, const std::vector<std::string>& rows);
  std::vector<std::string> rows(int id) const;
  int chosen_row(int id) const;
  void focus(int id);  // once it is on the screen
  // The LCD's text, one string per line (UTF-8); `lit`: the display is on.
  void set_lcd(int id, const std::vector<std::string>& lines, bool lit);
  std::vector<std::string> lcd_lines(int id) const;
  // The key pad's names by row and column ("-" or "": no key there).
  void set_key_pad(int id, const std::vector<std::vector<std::string>>& names);
  // Shows a key as down (a latching key) or up.
  void set_key_down(int id, int row, int column, bool down);
  // The widgets themselves (tests): asked for, a collapsed group's widgets
  // are made (it stays collapsed).
  GtkWidget* key_button(int id, int row, int column);
  GtkWidget* widget(int id);  // a field, check box or grid
  GtkWidget* button(int command);

  // --- what the user does ----------------------------------------------------
  // Return or leaving a field after typing.
  void on_field_edited(std::function<void(int id, const std::string& text)> handler) { edited_ = std::move(handler); }
  void on_check_toggled(std::function<void(int id, bool ticked)> handler) { toggled_ = std::move(handler); }
  void on_cell_edited(std::function<void(int id, int index, const std::string& text)> handler) {
    cell_edited_ = std::move(handler);
  }
  // A key of a pad goes down or up: clicked (row, column) or typed on the
  // PC's keyboard (row -1, `typed` the character in capitals or the GDK
  // name of the key, e.g. "Return"). The handler tells whether it took it.
  void on_pad_key(std::function<bool(int id, int row, int column, const std::string& typed, bool down)> handler) {
    pad_key_ = std::move(handler);
  }
  // A row chosen with the mouse or the arrow keys; `activated`: with
  // Return or a double-click.
  void on_row_chosen(std::function<void(int id, int row, bool activated)> handler) {
    row_chosen_ = std::move(handler);
  }
  // The window's close button hides it and tells this handler.
  void on_hidden(std::function<void()> handler) { hidden_ = std::move(handler); }

  // For the signal handlers.
  struct Field;
  void field_edited(Field* field);
  void check_toggled(Field* field);
  void push_held(Field* field, bool held);
  void cell_edited(Field* field, int index, const std::string& text);
  bool key_pressed(GdkEventKey* event);
  bool pad_key(Field* field, int row, int column, const std::string& typed, bool down);
  void closed();
  void row_chosen(Field* field, int activated_row);  // -1: chosen, not activated
  void command(int command);
  void keep_layout();  // the layout into the dock's record
  void body_toggled();
  void pane_allocated(int height);
  void group_toggled(int group);

 private:
  Field* find(int id) const;
  // A new field's record, kept by its id (its widget comes with its group).
  Field* add_record(int id, FieldKind kind, int group);
  // tool_window_groups.cpp: a field's widgets go into its group's grid now
  // or, while the group was never open, when it is first opened.
  void place(int group, std::function<void(GtkGrid*)> build);
  void build_group(int group);
  Field* built(int id);  // the field with its group's widgets made
  // tool_window_place.cpp
  void build_pane(const std::string& title, int columns);
  void put_pane();
  void ensure_own_window();
  void tidy_after_show();

  Toolkit& ui_;
  int window_id_;
  std::string title_;
  GtkWidget* window_ = nullptr;  // its own window, once it was undocked
  GtkWidget* pane_ = nullptr;    // header and body, held while it moves
  GtkWidget* body_toggle_ = nullptr;
  GtkWidget* dock_button_ = nullptr;
  GtkWidget* body_ = nullptr;
  GtkWidget* scroller_ = nullptr;
  GtkWidget* row_ = nullptr;
  bool docked_ = false;
  std::vector<int> closed_groups_;  // as remembered, for the groups still to come
  bool remembered_ = false;         // a layout was kept from before
  int height_ = 0;                  // in the dock, as last laid out or remembered
  struct Group {
    GtkWidget* expander = nullptr;  // made with the group, its title always shows
    GtkWidget* grid = nullptr;      // made when the group is first open
    std::size_t column = 0;         // its column in a window of its own
    std::vector<std::function<void(GtkGrid*)>> waiting;  // widgets still to make
  };
  std::vector<Group> groups_;
  void arrange_groups();
  GtkWidget* buttons_ = nullptr;
  GtkWidget* status_ = nullptr;
  std::vector<GtkWidget*> columns_;
  std::map<int, std::unique_ptr<Field>> fields_;
  std::map<int, GtkWidget*> buttons_by_command_;
  std::map<int, int> group_of_command_;  // a group's buttons, for button()
  std::map<std::pair<guint, guint>, int> keys_;
  std::function<void(int, const std::string&)> edited_;
  std::function<void(int, bool)> toggled_;
  std::function<void(int, int, const std::string&)> cell_edited_;
  std::function<void()> hidden_;
  std::function<void(int, int, bool)> row_chosen_;
  std::function<bool(int, int, int, const std::string&, bool)> pad_key_;
};

}  // namespace zorvin::ui
