// The board file: a small INI text beside the source that names the part,
// its crystal, the level of every input pin nothing else drives, and each
// device with its wiring. Group and key names are German and compared
// without regard to case, as in zorvin.ini:
//
//   [Platine]   Prozessor = 8042, Quarz = 6 MHz, T0 = 1, P1.7 = 0,
//               Adressbits = P2.0-P2.2  (high address bits of the MOVX bus)
//   [Host]      the UPI host interface (8041/8042/8741/8742), no keys
//   [8243]      a port expander on P20-P23 (the simulator's P4-P7), no keys
//   [LCD]       Format = 16x2, Daten = P1.4-P1.7, RS = P2.0, RW = P2.1,
//               E = P2.2; or on the MOVX bus: Adresse = 80 (RS = A0)
//   [Tastatur]  Zeilen = P1.0-P1.3 (low = selected) or Decoder = P2.0-P2.2
//               with Freigabe = P2.3=0, Spalten = P1.4-P1.7, T0,
//               Dioden = ja, Prellen = 2 (ms), Rastend = SHIFT,
//               Reihe0 = 1 2 3 A ... (key names by column, "-" for none)
//   [RAM]       Groesse = 2048, Adresse = 0, Datei = akku.bin
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/pins.h"
#include "sim/variant.h"

namespace zorvin::board {

struct PinLevel {
  Pin pin;
  bool high = true;
};

struct LcdWiring {
  int columns = 16;
  int rows = 2;
  std::optional<std::uint16_t> address;  // on the MOVX bus; else on pins
  std::vector<Pin> data;                 // DB0-DB7 or DB4-DB7, lowest first
  Pin rs;
  Pin e;
  std::optional<Pin> rw;                 // without it R/W is tied low
};

struct KeyboardWiring {
  std::vector<Pin> rows;          // one pin per row, low = selected
  std::vector<Pin> select;        // or a decoder's select inputs, A first
  std::vector<PinLevel> enable;   // and the levels that enable it
  std::vector<Pin> columns;       // read by the program; low = key closed
  bool diodes = true;
  int bounce_ms = 0;
  std::vector<std::vector<std::string>> layout;  // [row][column]; "-" for no key
  std::vector<std::string> latching;             // keys that stay down until pressed again
};

struct RamWiring {
  std::uint32_t size = 256;
  std::uint32_t address = 0;
  std::string file;  // battery-backed: read before and written after the run; "" for none
};

struct BoardFile {
  sim::Variant part = sim::Variant::I8048;
  std::uint64_t clock_hz = 6'000'000;
  std::vector<PinLevel> levels;
  std::vector<Pin> address_pins;  // A8, A9 ... of the MOVX bus
  bool host = false;
  bool expander = false;  // an 8243 on P20-P23: its P4-P7 may be wired
  std::optional<LcdWiring> lcd;
  std::optional<KeyboardWiring> keyboard;
  std::optional<RamWiring> ram;
};

struct ParsedBoard {
  std::optional<BoardFile> board;
  std::string error;  // "Zeile 12: ..." when there is none
};

// `folder` is the board file's: a RAM's file is taken relative to it.
ParsedBoard parse_board_file(std::string_view text, const std::string& folder);

// The board file at `path`, read and parsed; the error names the file:
// "die Platinendatei <Pfad> kann nicht gelesen werden", "<Pfad>, Zeile 3: …".
ParsedBoard read_board_file(const std::string& path);

}  // namespace zorvin::board
