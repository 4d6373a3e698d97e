// The window "Platine": the devices of the board file beside the source as
// the program drives them. A character LCD drawn as the module looks, the
// key matrix as keys to press with the mouse or the PC's keyboard, the
// 8243's ports P4-P7 with LEDs and switches, and a host console on the UPI
// host interface (write data or a command, read data or the status, and a
// log of every access with its cycle). The devices are those of src/board,
// the same zorvin-sim --board runs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "app/board/board_source.h"
#include "app/debugger/debugger_session.h"
#include "board/board.h"
#include "ui/tool_window.h"

namespace zorvin::app {

// The window's fields and boxes.
namespace board_field {
inline constexpr int kFile = 1;
inline constexpr int kLcd = 2;
inline constexpr int kKeys = 3;
inline constexpr int kHostByte = 4;
inline constexpr int kHostStatus = 5;
inline constexpr int kHostLog = 6;
inline constexpr int kExpanderLeds = 10;      // P4 ... P7
inline constexpr int kExpanderSwitches = 20;  // + 4 * port + bit
inline constexpr int kExpanderDirections = 40;  // P4 ... P7: "Ausgang" or "Eingang"
}  // namespace board_field

class BoardWindow {
 public:
  BoardWindow(ui::Toolkit& ui, DebuggerSession& session);

  void build();
  void show();
  // A command of the window; false for any other id.
  bool command(int id);

  // Reads the board file of the source before a program is loaded: its
  // part and crystal are the run's. A problem gives a German message
  // (message_after_read) and no board.
  void read(const std::string& source_path);
  const std::string& message_after_read() const { return read_message_; }
  bool has_board() const { return file_.has_value(); }
  std::optional<sim::Variant> part() const;
  std::optional<std::uint64_t> clock_hz() const;
  // The session has a new simulator: a fresh board on it, after the pin
  // listeners set so far (they still hear every pin). False with a German
  // error, and no board.
  bool attach(std::string& error);
  void refresh();

  board::Board* board() { return board_.get(); }
  ui::ToolWindow& window() { return window_; }

  // The key a key of the PC's keyboard stands for (`typed` as the key pad
  // reports it: a character in capitals or a GDK key name), by its name in
  // the layout or a usual German name (STERN for *, RAUTE for #, ...).
  static std::optional<board::KeyPosition> key_for_typed(const board::Board& board, const std::string& typed);

 private:
  void build_for_file();
  bool pad_key(int row, int column, const std::string& typed, bool down);
  void check_toggled(int id, bool ticked);
  // Writes the level into the board file; false when the file could not
  // take it (a device uses the pin). A file that cannot be read or written
  // keeps the switch unsaved, as the status line says.
  bool keep_level(const std::string& pin, bool high);
  void host_command(int id);
  void log(const std::string& line);
  void show_keys();
  // A key let go sooner than the program could see it stays closed until
  // it was down for this many cycles; refresh() lets it go then.
  std::uint64_t shortest_press() const;
  void release_due();

  ui::Toolkit& ui_;
  DebuggerSession& session_;
  ui::ToolWindow window_;
  bool placed_ = false;  // put beside the main window once
  std::optional<board::BoardFile> file_;
  std::string path_;
  std::string read_message_;
  std::unique_ptr<board::Board> board_;
  std::set<std::pair<int, int>> held_;  // keys held by the mouse or the PC's keyboard
  std::map<std::pair<int, int>, std::uint64_t> pressed_at_;  // the cycle each key went down
  std::map<std::pair<int, int>, std::uint64_t> releases_;    // keys to let go at a cycle
  int lcd_group_ = -1;
  int keys_group_ = -1;
  int expander_group_ = -1;
  int host_group_ = -1;
  std::size_t shown_faults_ = 0;
};

}  // namespace zorvin::app
