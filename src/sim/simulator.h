// An instruction-level simulator of the 8048 family (MCS-48 and UPI-41/42):
// every instruction with its effect and its machine cycles as Intel's
// manuals give them, the timer and event counter, both interrupts, the
// ports with their pins, external data memory and the UPI host interface.
//
// Time is counted in machine cycles (one cycle = 15 clocks). A run goes
// from instruction boundary to instruction boundary; the outside world acts
// at boundaries: inputs scheduled for a cycle take effect at the first
// boundary at or after it, and output changes are reported with the cycle
// at the end of the instruction that made them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/variant.h"

namespace zorvin::sim {

inline constexpr int kClocksPerCycle = 15;
inline constexpr std::uint64_t kDefaultClockHz = 6'000'000;
inline constexpr std::uint16_t kExternalInterruptVector = 0x003;
inline constexpr std::uint16_t kTimerInterruptVector = 0x007;
inline constexpr int kPrescalerCycles = 32;

enum class TimerMode : std::uint8_t { Stopped, Timer, Counter };

// Everything a program can change or test. Plain data: a debugger reads and
// changes it between runs. The registers R0-R7 and the stack live in `ram`.
struct State {
  std::uint16_t pc = 0;            // 12 bits; bit 11 is the program memory bank
  std::uint8_t a = 0;
  bool carry = false;              // C
  bool aux_carry = false;          // AC
  bool f0 = false;
  bool f1 = false;
  bool bank1 = false;              // BS: R0-R7 at 18H-1FH instead of 00H-07H
  std::uint8_t sp = 0;             // stack pointer 0-7: the stack is RAM 08H-17H
  bool memory_bank1 = false;       // MBF (sel mb1): A11 of the next jmp or call
  bool interrupt_enabled = false;  // en i
  bool timer_interrupt_enabled = false;  // en tcnti
  bool in_interrupt = false;       // an interrupt routine runs until retr
  bool timer_flag = false;         // TF: set on overflow, cleared by jtf
  bool timer_interrupt_pending = false;  // overflow waiting for the timer interrupt
  TimerMode timer_mode = TimerMode::Stopped;
  std::uint8_t timer = 0;          // T
  std::uint8_t prescaler = 0;      // cycles counted towards the next timer step, 0-31
  bool clock_output = false;       // ent0 clk
  std::uint8_t p1 = 0xFF;          // output latches
  std::uint8_t p2 = 0xFF;
  std::uint8_t bus = 0xFF;
  bool bus_output = false;         // BUS drives its latch (outl bus, anl/orl bus) until ins a,bus
  std::array<std::uint8_t, 4> expander{0x0F, 0x0F, 0x0F, 0x0F};  // P4-P7 of an 8243 (movd, anld, orld)
  std::uint8_t expander_outputs = 0;  // bit n: P(4+n) was last written (an output), not read
  std::array<std::uint8_t, 256> ram{};   // internal RAM; addresses wrap at the part's size
  std::array<std::uint8_t, 256> xram{};  // external data memory (movx)
  // UPI-41/42 host interface
  std::uint8_t dbb_in = 0;         // written by the host, read by in a,dbb
  std::uint8_t dbb_out = 0;        // written by out dbb,a, read by the host
  bool ibf = false;                // input buffer full
  bool obf = false;                // output buffer full
  std::uint8_t status_high = 0;    // STS bits 7-4 (mov sts,a)
  bool flags_enabled = false;      // en flags: P24 = OBF, P25 = not IBF
  bool dma_enabled = false;        // en dma
  std::uint64_t cycles = 0;        // machine cycles since power-on
  std::uint64_t steps = 0;         // instructions and interrupt entries since power-on

  bool operator==(const State&) const = default;
};

// Pins and ports the outside can drive and observe.
enum class Port : std::uint8_t { Bus, P1, P2, P4, P5, P6, P7, T0, T1, Int };
inline constexpr int kPortCount = 10;

// A pin level that changed: the whole port's level (0/1 for T0, T1, INT),
// with the cycle at the end of the instruction that changed it or, for a
// change from outside, the boundary where it took effect.
struct PinEvent {
  std::uint64_t cycle = 0;
  Port port = Port::P1;
  std::uint8_t level = 0;
};

// One instruction (or interrupt entry) as it ran, for a trace.
struct TraceStep {
  std::uint64_t cycle = 0;       // cycle count when it began
  std::uint16_t pc = 0;          // its address (for an interrupt entry: where the program was)
  std::uint8_t bytes[2] = {0, 0};
  std::uint8_t length = 0;       // 1 or 2; 0 for an interrupt entry
  std::uint16_t vector = 0;      // 003H or 007H for an interrupt entry
};

// A call of the outside world (drive, schedule, the UPI host) as a history
// records it, to make it again when it re-runs the time it was made in.
struct Input {
  enum class Kind : std::uint8_t { Drive, Schedule, ClearSchedule, HostWrite, HostRead };
  std::uint64_t after_events = 0;  // pin events reported before it (Simulator::pin_events)
  std::uint64_t cycle = 0;         // Schedule: when
  Kind kind = Kind::Drive;
  Port port = Port::P1;
  std::uint8_t value = 0;          // HostWrite: the byte
  std::uint8_t mask = 0xFF;        // bits set; HostWrite: 1 for a command
};

enum class StopReason : std::uint8_t {
  StepLimit,        // max_steps run
  CycleLimit,       // a boundary at or after until_cycle reached
  Address,          // the PC reached stop_at
  Breakpoint,       // the PC reached a breakpoint
  UndefinedOpcode,  // the byte at `pc` is no instruction of this part; nothing was run
};

struct RunLimits {
  std::uint64_t max_steps = UINT64_MAX;    // instructions and interrupt entries
  std::uint64_t until_cycle = UINT64_MAX;  // absolute cycle count
  int stop_at = -1;                        // program address, or -1
};

struct RunResult {
  StopReason reason = StopReason::StepLimit;
  std::uint16_t pc = 0;     // where the run stopped
  std::uint8_t opcode = 0;  // the byte at pc (the undefined one for UndefinedOpcode)
  std::uint64_t steps = 0;  // steps run by this call
};

// German message for a run that stopped on an undefined opcode, e.g.
// "Undefinierter Befehlscode 01H bei Adresse 0123H"; empty for other stops.
std::string stop_message(const RunResult& result);

class Simulator {
 public:
  explicit Simulator(Variant variant = Variant::I8048);

  Variant variant() const { return variant_; }
  const VariantInfo& part() const { return info(variant_); }

  // Program memory. load_program copies bytes from `address` on (bytes
  // beyond the part's program memory are not stored) and returns how many
  // it stored; the rest of the memory keeps its content (zero at first).
  std::size_t load_program(std::span<const std::uint8_t> bytes, std::uint16_t address = 0);
  std::span<std::uint8_t> program() { return {rom_.data(), static_cast<std::size_t>(part().program_size)}; }
  std::span<const std::uint8_t> program() const {
    return {rom_.data(), static_cast<std::size_t>(part().program_size)};
  }

  // Reset as the RESET pin does it: PC 0, SP 0, register bank 0, memory
  // bank 0, interrupts off and none in progress, timer stopped, TF, F0 and F1
  // cleared, P1 and P2 FFH, BUS floating, no clock output. A, C, AC, the
  // timer and the RAM keep their values; the cycle count goes on.
  void reset();
  // Everything back to power-on: all registers and memories 0, then reset();
  // the program memory, breakpoints, inputs and the schedule stay.
  void power_on();

  State& state() { return state_; }
  const State& state() const { return state_; }

  // The PSW as mov a,psw reads it (bit 3 reads 1), and its setting as
  // mov psw,a does it.
  std::uint8_t psw() const;
  void set_psw(std::uint8_t value);
  // R0-R7 of the selected bank.
  std::uint8_t reg(int n) const;
  void set_reg(int n, std::uint8_t value);
  // Internal RAM at an address (wrapped at the part's RAM size).
  std::uint8_t ram(int address) const;

  // --- the outside world ---------------------------------------------------
  // What drives a port from outside: P1, P2 and BUS a byte (FFH: nothing
  // pulls low), P4-P7 a nibble, T0, T1 and INT 0 or 1 (INT is active low).
  // Takes effect now, i.e. at the current boundary.
  void drive(Port port, std::uint8_t value);
  void drive_bit(Port port, int bit, bool level);
  std::uint8_t driven(Port port) const { return drive_[static_cast<int>(port)]; }
  // The same at a later cycle (earlier cycles take effect at once). Changes
  // for the same cycle apply in the order they were scheduled.
  void schedule(std::uint64_t cycle, Port port, std::uint8_t value);
  void schedule_bit(std::uint64_t cycle, Port port, int bit, bool level);
  void clear_schedule();
  // The level at the pins: for P1 and P2 the latch ANDed with what drives
  // it (quasi-bidirectional), with the UPI flags on P24/P25; BUS its latch
  // while it outputs, else what drives it; inputs what drives them.
  std::uint8_t pin_level(Port port) const;
  // Called for every change of a pin level, from inside the run; it may
  // schedule inputs. An empty function turns the reports off.
  void set_pin_listener(std::function<void(const PinEvent&)> listener);

  // Pin events reported so far (counted whether or not a listener is set).
  std::uint64_t pin_events() const { return pin_events_; }
  const std::function<void(const PinEvent&)>& pin_listener() const { return pin_listener_; }
  // While set, every call of drive, schedule, clear_schedule and the host
  // side is appended to `log` (a history records what listeners do).
  void set_input_log(std::vector<Input>* log) { input_log_ = log; }
  // Makes a recorded call again, without logging it.
  void apply(const Input& input);

  // UPI-41/42 host side: a write to the data bus buffer (A0 = 1 for a
  // command: F1 takes A0), a read of it (clears OBF) and of the status.
  void host_write(std::uint8_t value, bool command);
  std::uint8_t host_read();
  std::uint8_t host_status() const;

  // External data memory and devices on the MOVX bus: while set, movx
  // reads and writes go to these (with the address from R0/R1; the cycle
  // the instruction began is state().cycles) instead of `xram`.
  struct ExternalBus {
    std::function<std::uint8_t(std::uint8_t address)> read;
    std::function<void(std::uint8_t address, std::uint8_t value)> write;
  };
  void set_external_bus(ExternalBus bus) { external_bus_ = std::move(bus); }
  const ExternalBus& external_bus() const { return external_bus_; }

  // --- running -------------------------------------------------------------
  // Runs from the current boundary until a limit is reached. Breakpoints and
  // stop_at are not checked at the boundary the run starts from, so that a
  // run continues from a breakpoint.
  RunResult run(const RunLimits& limits);
  RunResult step() { return run(RunLimits{.max_steps = 1}); }
  // One step, except that a call runs until it has returned to the next
  // instruction at the same stack depth (or a breakpoint, an undefined
  // opcode or `until_cycle` stops it on the way).
  RunResult step_over(std::uint64_t until_cycle = UINT64_MAX);

  void set_breakpoint(std::uint16_t address, bool on);
  bool breakpoint(std::uint16_t address) const { return breakpoints_[address & 0xFFF] != 0; }
  void clear_breakpoints();

  // A11 of the next jmp or call: the memory bank flag (sel mb0/mb1), held
  // at 0 while an interrupt routine runs; 800H or 0.
  std::uint16_t jump_bank() const;

  // Called after every step while set; slows the run down. An empty
  // function turns tracing off.
  void set_trace(std::function<void(const TraceStep&)> trace);
  const std::function<void(const TraceStep&)>& trace() const { return trace_; }

  // Crystal frequency; time = cycles * 15 / Hz.
  void set_clock_hz(std::uint64_t hz) { clock_hz_ = hz == 0 ? kDefaultClockHz : hz; }
  std::uint64_t clock_hz() const { return clock_hz_; }
  double seconds(std::uint64_t cycles) const {
    return static_cast<double>(cycles) * kClocksPerCycle / static_cast<double>(clock_hz_);
  }

 private:
  struct Scheduled {
    std::uint64_t cycle;
    std::uint64_t order;
    Port port;
    std::uint8_t value;
    std::uint8_t mask;  // bits of the port it sets

    bool operator==(const Scheduled&) const = default;
  };

 public:
  // Everything a run depends on and changes besides the program memory and
  // the breakpoints: State, what drives the pins, the inputs still to come.
  // A history keeps these to go back in time; restore() reports nothing.
  struct Snapshot {
    State state;
    std::array<std::uint8_t, kPortCount> drive{};
    std::array<std::uint8_t, kPortCount> last_level{};
    std::vector<Scheduled> schedule;  // the pending inputs only
    std::uint64_t schedule_order = 0;
    std::uint64_t pin_events = 0;

    bool operator==(const Snapshot&) const = default;
  };
  Snapshot snapshot() const;
  void restore(const Snapshot& snapshot);

 private:

  template <bool kChecked>
  RunResult run_loop(const RunLimits& limits);
  bool execute(std::uint8_t opcode);  // false: undefined on this part
  void boundary_events();
  bool interrupt_ready() const;
  void take_interrupt(TraceStep* trace);
  void recompute_next_event();
  void count_timer(std::uint64_t cycles);
  void sync_timer();
  void timer_step();
  void schedule_change(std::uint64_t cycle, Port port, std::uint8_t value, std::uint8_t mask);
  void apply_drive(Port port, std::uint8_t value, std::uint8_t mask, std::uint64_t cycle);
  void drive_bits(Port port, std::uint8_t value, std::uint8_t mask);
  void drop_schedule();
  void notice_pins(std::uint64_t cycle);
  void push_return();
  void pop_return(bool restore_psw);
  std::uint16_t long_target(std::uint8_t opcode, std::uint8_t low) const;
  std::uint8_t fetch();
  std::uint8_t& r(int n) { return state_.ram[static_cast<std::size_t>(((state_.bank1 ? 24 : 0) + n) & ram_mask_)]; }
  std::uint8_t& at(std::uint8_t address) { return state_.ram[static_cast<std::size_t>(address & ram_mask_)]; }
  void add(std::uint8_t value, bool with_carry);
  void expander_data_out();
  void jump_in_page(bool condition);

  Variant variant_;
  bool upi_ = false;
  int ram_mask_ = 63;
  std::uint16_t program_mask_ = 0xFFF;
  State state_;
  std::array<std::uint8_t, 4096> rom_{};
  std::array<std::uint8_t, 4096> breakpoints_{};
  bool any_breakpoint_ = false;
  std::array<std::uint8_t, kPortCount> drive_{};
  std::array<std::uint8_t, kPortCount> last_level_{};
  std::vector<Scheduled> schedule_;  // sorted by cycle, then order
  std::size_t schedule_next_ = 0;
  std::uint64_t schedule_order_ = 0;
  std::uint64_t next_event_ = 0;  // the boundary at or after which the slow path must run
  std::function<void(const PinEvent&)> pin_listener_;
  std::function<void(const TraceStep&)> trace_;
  ExternalBus external_bus_;
  std::uint64_t clock_hz_ = kDefaultClockHz;
  const std::uint8_t* cycles_ = nullptr;  // machine cycles by opcode for this part
  std::uint64_t timer_synced_ = 0;        // the cycle up to which the prescaler has counted
  std::uint64_t limit_cycle_ = UINT64_MAX;
  std::uint64_t pin_events_ = 0;
  std::vector<Input>* input_log_ = nullptr;
};

}  // namespace zorvin::sim
