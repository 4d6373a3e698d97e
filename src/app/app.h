// The program: its state for the whole run, the main window and the event
// loop that dispatches every command.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/program.h"
#include "analysis/symbols.h"
#include "app/debugger/debugger.h"
#include "app/panes.h"
#include "asm/assembler.h"
#include "emu/serial_ports.h"
#include "files/file_identity.h"
#include "settings/settings.h"
#include "ui/tool_window.h"
#include "ui/toolkit.h"

namespace zorvin::app {

class App {
 public:
  // settings_path: the settings file, normally "zorvin.ini" in the working directory.
  App(ui::Toolkit& ui, std::string settings_path);
  // The toolkit may outlive the program's state (tests start several), so
  // its handlers let go of it.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Reads or creates the settings file and opens the main window, then the
  // source `file_to_open` (from the command line) or else the last source of
  // the previous run, if it still exists; false when the window could not be
  // opened.
  bool start(const std::string& file_to_open = "");
  // Runs the event loop until the user quits.
  void run();
  // Handles one event as the loop does (also used by tests).
  void handle(const ui::Event& event);
  // Saves the settings and closes the windows.
  void finish();

  void dispatch_command(int command);
  bool quit_requested() const { return quit_requested_ >= 1; }

  settings::Settings& settings() { return settings_; }
  Panes& panes() { return panes_; }
  const std::string& image_path() const { return image_path_; }
  Debugger& debugger() { return debugger_; }
  // The "Symbole" pane; null until first opened.
  ui::ToolWindow* symbols_pane() { return symbols_pane_.get(); }

 private:
  void build_main_window();
  void build_menus_and_toolbar();
  void build_panes();
  void build_dock();         // main_window.cpp
  void keep_dock_layout();   // into the settings
  void load_icons();
  void set_fill_byte_ticks();
  void build_edit_menu();
  void add_standard_shortcuts();
  void edit_command(int id);
  void on_window_resized(int window);
  void on_window_moved(int window);
  void remember_splitters();
  bool confirm(const std::string& question);  // asks only when the source was modified
  bool ask(const std::string& question);      // "Warnung", Yes/No; true on Yes
  bool may_replace(const std::string& path);

  // Commands.
  void new_example_source();
  void load_source();
  void open_binary();  // binary_open_command.cpp
  void open_binary_file(const std::string& path);
  void open_source(const std::string& path);  // "Quelle laden" without the requester
  void open_requested_file();
  void remember_source(const std::string& path);
  void save_source(bool save_as);
  void save_source_to_file(bool save_as);
  void open_emulator_dialog();
  void assemble();
  void transfer();
  void set_fill_byte(std::uint8_t value);
  void show_info_dialog();

  // From an error message to its line (error_navigation.cpp).
  void build_error_navigation();
  void mark_error_lines(const std::vector<asm48::Diagnostic>& errors);
  void forget_error_lines();
  void go_to_error_of_message();
  void go_to_next_error(bool forward);
  void go_to_editor_line(int line);

  // The dialect chosen per source file and the definitions for F5
  // (dialect_commands.cpp, definitions_dialog.cpp).
  void build_dialect_menu();
  void choose_dialect(int item);
  void restore_dialect(bool remembered = true);   // after a source was loaded or created
  void show_dialect_ticks();
  void keep_dialect_for(const std::string& path);  // after "speichern als"
  void follow_dialect();                           // the highlighting follows the dialect in use
  asm48::RunOptions run_options();
  void edit_definitions();

  // "Ausführen → Analyse" and the cycles of the selection in the status
  // bar (analysis_commands.cpp).
  void build_analysis_menu();
  void analyse_program();
  void show_selection_cycles();
  std::string instruction_tip(int line) const;  // line 0-based; empty where no instruction starts

  // The "Symbole" pane (symbols_pane.cpp), built when first opened.
  void toggle_symbols_pane();
  void open_symbols_pane();
  void close_symbols_pane();
  void symbols_closed();   // by its own close button
  void collect_symbols();  // after a successful assembly
  void show_symbols();     // as filtered
  void symbol_chosen(int row, bool activated);
  ui::ToolWindow& symbols_window();

  // Dividers that leave every pane in sight (dividers.cpp).
  void fit_dividers(int width, int height);
  bool dock_was_showing_ = false;

  ui::Toolkit& ui_;
  std::string settings_path_;
  settings::Settings settings_;
  Panes panes_;
  asm48::Assembler assembler_;
  emu::SerialPorts serial_ports_;
  std::string image_path_;  // binary of the last successful assembly of a saved source
  std::string image_source_text_;      // the editor text image_path_ was assembled from
  bool last_assembly_failed_ = false;  // F6 then still sends the older image
  // The error lines of the last assembly, ascending, each once. Their marks
  // in the editor's gutter move with the edits; the marks are in this order.
  std::vector<int> error_lines_;
  // The file the editor's text was last loaded from or saved to (the source
  // path may name another one, after "Quelle neu"), and whether loading it
  // stopped at a 00H byte, so that saving over it would cut it.
  std::optional<files::FileIdentity> source_file_;
  bool source_file_cut_ = false;
  bool source_utf8_ = false;  // the text came from a UTF-8 file with its mark, and is saved so again
  bool text_from_image_ = false;  // the text was disassembled from an image ("Binärdatei öffnen…")
  std::string requested_file_;  // dropped or picked from the recent files, opened by the loop
  ui::FileKind requested_kind_ = ui::FileKind::Source;  // as it was opened before
  // The program of the last successful assembly, while the editor's text
  // is still the one assembled (the selection's cycles need its lines).
  std::optional<analysis::Program> assembled_program_;
  std::string shown_cycles_;  // in the status bar now
  std::vector<analysis::SymbolEntry> symbols_;        // of the last successful assembly
  std::vector<analysis::SymbolEntry> shown_symbols_;  // the pane's rows, as filtered
  std::unique_ptr<ui::ToolWindow> symbols_pane_;
  std::string dialect_;  // chosen for the editor's text; empty: recognised from it
  int quit_requested_ = 0;
  bool bulb_scaled_ = false;
  Debugger debugger_{ui_, panes_, settings_, [this] { assemble(); return !last_assembly_failed_; }};
};

}  // namespace zorvin::app
