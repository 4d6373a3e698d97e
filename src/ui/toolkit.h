// The identifier-based layer over GTK 3. Windows, controls, menu items,
// toolbar buttons, timers, fonts and images are addressed by small integers
// chosen by the caller. User actions become queued events; changes the
// program makes to a control raise none.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ui/events.h"
#include "ui/gtk_ptr.h"

namespace zorvin::ui {

class Dock;

namespace detail {
struct WindowRecord;
struct ControlRecord;
struct MenuItemRecord;
}  // namespace detail

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class WindowStyle {
  Main,    // resizable, minimise and maximise buttons
  Dialog,  // fixed size, centred over and kept above its owner
};

enum class MessageIcon { Information, Warning, Error };
enum class Answer { Ok, Yes, No, Closed };

// What the source editor's menu items and keys ask of it.
enum class EditorAction {
  Undo, Redo, Cut, Copy, Paste, SelectAll, Find, Replace, GoToLine, FindNext, FindPrevious,
  ZoomIn, ZoomOut, ZoomReset,
};

// How a file is opened: as a source text, or as a program image that is
// disassembled ("Binärdatei öffnen…").
enum class FileKind { Source, Binary };

struct FileFilter {
  std::string name;
  std::string pattern;
};

class Toolkit {
 public:
  // Initialises GTK; ready() tells whether a display could be opened.
  Toolkit(int* argc, char*** argv);
  ~Toolkit();
  bool ready() const { return ready_; }
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  // --- events and loops -------------------------------------------------
  Event wait_event();                        // blocks until an event is queued
  std::optional<Event> poll_event();         // processes pending work, never blocks
  void push_event(const Event& event) { queue_.push(event); }
  // Processes all pending toolkit work; queued events are dropped undispatched.
  void flush_dropping_events();
  // Waits until the toolkit has work or timeout_ms passed, processes it once,
  // dropping queued events.
  void wait_once_dropping_events(int timeout_ms);

  // Called directly from the toolkit signal, before any loop sees the event.
  void on_window_moved(std::function<void(int window)> handler) { moved_handler_ = std::move(handler); }
  void on_window_resized(std::function<void(int window)> handler) { resized_handler_ = std::move(handler); }
  // Called directly from the toolkit signal for every edit the user makes in
  // a text view, so that no edit goes unnoticed while a long command drops
  // the queued events.
  void on_text_edited(std::function<void(int control)> handler) { edited_handler_ = std::move(handler); }
  // Files the user dropped on a window or picked from the recent files, in
  // the toolkit signal: the handler only notes them and queues its work.
  using FilesHandler = std::function<void(const std::string& path, FileKind kind)>;
  void on_files_requested(FilesHandler handler) { files_handler_ = std::move(handler); }
  void request_file(const std::string& path, FileKind kind = FileKind::Source) {
    if (files_handler_) files_handler_(path, kind);
  }

  // --- images and fonts -------------------------------------------------
  void add_image(int id, int width, int height, const std::vector<unsigned char>& rgba);
  void scale_image(int id, int width, int height);  // bilinear, replaces the image
  bool has_image(int id) const { return images_.count(id) != 0; }
  void add_font(int id, const std::string& family, int points);

  // --- windows ----------------------------------------------------------
  bool open_window(int id, const std::string& title, Rect inner, WindowStyle style, int owner = -1);
  void show_window(int id);  // after its contents are built
  void close_window(int id);
  bool has_window(int id) const { return windows_.count(id) != 0; }
  void set_window_icon(int window, int image);
  void set_window_enabled(int window, bool enabled);
  void set_minimum_size(int window, int width, int height);
  // Files dropped anywhere on the window, the editor included, are reported
  // to the files handler instead of being inserted as text.
  void accept_dropped_files(int window);
  bool window_enabled(int window) const;
  Rect window_position(int window) const;  // x, y as the toolkit reports them
  Rect window_inner_size(int window) const;
  void install_style_sheet(const std::string& css);
  GtkWindow* gtk_window(int window) const;

  // --- main window frame: menu bar, toolbar, control area, status bar ---
  void add_menu(int window, int menu, const std::string& label);
  void add_submenu(int menu, int parent_menu, const std::string& label, int image = -1);
  void add_menu_item(int parent_menu, int item, const std::string& label, int image = -1);
  // An item drawn as one of a group of choices; the caller ticks exactly one
  // with set_menu_item_tick.
  void add_radio_menu_item(int parent_menu, int item, const std::string& label);
  // An item with a tick, as set_menu_item_tick makes one.
  void add_check_menu_item(int parent_menu, int item, const std::string& label, bool ticked);
  void add_menu_separator(int parent_menu);
  // A submenu listing the files recently opened with this program; picking
  // one reports it to the files handler, with the kind it was opened as.
  void add_recent_files_menu(int parent_menu, const std::string& label);
  void remember_recent_file(const std::string& path, FileKind kind = FileKind::Source);
  void set_menu_item_tick(int item, bool ticked);
  bool menu_item_ticked(int item) const;
  bool menu_item_is_check(int item) const;
  void add_tool_button(int window, int command, int image, const std::string& tooltip);
  void add_tool_separator(int window);
  // The key with exactly these modifiers (Ctrl, Shift, Alt); the letter keys
  // are given in lower case.
  void add_shortcut(int window, guint keyval, int command, GdkModifierType modifiers = GdkModifierType(0));
  void add_status_field(int window, int field, int width, float xalign);  // width -1: rest of the bar
  void set_status_text(int field, const std::string& text);
  std::string status_text(int field) const;

  // --- controls ---------------------------------------------------------
  void create_text_view(int window, int id, bool editable, int font);
  void create_list(int window, int id, int font);
  void create_splitter(int window, int id, bool side_by_side, int first, int second);
  // The strip beside the editor where tool windows dock (dock.h); one per
  // toolkit, none until it is created.
  void create_dock(int window, int id);
  Dock* dock() const { return dock_.get(); }
  void place_in_control_area(int window, int id, Rect rect);
  void set_control_size(int id, int width, int height);
  // A one-line label never makes its window taller; a text too long for it
  // is shortened in the middle.
  void create_label(int window, int id, Rect rect, const std::string& text, bool centred = false,
                    bool one_line = false);
  void create_link(int window, int id, Rect rect, const std::string& text);
  void create_picture(int window, int id, Rect rect, int image);
  void create_button(int window, int id, Rect rect, const std::string& text);
  void create_check_box(int window, int id, Rect rect, const std::string& text, bool ticked);
  void create_frame(int window, int id, Rect rect);
  // One line of text; Return in it reports the control like a click.
  void create_entry(int window, int id, Rect rect, const std::string& text);
  // A drop-down list that cannot be edited. `shown` turns an entry's text
  // into what the list displays (the entries themselves stay as given).
  using ShownText = std::function<std::string(const std::string&)>;
  void create_choice(int window, int id, Rect rect, ShownText shown = {});

  GtkWidget* widget(int id) const;  // the control's inner widget (text view, tree view, ...)
  void focus(int id);

  // Text views; also entries and labels.
  std::string text(int id) const;
  void set_text(int id, const std::string& text);
  void append_line(int id, const std::string& line);
  int line_count(int id) const;
  std::string line_text(int id, int line) const;
  void cursor_position(int id, int& line, int& column) const;  // 0-based, characters
  // The lines (0-based) a selection spans; false without one. A selection
  // that ends at the start of a line leaves that line out.
  bool selected_lines(int id, int& first, int& last) const;
  void scroll_to_line(int id, int line);
  // Brings the end of the last line into view, also when it wraps.
  void scroll_to_end(int id);
  void set_line_wrapping(int id, bool wrap);
  // Whether the user changed the text since the program set it or called
  // set_text_modified(id, false); undoing back to that text clears it.
  bool text_modified(int id) const;
  void set_text_modified(int id, bool modified);
  // A printable key, Backspace or Delete typed in the read-only view `from`
  // goes to the view `to`, which takes the focus: nothing typed is lost.
  void forward_typing(int from, int to);

  // Source editor (source_editor.cpp): a text view with line numbers, 8048
  // highlighting, an undo history that program changes start afresh, and a
  // bar above it for searching, replacing and going to a line.
  void create_source_view(int window, int id, int font);
  void editor_action(int id, EditorAction action);
  // The highlighting: "mcs48" or one of its variants ("mcs48-tasm"); an id
  // that is not installed leaves the current one. Empty when there is none.
  void set_source_language(int id, const std::string& language);
  std::string source_language(int id) const;

  // Lists and drop-down lists.
  void append_row(int id, const std::string& text);
  void set_rows(int id, const std::vector<std::string>& rows);  // replaces all rows at once
  std::vector<std::string> rows(int id) const;
  void select_row(int id, int row);
  int selected_row(int id) const;
  // A tooltip over the text view's lines: `tip` gives the text for a line
  // (0-based), none where it gives an empty text.
  using LineTip = std::function<std::string(int line)>;
  void show_line_tips(int id, LineTip tip);
  // Reports each change as a control event: an entry's text as it is typed
  // (PositionChanged), a list's chosen row (Clicked, also when the program
  // chooses) and Return or a double-click on a row (Activated).
  void watch_changes(int id);

  // Splitters.
  int splitter_position(int id) const;
  void set_splitter_position(int id, int position);

  // Check boxes.
  bool ticked(int id) const;

  // --- going to lines (text_navigation.cpp) -----------------------------
  // Return or a double-click on a line of the text view raises a control
  // event of kind Activated; the view's cursor then stands on that line.
  void watch_line_activation(int id);
  // Puts the cursor at the start of `line` (0-based) and scrolls it into view.
  void go_to_line(int id, int line);
  // Marks lines (0-based) in the view's gutter, replacing earlier marks. The
  // marks move with the user's edits; line_marks gives their lines now, in
  // the order they were set. A mark's sign goes once its line's text
  // changes (edited, deleted, undone); shown_line_marks gives the lines of
  // the signs still shown.
  void set_line_marks(int id, const std::vector<int>& lines);
  std::vector<int> line_marks(int id) const;
  std::vector<int> shown_line_marks(int id) const;
  // The pixels a splitter's two parts share, or -1 before it is laid out.
  int splitter_room(int id) const;

  // --- timers -----------------------------------------------------------
  void start_timer(int window, int id, int interval_ms);

  // --- boxes and requesters --------------------------------------------
  Answer message_box(const std::string& title, const std::string& text, MessageIcon icon, bool yes_no);
  std::optional<std::string> choose_file_to_open(const std::string& title, const std::vector<FileFilter>& filters);
  std::optional<std::string> choose_file_to_save(const std::string& title, const std::vector<FileFilter>& filters,
                                                 const std::string& preselected);

 private:
  using Window = detail::WindowRecord;
  using Control = detail::ControlRecord;
  using MenuItem = detail::MenuItemRecord;

  Window* find_window(int id) const;
  Control* find_control(int id) const;
  void register_control(int window, int id, GtkWidget* outer, GtkWidget* inner);
  void adopt_text_view(int window, int id, GtkWidget* outer, GtkWidget* view);
  void put_fixed(int window, GtkWidget* widget, Rect rect);
  void apply_font(GtkWidget* widget, int font);
  GtkWidget* image_widget(int image) const;
  GtkWidget* make_menu_item(const std::string& label, int image, bool check);
  void add_item(int parent_menu, int item, const std::string& label, int image, bool check);
  void connect_menu_item(int item, GtkWidget* widget);

  static gboolean on_delete(GtkWidget*, GdkEvent*, gpointer);
  static gboolean on_configure(GtkWidget*, GdkEventConfigure*, gpointer);
  static gboolean on_key_press(GtkWidget*, GdkEventKey*, gpointer);
  static gboolean on_timer(gpointer);
  static void on_text_changed(GtkTextBuffer*, gpointer);
  static void on_files_dropped(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData*, guint, guint, gpointer);
  void fill_recent_menu();

  EventQueue queue_;
  std::shared_ptr<Dock> dock_;
  std::function<void(int)> moved_handler_;
  std::function<void(int)> resized_handler_;
  std::function<void(int)> edited_handler_;
  FilesHandler files_handler_;
  GtkWidget* recent_menu_ = nullptr;  // refilled whenever the recent files change
  gulong recent_handler_ = 0;
  std::map<int, GObjectPtr<GdkPixbuf>> images_;
  std::map<int, std::string> font_css_;
  std::map<int, std::string> font_names_;  // Pango descriptions, for cell renderers
  std::map<int, Window*> windows_;
  std::map<int, Control*> controls_;
  std::map<int, MenuItem*> menu_items_;
  std::map<int, std::pair<int, GtkWidget*>> menus_;  // menu id -> window, menu shell
  std::map<std::tuple<int, guint, guint>, int> shortcuts_;  // window, key, modifiers -> command
  std::map<int, std::pair<int, GtkWidget*>> status_fields_;  // field -> window, label
  std::vector<std::pair<int, guint>> timers_;                 // window, timer source
  GtkCssProvider* style_provider_ = nullptr;
  bool ready_ = false;
};

}  // namespace zorvin::ui
