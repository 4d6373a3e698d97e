// The peripherals beside the debugger: the levels of the P1, P2 and BUS
// pins as LEDs, switches on the P1 and P2 pins, push buttons, a 7-segment
// display of up to four multiplexed digits, and a terminal on a bit-banged
// serial line (output pin, input pin, bit rate, polarity).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/board/board_digits.h"

#include "app/debugger/debugger_session.h"
#include "sim/serial_line.h"
#include "ui/tool_window.h"

namespace zorvin::app {

// The segments a 7-segment digit lights (bit 0 = a ... bit 6 = g, bit 7 =
// the dot) when its pins have these levels: `order` names the segment of
// each pin, bit 0 first ("abcdefgp"; "-" for a pin without one); with a
// common anode a segment lights at a low pin. None for an order that is
// not 8 such letters.
std::optional<std::uint8_t> lit_segments(std::uint8_t pins, std::string_view order, bool common_anode);

class BoardPanel {
 public:
  BoardPanel(ui::Toolkit& ui, DebuggerSession& session);

  static constexpr const char* kTitle = "Peripherie";
  // Built when first shown, or when a program or its settings need it.
  void build();
  void show();
  // The session has a new simulator: listen to its pins again.
  void attach();
  // The LEDs, the switches and what the terminal received since.
  void refresh();
  // After going back in time: the switches as the pins were driven then.
  void show_driven_switches();

  ui::ToolWindow& window() { return window_; }
  // The terminal's pins (the signal view shows them as TX and RX).
  const sim::SerialConfig& serial_config() const { return config_; }
  // The board's settings as one line ("Anzeige=P1;Segmente=abcdefgp;…"),
  // kept per source file (empty while it was never built), and set from
  // such a line (unknown or bad values are left as they are).
  std::string settings_text() const;
  void apply_settings(const std::string& text);
  // The settings as the panel was built with them.
  const std::string& first_settings() const { return first_settings_; }
  // Told whenever the user changes a setting.
  void on_settings_changed(std::function<void()> handler) { settings_changed_ = std::move(handler); }
  // The terminal's buttons: clear it, send without CR, send a hex byte.
  void terminal_command(int command);

 private:
  void field_edited(int id, const std::string& text);
  void check_toggled(int id, bool ticked);
  void apply_line();
  // Digit k lit by the pins as they stand (none: the one static digit).
  void pins_changed(std::uint64_t cycle);
  std::uint8_t segments_now() const;
  std::uint8_t selected_now() const;
  void push_button(int id, bool held);
  void send(const std::string& bytes);
  void show_leds();

  DebuggerSession& session_;
  ui::ToolWindow window_;
  std::function<void()> settings_changed_;
  std::string first_settings_;
  sim::SerialConfig config_;
  std::optional<sim::SerialTerminal> terminal_;
  std::size_t shown_chars_ = 0;
  std::size_t shown_problems_ = 0;
  bool after_cr_ = false;
  std::uint64_t typing_until_ = 0;  // the cycle the last typed text is sent by
  sim::Port digit_port_ = sim::Port::P1;
  std::string digit_order_ = "abcdefgp";
  std::vector<sim::PinRef> digit_selects_;  // empty: one digit, not multiplexed
  MultiplexedDigits digits_;
  // The check boxes as ticked, read with every pin change of a running program.
  bool digit_anode_ = false;
  bool select_low_ = true;
  bool leds_low_ = false;  // an LED lights at a low pin
  sim::PinRef button_pin_{sim::Port::P1, 0};
};

}  // namespace zorvin::app
