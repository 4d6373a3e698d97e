// Programs from sources, stimulus files and expectations: what zorvin-sim
// reads before a run (image files: tests/dis/image_file_test.cpp).
#include <gtest/gtest.h>

#include "sim/expectation.h"
#include "sim/program_source.h"
#include "sim/stimulus.h"

namespace zorvin::sim {
namespace {

TEST(ProgramSource, LabelsOfThePlainDialect) {
  const AssembledProgram program = assemble_program(" jmp start\nStart: nop\nLOOP: jmp loop\n", {});
  ASSERT_TRUE(program.result.ok());
  EXPECT_FALSE(program.cpu.has_value());
  EXPECT_EQ(label_address(program.labels, "start"), 2);
  EXPECT_EQ(label_address(program.labels, "Loop"), 3);
  EXPECT_FALSE(label_address(program.labels, "nowhere").has_value());
  EXPECT_EQ(program.bytes, (std::vector<std::uint8_t>{0x04, 0x02, 0x00, 0x04, 0x03}));
}

TEST(ProgramSource, LabelsOfTheExtendedDialect) {
  const AssembledProgram program =
      assemble_program(" cpu 8049\ncount equ 3\n org 10h\nmain: mov r7,#count\nwait: djnz r7,wait\n", {});
  ASSERT_TRUE(program.result.ok()) << program.result.error_lines.at(0);
  EXPECT_EQ(program.cpu, "8049");
  EXPECT_EQ(label_address(program.labels, "MAIN"), 0x10);
  EXPECT_EQ(label_address(program.labels, "wait"), 0x12);
  ASSERT_EQ(program.bytes.size(), 0x14u);
  EXPECT_EQ(program.bytes[0x10], 0xBF);
}

TEST(ProgramSource, ErrorsComeBackAsTheAssemblerGivesThem) {
  const AssembledProgram program = assemble_program(" mov a,#1\n frob a\n", {});
  EXPECT_FALSE(program.result.ok());
  ASSERT_EQ(program.result.error_lines.size(), 1u);
  EXPECT_TRUE(program.bytes.empty());
}

TEST(Stimulus, ReadsCyclePinAndValue) {
  const Stimulus stimulus = parse_stimulus("; test input\n100 T0 0\n 200, p1.3, 1  # one bit\n\n300 P2 A5H\n400 int 1\n");
  ASSERT_TRUE(stimulus.ok) << stimulus.error;
  ASSERT_EQ(stimulus.changes.size(), 4u);
  EXPECT_EQ(stimulus.changes[0].cycle, 100u);
  EXPECT_EQ(stimulus.changes[0].pin.port, Port::T0);
  EXPECT_EQ(stimulus.changes[1].pin.port, Port::P1);
  EXPECT_EQ(stimulus.changes[1].pin.bit, 3);
  EXPECT_EQ(stimulus.changes[2].value, 0xA5);
  EXPECT_EQ(stimulus.changes[3].pin.port, Port::Int);
}

TEST(Stimulus, NamesTheLineOfAMistake) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"100 T0\n", "Zeile 1: erwartet wird ZYKLUS PIN WERT"},
      {"\n10h T0 1\n", "Zeile 2: Zyklus '10h' ist keine Dezimalzahl"},
      {"99999999999999999999 T0 1\n", "Zeile 1: Zyklus '99999999999999999999' ist zu groß"},
      {"10 P3 1\n", "Zeile 1: unbekannter Pin 'P3'"},
      {"10 P1.8 1\n", "Zeile 1: unbekannter Pin 'P1.8'"},
      {"10 T0.0 1\n", "Zeile 1: unbekannter Pin 'T0.0'"},
      {"10 T1 2\n", "Zeile 1: Wert '2' passt nicht zu T1"},
      {"10 P4 1F\n", "Zeile 1: Wert '1F' passt nicht zu P4"},
      {"10 P1 100\n", "Zeile 1: Wert '100' passt nicht zu P1"},
  };
  for (const auto& c : cases) {
    const Stimulus stimulus = parse_stimulus(c.text);
    EXPECT_FALSE(stimulus.ok) << c.text;
    EXPECT_EQ(stimulus.error, c.error) << c.text;
  }
}

TEST(Expectations, ReadNamesAndValues) {
  const struct {
    const char* text;
    const char* key;
    int index;
    std::uint64_t value;
  } cases[] = {
      {"A=3F", "A", 0, 0x3F},        {"psw=C8", "PSW", 0, 0xC8},       {"R7=0", "R", 7, 0},
      {"RAM[20]=00", "RAM", 0x20, 0}, {"xram[0FFh]=1", "XRAM", 0xFF, 1}, {"CYCLES=1234", "CYCLES", 0, 1234},
      {"PC=7FF", "PC", 0, 0x7FF},    {"TF=1", "TF", 0, 1},             {"T=0x10", "T", 0, 0x10},
  };
  for (const auto& c : cases) {
    const ParsedExpectation parsed = parse_expectation(c.text);
    ASSERT_TRUE(parsed.expectation.has_value()) << c.text << ": " << parsed.error;
    EXPECT_EQ(parsed.expectation->key, c.key);
    EXPECT_EQ(parsed.expectation->index, c.index);
    EXPECT_EQ(parsed.expectation->value, c.value);
  }
}

TEST(Expectations, RefuseWhatTheyCannotCheck) {
  for (const char* text : {"A", "A=100", "Q=1", "R8=0", "RAM[100]=0", "RAM[xx]=0", "CYCLES=1F", "TF=2", "SP=8",
                           "=5"})
    EXPECT_FALSE(parse_expectation(text).expectation.has_value()) << text;
  EXPECT_EQ(parse_expectation("Q=1").error, "'Q': unbekannter Name");
  EXPECT_EQ(parse_expectation("CYCLES=1F").error, "'CYCLES=1F': Wert ist keine Dezimalzahl");
  EXPECT_EQ(parse_expectation("CYCLES=99999999999999999999").error,
            "'CYCLES=99999999999999999999': Wert ist zu groß");
}

TEST(Expectations, FormatLikeTheyAreWritten) {
  const Expectation cycles = *parse_expectation("CYCLES=5").expectation;
  EXPECT_EQ(formatted(cycles, 1234), "CYCLES=1234");
  const Expectation ram = *parse_expectation("ram[20]=5").expectation;
  EXPECT_EQ(formatted(ram, 0xA), "ram[20]=0A");
}

}  // namespace
}  // namespace zorvin::sim
