// How the emulator transfer talks to the window, so the transfer itself needs
// no toolkit and can be driven by tests.
#pragma once

#include <string>

namespace zorvin::emu {

class TransferView {
 public:
  virtual ~TransferView() = default;
  // Appends one line (UTF-8) at the end of the message pane.
  virtual void append_message(const std::string& line) = 0;
  // Processes pending window events, scrolls the message pane to its last
  // line, gives it the focus and waits at most 100 ms for one more event.
  virtual void scroll_messages_to_end() = 0;
  // Shows the lines appended so far while the transfer goes on: processes
  // pending window events and scrolls to the last line, without waiting.
  virtual void update_messages() {}
  // Waits at most `timeout_ms` for one window event and processes it.
  virtual void wait_for_one_event(int timeout_ms) = 0;
};

}  // namespace zorvin::emu
