// The serial line: the decoder samples in the middle of each bit and says
// when a character's bits are too long or too short or its stop bit is
// missing; the echo program (programs/echo.asm, bit-banged 9600 bit/s on
// P2.7 and T0) through zorvin-sim at two crystals and at the edges of the
// tolerance.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "built_program.h"
#include "sim/serial_line.h"

namespace zorvin::sim {
namespace {

TEST(SerialConfig, ReadsTheOption) {
  const auto parsed = parse_serial_config("tx=p1.0,RX=int,BAUD=1200,invert");
  ASSERT_TRUE(parsed.config.has_value()) << parsed.error;
  EXPECT_EQ(parsed.config->tx.port, Port::P1);
  EXPECT_EQ(parsed.config->tx.bit, 0);
  EXPECT_EQ(parsed.config->rx.port, Port::Int);
  EXPECT_EQ(parsed.config->baud, 1200u);
  EXPECT_TRUE(parsed.config->invert);
  const struct {
    const char* text;
    const char* error;
  } bad[] = {
      {"TX=T0,RX=T1", "TX muss ein Portbit sein (z. B. P2.7), nicht 'T0'"},
      {"TX=P2,RX=T1", "TX muss ein Portbit sein (z. B. P2.7), nicht 'P2'"},
      {"TX=P2.7,RX=P4", "RX muss T0, T1, INT oder ein Portbit sein, nicht 'P4'"},
      {"TX=P2.7,RX=T0,BAUD=9k6", "BAUD erwartet eine Bitrate von 50 bis 1000000, nicht '9K6'"},
      {"TX=P2.7,RX=T0,PARITY=E", "unbekannte Angabe 'PARITY=E'"},
      {"TX=P2.7", "TX und RX müssen angegeben sein"},
      {"TX=P2.7,RX=p2.7,INVERT", "TX und RX auf demselben Pin: der getippte Text käme als Ausgabe des Programms zurück"},
  };
  for (const auto& b : bad) EXPECT_EQ(parse_serial_config(b.text).error, b.error) << b.text;
}

TEST(SerialConfig, EscapesAndBitTimes) {
  EXPECT_EQ(decode_escapes("a\\r\\n\\e\\t\\\\b\\q"), "a\r\n\x1B\t\\b\\q");
  EXPECT_NEAR(cycles_per_bit(6'000'000, 9600), 41.667, 0.001);
  EXPECT_NEAR(cycles_per_bit(11'059'200, 9600), 76.8, 1e-9);
}

// A sender whose bits are `factor` times the nominal length.
SerialDecoder decoded(const std::string& text, double factor) {
  const double bit = cycles_per_bit(6'000'000, 9600);
  std::vector<LineLevel> levels;
  encode_serial(text, 1000, bit * factor, 12, levels);
  SerialDecoder decoder(bit);
  for (const LineLevel& level : levels) decoder.level(level.cycle, level.mark);
  decoder.advance_to(levels.back().cycle + 100 * static_cast<std::uint64_t>(bit));
  return decoder;
}

TEST(SerialDecoder, ThreePercentOffStillDecodes) {
  const std::string text = std::string("AU\r\x00\xFF~", 6);
  for (const double factor : {1.0, 0.97, 1.03}) {
    const SerialDecoder decoder = decoded(text, factor);
    EXPECT_EQ(decoder.text(), text) << factor;
    EXPECT_TRUE(decoder.problems().empty()) << factor << ": " << decoder.problems().front().text;
  }
}

TEST(SerialDecoder, TenPercentOffIsReported) {
  for (const double factor : {0.90, 1.10}) {
    const SerialDecoder decoder = decoded("AU\r~", factor);
    ASSERT_FALSE(decoder.problems().empty()) << factor;
    const std::string expected = factor < 1 ? "Bitlänge weicht um -10 % ab" : "Bitlänge weicht um +10 % ab";
    bool named = false;
    for (const SerialProblem& problem : decoder.problems()) named |= problem.text.starts_with(expected);
    EXPECT_TRUE(named) << factor << ": " << decoder.problems().front().text;
  }
}

// A program timed for one crystal run on another: the bits are far off,
// and the deviation told is the true one (within the cycles' rounding), not
// a near miss that rounding the edges to the set bit time makes of it. A
// character whose few edges fit several bit times tells nothing.
TEST(SerialDecoder, AFarOffCrystalIsToldByHowMuch) {
  struct Case {
    std::uint64_t clock_hz;  // the crystal the simulator runs at
    double sender_cycles;    // the program's cycles per bit
    int percent;             // what is to be told
  };
  const Case cases[] = {
      {4'000'000, 41, 48},      // written for 6 MHz, 9600 Bit/s
      {6'000'000, 27.78, -33},  // written for 4 MHz
      {6'000'000, 83.33, 100},  // written for 12 MHz
      {6'000'000, 45.83, 10},
  };
  for (const Case& c : cases) {
    const double bit = cycles_per_bit(c.clock_hz, 9600);
    int told = 0;
    for (const std::string text : {"Hallo Welt\r\n", "f", "0123456789"}) {
      // Characters some 12.4 bits apart, as a program's loop sends them:
      // the next start bit lies off the bit grid of the one before.
      std::vector<LineLevel> levels;
      for (std::size_t i = 0; i < text.size(); ++i)
        encode_serial(text.substr(i, 1), 1000 + static_cast<std::uint64_t>(i * 12.37 * c.sender_cycles),
                      c.sender_cycles, 10, levels);
      SerialDecoder decoder(bit);
      for (const LineLevel& level : levels) decoder.level(level.cycle, level.mark);
      decoder.advance_to(levels.back().cycle + 100 * static_cast<std::uint64_t>(bit));
      for (const SerialProblem& problem : decoder.problems()) {
        int percent = 0;
        if (std::sscanf(problem.text.c_str(), "Bitlänge weicht um %d", &percent) != 1) continue;
        ++told;
        EXPECT_NEAR(percent, c.percent, 1) << text << ": " << problem.text;
      }
    }
    EXPECT_GT(told, 3) << c.percent;
  }
}

TEST(SerialDecoder, AMissingStopBitIsAFramingError) {
  const double bit = 40;
  SerialDecoder decoder(bit);
  decoder.level(100, false);   // start bit
  decoder.level(140, true);    // data 1
  decoder.level(180, false);   // data 0 ... and low through the stop bit
  decoder.level(600, true);
  decoder.advance_to(2000);
  EXPECT_EQ(decoder.text(), "");
  ASSERT_EQ(decoder.problems().size(), 1u);
  EXPECT_EQ(decoder.problems()[0].text, "Rahmenfehler: kein Stoppbit im Zeichen ab Zyklus 100");
}

TEST(SerialDecoder, AGlitchIsNoStartBit) {
  SerialDecoder decoder(40);
  decoder.level(100, false);
  decoder.level(105, true);  // back before the start bit's middle
  decoder.advance_to(2000);
  EXPECT_EQ(decoder.text(), "");
  EXPECT_TRUE(decoder.problems().empty());
  EXPECT_FALSE(decoder.receiving());
}

// --- the echo program through zorvin-sim ---------------------------------------

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
};

class SerialCli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) / ("serial_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ifstream in(ZORVIN_SIM_PROGRAMS "/echo.asm");
    std::ostringstream text;
    text << in.rdbuf();
    echo_ = text.str();
    ASSERT_FALSE(echo_.empty());
  }

  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The echo for a crystal: its two delay counts replaced.
  void write_echo(const std::string& name, int dly, int dh) {
    std::string text = echo_;
    text.replace(text.find("DLY     equ 14"), 14, "DLY     equ " + std::to_string(dly));
    text.replace(text.find("DH      equ 28"), 14, "DH      equ " + std::to_string(dh));
    write(name, text);
  }

  Outcome sim(const std::string& arguments) {
    Outcome result;
    const std::string program = test::shell_command(test::built_program_command(ZORVIN_SIM_EXE));
    const std::string command = "cd '" + dir_.string() + "' && timeout 60 " + program + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  fs::path dir_;
  std::string echo_;
};

constexpr const char* kSerial = "--serial TX=P2.7,RX=T0,BAUD=9600";

TEST_F(SerialCli, EchoAt6MHzShowsThePromptAndTheTypedLines) {
  write_echo("echo.asm", 14, 28);
  const Outcome run = sim(std::string("echo.asm ") + kSerial +
                          " --send 'dump 20\\r' --send 'ok' --serial-out out.txt --expect-output '>dump 20\\rok'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(read("out.txt"), ">dump 20\rok");
}

TEST_F(SerialCli, EchoAt4MHzAndTheDecodedTextOnStandardOutput) {
  write_echo("echo4.asm", 7, 17);
  const Outcome run = sim(std::string("echo4.asm --clock 4000000 ") + kSerial + " --send 'Hallo' 2>/dev/null");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, 6), ">Hallo") << run.out;
}

TEST_F(SerialCli, AMissingOutputFailsAndSaysWhat) {
  write_echo("echo.asm", 14, 28);
  const Outcome run = sim(std::string("echo.asm ") + kSerial + " --send 'abc' --serial-out out.txt --expect-output 'abd\\r'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Ausgabe enthält nicht \"abd\\r\""), std::string::npos) << run.out;
}

// The program's bits are 42 cycles; a crystal that makes them 3 % or 10 %
// shorter or longer than 1/9600 s.
std::string clock_for(double factor) {
  return std::to_string(static_cast<long long>(std::llround(42.0 * 15 * 9600 / factor)));
}

TEST_F(SerialCli, ThreePercentFastOrSlowStillEchoes) {
  write_echo("echo.asm", 14, 28);
  for (const double factor : {0.97, 1.03}) {
    const Outcome run = sim("echo.asm --clock " + clock_for(factor) + " " + kSerial +
                            " --send 'Hallo' --serial-out out.txt --expect-output '>Hallo'");
    EXPECT_EQ(run.status, 0) << factor << "\n" << run.out;
  }
}

TEST_F(SerialCli, TenPercentFastOrSlowFailsAndSaysSo) {
  write_echo("echo.asm", 14, 28);
  for (const double factor : {0.90, 1.10}) {
    const Outcome run = sim("echo.asm --clock " + clock_for(factor) + " " + kSerial +
                            " --send 'Hallo' --serial-out out.txt --expect-output '>Hallo'");
    EXPECT_EQ(run.status, 1) << factor;
    EXPECT_NE(run.out.find(factor < 1 ? "Serielle Leitung: Bitlänge weicht um -10 % ab"
                                      : "Serielle Leitung: Bitlänge weicht um +10 % ab"),
              std::string::npos)
        << factor << "\n" << run.out;
  }
}

TEST_F(SerialCli, VcdHoldsTheWaveforms) {
  write_echo("echo.asm", 14, 28);
  ASSERT_EQ(sim(std::string("echo.asm ") + kSerial + " --send 'U' --serial-out out.txt --vcd wave.vcd").status, 0);
  const std::string vcd = read("wave.vcd");
  EXPECT_NE(vcd.find("$timescale 1ns $end"), std::string::npos);
  EXPECT_NE(vcd.find("$var wire 8 \" P2 $end"), std::string::npos);
  EXPECT_NE(vcd.find("$var wire 1 $ T0 $end"), std::string::npos);
  // The prompt's start bit: P2.7 low after 13 cycles = 32.5 us at 6 MHz.
  EXPECT_NE(vcd.find("#32500\nb01111111 \"\n"), std::string::npos) << vcd.substr(0, 600);
  EXPECT_NE(vcd.find("\n0$\n"), std::string::npos);  // the typed U on T0
}

TEST_F(SerialCli, SerialOptionsNeedSerial) {
  write_echo("echo.asm", 14, 28);
  for (const char* arguments : {"echo.asm --send x", "echo.asm --expect-output x", "echo.asm --serial TX=T0,RX=T1",
                                "echo.asm --clock 0", "echo.asm --serial TX=P1.0,RX=p1.0"}) {
    EXPECT_EQ(sim(arguments).status, 2) << arguments;
  }
}

}  // namespace
}  // namespace zorvin::sim
