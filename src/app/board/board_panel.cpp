#include "app/board/board_panel.h"

#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_format.h"
#include "app/ids.h"
#include "settings/ini_text.h"

namespace zorvin::app {

namespace p = panel_field;

namespace {

std::string pin_text(const sim::PinRef& pin) {
  static constexpr const char* kNames[] = {"BUS", "P1", "P2", "P4", "P5", "P6", "P7", "T0", "T1", "INT"};
  std::string text = kNames[static_cast<int>(pin.port)];
  if (pin.bit >= 0) text.append(1, '.').append(std::to_string(pin.bit));  // not "." + ...: GCC 12 -O3 -Wrestrict
  return text;
}

// "P2.0 P2.1" or "P2.0,P2.1": up to four port bits; "-" or nothing: none.
std::optional<std::vector<sim::PinRef>> parse_selects(const std::string& text) {
  std::vector<sim::PinRef> pins;
  std::string word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (c != ' ' && c != ',') {
      word += c;
      continue;
    }
    if (word.empty() || word == "-") {
      word.clear();
      continue;
    }
    const auto pin = sim::parse_pin(word);
    word.clear();
    if (!pin || pin->bit < 0 || pins.size() == MultiplexedDigits::kMaxDigits) return std::nullopt;
    pins.push_back(*pin);
  }
  return pins;
}

// What a terminal shows of received bytes: text as it is, CR, LF and CR LF
// as one new line each, other control bytes as <1B>. `after_cr` carries a
// CR at the end over to the next bytes.
std::string shown(const std::string& received, bool& after_cr) {
  std::string text;
  for (char c : received) {
    const auto byte = static_cast<unsigned char>(c);
    const bool line_feed_after_cr = c == '\n' && after_cr;
    after_cr = c == '\r';
    if (line_feed_after_cr) continue;
    if (c == '\r' || c == '\n') {
      text += '\n';
    } else if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      text += std::string("<") + kDigits[byte >> 4] + kDigits[byte & 15] + ">";
    }
  }
  return text;
}

}  // namespace

std::optional<std::uint8_t> lit_segments(std::uint8_t pins, std::string_view order, bool common_anode) {
  static constexpr std::string_view kSegments = "abcdefgp";
  if (order.size() != 8) return std::nullopt;
  std::uint8_t lit = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const char name = static_cast<char>(order[static_cast<std::size_t>(bit)] | 0x20);
    if (order[static_cast<std::size_t>(bit)] == '-') continue;
    const auto segment = kSegments.find(name == '.' ? 'p' : name);
    if (segment == std::string_view::npos) return std::nullopt;
    const bool high = (pins >> bit) & 1;
    if (high != common_anode) lit |= static_cast<std::uint8_t>(1u << segment);
  }
  return lit;
}

BoardPanel::BoardPanel(ui::Toolkit& ui, DebuggerSession& session)
    : session_(session), window_(ui, debug::kPanelWindow) {}

void BoardPanel::build() {
  if (window_.created()) return;
  window_.create(kTitle, 2);
  const int leds = window_.add_group(0, "LEDs an den Pins (Bit 7 … 0)");
  window_.add_leds(leds, p::kLedsP1, 0, "P1");
  window_.add_leds(leds, p::kLedsP2, 1, "P2");
  window_.add_leds(leds, p::kLedsBus, 2, "BUS");
  window_.add_check(leds, p::kLedsActiveLow, 3, 0, "leuchtet bei 0 (aktiv low)", true);
  for (int port = 0; port < 2; ++port) {
    const int group = window_.add_group(0, port == 0 ? "Schalter an P1 (angehakt = offen, 1)"
                                                     : "Schalter an P2 (angehakt = offen, 1)");
    const int first = port == 0 ? p::kSwitchesP1 : p::kSwitchesP2;
    for (int bit = 7; bit >= 0; --bit) window_.add_check(group, first + bit, 0, 7 - bit, std::to_string(bit), true);
  }
  const int digit = window_.add_group(0, "7-Segment-Anzeige");
  window_.add_field(digit, p::kDigitPort, 0, 0, "Port", 4, true);
  window_.add_field(digit, p::kDigitOrder, 1, 0, "Bit 0-7", 9, true);
  window_.add_check(digit, p::kDigitAnode, 2, 0, "gemeinsame Anode", true);
  window_.add_field(digit, p::kDigitSelect, 3, 0, "Stellen", 16, true);
  window_.add_check(digit, p::kDigitSelectLow, 4, 0, "Stelle an bei 0", true);
  for (int k = 0; k < MultiplexedDigits::kMaxDigits; ++k) window_.add_segments(digit, p::digit_id(k), 0, 1 + k);
  window_.set_text(p::kDigitPort, "P1");
  window_.set_text(p::kDigitOrder, digit_order_);
  window_.set_text(p::kDigitSelect, "-");
  window_.set_check(p::kDigitSelectLow, true);
  const int buttons = window_.add_group(0, "Taster (gedrückt = 0, solange gehalten)");
  window_.add_push_button(buttons, p::kButtonT0, 0, 0, "T0");
  window_.add_push_button(buttons, p::kButtonT1, 0, 1, "T1");
  window_.add_push_button(buttons, p::kButtonInt, 0, 2, "INT");
  window_.add_field(buttons, p::kButtonPinName, 1, 0, "Taster an", 5, true);
  window_.add_push_button(buttons, p::kButtonPin, 1, 2, "drücken");
  window_.set_text(p::kButtonPinName, pin_text(button_pin_));
  const int line = window_.add_group(1, "Terminal an einer seriellen Leitung");
  window_.add_field(line, p::kTx, 0, 0, "Ausgang (TX)", 6, true);
  window_.add_field(line, p::kRx, 0, 1, "Eingang (RX)", 6, true);
  window_.add_field(line, p::kBaud, 1, 0, "Bit/s", 6, true);
  window_.add_check(line, p::kInvert, 1, 1, "invertiert", true);
  window_.add_field(line, p::kLineState, 2, 0, "Zustand", 30, false);
  window_.add_text_view(line, p::kTerminal, 3, 12);
  window_.add_field(line, p::kTyped, 4, 0, "Eingabe", 30, true);
  window_.add_history(p::kTyped);
  window_.add_button_in_group(line, debug::kSendWithoutCr, 5, 0, "Senden ohne CR");
  window_.add_button_in_group(line, debug::kClearTerminal, 5, 1, "Leeren");
  window_.add_field(line, p::kTypedHex, 6, 0, "Byte (hex)", 4, true);
  window_.add_button_in_group(line, debug::kSendHexByte, 6, 1, "Byte senden");
  for (int bit = 0; bit < 8; ++bit) {
    window_.set_check(p::kSwitchesP1 + bit, true);
    window_.set_check(p::kSwitchesP2 + bit, true);
  }
  window_.set_text(p::kTx, pin_text(config_.tx));
  window_.set_text(p::kRx, pin_text(config_.rx));
  window_.set_text(p::kBaud, std::to_string(config_.baud));
  first_settings_ = settings_text();
  window_.on_field_edited([this](int id, const std::string& text) {
    field_edited(id, text);
    if (id != p::kTyped && id != p::kTypedHex && settings_changed_) settings_changed_();
  });
  window_.on_check_toggled([this](int id, bool ticked) {
    check_toggled(id, ticked);
    if ((id < p::kButtonT0 || id > p::kButtonPin) && settings_changed_) settings_changed_();
  });
}

namespace {

// The settings line's keys and the fields and boxes they stand for.
struct Setting {
  const char* key;
  int id;
  bool check;
};

constexpr Setting kSettings[] = {
    {"Anzeige", p::kDigitPort, false},   {"Segmente", p::kDigitOrder, false}, {"Anode", p::kDigitAnode, true},
    {"Stellen", p::kDigitSelect, false}, {"StelleBei0", p::kDigitSelectLow, true},
    {"LEDsBei0", p::kLedsActiveLow, true}, {"TX", p::kTx, false}, {"RX", p::kRx, false},
    {"Baud", p::kBaud, false},           {"Invertiert", p::kInvert, true}, {"Taster", p::kButtonPinName, false},
};

}  // namespace

std::string BoardPanel::settings_text() const {
  if (!window_.created()) return {};  // never shown, never set
  std::string text;
  for (const Setting& setting : kSettings) {
    if (!text.empty()) text += ';';
    text += std::string(setting.key) + "=" +
            (setting.check ? std::string(window_.checked(setting.id) ? "1" : "0") : window_.text(setting.id));
  }
  unsigned switches = 0;
  for (int bit = 0; bit < 8; ++bit) {
    switches |= window_.checked(p::kSwitchesP1 + bit) ? 1u << bit : 0u;
    switches |= window_.checked(p::kSwitchesP2 + bit) ? 0x100u << bit : 0u;
  }
  return text + ";SchalterP1=" + hex_text(switches & 0xFF, 2) + ";SchalterP2=" + hex_text(switches >> 8, 2);
}

void BoardPanel::apply_settings(const std::string& text) {
  if (text.empty()) return;
  build();
  for (const auto& [key, value] : settings::split_items(text)) {
    if (key == "SchalterP1" || key == "SchalterP2") {
      const auto bits = parse_hex(value, 0xFF);
      const int first = key == "SchalterP1" ? p::kSwitchesP1 : p::kSwitchesP2;
      for (int bit = 0; bits && bit < 8; ++bit) {
        window_.set_check(first + bit, (*bits >> bit) & 1);
        check_toggled(first + bit, (*bits >> bit) & 1);
      }
      continue;
    }
    for (const Setting& setting : kSettings) {
      if (key != setting.key) continue;
      if (setting.check) {
        window_.set_check(setting.id, value == "1");
        check_toggled(setting.id, value == "1");
      } else {
        field_edited(setting.id, value);
      }
    }
  }
}

void BoardPanel::show() {
  build();
  window_.show();
  refresh();
}

void BoardPanel::attach() {
  terminal_.reset();
  if (!session_.loaded()) return;
  build();  // its switches drive the pins
  sim::Simulator& sim = session_.simulator();
  sim.set_pin_listener([this](const sim::PinEvent& event) {
    if (terminal_) terminal_->pin_changed(event);
    if (!digit_selects_.empty()) pins_changed(event.cycle);
  });
  digits_.clear();
  // The switches as they stand drive the new simulator's pins.
  for (int bit = 0; bit < 8; ++bit) {
    sim.drive_bit(sim::Port::P1, bit, window_.checked(p::kSwitchesP1 + bit));
    sim.drive_bit(sim::Port::P2, bit, window_.checked(p::kSwitchesP2 + bit));
  }
  apply_line();
}

// A new terminal on the pins and bit rate in the fields; the text shown so
// far stays.
void BoardPanel::apply_line() {
  terminal_.reset();
  shown_chars_ = shown_problems_ = 0;
  typing_until_ = 0;
  if (!session_.loaded()) return;
  terminal_.emplace(session_.simulator(), config_);
  window_.set_text(p::kLineState, pin_text(config_.tx) + " → Terminal → " + pin_text(config_.rx) + ", " +
                                      std::to_string(config_.baud) + " Bit/s" + (config_.invert ? ", invertiert" : ""));
}

void BoardPanel::refresh() {
  if (!session_.loaded() || !window_.created()) return;
  const sim::Simulator& sim = session_.simulator();
  show_leds();
  if (digit_selects_.empty()) {
    window_.set_leds(p::kDigit, segments_now());
    for (int k = 1; k < MultiplexedDigits::kMaxDigits; ++k) window_.set_leds(p::digit_id(k), 0);
  } else {
    digits_.settle(sim.state().cycles);
    for (int k = 0; k < MultiplexedDigits::kMaxDigits; ++k) window_.set_leds(p::digit_id(k), digits_.shown(k));
  }
  if (!terminal_) return;
  sim::SerialDecoder& decoder = terminal_->decoder();
  decoder.advance_to(sim.state().cycles);
  // Framing errors and bits off the rate are shown where they happened.
  while (shown_problems_ < decoder.problems().size())
    window_.append_text(p::kTerminal, "\n[" + decoder.problems()[shown_problems_++].text + "]\n");
  if (decoder.text().size() > shown_chars_) {
    window_.append_text(p::kTerminal, shown(decoder.text().substr(shown_chars_), after_cr_));
    shown_chars_ = decoder.text().size();
  }
}

void BoardPanel::show_driven_switches() {
  if (!session_.loaded() || !window_.created()) return;
  const sim::Simulator& sim = session_.simulator();
  for (int bit = 0; bit < 8; ++bit) {
    window_.set_check(p::kSwitchesP1 + bit, ((sim.driven(sim::Port::P1) >> bit) & 1) != 0);
    window_.set_check(p::kSwitchesP2 + bit, ((sim.driven(sim::Port::P2) >> bit) & 1) != 0);
  }
}

void BoardPanel::show_leds() {
  const sim::Simulator& sim = session_.simulator();
  const std::uint8_t flip = leds_low_ ? 0xFF : 0x00;
  window_.set_leds(p::kLedsP1, sim.pin_level(sim::Port::P1) ^ flip);
  window_.set_leds(p::kLedsP2, sim.pin_level(sim::Port::P2) ^ flip);
  window_.set_leds(p::kLedsBus, sim.pin_level(sim::Port::Bus) ^ flip);
}

// Bytes for the program's input pin, after what is still being sent.
void BoardPanel::send(const std::string& bytes) {
  if (!terminal_ || bytes.empty()) return;
  const std::uint64_t now = session_.simulator().state().cycles;
  typing_until_ = terminal_->type(bytes, std::max(now, typing_until_));
}

void BoardPanel::terminal_command(int command) {
  if (command == debug::kClearTerminal) {
    window_.set_all_text(p::kTerminal, "");
    after_cr_ = false;
    return;
  }
  if (command == debug::kSendWithoutCr) {
    send(window_.text(p::kTyped));
    window_.set_text(p::kTyped, "");
    return;
  }
  const std::string typed = window_.text(p::kTypedHex);
  const auto value = parse_hex(typed, 0xFF);
  if (!value) {
    window_.set_text(p::kLineState, "Kein Byte in Hex (00 bis FF): " + typed);
    return;
  }
  send(std::string(1, static_cast<char>(*value)));
  window_.set_text(p::kTypedHex, "");
}

std::uint8_t BoardPanel::segments_now() const {
  const std::uint8_t pins = session_.simulator().pin_level(digit_port_);
  return lit_segments(pins, digit_order_, digit_anode_).value_or(0);
}

std::uint8_t BoardPanel::selected_now() const {
  const sim::Simulator& sim = session_.simulator();
  const bool on_level = !select_low_;
  std::uint8_t selected = 0;
  for (std::size_t k = 0; k < digit_selects_.size(); ++k) {
    const bool high = ((sim.pin_level(digit_selects_[k].port) >> digit_selects_[k].bit) & 1) != 0;
    if (high == on_level) selected |= static_cast<std::uint8_t>(1u << k);
  }
  return selected;
}

void BoardPanel::pins_changed(std::uint64_t cycle) { digits_.pins(cycle, selected_now(), segments_now()); }

// A held button pulls its pin low; let go, a port pin goes back to its switch.
void BoardPanel::push_button(int id, bool held) {
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  const sim::PinRef pin = id == p::kButtonT0    ? sim::PinRef{sim::Port::T0, -1}
                          : id == p::kButtonT1  ? sim::PinRef{sim::Port::T1, -1}
                          : id == p::kButtonInt ? sim::PinRef{sim::Port::Int, -1}
                                                : button_pin_;
  if (pin.bit < 0) {
    sim.drive(pin.port, held ? 0 : 1);
  } else {
    bool level = !held;
    if (pin.port == sim::Port::P1) level = level && window_.checked(p::kSwitchesP1 + pin.bit);
    if (pin.port == sim::Port::P2) level = level && window_.checked(p::kSwitchesP2 + pin.bit);
    sim.drive_bit(pin.port, pin.bit, level);
  }
  refresh();
}

void BoardPanel::field_edited(int id, const std::string& text) {
  if (id == p::kTyped) {
    if (!terminal_ || text.empty()) return;
    send(text + "\r");
    window_.set_text(p::kTyped, "");
    return;
  }
  if (id == p::kTypedHex) {
    if (!text.empty()) terminal_command(debug::kSendHexByte);
    return;
  }
  if (id == p::kDigitPort) {
    const auto pin = sim::parse_pin(text);
    if (pin && pin->bit < 0 && (pin->port == sim::Port::P1 || pin->port == sim::Port::P2 || pin->port == sim::Port::Bus))
      digit_port_ = pin->port;
    window_.set_text(p::kDigitPort, pin_text({digit_port_, -1}));
    refresh();
    return;
  }
  if (id == p::kDigitSelect) {
    if (const auto pins = parse_selects(text)) digit_selects_ = *pins;
    std::string shown_pins;
    for (const sim::PinRef& pin : digit_selects_) {
      if (!shown_pins.empty()) shown_pins += ' ';
      shown_pins += pin_text(pin);
    }
    window_.set_text(p::kDigitSelect, shown_pins.empty() ? "-" : shown_pins);
    digits_.clear();
    if (session_.loaded() && !digit_selects_.empty()) pins_changed(session_.simulator().state().cycles);
    refresh();
    return;
  }
  if (id == p::kButtonPinName) {
    const auto pin = sim::parse_pin(text);
    const bool input = pin && (pin->bit >= 0 ? pin->port == sim::Port::P1 || pin->port == sim::Port::P2
                                             : pin->port == sim::Port::T0 || pin->port == sim::Port::T1 ||
                                                   pin->port == sim::Port::Int);
    if (input && !window_.checked(p::kButtonPin)) button_pin_ = *pin;
    window_.set_text(p::kButtonPinName, pin_text(button_pin_));
    return;
  }
  if (id == p::kDigitOrder) {
    if (lit_segments(0, text, false)) digit_order_ = text;
    window_.set_text(p::kDigitOrder, digit_order_);
    refresh();
    return;
  }
  std::string problem;
  if (id == p::kTx || id == p::kRx) {
    const auto pin = sim::parse_pin(text);
    const bool port_bit = pin && pin->bit >= 0;
    const bool input = pin && (pin->bit >= 0 || pin->port == sim::Port::T0 || pin->port == sim::Port::T1 ||
                               pin->port == sim::Port::Int);
    if (id == p::kTx && port_bit) config_.tx = *pin;
    else if (id == p::kRx && input) config_.rx = *pin;
    else problem = "Kein passender Pin: " + text + (id == p::kTx ? " (ein Portbit wie P2.7)" : " (T0, T1, INT oder ein Portbit)");
  }
  if (id == p::kBaud) {
    const long baud = std::strtol(text.c_str(), nullptr, 10);
    if (baud >= 50 && baud <= 115200) config_.baud = static_cast<std::uint32_t>(baud);
    else problem = "Bitrate 50 bis 115200: " + text;
  }
  window_.set_text(p::kTx, pin_text(config_.tx));
  window_.set_text(p::kRx, pin_text(config_.rx));
  window_.set_text(p::kBaud, std::to_string(config_.baud));
  apply_line();
  if (!problem.empty()) window_.set_text(p::kLineState, problem);
}

void BoardPanel::check_toggled(int id, bool ticked) {
  if (id >= p::kButtonT0 && id <= p::kButtonPin) {
    push_button(id, ticked);
    return;
  }
  if (id == p::kLedsActiveLow) {
    leds_low_ = ticked;
    if (session_.loaded()) show_leds();
    return;
  }
  if (id == p::kDigitAnode || id == p::kDigitSelectLow) {
    (id == p::kDigitAnode ? digit_anode_ : select_low_) = ticked;
    refresh();
    return;
  }
  if (id == p::kInvert) {
    config_.invert = ticked;
    apply_line();
    return;
  }
  if (!session_.loaded()) return;
  sim::Simulator& sim = session_.simulator();
  if (id >= p::kSwitchesP1 && id < p::kSwitchesP1 + 8) sim.drive_bit(sim::Port::P1, id - p::kSwitchesP1, ticked);
  if (id >= p::kSwitchesP2 && id < p::kSwitchesP2 + 8) sim.drive_bit(sim::Port::P2, id - p::kSwitchesP2, ticked);
  refresh();
}

}  // namespace zorvin::app
