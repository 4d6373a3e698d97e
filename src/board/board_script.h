// Board events in a stimulus file, beside the pin changes:
//   CYCLE KEY NAME DOWN|UP        a key of the board file's layout
//   CYCLE HOST-WRITE-DATA 41      the host writes data (A0 = 0)
//   CYCLE HOST-WRITE-CMD 0F       the host writes a command (A0 = 1)
//   CYCLE HOST-READ               the host reads the output buffer
//   CYCLE HOST-STATUS             the host reads the status register
// The host behaves as a driver does: it acts in the order of the file, not
// before its cycle and not before the one before it is done, and polls the
// status before each transfer: a write waits for IBF = 0, a read for OBF = 1.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.h"
#include "sim/simulator.h"

namespace zorvin::board {

struct BoardEvent {
  enum class Kind : std::uint8_t { KeyDown, KeyUp, HostWriteData, HostWriteCommand, HostRead, HostStatus };
  std::uint64_t cycle = 0;
  Kind kind = Kind::KeyDown;
  std::string key;
  std::uint8_t value = 0;
  int line = 0;
};

struct SplitStimulus {
  bool ok = false;
  std::vector<BoardEvent> events;
  std::string pins;   // the other lines, for parse_stimulus; board lines left empty
  std::string error;  // "Zeile 3: ..." when not ok
};

// Takes the board's lines out of a stimulus file's text.
SplitStimulus split_board_events(std::string_view text);

struct HostStatusRead {
  std::uint64_t cycle = 0;
  std::uint8_t status = 0;
};

class BoardScript {
 public:
  // False with a German `error` ("Zeile 4: ...") for a key the board does
  // not have or host events on a board without [Host].
  bool load(Board& board, sim::Simulator& simulator, const std::vector<BoardEvent>& events, std::string& error);

  // Does what is due at `now`; the cycle at which to be called next
  // (UINT64_MAX: nothing left).
  std::uint64_t advance_to(std::uint64_t now);

  const std::vector<std::uint8_t>& host_bytes() const { return host_bytes_; }
  const std::vector<HostStatusRead>& host_statuses() const { return statuses_; }
  // The host event that did not happen by the end of the run, if any.
  const BoardEvent* unfinished() const { return host_.empty() ? nullptr : &host_.front(); }

 private:
  struct Contact {
    std::uint64_t cycle;
    KeyPosition key;
    bool closed;
  };

  Board* board_ = nullptr;
  sim::Simulator* simulator_ = nullptr;
  std::vector<Contact> contacts_;  // by cycle
  std::size_t next_contact_ = 0;
  std::deque<BoardEvent> host_;
  std::vector<std::uint8_t> host_bytes_;
  std::vector<HostStatusRead> statuses_;
};

}  // namespace zorvin::board
