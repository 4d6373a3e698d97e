// The devices wired to the simulator by a board file: the UPI host flags
// after each access of host and chip, the key matrix through a decoder and
// on an 8243 port, RAM and an LCD on the MOVX bus, and the board's events.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/board_script.h"
#include "sim/program_source.h"
#include "sim/simulator.h"

namespace zorvin::board {
namespace {

BoardFile board_of(const std::string& text, const std::string& folder = "") {
  ParsedBoard parsed = parse_board_file(text, folder);
  EXPECT_TRUE(parsed.board) << parsed.error;
  return parsed.board ? *parsed.board : BoardFile{};
}

sim::Simulator simulator_for(const BoardFile& file, const std::string& source) {
  sim::AssembledProgram program =
      sim::assemble_program(" cpu " + std::string(sim::info(file.part).name) + "\n" + source, {});
  EXPECT_TRUE(program.result.ok()) << source;
  sim::Simulator simulator(file.part);
  simulator.set_clock_hz(file.clock_hz);
  simulator.load_program(program.bytes);
  return simulator;
}

TEST(UpiHost, FlagsAfterEachAccessOfHostAndChip) {
  // Status: bits 7-4 from mov sts,a, F1 = A0 of the last host write, F0,
  // IBF, OBF (Intel's UPI-41 user's manual).
  const BoardFile file = board_of("[Platine]\nProzessor = 8042\n[Host]\n");
  sim::Simulator simulator = simulator_for(file,
                                           " in a,dbb\n"      // IBF 0
                                           " out dbb,a\n"     // OBF 1
                                           " mov a,#0A0h\n"
                                           " mov sts,a\n"     // bits 7-4
                                           " cpl f0\n"        // F0 shows to the host
                                           " out dbb,a\n"
                                           " clr f1\n"
                                           " cpl f1\n");
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error)) << error;
  enum Act { HostData, HostCommand, HostRead, Step };
  struct Case {
    Act act;
    std::uint8_t status;  // after it
    const char* what;
  };
  const std::vector<Case> cases = {
      {HostData, 0x02, "data write: IBF, F1 = 0"},
      {HostCommand, 0x0A, "command write: IBF, F1 = 1"},
      {Step, 0x08, "in a,dbb clears IBF, F1 stays"},
      {Step, 0x09, "out dbb,a sets OBF"},
      {HostRead, 0x08, "host read clears OBF"},
      {Step, 0x08, "mov a,#"},
      {Step, 0xA8, "mov sts,a sets bits 7-4"},
      {Step, 0xAC, "cpl f0"},
      {Step, 0xAD, "out dbb,a"},
      {HostData, 0xA7, "a data write clears F1"},
      {Step, 0xA7, "clr f1 (already 0)"},
      {Step, 0xAF, "cpl f1: the chip sets F1 itself"},
  };
  for (const Case& c : cases) {
    switch (c.act) {
      case HostData: simulator.host_write(0x11, false); break;
      case HostCommand: simulator.host_write(0x22, true); break;
      case HostRead: simulator.host_read(); break;
      case Step: simulator.step(); break;
    }
    EXPECT_EQ(simulator.host_status(), c.status) << c.what;
  }
  EXPECT_EQ(simulator.state().a, 0xA0);
}

TEST(UpiHost, ScriptWaitsForTheFlagsLikeADriver) {
  const BoardFile file = board_of("[Platine]\nProzessor = 8041\n[Host]\n");
  // Echoes each byte plus one, after a delay.
  sim::Simulator simulator = simulator_for(file,
                                           "loop: jnibf loop\n"
                                           " in a,dbb\n"
                                           " inc a\n"
                                           " mov r7,#50\n"
                                           "wait: djnz r7,wait\n"
                                           " out dbb,a\n"
                                           " jmp loop\n");
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  SplitStimulus split = split_board_events(
      "10 HOST-WRITE-DATA 10\n10 HOST-WRITE-DATA 20\n 10 HOST-READ\n10 HOST-READ\n; end\n");
  ASSERT_TRUE(split.ok) << split.error;
  BoardScript script;
  ASSERT_TRUE(script.load(board, simulator, split.events, error)) << error;
  while (simulator.state().cycles < 2000) {
    const std::uint64_t next = script.advance_to(simulator.state().cycles);
    simulator.run({.until_cycle = std::min<std::uint64_t>(next, 2000)});
  }
  EXPECT_EQ(script.host_bytes(), (std::vector<std::uint8_t>{0x11, 0x21}));
  EXPECT_EQ(script.unfinished(), nullptr);
}

TEST(KeyMatrixOnBoard, RowsThroughADecoderAndColumnsOnT0) {
  const BoardFile file = board_of(
      "[Platine]\nProzessor = 8048\n"
      "[Tastatur]\nDecoder = P2.0-P2.1\nFreigabe = P2.7=0\nSpalten = P1.0, T0\n"
      "Reihe0 = a b\nReihe1 = c d\nReihe2 = e f\nReihe3 = g h\n");
  sim::Simulator simulator = simulator_for(file, " mov a,#2\n outl p2,a\n mov a,#82h\n outl p2,a\n");
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  board.set_contact(*board.key_named("F"), true);  // row 2, column 1 (T0)
  board.set_contact(*board.key_named("a"), true);
  simulator.run({.max_steps = 2});  // decoder enabled, row 2 low
  EXPECT_EQ(simulator.driven(sim::Port::T0), 0);
  EXPECT_EQ(simulator.pin_level(sim::Port::P1) & 1, 1);
  simulator.run({.max_steps = 2});  // P2.7 high: the decoder's outputs all high
  EXPECT_EQ(simulator.driven(sim::Port::T0), 1);
  board.set_contact(*board.key_named("f"), false);
  EXPECT_FALSE(board.contact(*board.key_named("f")));
}

TEST(KeyMatrixOnBoard, RowsOnAn8243Port) {
  const BoardFile file = board_of(
      "[Platine]\nProzessor = 8048\n"
      "[8243]\n[Tastatur]\nZeilen = P4\nSpalten = P1.4-P1.5\nReihe0 = a b\nReihe1 = c d\nReihe2 = e f\nReihe3 = g h\n");
  sim::Simulator simulator = simulator_for(file, " mov a,#0Bh\n movd p4,a\n in a,p1\n");
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  board.set_contact(*board.key_named("h"), true);
  board.set_contact(*board.key_named("e"), true);
  simulator.run({.max_steps = 3});  // row 2 low: e closes column 0
  EXPECT_EQ(simulator.state().a & 0x30, 0x20);
}

TEST(MovxBus, RamWithAddressBitsKeptInItsFile) {
  const auto folder = std::filesystem::path(ZORVIN_TEST_TMP) / "movx_ram";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string text = "[Platine]\nAdressbits = P2.0-P2.1\n[RAM]\nGroesse = 1K\nDatei = akku.bin\n";
  const std::string source =
      " mov r0,#10h\n movx a,@r0\n inc a\n movx @r0,a\n"   // page 3 (P2 = FFH after reset)
      " mov a,#0FCh\n outl p2,a\n mov a,#55h\n movx @r0,a\n";  // page 0
  for (int run = 1; run <= 2; ++run) {
    const BoardFile file = board_of(text, folder.string());
    sim::Simulator simulator = simulator_for(file, source);
    Board board(file);
    std::string error;
    ASSERT_TRUE(board.attach(simulator, error)) << error;
    simulator.run({.max_steps = 8});
    EXPECT_EQ(board.ram()[0x310], run);  // battery-backed: counts the runs
    EXPECT_EQ(board.ram()[0x010], 0x55);
    EXPECT_EQ(simulator.state().xram[0x10], 0x55);  // the state shows bus addresses 00H-FFH
    ASSERT_TRUE(board.save_ram(error)) << error;
  }
  EXPECT_EQ(std::filesystem::file_size(folder / "akku.bin"), 1024u);
  // A file of another size is refused, not cut or padded.
  std::ofstream(folder / "akku.bin", std::ios::binary | std::ios::trunc) << "short";
  const BoardFile file = board_of(text, folder.string());
  sim::Simulator simulator(file.part);
  Board board(file);
  std::string error;
  EXPECT_FALSE(board.attach(simulator, error));
  EXPECT_NE(error.find("hat 5 Byte, das RAM 1024 Byte"), std::string::npos) << error;
}

TEST(MovxBus, LcdAtAnAddressAndNothingElsewhere) {
  const BoardFile file = board_of("[Platine]\nQuarz = 6 MHz\n[LCD]\nFormat = 8x1\nAdresse = 80\n");
  sim::Simulator simulator = simulator_for(file,
                                           " mov r0,#80h\n mov r1,#81h\n"
                                           " mov a,#30h\n movx @r0,a\n"  // function set, 8 bits, 1 line
                                           "w1: movx a,@r0\n jb7 w1\n mov a,#0Ch\n movx @r0,a\n"
                                           "w2: movx a,@r0\n jb7 w2\n mov a,#'Z'\n movx @r1,a\n"
                                           "w3: movx a,@r0\n jb7 w3\n"
                                           " mov r0,#20h\n movx a,@r0\n"
                                           "done: jmp done\n");
  // The program starts after the display's 15 ms.
  simulator.state().cycles = 6000;
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  simulator.run({.until_cycle = 8000});
  EXPECT_EQ(board.lcd()->lines(), std::vector<std::string>{"Z       "});
  EXPECT_TRUE(board.lcd()->faults().empty());
  EXPECT_EQ(simulator.state().a, 0xFF);  // nothing at 20H
}

TEST(LcdOnPins, EightBitsWrittenAsEFallsAndReadWhileEIsHigh) {
  const BoardFile file = board_of(
      "[Platine]\nQuarz = 6 MHz\n[LCD]\nFormat = 8x1\nDaten = P1\nRS = P2.0\nRW = P2.1\nE = P2.2\n");
  sim::Simulator simulator = simulator_for(file,
                                           " mov a,#30h\n outl p1,a\n anl p2,#0F8h\n"  // E falls from reset: no write
                                           " orl p2,#04h\n anl p2,#0FBh\n"              // function set
                                           " mov a,#0FFh\n outl p1,a\n orl p2,#02h\n"  // R/W high, lines released
                                           " orl p2,#04h\n in a,p1\n mov r2,a\n"       // busy flag and address
                                           " anl p2,#0FBh\n in a,p1\n mov r3,a\n"      // released again
                                           "done: jmp done\n");
  simulator.state().cycles = 6000;  // after the display's 15 ms
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  simulator.run({.max_steps = 15});
  EXPECT_EQ(simulator.reg(2), 0x80);  // busy with the function set, address 0
  EXPECT_EQ(simulator.reg(3), 0xFF);
  EXPECT_FALSE(board.lcd()->four_bit());
  EXPECT_TRUE(board.lcd()->faults().empty());
}

TEST(BoardEvents, LatchingKeysAndBounce) {
  const BoardFile file = board_of(
      "[Platine]\nQuarz = 6 MHz\n[Tastatur]\nZeilen = P1.0\nSpalten = P1.1-P1.2\nPrellen = 1\nRastend = lock\n"
      "Reihe0 = lock x\n");
  sim::Simulator simulator(file.part);
  Board board(file);
  std::string error;
  ASSERT_TRUE(board.attach(simulator, error));
  SplitStimulus split = split_board_events(
      "100 KEY lock DOWN\n200 KEY LOCK UP\n1000 key x down\n2000 KEY lock DOWN\n2000 KEY lock UP\n");
  ASSERT_TRUE(split.ok) << split.error;
  BoardScript script;
  ASSERT_TRUE(script.load(board, simulator, split.events, error)) << error;
  const KeyPosition lock = *board.key_named("lock");
  const KeyPosition x = *board.key_named("x");
  struct Case {
    std::uint64_t cycle;
    bool lock_closed, x_closed;
  };
  // 1 ms of bounce at 6 MHz: 400 cycles, a change every 100; a latching
  // key toggles once with each press and ignores its release.
  const std::vector<Case> cases = {{150, true, false},  {250, true, false},  {1000, true, true},
                                   {1100, true, false}, {1250, true, true},  {1350, true, false},
                                   {1400, true, true},  {2500, false, true}};
  for (const Case& c : cases) {
    script.advance_to(c.cycle);
    EXPECT_EQ(board.contact(lock), c.lock_closed) << c.cycle;
    EXPECT_EQ(board.contact(x), c.x_closed) << c.cycle;
  }
}

TEST(BoardEvents, RefusedLines) {
  struct Case {
    const char* text;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"10 KEY a\n", "Zeile 1: erwartet wird ZYKLUS KEY NAME DOWN|UP"},
      {"\n10 HOST-WRITE-DATA 100\n", "Zeile 2: erwartet wird ZYKLUS HOST-WRITE-DATA BYTE (hexadezimal)"},
      {"10 HOST-READ 1\n", "Zeile 1: erwartet wird ZYKLUS HOST-READ"},
      {"10 HOST-RESET\n", "Zeile 1: unbekanntes Host-Ereignis 'HOST-RESET' (HOST-WRITE-DATA, HOST-WRITE-CMD, "
                          "HOST-READ, HOST-STATUS)"},
      {"x KEY a DOWN\n", "Zeile 1: Zyklus 'x' ist keine Dezimalzahl"},
  };
  for (const Case& c : cases) {
    const SplitStimulus split = split_board_events(c.text);
    EXPECT_FALSE(split.ok) << c.text;
    EXPECT_EQ(split.error, c.error) << c.text;
  }
  // Pin lines stay where they were, for their line numbers.
  const SplitStimulus split = split_board_events("5 P1.0 0\n6 KEY a DOWN\n7 T0 1\n");
  ASSERT_TRUE(split.ok);
  EXPECT_EQ(split.pins, "5 P1.0 0\n\n7 T0 1\n");
}

}  // namespace
}  // namespace zorvin::board
