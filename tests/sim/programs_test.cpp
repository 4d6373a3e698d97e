// Board programs through zorvin-sim (programs/): an LED chaser, keys to
// LEDs, a 7-segment counter and a serial monitor, checked by the pin levels
// at given cycles, their cycle counts, the waveforms and the serial text.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "built_program.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
};

class BoardPrograms : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) / ("board_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const char* name : {"chaser.asm", "keys.asm", "counter.asm", "monitor.asm"})
      fs::copy_file(fs::path(ZORVIN_SIM_PROGRAMS) / name, dir_ / name);
  }

  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  Outcome sim(const std::string& arguments) {
    Outcome result;
    const std::string program = zorvin::test::shell_command(zorvin::test::built_program_command(ZORVIN_SIM_EXE));
    const std::string command = "cd '" + dir_.string() + "' && timeout 60 " + program + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  // The monitor built for another crystal: only its XTAL line changes.
  void write_monitor(const std::string& name, const std::string& xtal) {
    std::string text = read("monitor.asm");
    const std::string line = "XTAL    equ 6000000";
    const auto at = text.find(line);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, line.size(), "XTAL    equ " + xtal);
    write(name, text);
  }

  fs::path dir_;
};

struct PinCheck {
  const char* program;
  const char* arguments;  // the run and what must hold at its end
};

// Each row a run to a cycle (the first instruction boundary at or after it)
// and the pins there.
TEST_F(BoardPrograms, PinLevelsAndCycleCounts) {
  // A step of the chaser is 2 (outl) + 2 + 80 * (2 + 2 * 248 + 2) + 1 + 2 =
  // 40007 cycles; the first outl ends at cycle 4, the k-th at 4 + k * 40007.
  // Keys: the program's loop is at most about 20 cycles, the pins are read
  // 500 cycles after each change.
  write("keys.txt",
        "1000 P2.1 0\n"   // key 1 held
        "2000 T0 0\n"     // T0 pressed: P1.7 on
        "3000 T0 1\n"
        "3500 P2.1 1\n"   // key 1 let go
        "4000 T0 0\n"     // pressed again: P1.7 off
        "5000 T0 1\n"
        "6000 P2 F6\n");  // keys 0 and 3 together
  const PinCheck checks[] = {
      {"chaser.asm", "--until step --expect CYCLES=40006 --expect P1=FE"},
      {"chaser.asm", "--cycles 4 --expect P1=FE"},
      {"chaser.asm", "--cycles 40009 --expect CYCLES=40009 --expect P1=FE"},
      {"chaser.asm", "--cycles 40010 --expect CYCLES=40011 --expect P1=FD"},
      {"chaser.asm", "--cycles 200000 --expect P1=EF"},  // after the 4th step (160032)
      {"chaser.asm", "--cycles 300000 --expect P1=7F"},  // after the 7th (280053)
      {"chaser.asm", "--cycles 320060 --expect P1=FE"},  // the 8th at 320060: round again
      {"keys.asm", "--stim keys.txt --cycles 900 --expect P1=FF"},
      {"keys.asm", "--stim keys.txt --cycles 1500 --expect P1=FD"},
      {"keys.asm", "--stim keys.txt --cycles 2500 --expect P1=7D"},
      {"keys.asm", "--stim keys.txt --cycles 3200 --expect P1=7D"},
      {"keys.asm", "--stim keys.txt --cycles 3800 --expect P1=7F"},
      {"keys.asm", "--stim keys.txt --cycles 4500 --expect P1=FF"},
      {"keys.asm", "--stim keys.txt --cycles 5500 --expect P1=FF"},
      {"keys.asm", "--stim keys.txt --cycles 6500 --expect P1=F6"},
  };
  for (const PinCheck& check : checks) {
    const Outcome run = sim(std::string(check.program) + " " + check.arguments);
    EXPECT_EQ(run.status, 0) << check.program << " " << check.arguments << "\n" << run.out;
  }
}

// The segments of each digit, common anode on P1.0 (a) to P1.6 (g): a lit
// segment is a low pin, the decimal point (P1.7) stays dark.
std::string anode_code(const std::string& lit) {
  unsigned code = 0xFF;
  for (const char segment : lit) code &= ~(1u << (segment - 'a'));
  char text[9];  // room for any unsigned, as the compiler cannot see code stays below 100H
  std::snprintf(text, sizeof text, "%02X", code);
  return text;
}

TEST_F(BoardPrograms, CounterShowsEachDigitForFourTimerOverflows) {
  const char* digits[] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};
  // The timer starts at cycle 5 and overflows every 256 * 32 cycles; the
  // middle of the k-th digit's time is about 5 + k * 32768 + 16384.
  for (int k = 0; k <= 10; ++k) {
    const std::string cycles = std::to_string(5 + k * 32768 + 16384);
    const Outcome run = sim("counter.asm --cycles " + cycles + " --expect P1=" + anode_code(digits[k % 10]));
    EXPECT_EQ(run.status, 0) << k << "\n" << run.out;
  }
}

// The P1 or P2 values of a VCD with the machine cycle of each change.
struct Change {
  long long cycle;
  unsigned value;
};
std::vector<Change> changes(const std::string& vcd, const std::string& id, double clock_hz) {
  std::vector<Change> found;
  std::istringstream lines(vcd);
  long long ns = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) ns = std::stoll(line.substr(1));
    if (line.starts_with("b") && line.ends_with(" " + id))
      found.push_back(Change{std::llround(static_cast<double>(ns) * clock_hz / 15e9),
                       static_cast<unsigned>(std::stoul(line.substr(1, 8), nullptr, 2))});
  }
  return found;
}

TEST_F(BoardPrograms, CounterChangesDigitsAfterTheOverflowIsSeen) {
  ASSERT_EQ(sim("counter.asm --cycles 340000 --vcd wave.vcd").status, 0);
  std::vector<Change> p1 = changes(read("wave.vcd"), "!", 6e6);
  ASSERT_GE(p1.size(), 12u);
  EXPECT_EQ(p1[0].cycle, 0);  // the levels at power-on
  EXPECT_EQ(p1[0].value, 0xFFu);
  p1.erase(p1.begin());
  EXPECT_EQ(p1[0].cycle, 12);  // 5 cycles of setup, then mov, add, movp, outl
  EXPECT_EQ(p1[0].value, 0xC0u);
  for (int k = 1; k <= 10; ++k) {
    // The 4th overflow after the last digit at 5 + k * 32768; a jtf sees it
    // within its 4-cycle loop (+2 for the instruction under way), then 15
    // cycles to the end of outl.
    const long long overflow = 5 + k * 32768LL;
    EXPECT_GE(p1[k].cycle, overflow + 15) << k;
    EXPECT_LE(p1[k].cycle, overflow + 21) << k;
  }
}

// --- the monitor ------------------------------------------------------------

constexpr const char* kSerial = "--serial TX=P2.7,RX=T0,BAUD=9600";
constexpr const char* kSession = "--send 'D 20\\r' --send 's 21 5a\\r' --send 'd 1E\\r' --send 'X 1\\r' "
                                 "--send 'D 2G\\r' --send '\\r' --send 'S 22\\r'";

// Every typed character but CR is echoed; an answer starts on a new line
// and is followed by a new prompt.
const std::string kBanner = "\r\n8048-Monitor 1.0\r\n>";
const std::string kAnswers =
    "D 20\r\n20: 00 00 00 00 00 00 00 00\r\n>"
    "s 21 5a\r\n21: 5A\r\n>"
    "d 1E\r\n1E: 00 00 00 5A 00 00 00 00\r\n>"  // 1E-1F are r6-r7 of bank 1, unused
    "X 1\r\n?\r\n>"
    "D 2G\r\n?\r\n>"
    "\r\n>"
    "S 22\r\n?\r\n>";

TEST_F(BoardPrograms, MonitorSessionAtTwoCrystals) {
  write_monitor("monitor11.asm", "11059200");
  const struct {
    const char* program;
    const char* clock;
  } builds[] = {{"monitor.asm", "6000000"}, {"monitor11.asm", "11059200"}};
  for (const auto& build : builds) {
    const Outcome run = sim(std::string(build.program) + " --clock " + build.clock + " " + kSerial + " " + kSession +
                            " --serial-out out.txt --expect-output '21: 5A\\r\\n>' --expect-output '8048-Monitor 1.0'");
    EXPECT_EQ(run.status, 0) << build.program << "\n" << run.out;
    EXPECT_EQ(read("out.txt"), kBanner + kAnswers) << build.program;
  }
}

TEST_F(BoardPrograms, MonitorBuiltForOneCrystalFailsAtTheOther) {
  const Outcome run = sim(std::string("monitor.asm --clock 11059200 ") + kSerial + " --send 'D 20\\r' --serial-out out.txt "
                          "--expect-output '8048-Monitor'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Serielle Leitung: Rahmenfehler"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Ausgabe enthält nicht \"8048-Monitor\""), std::string::npos) << run.out;
}

TEST_F(BoardPrograms, MonitorBitsAreTheCrystalsCyclesPerBit) {
  // The banner's first character, CR = 0DH: start bit, then 1 0 1 1 0 0 0 0
  // (LSB first), stop bit: P2.7 edges at 0, 1, 2, 3, 5 and 9 bit times.
  write_monitor("monitor11.asm", "11059200");
  const struct {
    const char* program;
    double clock;
    long long bit;  // (clock / 15 + 4800) / 9600, the program's rounding
  } builds[] = {{"monitor.asm", 6e6, 42}, {"monitor11.asm", 11059200, 77}};
  for (const auto& build : builds) {
    const std::string clock = std::to_string(static_cast<long long>(build.clock));
    ASSERT_EQ(sim(std::string(build.program) + " --clock " + clock + " --cycles 3000 --vcd wave.vcd").status, 0);
    std::vector<long long> edges;
    unsigned line = 0x80;
    for (const Change& change : changes(read("wave.vcd"), "\"", build.clock)) {
      if (((change.value ^ line) & 0x80) != 0) edges.push_back(change.cycle);
      line = change.value;
    }
    ASSERT_GE(edges.size(), 6u) << build.program;
    const long long at[] = {0, 1, 2, 3, 5, 9};
    for (int i = 1; i < 6; ++i)
      EXPECT_NEAR(edges[i] - edges[0], at[i] * build.bit, 1) << build.program << " edge " << i;
  }
}

}  // namespace
