#include "board/board_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "files/binary_path.h"
#include "sim/stimulus.h"

namespace zorvin::board {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == ',')) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != ',') ++pos;
    if (pos > start) out.emplace_back(text.substr(start, pos - start));
  }
  return out;
}

struct Entry {
  int line = 0;
  std::string key;  // lower case
  std::string value;
};

struct Group {
  int line = 0;
  std::string name;  // lower case
  std::vector<Entry> entries;
};

struct Failure {
  int line;
  std::string text;
};

// "6000000", "6 MHz", "11.0592MHz", "3,579545 MHz", "400 kHz".
std::optional<std::uint64_t> frequency(std::string_view text) {
  std::string value = lower(text);
  std::erase(value, ' ');
  double factor = 1;
  if (value.ends_with("mhz")) factor = 1e6, value.resize(value.size() - 3);
  else if (value.ends_with("khz")) factor = 1e3, value.resize(value.size() - 3);
  else if (value.ends_with("hz")) value.resize(value.size() - 2);
  std::replace(value.begin(), value.end(), ',', '.');
  if (value.find_first_of("0123456789") == std::string::npos || value.find_first_not_of("0123456789.") != std::string::npos ||
      std::count(value.begin(), value.end(), '.') > 1 || value.size() > 12)
    return std::nullopt;
  // By hand: strtod would follow the locale's decimal mark.
  double number = 0;
  double scale = 1;
  bool fraction = false;
  for (const char c : value) {
    if (c == '.') fraction = true;
    else if (fraction) number += (scale /= 10) * (c - '0');
    else number = number * 10 + (c - '0');
  }
  const double hz = number * factor + 0.5;
  if (hz < 1000 || hz > 100'000'000) return std::nullopt;
  return static_cast<std::uint64_t>(hz);
}

// "2048", "2K", "2 KiB".
std::optional<std::uint32_t> byte_count(std::string_view text) {
  std::string value = lower(text);
  std::erase(value, ' ');
  std::uint32_t factor = 1;
  if (value.ends_with("kib")) value.resize(value.size() - 3), factor = 1024;
  else if (value.ends_with("k")) value.resize(value.size() - 1), factor = 1024;
  const auto number = sim::parse_decimal(value);
  if (!number || *number == 0 || *number > 65536 || *number * factor > 65536) return std::nullopt;
  return static_cast<std::uint32_t>(*number * factor);
}

std::optional<bool> yes_no(std::string_view text) {
  const std::string value = lower(trimmed(text));
  if (value == "ja" || value == "1" || value == "yes") return true;
  if (value == "nein" || value == "0" || value == "no") return false;
  return std::nullopt;
}

class Reader {
 public:
  explicit Reader(const std::string& folder) : folder_(folder) {}

  std::optional<Failure> read(const std::vector<Group>& groups, BoardFile& board) {
    for (const Group& group : groups) {
      if (auto failure = read_group(group, board)) return failure;
    }
    return std::nullopt;
  }

 private:
  // Every pin once on the whole board.
  std::optional<Failure> claim(const Pin& pin, int line) {
    // Groups are read [Platine] and [8243] first: the message names the later line.
    for (const auto& [used, at] : claimed_)
      if (used == pin)
        return Failure{std::max(line, at),
                       "der Pin " + pin_name(pin) + " ist schon in Zeile " + std::to_string(std::min(line, at)) + " belegt"};
    claimed_.emplace_back(pin, line);
    return std::nullopt;
  }

  std::optional<Failure> pins(const Entry& entry, std::vector<Pin>& out) {
    std::string error;
    const auto parsed = parse_pins(entry.value, error);
    if (!parsed) return Failure{entry.line, entry.key + ": " + error};
    for (const Pin& pin : *parsed)
      if (auto failure = claim(pin, entry.line)) return failure;
    out.insert(out.end(), parsed->begin(), parsed->end());
    return std::nullopt;
  }

  std::optional<Failure> one_pin(const Entry& entry, Pin& out) {
    std::vector<Pin> list;
    if (auto failure = pins(entry, list)) return failure;
    if (list.size() != 1) return Failure{entry.line, entry.key + " ist genau ein Pin"};
    out = list[0];
    return std::nullopt;
  }

  // "P2.3=0, P2.4=1" or a single pin's level "0".
  std::optional<Failure> levels(const Entry& entry, std::vector<PinLevel>& out) {
    for (const std::string& word : words(entry.value)) {
      const std::size_t equals = word.find('=');
      std::string error;
      const auto pin = parse_pins(word.substr(0, equals), error);
      const std::string level = equals == std::string::npos ? "" : word.substr(equals + 1);
      if (!pin || pin->size() != 1 || (level != "0" && level != "1"))
        return Failure{entry.line, entry.key + ": erwartet wird PIN=0 oder PIN=1, nicht '" + word + "'"};
      if (auto failure = claim((*pin)[0], entry.line)) return failure;
      out.push_back({(*pin)[0], level == "1"});
    }
    return std::nullopt;
  }

  std::optional<Failure> read_group(const Group& group, BoardFile& board) {
    if (std::find(seen_.begin(), seen_.end(), group.name) != seen_.end())
      return Failure{group.line, "das Gerät [" + group.name + "] ist schon beschrieben"};
    seen_.push_back(group.name);
    std::map<std::string, int> keys;
    for (const Entry& entry : group.entries) {
      if (const auto [at, fresh] = keys.emplace(entry.key, entry.line); !fresh)
        return Failure{entry.line, entry.key + " steht schon in Zeile " + std::to_string(at->second)};
    }
    if (group.name == "platine") return read_board(group, board);
    if (group.name == "host") {
      if (!sim::info(board.part).upi)
        return Failure{group.line, "[Host] braucht einen UPI-Prozessor (8041, 8042, 8741, 8742)"};
      if (!group.entries.empty()) return unknown_key(group.entries[0], group);
      board.host = true;
      return std::nullopt;
    }
    if (group.name == "8243") {
      // The expander talks over P20-P23 (and PROG): those pins are its.
      if (!group.entries.empty()) return unknown_key(group.entries[0], group);
      for (int bit = 0; bit < 4; ++bit)
        if (auto failure = claim(Pin{sim::Port::P2, bit}, group.line)) return failure;
      board.expander = true;
      return std::nullopt;
    }
    if (group.name == "lcd") return read_lcd(group, board);
    if (group.name == "tastatur") return read_keyboard(group, board);
    if (group.name == "ram") return read_ram(group, board);
    return Failure{group.line, "unbekanntes Gerät [" + group.name +
                                   "]; bekannt sind [Platine], [Host], [8243], [LCD], [Tastatur] und [RAM]"};
  }

 public:
  // Pins of P4-P7 need the 8243 that has them.
  std::optional<Failure> check_expander(const BoardFile& board) const {
    if (board.expander) return std::nullopt;
    for (const auto& [pin, line] : claimed_)
      if (pin.port >= sim::Port::P4 && pin.port <= sim::Port::P7)
        return Failure{line, "der Pin " + pin_name(pin) + " gehört einem 8243: es fehlt [8243]"};
    return std::nullopt;
  }

 private:

  static Failure unknown_key(const Entry& entry, const Group& group) {
    return Failure{entry.line, "unbekannter Eintrag '" + entry.key + "' in [" + group.name + "]"};
  }

  std::optional<Failure> read_board(const Group& group, BoardFile& board) {
    for (const Entry& entry : group.entries) {
      if (entry.key == "prozessor") {
        const auto part = sim::variant_named(entry.value);
        if (!part) return Failure{entry.line, "unbekannter Prozessor '" + entry.value + "'"};
        board.part = *part;
      } else if (entry.key == "quarz") {
        const auto hz = frequency(entry.value);
        if (!hz) return Failure{entry.line, "Quarz erwartet eine Frequenz von 1 kHz bis 100 MHz, nicht '" + entry.value + "'"};
        board.clock_hz = *hz;
      } else if (entry.key == "adressbits") {
        if (auto failure = pins(entry, board.address_pins)) return failure;
        if (board.address_pins.size() > 8) return Failure{entry.line, "höchstens 8 Adressbits"};
      } else if (std::string error; parse_pins(entry.key, error)) {
        if (parse_pins(entry.key, error)->size() != 1)
          return Failure{entry.line, "ein Pegel gilt einem einzelnen Pin (P1.7 = 0), nicht " + entry.key};
        if (entry.value != "0" && entry.value != "1")
          return Failure{entry.line, "der Pegel von " + entry.key + " ist 0 oder 1, nicht '" + entry.value + "'"};
        if (auto failure = levels(Entry{entry.line, entry.key, entry.key + "=" + entry.value}, board.levels))
          return failure;
      } else {
        return unknown_key(entry, group);
      }
    }
    return std::nullopt;
  }

  std::optional<Failure> read_lcd(const Group& group, BoardFile& board) {
    LcdWiring lcd;
    bool have_rs = false;
    bool have_e = false;
    for (const Entry& entry : group.entries) {
      std::optional<Failure> failure;
      if (entry.key == "format") {
        const std::string value = lower(entry.value);
        const std::size_t x = value.find('x');
        const auto columns = sim::parse_decimal(trimmed(std::string_view(value).substr(0, x)));
        const auto rows = x == std::string::npos ? std::nullopt : sim::parse_decimal(trimmed(std::string_view(value).substr(x + 1)));
        if (!columns || !rows || *columns < 1 || *columns > 40 || (*rows != 1 && *rows != 2 && *rows != 4) ||
            *columns * *rows > 80)
          return Failure{entry.line, "Format erwartet SPALTENxZEILEN wie 16x2 oder 20x4, nicht '" + entry.value + "'"};
        lcd.columns = static_cast<int>(*columns);
        lcd.rows = static_cast<int>(*rows);
      } else if (entry.key == "daten") {
        failure = pins(entry, lcd.data);
        if (!failure && lcd.data.size() != 4 && lcd.data.size() != 8)
          failure = Failure{entry.line, "Daten sind 4 oder 8 Pins (DB4-DB7 oder DB0-DB7)"};
      } else if (entry.key == "rs") {
        failure = one_pin(entry, lcd.rs);
        have_rs = true;
      } else if (entry.key == "e") {
        failure = one_pin(entry, lcd.e);
        have_e = true;
      } else if (entry.key == "rw") {
        Pin pin;
        failure = one_pin(entry, pin);
        lcd.rw = pin;
      } else if (entry.key == "adresse") {
        const auto address = sim::parse_hex(entry.value, 0xFFFF);
        if (!address) return Failure{entry.line, "Adresse erwartet eine Hexadezimalzahl, nicht '" + entry.value + "'"};
        lcd.address = static_cast<std::uint16_t>(*address);
      } else {
        return unknown_key(entry, group);
      }
      if (failure) return failure;
    }
    if (lcd.address) {
      if (!lcd.data.empty() || have_rs || have_e || lcd.rw)
        return Failure{group.line, "[LCD] liegt entweder am MOVX-Bus (Adresse) oder an Pins (Daten, RS, E)"};
      if (sim::info(board.part).upi) return Failure{group.line, "der " + std::string(sim::info(board.part).name) + " hat keinen MOVX-Bus"};
    } else if (lcd.data.empty() || !have_rs || !have_e) {
      return Failure{group.line, "[LCD] braucht Daten, RS und E (oder eine Adresse am MOVX-Bus)"};
    }
    board.lcd = lcd;
    return std::nullopt;
  }

  std::optional<Failure> read_keyboard(const Group& group, BoardFile& board) {
    KeyboardWiring keys;
    std::map<int, std::pair<int, std::vector<std::string>>> layout;  // row -> line, names
    for (const Entry& entry : group.entries) {
      std::optional<Failure> failure;
      if (entry.key == "zeilen") failure = pins(entry, keys.rows);
      else if (entry.key == "decoder") failure = pins(entry, keys.select);
      else if (entry.key == "freigabe") failure = levels(entry, keys.enable);
      else if (entry.key == "spalten") failure = pins(entry, keys.columns);
      else if (entry.key == "dioden" || entry.key == "prellen" || entry.key == "rastend") failure = option(entry, keys);
      else if (entry.key.starts_with("reihe") && sim::parse_decimal(entry.key.substr(5)) &&
               *sim::parse_decimal(entry.key.substr(5)) < 32)
        layout[static_cast<int>(*sim::parse_decimal(entry.key.substr(5)))] = {entry.line, words(entry.value)};
      else return unknown_key(entry, group);
      if (failure) return failure;
    }
    if (keys.rows.empty() == keys.select.empty())
      return Failure{group.line, "[Tastatur] braucht entweder Zeilen (Pins) oder einen Decoder"};
    if (keys.select.size() > 5) return Failure{group.line, "ein Decoder hat höchstens 5 Auswahleingänge"};
    if (keys.rows.size() > 32) return Failure{group.line, "[Tastatur] hat höchstens 32 Zeilen"};
    if (keys.columns.empty() || keys.columns.size() > 16) return Failure{group.line, "[Tastatur] braucht 1 bis 16 Spalten"};
    const std::size_t rows = keys.rows.empty() ? (std::size_t{1} << keys.select.size()) : keys.rows.size();
    std::vector<std::string> names;
    for (const auto& [row, entry] : layout) {
      const auto& [line, row_names] = entry;
      if (static_cast<std::size_t>(row) >= rows)
        return Failure{line, "Reihe" + std::to_string(row) + ": die Tastatur hat nur " + std::to_string(rows) + " Zeilen"};
      if (row_names.size() != keys.columns.size())
        return Failure{line, "Reihe" + std::to_string(row) + " nennt " + std::to_string(row_names.size()) +
                                 " Tasten, die Tastatur hat " + std::to_string(keys.columns.size()) + " Spalten"};
      for (const std::string& name : row_names) {
        if (name == "-") continue;
        if (std::find(names.begin(), names.end(), lower(name)) != names.end())
          return Failure{line, "die Taste " + name + " ist doppelt"};
        names.push_back(lower(name));
      }
    }
    if (names.empty()) return Failure{group.line, "[Tastatur] nennt keine Tasten (Reihe0 = ...)"};
    keys.layout.assign(rows, std::vector<std::string>(keys.columns.size(), "-"));
    for (const auto& [row, entry] : layout) keys.layout[static_cast<std::size_t>(row)] = entry.second;
    for (const std::string& name : keys.latching)
      if (std::find(names.begin(), names.end(), lower(name)) == names.end())
        return Failure{group.line, "die rastende Taste " + name + " steht in keiner Reihe"};
    board.keyboard = keys;
    return std::nullopt;
  }

  static std::optional<Failure> option(const Entry& entry, KeyboardWiring& keys) {
    if (entry.key == "dioden") {
      const auto value = yes_no(entry.value);
      if (!value) return Failure{entry.line, "Dioden ist ja oder nein, nicht '" + entry.value + "'"};
      keys.diodes = *value;
    } else if (entry.key == "prellen") {
      const auto ms = sim::parse_decimal(trimmed(entry.value));
      if (!ms || *ms > 100) return Failure{entry.line, "Prellen erwartet Millisekunden von 0 bis 100, nicht '" + entry.value + "'"};
      keys.bounce_ms = static_cast<int>(*ms);
    } else {
      keys.latching = words(entry.value);
    }
    return std::nullopt;
  }

  std::optional<Failure> read_ram(const Group& group, BoardFile& board) {
    if (sim::info(board.part).upi) return Failure{group.line, "der " + std::string(sim::info(board.part).name) + " hat keinen MOVX-Bus"};
    RamWiring ram;
    for (const Entry& entry : group.entries) {
      if (entry.key == "groesse" || entry.key == "größe") {
        const auto size = byte_count(entry.value);
        if (!size) return Failure{entry.line, "Groesse erwartet Bytes von 1 bis 65536, nicht '" + entry.value + "'"};
        ram.size = *size;
      } else if (entry.key == "adresse") {
        const auto address = sim::parse_hex(entry.value, 0xFFFF);
        if (!address) return Failure{entry.line, "Adresse erwartet eine Hexadezimalzahl, nicht '" + entry.value + "'"};
        ram.address = static_cast<std::uint32_t>(*address);
      } else if (entry.key == "datei") {
        if (entry.value.empty()) return Failure{entry.line, "Datei ohne Namen"};
        ram.file = entry.value.starts_with('/') || folder_.empty() ? entry.value : folder_ + "/" + entry.value;
      } else {
        return unknown_key(entry, group);
      }
    }
    board.ram = ram;
    return std::nullopt;
  }

  std::string folder_;
  std::vector<std::pair<Pin, int>> claimed_;
  std::vector<std::string> seen_;
};

// The bus's reach: every MOVX device inside it, none over another.
std::optional<std::string> check_bus(const BoardFile& board) {
  const std::uint32_t reach = 256u << board.address_pins.size();
  struct Span { std::uint32_t from, to; const char* name; };
  std::vector<Span> spans;
  if (board.ram) spans.push_back({board.ram->address, board.ram->address + board.ram->size, "[RAM]"});
  if (board.lcd && board.lcd->address) spans.push_back({*board.lcd->address, *board.lcd->address + 2u, "[LCD]"});
  for (const Span& span : spans)
    if (span.to > reach)
      return std::string(span.name) + " reicht über den MOVX-Bus hinaus (" + std::to_string(reach) +
             " Byte; mehr mit Adressbits in [Platine])";
  if (spans.size() == 2 && spans[0].from < spans[1].to && spans[1].from < spans[0].to)
    return std::string("[RAM] und [LCD] überlappen am MOVX-Bus");
  return std::nullopt;
}

}  // namespace

ParsedBoard parse_board_file(std::string_view text, const std::string& folder) {
  ParsedBoard result;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<Group> groups;
  int line_no = 0;
  const auto fail = [&](int line, const std::string& why) {
    result.error = "Zeile " + std::to_string(line) + ": " + why;
    return result;
  };
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find('\n');
    std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail(line_no, "die Gruppe endet nicht mit ]");
      groups.push_back({line_no, lower(trimmed(line.substr(1, line.size() - 2))), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail(line_no, "erwartet wird NAME = WERT");
    if (groups.empty()) return fail(line_no, "der Eintrag steht vor der ersten Gruppe ([Platine])");
    std::string_view value = line.substr(equals + 1);
    value = trimmed(value.substr(0, value.find(';')));
    groups.back().entries.push_back({line_no, lower(trimmed(line.substr(0, equals))), std::string(value)});
  }
  // [Platine] first: the part decides what the other groups may be.
  std::stable_partition(groups.begin(), groups.end(), [](const Group& g) { return g.name == "platine"; });
  std::stable_partition(groups.begin() + (groups.empty() || groups[0].name != "platine" ? 0 : 1), groups.end(),
                        [](const Group& g) { return g.name == "8243"; });
  BoardFile board;
  Reader reader(folder);
  if (const auto failure = reader.read(groups, board)) return fail(failure->line, failure->text);
  if (const auto failure = reader.check_expander(board)) return fail(failure->line, failure->text);
  if (const auto problem = check_bus(board)) {
    const int line = board.ram ? std::find_if(groups.begin(), groups.end(), [](const Group& g) { return g.name == "ram"; })->line : 1;
    return fail(line, *problem);
  }
  result.board = board;
  return result;
}

ParsedBoard read_board_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code error;
  if (!in || std::filesystem::is_directory(path, error))
    return {std::nullopt, "die Platinendatei " + path + " kann nicht gelesen werden"};
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ParsedBoard parsed = parse_board_file(text, files::folder_of(path));
  if (!parsed.board) parsed.error = path + ", " + parsed.error;
  return parsed;
}

}  // namespace zorvin::board
