// The board file: what it reads, and a clear German error with its line
// for everything it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_file.h"
#include "board/board_file_edit.h"

namespace zorvin::board {
namespace {

constexpr const char* kFull =
    "\xEF\xBB\xBF; a whole board\n"
    "[Platine]\n"
    "Prozessor = 8049\n"
    "Quarz = 11 MHz\n"
    "T0 = 0\n"
    "INT = 1\n"
    "Adressbits = P2.0-P2.2\n"
    "[LCD]\n"
    "Format = 20x4\n"
    "Daten = P1.4-P1.7\n"
    "RS = P2.4\n"
    "E = P2.5\n"
    "[tastatur]\n"
    "Decoder = P2.6, P2.7\n"
    "Freigabe = P1.3=0\n"
    "Spalten = P1.0-P1.2, T1\n"
    "Dioden = nein\n"
    "Prellen = 3\n"
    "Rastend = shift\n"
    "Reihe0 = 1 2 3 SHIFT\n"
    "Reihe3 = - 0 - ENTER\n"
    "[RAM]\n"
    "Groesse = 2K\n"
    "Datei = akku.bin\n";

TEST(BoardFile, ReadsEveryDevice) {
  const ParsedBoard parsed = parse_board_file(kFull, "/boards");
  ASSERT_TRUE(parsed.board) << parsed.error;
  const BoardFile& board = *parsed.board;
  EXPECT_EQ(board.part, sim::Variant::I8049);
  EXPECT_EQ(board.clock_hz, 11'000'000u);
  ASSERT_EQ(board.levels.size(), 2u);
  EXPECT_EQ(pin_name(board.levels[0].pin), "T0");
  EXPECT_FALSE(board.levels[0].high);
  EXPECT_EQ(board.address_pins.size(), 3u);
  ASSERT_TRUE(board.lcd);
  EXPECT_EQ(board.lcd->columns, 20);
  EXPECT_EQ(board.lcd->rows, 4);
  EXPECT_EQ(board.lcd->data.size(), 4u);
  EXPECT_FALSE(board.lcd->rw);
  ASSERT_TRUE(board.keyboard);
  EXPECT_EQ(board.keyboard->layout.size(), 4u);  // a decoder with two inputs selects four rows
  EXPECT_EQ(board.keyboard->layout[3][3], "ENTER");
  EXPECT_EQ(board.keyboard->layout[1][0], "-");
  EXPECT_EQ(pin_name(board.keyboard->columns[3]), "T1");
  EXPECT_FALSE(board.keyboard->diodes);
  EXPECT_EQ(board.keyboard->bounce_ms, 3);
  ASSERT_TRUE(board.ram);
  EXPECT_EQ(board.ram->size, 2048u);
  EXPECT_EQ(board.ram->file, "/boards/akku.bin");
}

TEST(BoardFile, ClearErrorsWithTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"[Platine]\nP1.0 = 1\n[LCD]\nDaten = P1.0-P1.3\nRS = P2.0\nE = P2.1\n",
       "Zeile 4: der Pin P1.0 ist schon in Zeile 2 belegt"},
      {"[Platine]\n[LCD]\nDaten = P1\nRS = P1.3\nE = P2.1\n", "Zeile 4: der Pin P1.3 ist schon in Zeile 3 belegt"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = T0, T0\nReihe0 = a b\n",
       "Zeile 4: der Pin T0 ist schon in Zeile 4 belegt"},
      {"[Platine]\n\n[Drucker]\n", "Zeile 3: unbekanntes Gerät [drucker]; bekannt sind [Platine], [Host], [8243], "
                                   "[LCD], [Tastatur] und [RAM]"},
      {"[Platine]\n[LCD]\nAdresse = 80\n[LCD]\nAdresse = 90\n", "Zeile 4: das Gerät [lcd] ist schon beschrieben"},
      {"[Platine]\nProzessor = 8048\n[Host]\n", "Zeile 3: [Host] braucht einen UPI-Prozessor (8041, 8042, 8741, 8742)"},
      {"[Platine]\nProzessor = 8042\n[RAM]\n", "Zeile 3: der 8042 hat keinen MOVX-Bus"},
      {"[Platine]\nProzessor = 8052\n", "Zeile 2: unbekannter Prozessor '8052'"},
      {"[Platine]\nQuarz = schnell\n", "Zeile 2: Quarz erwartet eine Frequenz von 1 kHz bis 100 MHz, nicht 'schnell'"},
      {"[Platine]\nQuarz = .\n", "Zeile 2: Quarz erwartet eine Frequenz von 1 kHz bis 100 MHz, nicht '.'"},
      {"[Platine]\n[RAM]\nGroesse = 18014398509481985K\n",
       "Zeile 3: Groesse erwartet Bytes von 1 bis 65536, nicht '18014398509481985K'"},
      {"[Platine]\nT0 = 2\n", "Zeile 2: der Pegel von t0 ist 0 oder 1, nicht '2'"},
      {"[Platine]\nFarbe = rot\n", "Zeile 2: unbekannter Eintrag 'farbe' in [platine]"},
      {"Quarz = 6 MHz\n", "Zeile 1: der Eintrag steht vor der ersten Gruppe ([Platine])"},
      {"[Platine]\n[LCD]\nDaten = P1.0-P1.2\n", "Zeile 3: Daten sind 4 oder 8 Pins (DB4-DB7 oder DB0-DB7)"},
      {"[Platine]\n[LCD]\nDaten = P1.0-P1.3\nRS = P2.0\n", "Zeile 2: [LCD] braucht Daten, RS und E (oder eine Adresse am MOVX-Bus)"},
      {"[Platine]\n[LCD]\nFormat = 16x3\n", "Zeile 3: Format erwartet SPALTENxZEILEN wie 16x2 oder 20x4, nicht '16x3'"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = P1.2-P1.3\nReihe0 = a b c\n",
       "Zeile 5: Reihe0 nennt 3 Tasten, die Tastatur hat 2 Spalten"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = P1.2-P1.3\nReihe2 = a b\n",
       "Zeile 5: Reihe2: die Tastatur hat nur 2 Zeilen"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = P1.2-P1.3\nReihe0 = a b\nReihe1 = A c\n",
       "Zeile 6: die Taste A ist doppelt"},
      {"[Platine]\n[Tastatur]\nSpalten = P1.2-P1.3\nReihe0 = a b\n",
       "Zeile 2: [Tastatur] braucht entweder Zeilen (Pins) oder einen Decoder"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0\nSpalten = P1.2\nReihe0 = a\nRastend = b\n",
       "Zeile 2: die rastende Taste b steht in keiner Reihe"},
      {"[Platine]\n[Tastatur]\nZeilen = P1.0\nSpalten = P1.9\n",
       "Zeile 4: spalten: 'P1.9' ist kein Pin und keine Pinfolge"},
      {"[Platine]\n[RAM]\nGroesse = 512\n", "Zeile 2: [RAM] reicht über den MOVX-Bus hinaus (256 Byte; mehr mit "
                                            "Adressbits in [Platine])"},
      {"[Platine]\nAdressbits = P2.0\n[RAM]\nGroesse = 256\n[LCD]\nAdresse = FE\n",
       "Zeile 3: [RAM] und [LCD] überlappen am MOVX-Bus"},
      {"[Platine]\nQuarz = 6 MHz\nquarz = 4 MHz\n", "Zeile 3: quarz steht schon in Zeile 2"},
      {"[Platine]\n[Tastatur]\nZeilen = P4.0-P4.1\nSpalten = P1.0\nReihe0 = a\n",
       "Zeile 3: der Pin P4.0 gehört einem 8243: es fehlt [8243]"},
      {"[Platine]\n[LCD]\nDaten = P1.4-P1.7\nRS = P2.0\nE = P2.4\n[8243]\n",
       "Zeile 6: der Pin P2.0 ist schon in Zeile 4 belegt"},
  };
  for (const Case& c : cases) {
    const ParsedBoard parsed = parse_board_file(c.text, "");
    EXPECT_FALSE(parsed.board) << c.text;
    EXPECT_EQ(parsed.error, c.error) << c.text;
  }
}

TEST(BoardFile, AnyTextGivesABoardOrAnErrorWithItsLine) {
  // Every cut and every changed byte of a full file: never both, never neither.
  const std::string full = kFull;
  const std::string bytes = "=[];,.-x0\n\xFF ";
  std::vector<std::string> texts;
  for (std::size_t cut = 0; cut <= full.size(); ++cut) texts.push_back(full.substr(0, cut));
  for (std::size_t at = 0; at < full.size(); ++at)
    for (const char byte : bytes) {
      std::string changed = full;
      changed[at] = byte;
      texts.push_back(changed);
    }
  for (const std::string& text : texts) {
    const ParsedBoard parsed = parse_board_file(text, "");
    EXPECT_NE(static_cast<bool>(parsed.board), !parsed.error.empty()) << text;
    if (!parsed.board) {
      EXPECT_TRUE(parsed.error.starts_with("Zeile ")) << parsed.error;
    }
  }
}

TEST(BoardFile, Crystals) {
  struct Case {
    const char* text;
    std::uint64_t hz;
  };
  for (const Case& c : {Case{"6000000", 6'000'000}, Case{"11.0592 MHz", 11'059'200}, Case{"3,6864MHz", 3'686'400},
                        Case{"400 kHz", 400'000}, Case{"12000000 Hz", 12'000'000}}) {
    const ParsedBoard parsed = parse_board_file(std::string("[Platine]\nQuarz = ") + c.text + "\n", "");
    ASSERT_TRUE(parsed.board) << c.text << parsed.error;
    EXPECT_EQ(parsed.board->clock_hz, c.hz) << c.text;
  }
}

TEST(BoardFile, PinLists) {
  struct Case {
    const char* text;
    std::vector<std::string> pins;
  };
  const std::vector<Case> cases = {
      {"P1", {"P1.0", "P1.1", "P1.2", "P1.3", "P1.4", "P1.5", "P1.6", "P1.7"}},
      {"p4", {"P4.0", "P4.1", "P4.2", "P4.3"}},
      {"P2.6-P2.7, T0 INT", {"P2.6", "P2.7", "T0", "INT"}},
      {"P1.3-P1.1", {}},
      {"P1.0-P2.1", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto pins = parse_pins(c.text, error);
    std::vector<std::string> names;
    if (pins)
      for (const Pin& pin : *pins) names.push_back(pin_name(pin));
    EXPECT_EQ(names, c.pins) << c.text;
    EXPECT_EQ(error.empty(), static_cast<bool>(pins)) << c.text;
  }
}

// A value changed as in an editor: in place with its comment, after the
// group's last entry, or in a new group; line ends and BOM kept.
TEST(BoardFileEdit, ChangesOnlyTheValue) {
  struct Case {
    const char* text;
    const char* group;
    const char* key;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {"[Platine]\nProzessor = 8048\nP4.0 = 1   ; Schalter\n", "Platine", "P4.0", "0",
       "[Platine]\nProzessor = 8048\nP4.0 = 0   ; Schalter\n"},
      {"[platine]\np4.0=1\n", "Platine", "P4.0", "0", "[platine]\np4.0=0\n"},
      {"; oben\n[Platine]\nProzessor = 8048\n\n; zum 8243\n[8243]\n", "Platine", "P5.3", "0",
       "; oben\n[Platine]\nProzessor = 8048\nP5.3 = 0\n\n; zum 8243\n[8243]\n"},
      {"[8243]\n[Platine]\n", "Platine", "P4.1", "0", "[8243]\n[Platine]\nP4.1 = 0\n"},
      {"[Platine]\r\nQuarz = 6 MHz\r\n", "Platine", "P4.0", "0", "[Platine]\r\nQuarz = 6 MHz\r\nP4.0 = 0\r\n"},
      {"\xEF\xBB\xBF[Platine]\nP4.0 = 0\n", "Platine", "P4.0", "1", "\xEF\xBB\xBF[Platine]\nP4.0 = 1\n"},
      {"[Platine]\nProzessor = 8048", "Platine", "P4.0", "0", "[Platine]\nProzessor = 8048\nP4.0 = 0\n"},
      {"[Host]\n", "Platine", "T0", "0", "[Host]\n\n[Platine]\nT0 = 0\n"},
      {"", "Platine", "T0", "0", "[Platine]\nT0 = 0\n"},
      // A key of another group or in a comment is not the one changed.
      {"[Platine]\n; P4.0 = 1\n[LCD]\nP4.0 = 1\n", "Platine", "P4.0", "0",
       "[Platine]\nP4.0 = 0\n; P4.0 = 1\n[LCD]\nP4.0 = 1\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(set_board_value(c.text, c.group, c.key, c.value), c.expected) << c.text;
}

}  // namespace
}  // namespace zorvin::board
