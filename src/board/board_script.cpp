#include "board/board_script.h"

#include <algorithm>
#include <cctype>

#include "sim/stimulus.h"

namespace zorvin::board {

namespace {

// How often a waiting host polls the status: every 8 machine cycles.
constexpr std::uint64_t kPollCycles = 8;
// A bouncing contact changes four times in its bounce time before it settles.
constexpr int kBounceChanges = 4;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}


}  // namespace

SplitStimulus split_board_events(std::string_view text) {
  SplitStimulus result;
  int line_no = 0;
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find('\n');
    const std::string_view whole = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::string_view line = whole.substr(0, whole.find_first_of(";#"));
    const auto fields = sim::stimulus_fields(line.substr(0, line.find('\r')));
    const std::string word = fields.size() >= 2 ? upper(fields[1]) : "";
    if (word != "KEY" && !word.starts_with("HOST-")) {
      result.pins.append(whole);
      result.pins += '\n';
      continue;
    }
    result.pins += '\n';
    const auto fail = [&](const std::string& why) {
      result.events.clear();
      result.error = "Zeile " + std::to_string(line_no) + ": " + why;
      return result;
    };
    BoardEvent event;
    event.line = line_no;
    const auto cycle = sim::parse_decimal(fields[0]);
    if (!cycle) return fail("Zyklus '" + std::string(fields[0]) + "' " + sim::decimal_fault(fields[0]));
    event.cycle = *cycle;
    if (word == "KEY") {
      const std::string state = fields.size() == 4 ? upper(fields[3]) : "";
      if (state != "DOWN" && state != "UP") return fail("erwartet wird ZYKLUS KEY NAME DOWN|UP");
      event.kind = state == "DOWN" ? BoardEvent::Kind::KeyDown : BoardEvent::Kind::KeyUp;
      event.key = std::string(fields[2]);
    } else if (word == "HOST-WRITE-DATA" || word == "HOST-WRITE-CMD") {
      const auto value = fields.size() == 3 ? sim::parse_hex(fields[2], 0xFF) : std::nullopt;
      if (!value) return fail("erwartet wird ZYKLUS " + word + " BYTE (hexadezimal)");
      event.kind = word == "HOST-WRITE-DATA" ? BoardEvent::Kind::HostWriteData : BoardEvent::Kind::HostWriteCommand;
      event.value = static_cast<std::uint8_t>(*value);
    } else if (word == "HOST-READ" || word == "HOST-STATUS") {
      if (fields.size() != 2) return fail("erwartet wird ZYKLUS " + word);
      event.kind = word == "HOST-READ" ? BoardEvent::Kind::HostRead : BoardEvent::Kind::HostStatus;
    } else {
      return fail("unbekanntes Host-Ereignis '" + std::string(fields[1]) +
                  "' (HOST-WRITE-DATA, HOST-WRITE-CMD, HOST-READ, HOST-STATUS)");
    }
    result.events.push_back(event);
  }
  result.ok = true;
  return result;
}

bool BoardScript::load(Board& board, sim::Simulator& simulator, const std::vector<BoardEvent>& events,
                       std::string& error) {
  board_ = &board;
  simulator_ = &simulator;
  const std::uint64_t bounce_ms = board.file().keyboard ? board.file().keyboard->bounce_ms : 0;
  const std::uint64_t bounce = bounce_ms * simulator.clock_hz() / (1000 * sim::kClocksPerCycle);
  for (const BoardEvent& event : events) {
    const auto fail = [&](const std::string& why) {
      error = "Zeile " + std::to_string(event.line) + ": " + why;
      return false;
    };
    if (event.kind == BoardEvent::Kind::KeyDown || event.kind == BoardEvent::Kind::KeyUp) {
      const auto key = board.key_named(event.key);
      if (!key) return fail(board.file().keyboard ? "die Tastatur hat keine Taste '" + event.key + "'"
                                                  : "die Platine hat keine [Tastatur]");
      const bool down = event.kind == BoardEvent::Kind::KeyDown;
      // A latching key changes with each press, at once; its release does nothing.
      const bool latching = board.latching(event.key);
      if (latching && !down) continue;
      contacts_.push_back({event.cycle, *key, down});
      if (bounce == 0 || latching) continue;
      for (int change = 1; change <= kBounceChanges; ++change)
        contacts_.push_back({event.cycle + bounce * static_cast<std::uint64_t>(change) / kBounceChanges, *key,
                             change % 2 == 0 ? down : !down});
    } else {
      if (!board.file().host) return fail("die Platine hat keinen [Host]");
      host_.push_back(event);
    }
  }
  // In time order; a latching key's presses toggle it in the order of the file.
  std::stable_sort(contacts_.begin(), contacts_.end(), [](const Contact& a, const Contact& b) { return a.cycle < b.cycle; });
  return true;
}

std::uint64_t BoardScript::advance_to(std::uint64_t now) {
  while (next_contact_ < contacts_.size() && contacts_[next_contact_].cycle <= now) {
    const Contact& contact = contacts_[next_contact_++];
    const auto& layout = board_->file().keyboard->layout;
    const std::string& name = layout[static_cast<std::size_t>(contact.key.row)][static_cast<std::size_t>(contact.key.column)];
    const bool closed = board_->latching(name) ? !board_->contact(contact.key) : contact.closed;
    board_->set_contact(contact.key, closed);
  }
  while (!host_.empty() && host_.front().cycle <= now) {
    const BoardEvent& event = host_.front();
    const sim::State& state = simulator_->state();
    if (event.kind == BoardEvent::Kind::HostRead) {
      if (!state.obf) break;
      host_bytes_.push_back(simulator_->host_read());
    } else if (event.kind == BoardEvent::Kind::HostStatus) {
      statuses_.push_back({now, simulator_->host_status()});
    } else {
      if (state.ibf) break;
      simulator_->host_write(event.value, event.kind == BoardEvent::Kind::HostWriteCommand);
    }
    host_.pop_front();
  }
  std::uint64_t next = UINT64_MAX;
  if (next_contact_ < contacts_.size()) next = contacts_[next_contact_].cycle;
  if (!host_.empty()) next = std::min(next, std::max(host_.front().cycle, now + kPollCycles));
  return next;
}

}  // namespace zorvin::board
