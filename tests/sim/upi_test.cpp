// The UPI-41/42 parts: the data bus buffer to the host with IBF, OBF and
// F1, the status register, the flags on P24/P25, the IBF interrupt, and
// the 8048 instructions they do not have.
#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

constexpr const char* kEcho =
    " cpu 8041\n"
    "wait: jnibf wait\n"
    " in a,dbb\n"
    " cpl a\n"
    " out dbb,a\n"
    " mov a,#0F0h\n"
    " mov sts,a\n"
    "done: jmp done\n";

TEST(Upi, TheHostWritesAndReadsTheDataBusBuffer) {
  std::vector<ProgramLabel> labels;
  Simulator simulator = assembled(kEcho, Variant::I8041, &labels);
  simulator.run({.until_cycle = 10});
  EXPECT_EQ(simulator.state().pc, 0x000);  // still waiting
  simulator.host_write(0x0F, true);
  EXPECT_EQ(simulator.host_status(), 0x0A);  // F1 (command) and IBF
  run_to(simulator, labels, "done");
  // jnibf 2, in a,dbb 1, cpl a 1, out dbb,a 1, mov a,# 2, mov sts,a 1
  EXPECT_EQ(simulator.state().cycles, 10u + 8u);
  EXPECT_EQ(simulator.host_status(), 0xF9);  // STS F0H, F1, OBF
  EXPECT_EQ(simulator.host_read(), 0xF0);
  EXPECT_EQ(simulator.host_status(), 0xF8);
}

TEST(Upi, JobfTestsTheOutputBuffer) {
  Simulator simulator = assembled(" cpu 8042\n jobf full\n out dbb,a\n jobf full\n nop\nfull: nop\n", Variant::I8042);
  simulator.run({.max_steps = 3});
  EXPECT_EQ(simulator.state().pc, 0x006);  // full
  EXPECT_TRUE(simulator.state().obf);
}

TEST(Upi, EnFlagsPutsObfAndNotIbfOnP24AndP25) {
  Simulator simulator = assembled(" cpu 8041\n en flags\n nop\n out dbb,a\n nop\n", Variant::I8041);
  simulator.run({.max_steps = 1});
  EXPECT_EQ(simulator.pin_level(Port::P2), 0xEF);  // OBF 0 pulls P24 low
  simulator.host_write(1, false);
  EXPECT_EQ(simulator.pin_level(Port::P2), 0xCF);  // and IBF 1 P25
  simulator.run({.max_steps = 2});
  EXPECT_EQ(simulator.pin_level(Port::P2), 0xDF);
}

TEST(Upi, IbfInterruptsWhenEnabled) {
  Simulator simulator = assembled(" cpu 8041\n jmp start\n org 3\n in a,dbb\n retr\nstart: en i\nloop: jmp loop\n",
                                  Variant::I8041);
  simulator.run({.until_cycle = 20});
  simulator.host_write(0x42, false);
  simulator.run({.until_cycle = 40});
  EXPECT_EQ(simulator.state().a, 0x42);
  EXPECT_FALSE(simulator.state().ibf);
  EXPECT_FALSE(simulator.state().in_interrupt);
}

TEST(Upi, The8048OnlyInstructionsAreUndefined) {
  for (const std::uint8_t opcode : {0x08, 0x75, 0x80, 0x81, 0x88, 0x91, 0x98}) {
    Simulator simulator = with_bytes({opcode, 0x00}, 0, Variant::I8741);
    EXPECT_EQ(simulator.step().reason, StopReason::UndefinedOpcode) << int{opcode};
  }
  // and the other way round
  for (const std::uint8_t opcode : {0x22, 0xD6}) {
    Simulator simulator = with_bytes({opcode, 0x00}, 0, Variant::I8048);
    EXPECT_EQ(simulator.step().reason, StopReason::UndefinedOpcode) << int{opcode};
  }
}

TEST(Upi, SelMbIsEnDmaAndJumpsStayInBank0) {
  // E5 is en dma here; F5 en flags; a jmp never sets A11.
  Simulator simulator = with_bytes({0xE5, 0xF5, 0x04, 0x10}, 0, Variant::I8742);
  simulator.run({.max_steps = 3});
  EXPECT_TRUE(simulator.state().dma_enabled);
  EXPECT_TRUE(simulator.state().flags_enabled);
  EXPECT_EQ(simulator.state().pc, 0x010);
}

}  // namespace
}  // namespace zorvin::sim::test
