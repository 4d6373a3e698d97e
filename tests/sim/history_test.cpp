// Going back in time must be exact: every program below runs forward step
// by step on one simulator, keeping its whole state after every step, and
// recorded in one run on another; then the history goes back step by step
// to the start and forward again, and at every step the state must equal
// the one kept, registers, RAM, external RAM, ports, pins, timer, cycles,
// pending inputs and all.
#include "sim/history.h"

#include <functional>

#include "sim_support.h"

namespace zorvin::sim::test {
namespace {

struct Case {
  const char* name;
  const char* source;
  Variant variant;
  std::uint64_t steps;
  std::function<void(Simulator&)> setup;  // inputs and listeners
  std::function<bool(const State&)> exercised;  // the run did what the case is about
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string described(const Simulator::Snapshot& s) {
  char text[160];
  std::snprintf(text, sizeof text, "PC=%03X A=%02X SP=%d T=%02X P1=%02X P2=%02X CYCLES=%llu STEPS=%llu pending=%zu",
                s.state.pc, s.state.a, s.state.sp, s.state.timer, s.state.p1, s.state.p2,
                static_cast<unsigned long long>(s.state.cycles), static_cast<unsigned long long>(s.state.steps),
                s.schedule.size());
  return text;
}

// A square wave on a pin from outside, `count` edges `every` cycles apart.
void wave(Simulator& simulator, Port port, std::uint64_t first, std::uint64_t every, int count) {
  for (int i = 0; i < count; ++i)
    simulator.schedule(first + static_cast<std::uint64_t>(i) * every, port, static_cast<std::uint8_t>(i % 2));
}

const Case kCases[] = {
    {"arithmetic and flags", R"(
start:  mov r0,#30h
        mov r7,#0
loop:   mov a,r7
        add a,#37h
        da a
        addc a,@r0
        mov @r0,a
        xchd a,@r0
        rlc a
        cpl c
        swap a
        xrl a,r7
        inc r0
        mov a,r0
        anl a,#3Fh
        orl a,#20h
        mov r0,a
        mov a,psw
        cpl f0
        jf0 keep
        cpl f1
keep:   jf1 other
        sel rb0
        djnz r7,loop
        jmp loop
other:  sel rb1
        djnz r7,loop
        jmp loop
)", Variant::I8048, 3000, {}, [](const State& s) { return s.ram[0x30] != 0 && s.ram[0x18 + 7] != 0; }},
    {"calls deeper than the stack", R"(
start:  mov r3,#11
        call down
        jmp start
down:   djnz r3,deeper
        ret
deeper: call down
        inc r5
        ret
)", Variant::I8048, 2000, {}, [](const State& s) { return s.ram[5] > 8; }},
    {"external memory", R"(
start:  mov r0,#0
        mov r1,#80h
loop:   mov a,r0
        cpl a
        movx @r0,a
        movx a,@r1
        add a,r0
        movx @r1,a
        inc r0
        inc r1
        jmp loop
)", Variant::I8048, 3000, {}, [](const State& s) { return s.xram[5] == 0xFA && s.xram[0x85] != 0; }},
    {"ports, BUS and the 8243", R"(
loop:   in a,p1
        outl p2,a
        inc r0
        mov a,r0
        outl p1,a
        anl p1,#0F5h
        orl p2,#03h
        outl bus,a
        orl bus,#81h
        anl bus,#7Eh
        ins a,bus
        movd p4,a
        anld p5,a
        orld p6,a
        movd a,p7
        jt0 skip
        cpl a
skip:   jnt1 on
on:     ent0 clk
        jmp loop
)", Variant::I8048, 3000,
     [](Simulator& s) {
       for (int i = 0; i < 60; ++i) {
         s.schedule(static_cast<std::uint64_t>(37 * i), Port::P1, static_cast<std::uint8_t>(0x5A + 13 * i));
         s.schedule(static_cast<std::uint64_t>(41 * i), Port::Bus, static_cast<std::uint8_t>(0xC3 ^ i));
         s.schedule(static_cast<std::uint64_t>(53 * i), Port::P7, static_cast<std::uint8_t>(i & 0x0F));
       }
       wave(s, Port::T0, 5, 29, 200);
       wave(s, Port::T1, 9, 31, 200);
     },
     [](const State& s) { return s.clock_output && s.expander[1] != 0x0F && s.bus_output == false; }},
    {"timer and its interrupt", R"(
        jmp start
        org 7
        inc r6
        jtf clear
clear:  retr
start:  mov a,#0F0h
        mov t,a
        en tcnti
        strt t
loop:   mov a,t
        mov r5,a
        djnz r4,loop
        stop tcnt
        mov a,#0FEh
        mov t,a
        strt t
        jmp loop
)", Variant::I8048, 6000, {}, [](const State& s) { return s.ram[6] > 2; }},
    {"external interrupt", R"(
        jmp start
        org 3
        jmp isr
start:  en i
loop:   inc r2
        jni low
        jmp loop
low:    inc r4
        jmp loop
isr:    inc r3
        retr
)", Variant::I8048, 3000,
     [](Simulator& s) {
       for (int i = 0; i < 40; ++i) {
         const auto at = static_cast<std::uint64_t>(100 + 150 * i);
         s.schedule(at, Port::Int, 0);
         s.schedule(at + 4 + static_cast<std::uint64_t>(i % 5), Port::Int, 1);
       }
     },
     [](const State& s) { return s.ram[3] > 2 && s.ram[2] > 2; }},
    {"event counter on T1", R"(
        jmp start
        org 7
        inc r6
        dis tcnti
        en tcnti
        mov a,#0FCh
        mov t,a
        retr
start:  mov a,#0FAh
        mov t,a
        strt cnt
        en tcnti
loop:   mov a,t
        mov r5,a
        jtf flag
        jmp loop
flag:   inc r7
        stop tcnt
        strt cnt
        jmp loop
)", Variant::I8048, 3000, [](Simulator& s) { wave(s, Port::T1, 3, 7, 1000); },
     [](const State& s) { return s.ram[6] > 2 && s.ram[7] > 2; }},
    {"listeners that drive and schedule", R"(
loop:   inc r0
        mov a,r0
        outl p1,a
        jt0 high
        inc r2
high:   jt1 loop
        inc r3
        jmp loop
)", Variant::I8048, 3000,
     [](Simulator& s) {
       // A device answering P1: bit 0 drives T0 at once, bit 1 pulses T1 a little later.
       s.set_pin_listener([&s](const PinEvent& event) {
         if (event.port != Port::P1) return;
         s.drive(Port::T0, event.level & 1);
         if (event.level & 2) {
           s.schedule(event.cycle + 3, Port::T1, 0);
           s.schedule(event.cycle + 9, Port::T1, 1);
         }
       });
     },
     [](const State& s) { return s.ram[2] > 2 && s.ram[3] > 2; }},
    {"UPI host on a listener", R"(
        cpu 8042
loop:   jnibf loop
        in a,dbb
        cpl a
        out dbb,a
        outl p1,a
        jmp loop
)", Variant::I8042, 2000,
     [](Simulator& s) {
       s.host_write(0x11, false);
       // The host answers each byte on P1 with the next one and reads the buffer.
       s.set_pin_listener([&s](const PinEvent& event) {
         if (event.port != Port::P1) return;
         (void)s.host_read();
         s.host_write(static_cast<std::uint8_t>(event.level + 3), (event.level & 1) != 0);
       });
     },
     [](const State& s) { return s.dbb_in != 0x11 && s.dbb_out != 0; }},
};

class Exactness : public ::testing::TestWithParam<Case> {};

TEST_P(Exactness, BackAndForwardGiveEveryStateAsItWas) {
  const Case& c = GetParam();
  Simulator reference = assembled(c.source, c.variant);
  if (c.setup) c.setup(reference);
  std::vector<Simulator::Snapshot> kept{reference.snapshot()};
  for (std::uint64_t i = 0; i < c.steps; ++i) {
    ASSERT_EQ(reference.step().reason, StopReason::StepLimit) << "step " << i;
    kept.push_back(reference.snapshot());
  }
  ASSERT_TRUE(c.exercised(reference.state())) << described(kept.back());

  Simulator simulator = assembled(c.source, c.variant);
  if (c.setup) c.setup(simulator);
  // Short segments, so that going back crosses many of them.
  History history(HistoryBounds{.segment_steps = 97});
  ASSERT_EQ(history.run(simulator, {.max_steps = c.steps}).steps, c.steps);
  ASSERT_TRUE(simulator.snapshot() == kept.back());
  ASSERT_EQ(history.steps_back(), c.steps);

  for (std::uint64_t i = c.steps; i-- > 0;) {
    ASSERT_TRUE(history.back(simulator)) << i;
    ASSERT_TRUE(simulator.snapshot() == kept[i])
        << "back to step " << i << ":\n  " << described(simulator.snapshot()) << "\n  " << described(kept[i]);
  }
  EXPECT_FALSE(history.back(simulator));
  for (std::uint64_t i = 1; i <= c.steps; ++i) {
    ASSERT_EQ(history.step(simulator).steps, 1u);
    ASSERT_TRUE(simulator.snapshot() == kept[i])
        << "forward to step " << i << ":\n  " << described(simulator.snapshot()) << "\n  " << described(kept[i]);
  }
  EXPECT_EQ(history.steps_ahead(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Groups, Exactness, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           return name;
                         });


// --- going back to a place -------------------------------------------------------

constexpr const char* kCounting = R"(
start:  mov r0,#20h
loop:   inc r2
        mov a,r2
        anl a,#07h
        jnz odd
mark:   inc @r0
        mov a,r0
        mov r1,a
        mov a,r2
        movx @r1,a
        inc r0
        mov a,r0
        anl a,#27h
        mov r0,a
odd:    djnz r3,loop
        mov a,r3
        jmp loop
)";

struct Recorded {
  Simulator simulator;
  History history;
  std::vector<Simulator::Snapshot> kept;
};

// `steps` steps recorded in single steps and runs of various lengths.
void record(Recorded& r, std::uint64_t steps) {
  r.kept.push_back(r.simulator.snapshot());
  std::uint64_t length = 1;
  while (r.kept.size() <= steps) {
    const std::uint64_t n = std::min<std::uint64_t>(length, steps + 1 - r.kept.size());
    Simulator copy = r.simulator;
    for (std::uint64_t i = 0; i < n; ++i) {
      copy.step();
      r.kept.push_back(copy.snapshot());
    }
    ASSERT_EQ(r.history.run(r.simulator, {.max_steps = n}).steps, n);
    length = length * 3 % 251 + 1;
  }
}

TEST(HistoryBack, ToTheLatestBreakpointAndTheLatestChangeOfAWatchedValue) {
  std::vector<ProgramLabel> labels;
  Recorded r{assembled(kCounting, Variant::I8048, &labels), History(HistoryBounds{.segment_steps = 50}), {}};
  record(r, 2000);
  const auto mark = label_address(labels, "mark").value();
  const struct {
    const char* what;
    Watch watch;
  } watches[] = {{"RAM 21H", {Watch::Kind::Ram, 0x21}},  {"external RAM 22H", {Watch::Kind::Xram, 0x22}},
                 {"R2", {Watch::Kind::Register, 2}},      {"A", {Watch::Kind::A, 0}},
                 {"R3", {Watch::Kind::Register, 3}}};
  for (const auto& w : watches) {
    // From the end, back three times: each stop is the step before the latest earlier change.
    r.history.forward(r.simulator, r.history.steps_ahead());
    std::uint64_t at = r.kept.size() - 1;
    for (int round = 0; round < 3; ++round) {
      std::uint64_t expected = at;
      Simulator probe = r.simulator;
      const auto value = [&](std::uint64_t i) {
        probe.restore(r.kept[i]);
        return watched_value(probe, w.watch);
      };
      while (expected > 0 && value(expected - 1) == value(expected)) --expected;
      ASSERT_GT(expected, 0u) << w.what;
      --expected;
      ASSERT_EQ(r.history.back_to_change(r.simulator, w.watch), BackStop::Found) << w.what;
      EXPECT_TRUE(r.simulator.snapshot() == r.kept[expected]) << w.what << " round " << round;
      at = expected;
    }
  }
  r.history.forward(r.simulator, r.history.steps_ahead());
  r.simulator.set_breakpoint(mark, true);
  std::uint64_t at = r.kept.size() - 1;
  for (int round = 0; round < 3; ++round) {
    std::uint64_t expected = at - 1;
    while (r.kept[expected].state.pc != mark) --expected;
    ASSERT_EQ(r.history.back_to_breakpoint(r.simulator), BackStop::Found);
    EXPECT_TRUE(r.simulator.snapshot() == r.kept[expected]) << "round " << round;
    at = expected;
  }
  // None before the first: the oldest step, and then nothing more.
  r.simulator.set_breakpoint(mark, false);
  EXPECT_EQ(r.history.back_to_breakpoint(r.simulator), BackStop::Oldest);
  EXPECT_TRUE(r.simulator.snapshot() == r.kept[0]);
  EXPECT_EQ(r.history.back_to_breakpoint(r.simulator), BackStop::Nothing);
}

TEST(HistoryBack, UndoesWhatWasChangedFromOutsideBetweenSteps) {
  Recorded r{assembled(kCounting), History(HistoryBounds{.segment_steps = 50}), {}};
  record(r, 30);
  const Simulator::Snapshot before = r.simulator.snapshot();
  r.simulator.drive(Port::P1, 0x0F);  // the board panel
  r.simulator.set_reg(2, 0x99);       // the register field
  const Simulator::Snapshot changed = r.simulator.snapshot();
  for (int i = 0; i < 5; ++i) r.history.step(r.simulator);
  ASSERT_TRUE(r.history.back(r.simulator, 5));
  EXPECT_TRUE(r.simulator.snapshot() == changed);
  EXPECT_EQ(r.simulator.driven(Port::P1), 0x0F);
  // One more: the step before the change, with the pins as they were then.
  ASSERT_TRUE(r.history.back(r.simulator));
  EXPECT_TRUE(r.simulator.snapshot() == r.kept[29]);
  EXPECT_EQ(r.simulator.driven(Port::P1), 0xFF);
  // Forward again: the change comes back with the step after it.
  ASSERT_TRUE(r.history.forward(r.simulator));
  EXPECT_TRUE(r.simulator.snapshot() == changed);
  // A change made now, standing in the past, drops the recorded future.
  r.simulator.set_reg(3, 1);
  EXPECT_FALSE(r.history.forward(r.simulator));
  r.history.step(r.simulator);
  EXPECT_EQ(r.history.steps_ahead(), 0u);
  (void)before;
}

TEST(HistoryBack, ListenersStaySilentAndTheProgramMustStayTheSame) {
  Recorded r{assembled("start: inc r0\n mov a,r0\n outl p1,a\n jmp start\n"), History(HistoryBounds{.segment_steps = 16}), {}};
  int events = 0;
  r.simulator.set_pin_listener([&](const PinEvent&) { ++events; });
  record(r, 200);
  const int seen = events;
  ASSERT_GT(seen, 40);
  ASSERT_TRUE(r.history.back(r.simulator, 150));
  ASSERT_TRUE(r.history.forward(r.simulator, 100));
  EXPECT_EQ(events, seen);
  EXPECT_TRUE(r.simulator.snapshot() == r.kept[150]);
  // The listener is back for new steps.
  r.history.run(r.simulator, {.max_steps = 100});
  EXPECT_GT(events, seen);
  // Another program: its steps cannot be run again, the history starts anew.
  r.simulator.load_program(std::vector<std::uint8_t>{0x00});
  EXPECT_FALSE(r.history.back(r.simulator));
}

TEST(HistoryLimits, KeepsAtLeastTheStepsAskedForAndNotMuchMore) {
  const struct {
    HistoryBounds bounds;
    std::uint64_t steps;
    std::uint64_t least;
    std::uint64_t most;
  } cases[] = {
      {{.steps = 1000, .segment_steps = 100}, 10'000, 1000, 1100},
      {{.steps = 1'000'000, .bytes = 20'000, .segment_steps = 100}, 10'000, 1000, 3400},
      {{}, 50'000, 50'000, 50'000},
  };
  for (const auto& c : cases) {
    Simulator simulator = assembled(kCounting);
    History history(c.bounds);
    history.run(simulator, {.max_steps = c.steps});
    EXPECT_GE(history.steps_back(), c.least);
    EXPECT_LE(history.steps_back(), c.most);
    if (c.bounds.bytes < HistoryBounds{}.bytes) {
      EXPECT_LE(history.bytes(), c.bounds.bytes);
    }
    // All the way back: the oldest kept step, the same as a run of that length.
    const std::uint64_t kept = history.steps_back();
    ASSERT_TRUE(history.back(simulator, c.steps));
    Simulator reference = assembled(kCounting);
    reference.run({.max_steps = c.steps - kept});
    EXPECT_TRUE(simulator.snapshot() == reference.snapshot());
  }
}


// A device on the movx bus answers differently every time; going back and
// forward again gives its recorded answers without asking it.
TEST(HistoryBack, DevicesOnTheMovxBusAreNotAskedAgain) {
  constexpr const char* kSource =
      "loop: movx a,@r0\n inc r0\n movx @r0,a\n add a,r0\n mov r5,a\n jmp loop\n";
  struct Device {
    int reads = 0;
    int writes = 0;
    std::uint8_t last = 0;
    void attach(Simulator& s) {
      s.set_external_bus({[this](std::uint8_t address) { return static_cast<std::uint8_t>(++reads * 7 + address); },
                          [this](std::uint8_t, std::uint8_t value) {
                            ++writes;
                            last = value;
                          }});
    }
  };
  constexpr std::uint64_t kSteps = 300;
  Device reference_device;
  Simulator reference = assembled(kSource);
  reference_device.attach(reference);
  std::vector<Simulator::Snapshot> kept{reference.snapshot()};
  for (std::uint64_t i = 0; i < kSteps; ++i) {
    reference.step();
    kept.push_back(reference.snapshot());
  }
  Device device;
  Simulator simulator = assembled(kSource);
  device.attach(simulator);
  History history(HistoryBounds{.segment_steps = 13});
  history.run(simulator, {.max_steps = kSteps});
  ASSERT_TRUE(simulator.snapshot() == kept.back());
  const int reads = device.reads;
  const int writes = device.writes;
  ASSERT_GT(reads, 40);
  for (std::uint64_t i = kSteps; i-- > 0;) {
    ASSERT_TRUE(history.back(simulator));
    ASSERT_TRUE(simulator.snapshot() == kept[i]) << "back to step " << i;
  }
  for (std::uint64_t i = 1; i <= kSteps; ++i) {
    history.step(simulator);
    ASSERT_TRUE(simulator.snapshot() == kept[i]) << "forward to step " << i;
  }
  EXPECT_EQ(device.reads, reads);
  EXPECT_EQ(device.writes, writes);
  // The device answers new steps again.
  history.run(simulator, {.max_steps = 10});
  EXPECT_GT(device.reads, reads);
}
}  // namespace
}  // namespace zorvin::sim::test
