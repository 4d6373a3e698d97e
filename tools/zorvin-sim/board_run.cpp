#include "board_run.h"


#include "board/board_file.h"
#include "sim/stimulus.h"
#include "sim/variant.h"

namespace zorvin::sim_tool {

namespace {

std::string hex2(std::uint8_t value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

std::string bytes_text(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + hex2(byte);
  return text.empty() ? "(nichts)" : text;
}

const char* event_word(board::BoardEvent::Kind kind) {
  switch (kind) {
    case board::BoardEvent::Kind::HostWriteData: return "HOST-WRITE-DATA";
    case board::BoardEvent::Kind::HostWriteCommand: return "HOST-WRITE-CMD";
    case board::BoardEvent::Kind::HostRead: return "HOST-READ";
    default: return "HOST-STATUS";
  }
}

}  // namespace

bool parse_host_bytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == ',')) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != ',') ++pos;
    if (pos == start) break;
    const auto value = sim::parse_hex(std::string_view(text).substr(start, pos - start), 0xFF);
    if (!value) return false;
    bytes.push_back(static_cast<std::uint8_t>(*value));
  }
  return true;
}

bool BoardRun::read(Options& options) {
  if (!options.board) return true;
  const std::string& path = *options.board;
  board::ParsedBoard parsed = board::read_board_file(path);
  if (!parsed.board) {
    std::fprintf(stderr, "zorvin-sim: %s\n", parsed.error.c_str());
    return false;
  }
  const std::string part(sim::info(parsed.board->part).name);
  if (options.cpu && sim::variant_named(*options.cpu) != parsed.board->part) {
    std::fprintf(stderr, "zorvin-sim: --cpu %s widerspricht der Platine (%s)\n", options.cpu->c_str(), part.c_str());
    return false;
  }
  if (options.clock_given && options.clock_hz != parsed.board->clock_hz) {
    std::fprintf(stderr, "zorvin-sim: --clock %llu widerspricht dem Quarz der Platine (%llu Hz)\n",
                 static_cast<unsigned long long>(options.clock_hz),
                 static_cast<unsigned long long>(parsed.board->clock_hz));
    return false;
  }
  options.cpu = part;
  options.clock_hz = parsed.board->clock_hz;
  file_ = std::make_unique<board::BoardFile>(std::move(*parsed.board));
  return true;
}

bool BoardRun::take_events(const std::string& stimulus_name, std::string& text) {
  board::SplitStimulus split = board::split_board_events(text);
  if (!split.ok) {
    std::fprintf(stderr, "zorvin-sim: %s, %s\n", stimulus_name.c_str(), split.error.c_str());
    return false;
  }
  if (!split.events.empty() && !file_) {
    std::fprintf(stderr, "zorvin-sim: %s, Zeile %d: Tasten und Host-Ereignisse brauchen --board\n",
                 stimulus_name.c_str(), split.events.front().line);
    return false;
  }
  events_ = std::move(split.events);
  stimulus_name_ = stimulus_name;
  text = std::move(split.pins);
  return true;
}

bool BoardRun::attach(sim::Simulator& simulator) {
  if (!file_) return true;
  board_ = std::make_unique<board::Board>(*file_);
  std::string error;
  if (!board_->attach(simulator, error)) {
    std::fprintf(stderr, "zorvin-sim: %s\n", error.c_str());
    return false;
  }
  if (!script_.load(*board_, simulator, events_, error)) {
    std::fprintf(stderr, "zorvin-sim: %s, %s\n", stimulus_name_.c_str(), error.c_str());
    return false;
  }
  return true;
}

bool BoardRun::finish(const Options& options, std::FILE* out) {
  if (!board_) return true;
  bool ok = true;
  if (file_->host) {
    for (const board::HostStatusRead& read : script_.host_statuses())
      std::fprintf(out, "Host-Status bei Zyklus %llu: %02XH\n", static_cast<unsigned long long>(read.cycle),
                   read.status);
    if (!script_.host_bytes().empty() || options.expected_host)
      std::fprintf(out, "Host las: %s\n", bytes_text(script_.host_bytes()).c_str());
    if (const board::BoardEvent* event = script_.unfinished()) {
      const bool read = event->kind == board::BoardEvent::Kind::HostRead;
      std::fprintf(out, "%s, Zeile %d: %s geschah nicht: %s\n", stimulus_name_.c_str(), event->line,
                   event_word(event->kind),
                   read ? "bis zum Ende des Laufs kam kein Byte (OBF blieb 0)"
                        : "bis zum Ende des Laufs wurde der Eingabepuffer nicht frei (IBF blieb 1)");
      ok = false;
    }
  }
  if (options.expected_host && *options.expected_host != script_.host_bytes()) {
    std::fprintf(out, "Erwartung --expect-host \"%s\" nicht erfüllt, gelesen: %s\n",
                 bytes_text(*options.expected_host).c_str(), bytes_text(script_.host_bytes()).c_str());
    ok = false;
  }
  if (const board::Lcd* lcd = board_->lcd()) {
    if (options.lcd) {
      const std::string frame(static_cast<std::size_t>(lcd->columns()), '-');
      std::fprintf(out, "LCD:\n+%s+\n", frame.c_str());
      for (const std::string& line : lcd->lines()) std::fprintf(out, "|%s|\n", line.c_str());
      std::fprintf(out, "+%s+\n", frame.c_str());
    }
    for (const board::LcdFault& fault : lcd->faults()) {
      std::fprintf(out, "LCD bei Zyklus %llu: %s\n", static_cast<unsigned long long>(fault.cycle), fault.text.c_str());
      ok = false;
    }
  }
  if (!board_->lcd() && (options.lcd || !options.expected_lcd.empty())) {
    std::fprintf(out, "--lcd und --expect-lcd: die Platine hat kein [LCD]\n");
    ok = false;
  }
  for (const std::string& expected : options.expected_lcd) {
    bool found = false;
    if (const board::Lcd* lcd = board_->lcd())
      for (const std::string& line : lcd->lines()) found = found || line.find(expected) != std::string::npos;
    if (found) continue;
    std::fprintf(out, "LCD zeigt nicht \"%s\"\n", expected.c_str());
    ok = false;
  }
  std::string error;
  if (!board_->save_ram(error)) {
    std::fprintf(out, "%s\n", error.c_str());
    ok = false;
  }
  return ok;
}

}  // namespace zorvin::sim_tool
