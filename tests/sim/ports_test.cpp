// Ports and pins: P1 and P2 are quasi-bidirectional (a pin reads the latch
// ANDed with what drives it from outside), BUS is a true bidirectional
// port, external data memory through movx, the 8243's P4-P7, the test
// inputs, and the pin changes reported with their cycle.
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

struct PortCase {
  const char* name;
  const char* source;
  std::uint8_t p1_drive;
  std::uint8_t p2_drive;
  std::uint8_t bus_drive;
  const char* expected;
};

class Ports : public testing::TestWithParam<PortCase> {};

TEST_P(Ports, ReadAndWriteAsTheChipDoes) {
  const PortCase& c = GetParam();
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(std::string(c.source) + "\ndone: jmp done\n", Variant::I8048, &labels);
  simulator.drive(Port::P1, c.p1_drive);
  simulator.drive(Port::P2, c.p2_drive);
  simulator.drive(Port::Bus, c.bus_drive);
  ASSERT_EQ(run_to(simulator, labels, "done").reason, StopReason::Address);
  EXPECT_EQ(unmet(simulator, c.expected), "") << c.name;
}

const PortCase kPorts[] = {
    {"p1_reads_latch_and_pins", "mov a,#0F0h\noutl p1,a\nin a,p1", 0x3C, 0xFF, 0xFF, "A=30 P1=30 CYCLES=6"},
    {"p2_released_reads_the_outside", "in a,p2", 0xFF, 0xA5, 0xFF, "A=A5 P2=A5 CYCLES=2"},
    {"anl_p1_changes_the_latch", "anl p1,#0Fh\nin a,p1", 0xF3, 0xFF, 0xFF, "A=03 P1=03 CYCLES=4"},
    {"orl_p2_sets_latch_bits", "mov a,#0\noutl p2,a\norl p2,#81h\nin a,p2", 0xFF, 0xFF, 0xFF, "A=81 P2=81 CYCLES=8"},
    {"bus_outputs_its_latch", "mov a,#5Ah\noutl bus,a", 0xFF, 0xFF, 0x00, "BUS=5A CYCLES=4"},
    {"ins_reads_the_outside_and_floats", "mov a,#5Ah\noutl bus,a\nins a,bus", 0xFF, 0xFF, 0x33, "A=33 BUS=33 CYCLES=6"},
    {"anl_orl_bus", "mov a,#0F0h\noutl bus,a\nanl bus,#3Fh\norl bus,#01h", 0xFF, 0xFF, 0xFF, "BUS=31 CYCLES=8"},
    {"movx_writes_and_reads_external_memory", "mov r0,#5\nmov a,#42h\nmovx @r0,a\nclr a\nmovx a,@r0", 0xFF, 0xFF, 0xFF,
     "A=42 XRAM[05]=42 CYCLES=9"},
    {"movx_through_r1", "mov r1,#0FEh\nmov a,#99h\nmovx @r1,a", 0xFF, 0xFF, 0xFF, "XRAM[FE]=99 RAM[FE]=00 CYCLES=6"},
    {"expander_nibbles", "mov a,#0Ah\nmovd p5,a\nmov a,#3\norld p5,a\nmov a,#0Ch\nanld p5,a\nmovd a,p5", 0xFF,
     0xFF, 0xFF, "A=08 CYCLES=14"},
};
INSTANTIATE_TEST_SUITE_P(Ports, Ports, testing::ValuesIn(kPorts),
                         [](const auto& info) { return std::string(info.param.name); });

// An 8243 port written (movd, anld, orld p,a) is an output until it is
// read (movd a,p), which makes it an input again.
TEST(Expander, PortsBecomeOutputsWhenWrittenAndInputsWhenRead) {
  const struct {
    const char* source;
    std::uint8_t outputs;  // bit n: P(4+n)
  } cases[] = {
      {"nop", 0x00},
      {"movd p4,a\nmovd p7,a", 0x09},
      {"orld p5,a\nanld p6,a", 0x06},
      {"movd p5,a\nmovd a,p5", 0x00},
      {"movd a,p6\norld p6,a\nmovd p4,a\nmovd a,p4", 0x04},
  };
  for (const auto& c : cases) {
    std::vector<ProgramLabel> labels;
    Simulator simulator = assembled(std::string(c.source) + "\ndone: jmp done\n", Variant::I8048, &labels);
    ASSERT_EQ(run_to(simulator, labels, "done").reason, StopReason::Address) << c.source;
    EXPECT_EQ(simulator.state().expander_outputs, c.outputs) << c.source;
  }
}

TEST(TestInputs, T0T1AndIntSteerTheirJumps) {
  const struct {
    Port pin;
    std::uint8_t level;
    const char* source;
    bool taken;
  } cases[] = {
      {Port::T0, 1, "jt0 yes", true},  {Port::T0, 0, "jt0 yes", false},  {Port::T0, 0, "jnt0 yes", true},
      {Port::T1, 1, "jt1 yes", true},  {Port::T1, 1, "jnt1 yes", false}, {Port::T1, 0, "jnt1 yes", true},
      {Port::Int, 0, "jni yes", true}, {Port::Int, 1, "jni yes", false},
  };
  for (const auto& c : cases) {
    std::vector<ProgramLabel> labels;
    Simulator simulator = assembled(std::string(c.source) + "\nmov a,#1\nyes: nop\n", Variant::I8048, &labels);
    simulator.drive(c.pin, c.level);
    simulator.step();
    EXPECT_EQ(simulator.state().pc == *label_address(labels, "yes"), c.taken) << c.source << " " << int{c.level};
  }
}

TEST(Pins, ChangesAreReportedWithTheCycleTheyHappen) {
  Simulator simulator = assembled(" mov a,#55h\n outl p1,a\n anl p1,#0Fh\n mov a,#0\n outl bus,a\nloop: jmp loop\n");
  std::vector<PinEvent> events;
  simulator.set_pin_listener([&](const PinEvent& event) { events.push_back(event); });
  simulator.schedule(20, Port::P1, 0xFE);
  simulator.schedule_bit(30, Port::P2, 7, false);
  simulator.schedule(40, Port::T0, 0);
  simulator.run({.until_cycle = 50});
  const std::vector<std::tuple<std::uint64_t, Port, int>> expected = {
      {4, Port::P1, 0x55}, {6, Port::P1, 0x05}, {10, Port::Bus, 0x00},
      {20, Port::P1, 0x04}, {30, Port::P2, 0x7F}, {40, Port::T0, 0},
  };
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].cycle, std::get<0>(expected[i])) << i;
    EXPECT_EQ(events[i].port, std::get<1>(expected[i])) << i;
    EXPECT_EQ(events[i].level, std::get<2>(expected[i])) << i;
  }
}

TEST(Pins, ScheduledChangesApplyAtTheFirstBoundaryInTheirOrder) {
  // Boundaries at 0, 2, 4, ...: a change for cycle 3 is seen by the
  // instruction starting at 4.
  Simulator simulator = assembled(" in a,p1\n in a,p1\n in a,p1\n");
  simulator.schedule(3, Port::P1, 0x0F);
  simulator.schedule(3, Port::P1, 0x1F);  // later in the same cycle: wins
  simulator.run({.max_steps = 2});
  EXPECT_EQ(simulator.state().a, 0xFF);
  simulator.run({.max_steps = 1});
  EXPECT_EQ(simulator.state().a, 0x1F);
}

TEST(Pins, ResetReleasesThePortsAndEnt0TurnsTheClockOn) {
  Simulator simulator = assembled(" mov a,#0\n outl p1,a\n outl p2,a\n ent0 clk\n");
  simulator.run({.max_steps = 4});
  EXPECT_EQ(simulator.pin_level(Port::P1), 0x00);
  EXPECT_TRUE(simulator.state().clock_output);
  simulator.reset();
  EXPECT_EQ(simulator.pin_level(Port::P1), 0xFF);
  EXPECT_EQ(simulator.pin_level(Port::P2), 0xFF);
  EXPECT_FALSE(simulator.state().clock_output);
}

TEST(Ram, AddressesWrapAtThePartsSize) {
  // mov r0,#0C5h; mov @r0,#77h: the cell depends on the RAM's size.
  for (const auto& [variant, cell] : {std::pair{Variant::I8048, 0x05}, std::pair{Variant::I8049, 0x45},
                                      std::pair{Variant::I8050, 0xC5}}) {
    Simulator simulator = with_bytes({0xB8, 0xC5, 0xB0, 0x77}, 0, variant);
    simulator.run({.max_steps = 2});
    EXPECT_EQ(simulator.state().ram[static_cast<std::size_t>(cell)], 0x77) << cell;
  }
}

}  // namespace
}  // namespace zorvin::sim::test
