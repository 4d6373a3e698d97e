// zorvin-sim --board as a user runs it: the examples end to end, the
// board's checks and messages.
#include "sim_cli.h"

namespace zorvin::sim::test {
namespace {

class BoardCli : public SimCliTest {
 protected:
  static std::string example(const std::string& name) { return std::string(ZORVIN_EXAMPLES) + "/" + name; }
};

TEST_F(BoardCli, LcdGreetingExample) {
  const Outcome run = sim("'" + example("lcd-gruss/gruss.asm") + "' --board '" + example("lcd-gruss/gruss.ini") +
                          "' --until done --lcd --expect-lcd 'Hallo, Welt!' --expect-lcd zorvin");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("LCD:\n+----------------+\n|Hallo, Welt!    |\n|zorvin          |\n+----------------+\n"),
            std::string::npos)
      << run.out;
}

TEST_F(BoardCli, LcdClockExample) {
  // 245760 cycles a second at 3.6864 MHz; the clock starts at about 4000.
  struct Case {
    const char* cycles;
    const char* shown;
  };
  for (const Case& c : {Case{"200000", "|    12:00:00    |"}, Case{"300000", "|    12:00:01    |"},
                        Case{"15100000", "|    12:01:01    |"}}) {
    const Outcome run = sim("'" + example("lcd-uhr/uhr.asm") + "' --board '" + example("lcd-uhr/uhr.ini") +
                            "' --cycles " + c.cycles + " --lcd");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << c.cycles << "\n" << run.out;
  }
}

TEST_F(BoardCli, KeyboardControllerExample) {
  const Outcome run = sim("'" + example("tastatur/tastatur.asm") + "' --board '" + example("tastatur/tastatur.ini") +
                          "' --stim '" + example("tastatur/tasten.stim") + "' --cycles 70000 --expect-host '55 34 41 23'");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Host-Status bei Zyklus 10001: 10H\nHost las: 55 34 41 23\n"), std::string::npos) << run.out;
}

TEST_F(BoardCli, ExpanderRunningLightExample) {
  // About 20200 cycles a step at 6 MHz: the light walks P4.0 ... P7.3 and
  // starts again at P4.0 after sixteen steps.
  struct Case {
    const char* cycles;
    const char* p4;
    const char* p5;
    const char* p6;
    const char* p7;
  };
  for (const Case& c : {Case{"5000", "1", "0", "0", "0"}, Case{"25000", "2", "0", "0", "0"},
                        Case{"111500", "0", "2", "0", "0"}, Case{"220000", "0", "0", "4", "0"},
                        Case{"310000", "0", "0", "0", "8"}, Case{"340000", "1", "0", "0", "0"}}) {
    const Outcome run = sim("'" + example("lauflicht-8243/lauflicht.asm") + "' --board '" +
                            example("lauflicht-8243/lauflicht.ini") + "' --cycles " + c.cycles + " --expect P4=" + c.p4 +
                            " --expect P5=" + c.p5 + " --expect P6=" + c.p6 + " --expect P7=" + c.p7);
    EXPECT_EQ(run.status, 0) << c.cycles << "\n" << run.out << run.err;
  }
}

TEST_F(BoardCli, ExpanderPortsAreCheckedAsFourBits) {
  write("leds.asm", " cpu 8048\n mov a,#0Ah\n movd p6,a\ndone: jmp done\n");
  const Outcome held = sim("leds.asm --until done --expect P6=A --expect P4=F");
  EXPECT_EQ(held.status, 0) << held.out << held.err;
  const Outcome wrong = sim("leds.asm --until done --expect P6=5");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.out.find("Erwartung P6=05 nicht erfüllt, gefunden: P6=0A"), std::string::npos) << wrong.out;
  const Outcome too_wide = sim("leds.asm --until done --expect P6=1F");
  EXPECT_EQ(too_wide.status, 2);
  EXPECT_NE(too_wide.err.find("--expect 'P6=1F': Wert ist keine passende Hexadezimalzahl"), std::string::npos)
      << too_wide.err;
}

TEST_F(BoardCli, WrongHostBytesFailTheRun) {
  const Outcome run = sim("'" + example("tastatur/tastatur.asm") + "' --board '" + example("tastatur/tastatur.ini") +
                          "' --stim '" + example("tastatur/tasten.stim") + "' --cycles 70000 --expect-host '55 35'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Erwartung --expect-host \"55 35\" nicht erfüllt, gelesen: 55 34 41 23"), std::string::npos)
      << run.out;
}

TEST_F(BoardCli, AReadThatNeverGetsAByteIsReported) {
  write("echo.asm", " cpu 8041\nloop: jmp loop\n");
  write("board.ini", "[Platine]\nProzessor = 8041\n[Host]\n");
  write("host.stim", "; nothing answers\n100 HOST-WRITE-DATA 41\n200 HOST-READ\n");
  const Outcome run = sim("echo.asm --board board.ini --stim host.stim --cycles 5000");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("host.stim, Zeile 3: HOST-READ geschah nicht: bis zum Ende des Laufs kam kein Byte (OBF blieb 0)"),
            std::string::npos)
      << run.out;
}

TEST_F(BoardCli, ACommandTooEarlyIsLostAndFailsTheRun) {
  // No wait after power-on: the display takes nothing for 15 ms.
  write("fast.asm",
        " mov r0,#80h\n mov a,#38h\n movx @r0,a\n mov a,#0Ch\n movx @r0,a\ndone: jmp done\n");
  write("board.ini", "[Platine]\nQuarz = 6 MHz\n[LCD]\nAdresse = 80\n");
  const Outcome run = sim("fast.asm --board board.ini --until done --lcd --expect-lcd x");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("LCD bei Zyklus 5: Befehl 38H 14988 µs zu früh gesendet (die Anzeige ist noch "
                         "beschäftigt): verloren\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("LCD zeigt nicht \"x\""), std::string::npos) << run.out;
}

TEST_F(BoardCli, WrongCallsAndBoardFiles) {
  write("p.asm", "done: jmp done\n");
  write("twice.ini", "[Platine]\nT0 = 1\n[Tastatur]\nZeilen = P1.0\nSpalten = T0\nReihe0 = a\n");
  write("unknown.ini", "[Platine]\n[Motor]\n");
  write("ok.ini", "[Platine]\nProzessor = 8048\nQuarz = 4 MHz\n[Tastatur]\nZeilen = P1.0\nSpalten = P1.1\nReihe0 = a\n");
  write("keys.stim", "10 KEY b DOWN\n");
  write("host.stim", "10 HOST-READ\n");
  struct Case {
    const char* arguments;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"p.asm --board twice.ini", "zorvin-sim: twice.ini, Zeile 5: der Pin T0 ist schon in Zeile 2 belegt\n"},
      {"p.asm --board unknown.ini", "zorvin-sim: unknown.ini, Zeile 2: unbekanntes Gerät [motor]; bekannt sind "
                                    "[Platine], [Host], [8243], [LCD], [Tastatur] und [RAM]\n"},
      {"p.asm --board missing.ini", "zorvin-sim: die Platinendatei missing.ini kann nicht gelesen werden\n"},
      {"p.asm --board ok.ini --cpu 8049", "zorvin-sim: --cpu 8049 widerspricht der Platine (8048)\n"},
      {"p.asm --board ok.ini --clock 6000000",
       "zorvin-sim: --clock 6000000 widerspricht dem Quarz der Platine (4000000 Hz)\n"},
      {"p.asm --board ok.ini --stim keys.stim", "zorvin-sim: keys.stim, Zeile 1: die Tastatur hat keine Taste 'b'\n"},
      {"p.asm --board ok.ini --stim host.stim", "zorvin-sim: host.stim, Zeile 1: die Platine hat keinen [Host]\n"},
      {"p.asm --stim keys.stim", "zorvin-sim: keys.stim, Zeile 1: Tasten und Host-Ereignisse brauchen --board\n"},
      {"p.asm --lcd", "zorvin-sim: --expect-host, --lcd und --expect-lcd brauchen --board\n"},
  };
  for (const Case& c : cases) {
    const Outcome run = sim(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.message) << c.arguments;
  }
}

}  // namespace
}  // namespace zorvin::sim::test
