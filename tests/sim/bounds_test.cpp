// Every zorvin-sim run is bounded and says which bound ended what: the
// run without a limit (100 million cycles), --steps and --cycles (at most
// 10 billion), the trace and the VCD file of a run without a limit, and
// the --send texts the run had no time or no quiet line to type. Exit 0
// only when everything asked for happened.
#include "sim_cli.h"

namespace zorvin::sim::test {
namespace {

constexpr const char* kToggle = "loop:   cpl a\n        outl p1,a\n        jmp loop\n";
constexpr const char* kSerial = "--serial TX=P2.7,RX=T0,BAUD=9600";

class Bounds : public SimCliTest {
 protected:
  void SetUp() override {
    SimCliTest::SetUp();
    std::ifstream in(ZORVIN_SIM_PROGRAMS "/echo.asm");
    std::ostringstream text;
    text << in.rdbuf();
    write("echo.asm", text.str());
    write("toggle.asm", kToggle);
  }
};

TEST_F(Bounds, StepsAndCyclesTakeAtMostTenBillion) {
  const struct {
    const char* arguments;
    int status;
    const char* error;
  } cases[] = {
      {"--steps 10000000001", 2, "zorvin-sim: --steps 10000000001 ist zu groß: höchstens 10000000000\n"},
      {"--cycles 18446744073709551615", 2, "zorvin-sim: --cycles 18446744073709551615 ist zu groß: höchstens 10000000000\n"},
      {"--cycles 99999999999999999999", 2, "zorvin-sim: --cycles 99999999999999999999 ist zu groß: höchstens 10000000000\n"},
      {"--steps 1e9", 2, "zorvin-sim: --steps erwartet eine Dezimalzahl, nicht '1e9'\n"},
      // The bound itself is taken; --until ends the run long before it.
      {"--steps 10000000000 --cycles 10000000000 --until 2 --expect CYCLES=3", 0, ""},
  };
  for (const auto& c : cases) {
    const Outcome run = sim(std::string("toggle.asm ") + c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_TRUE(run.err.starts_with(c.error)) << c.arguments << "\n" << run.err;
  }
}

TEST_F(Bounds, ARunWithoutLimitSaysTheBoundEndedIt) {
  const Outcome open = sim("toggle.asm --expect A=00");
  EXPECT_EQ(open.status, 0) << open.out;
  EXPECT_NE(open.out.find("CYCLES=100000000 "), std::string::npos) << open.out;
  EXPECT_NE(open.out.find("Lauf nach 100000000 Zyklen beendet (ohne --steps oder --cycles)"), std::string::npos)
      << open.out;
  // Ended by the user's limit, or by the program: no note.
  for (const char* arguments : {"toggle.asm --cycles 1000", "toggle.asm --until 2"}) {
    const Outcome run = sim(arguments);
    EXPECT_EQ(run.status, 0) << arguments;
    EXPECT_EQ(run.out.find("Lauf nach"), std::string::npos) << arguments << "\n" << run.out;
  }
  // The bound before --until: the note and the failure.
  write("far.asm", "loop: jmp loop\nfar: nop\n");
  const Outcome far = sim("far.asm --until far");
  EXPECT_EQ(far.status, 1);
  EXPECT_NE(far.out.find("Lauf nach 100000000 Zyklen beendet"), std::string::npos) << far.out;
  EXPECT_NE(far.out.find("--until far (002H) wurde nicht erreicht"), std::string::npos) << far.out;
}

TEST_F(Bounds, AnOpenEndedVcdKeepsTheFirstMillionChanges) {
  // The toggling program changes P1 every 5 cycles: 20 million changes.
  const Outcome run = sim("toggle.asm --vcd wave.vcd");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("VCD nach 1000000 Pegelwechseln gekürzt (ohne --steps oder --cycles)"), std::string::npos)
      << run.out;
  const std::string vcd = read("wave.vcd");
  EXPECT_TRUE(vcd.ends_with("\n$comment VCD nach 1000000 Pegelwechseln gekürzt (ohne --steps oder --cycles) $end\n"))
      << vcd.substr(vcd.size() - 200);
  EXPECT_LT(vcd.size(), 40'000'000u);
  // With a limit of the user's, the whole run.
  const Outcome limited = sim("toggle.asm --cycles 10000 --vcd wave.vcd");
  EXPECT_EQ(limited.status, 0);
  EXPECT_EQ(limited.out.find("gekürzt"), std::string::npos) << limited.out;
  EXPECT_EQ(read("wave.vcd").find("$comment"), std::string::npos);
}

TEST_F(Bounds, AnOpenEndedTraceSaysItWasCutOnTheStatusLinesToo) {
  const Outcome run = sim("toggle.asm --trace trace.txt");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\nTrace nach 100000 Schritten gekürzt (ohne --steps oder --cycles)\n"), std::string::npos)
      << run.out;
  const Outcome limited = sim("toggle.asm --steps 100001 --trace trace.txt");
  EXPECT_EQ(limited.status, 0);
  EXPECT_EQ(limited.out.find("gekürzt"), std::string::npos) << limited.out;
}

TEST_F(Bounds, SendTextsThatWereNotTypedFailTheRun) {
  // The echo's prompt ends at about 430 cycles; after 100 bit times of
  // quiet (4167 cycles) "Hallo" is typed, five characters 30 bit times apart.
  write("noisy.asm", "loop: anl p2,#7Fh\n orl p2,#80h\n jmp loop\n");
  const struct {
    const char* arguments;
    const char* said;
  } cases[] = {
      {"noisy.asm --send 'Hallo'",
       "--send \"Hallo\" wurde nicht getippt: die Leitung war bis zum Ende des Laufs nicht 100 Bitzeiten ruhig\n"},
      {"echo.asm --send 'Hallo' --send 'zwei' --cycles 3000",
       "--send \"Hallo\" wurde nicht getippt: die Leitung war bis zum Ende des Laufs nicht 100 Bitzeiten ruhig\n"
       "--send \"zwei\" wurde nicht getippt: der Lauf endete vorher\n"},
      {"echo.asm --send 'Hallo' --send 'zwei' --cycles 6000",
       "--send \"Hallo\" wurde nur zum Teil getippt: der Lauf endete vorher\n"
       "--send \"zwei\" wurde nicht getippt: der Lauf endete vorher\n"},
      {"echo.asm --send 'Hallo\\r' --send 'zwei' --cycles 14000",
       "--send \"zwei\" wurde nicht getippt: die Leitung war bis zum Ende des Laufs nicht 100 Bitzeiten ruhig\n"},
  };
  for (const auto& c : cases) {
    // An expected output that did come does not make up for it.
    const Outcome run = sim(std::string(c.arguments) + " " + kSerial + " --serial-out out.txt --expect-output '>'");
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_NE(run.out.find(c.said), std::string::npos) << c.arguments << "\n" << run.out;
  }
  const Outcome typed = sim(std::string("echo.asm --send 'Hallo' --cycles 20000 ") + kSerial + " --serial-out out.txt");
  EXPECT_EQ(typed.status, 0) << typed.out;
  EXPECT_EQ(read("out.txt"), ">Hallo");
}

TEST_F(Bounds, UntilIsCaughtWhereTheTerminalsSliceEnds) {
  // With a terminal the run goes in slices of 10 bit times, 416 cycles at
  // 9600 bit/s: the nop at 1A0H is where the first slice ends.
  std::string source;
  for (int i = 0; i < 500; ++i) source += " nop\n";
  write("nops.asm", source + "done: jmp done\n");
  const Outcome run = sim(std::string("nops.asm --until 1A0 --expect CYCLES=416 ") + kSerial);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
}

}  // namespace
}  // namespace zorvin::sim::test
