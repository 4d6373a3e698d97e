// Every image comes back byte for byte: disassembled, then assembled by the
// extended dialect with the fill byte the source names. Random images of
// every kind, and images of real programs written here.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dis/disassembler.h"
#include "round_trip.h"

namespace {

using zorvin::dis::disassemble;
using zorvin::dis::DisassemblyOptions;

// Raw mt19937 words: the same numbers on every platform and library.
class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_() % n); }
  std::uint8_t byte() { return static_cast<std::uint8_t>(engine_() & 0xFF); }

 private:
  std::mt19937 engine_;
};

struct Case {
  std::int32_t base = 0;
  std::vector<std::uint8_t> bytes;
  DisassemblyOptions options;
};

// Random bytes, with runs of the fill byte (also at the start and at the
// end, where they look like a trailing fill) and of printable text.
Case random_case(Random& random, int kind) {
  Case c;
  c.options.fill_byte = random.below(2) ? 0xFF : 0x00;
  const bool upi = kind % 7 == 6;
  c.options.cpu = upi ? "8042" : (kind % 3 == 0 ? "8049" : "8048");
  const std::uint32_t memory = upi ? 2048 : 4096;
  std::uint32_t size = (kind % 2 == 0 || upi) ? 2048 : 4096;
  if (kind % 5 == 4) {  // any length at any place
    c.base = static_cast<std::int32_t>(random.below(memory));
    size = 1 + random.below(memory - static_cast<std::uint32_t>(c.base));
  }
  c.bytes.resize(size);
  for (auto& b : c.bytes) b = random.byte();
  const std::uint32_t runs = random.below(6);
  for (std::uint32_t r = 0; r < runs; ++r) {
    const std::uint32_t length = 1 + random.below(300);
    std::uint32_t start = random.below(size);
    if (r == 0 && kind % 4 == 1) start = size > length ? size - length : 0;  // up to the end
    if (r == 1 && kind % 4 == 2) start = 0;
    const bool text = random.below(4) == 0;
    for (std::uint32_t i = start; i < start + length && i < size; ++i)
      c.bytes[i] = text ? static_cast<std::uint8_t>(0x20 + random.below(0x5F)) : c.options.fill_byte;
  }
  const std::uint32_t entries = random.below(3);
  for (std::uint32_t e = 0; e < entries; ++e)
    c.options.entries.push_back(c.base + static_cast<std::int32_t>(random.below(size)));
  return c;
}

// Empty when the image came back; else what went wrong, with the source
// kept in a file for a look.
std::string round_trip(const Case& c, const std::string& name) {
  const auto source = disassemble(c.base, c.bytes, c.options);
  if (!source.ok()) return "not disassembled: " + source.error;
  const auto again = zorvin::test::reassemble(source.text, c.options.fill_byte);
  const auto expected = zorvin::test::placed(c.base, c.bytes, c.options.fill_byte);
  if (again.errors.empty() && again.image == expected) return {};
  const std::string path = std::string(ZORVIN_TEST_TMP) + "/" + name + ".asm";
  std::ofstream(path) << source.text;
  std::string why = again.errors.empty() ? "image differs" : again.errors.front();
  if (again.errors.empty()) {
    std::size_t at = 0;
    while (at < again.image.size() && at < expected.size() && again.image[at] == expected[at]) ++at;
    why += " first at " + std::to_string(at) + " (sizes " + std::to_string(again.image.size()) + ", " +
           std::to_string(expected.size()) + ")";
  }
  return why + "; source in " + path;
}

// The sanitizer build looks for memory faults on the first tenth of them,
// where the whole set would take minutes; the normal build runs them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRandomImages = 1000;
#else
constexpr int kRandomImages = 10000;
#endif

TEST(DisRoundTrip, RandomImagesComeBackByteForByte) {
  std::filesystem::create_directories(ZORVIN_TEST_TMP);
  Random random(48);
  int failures = 0;
  for (int i = 0; i < kRandomImages && failures < 3; ++i) {
    const Case c = random_case(random, i);
    const std::string why = round_trip(c, "random_" + std::to_string(i));
    if (!why.empty()) {
      ++failures;
      ADD_FAILURE() << "image " << i << " (cpu " << c.options.cpu << ", base " << c.base << ", " << c.bytes.size()
                    << " bytes): " << why;
    }
  }
}

TEST(DisRoundTrip, ImagesThatAreAllFillOrEndInIt) {
  std::filesystem::create_directories(ZORVIN_TEST_TMP);
  for (const std::uint8_t fill : {0x00, 0xFF}) {
    for (const std::size_t size : {1u, 2u, 17u, 2048u, 4096u}) {
      Case all_fill;
      all_fill.options.fill_byte = fill;
      all_fill.bytes.assign(size, fill);
      EXPECT_EQ(round_trip(all_fill, "fill"), "") << size;
      Case code_then_fill = all_fill;
      code_then_fill.bytes[0] = 0x04;  // jmp 0xx: into the fill
      if (size > 1) code_then_fill.bytes[1] = static_cast<std::uint8_t>(size - 1);
      EXPECT_EQ(round_trip(code_then_fill, "code_then_fill"), "") << size;
    }
  }
}

// Programs as they are written for the part, assembled first.
const char* const kPrograms[] = {
    // A blinking port with a timer interrupt and a movp table of patterns.
    R"(        cpu     8048
        org     0
        jmp     start
        org     7
        jmp     timer
start:  mov     r7,#0
        en      tcnti
        mov     a,#0C0h
        mov     t,a
        strt    t
loop:   mov     a,r7
        anl     a,#7
        add     a,#patterns & 0FFh
        movp    a,@a
        outl    p1,a
        call    wait
        inc     r7
        jmp     loop
wait:   mov     r6,#200
w1:     djnz    r6,w1
        ret
patterns:
        db      01h, 02h, 04h, 08h, 10h, 20h, 40h, 80h
timer:  sel     rb1
        mov     a,#0C0h
        mov     t,a
        sel     rb0
        retr
)",
    // A command dispatcher through a jmpp table, and a message in page 3.
    R"(        cpu     8049
        org     0
        jmp     main
        org     3
        retr
        org     10h
main:   in      a,p2
        anl     a,#3
        jmpp    @a
        db      cmd0 & 0FFh, cmd1 & 0FFh, cmd2 & 0FFh, cmd3 & 0FFh
cmd0:   mov     r0,#20h
        jmp     send
cmd1:   clr     a
        jmp     main
cmd2:   cpl     f0
        jf0     cmd1
        jmp     main
cmd3:   jmp     main
send:   mov     r1,#0
s1:     mov     a,r1
        movp3   a,@a
        jz      main
        outl    bus,a
        inc     r1
        jmp     s1
        org     300h
        db      "Hallo 8048", 0
)",
    // Code in both banks of a 4 KiB part, reached through sel mb1.
    R"(        cpu     8050
        org     0
        sel     mb1
        call    far
        sel     mb0
        jmp     near
near:   mov     a,#55h
        outl    p1,a
        jmp     near
        org     0A00h
far:    mov     r2,#12
f1:     djnz    r2,f1
        jnc     f2
        orl     p2,#80h
f2:     ret
        org     0FF0h
        db      "Ende", 0FFh, 0
)",
    // The UPI-41 host interface.
    R"(        cpu     8041
        org     0
        jmp     start
        org     3
        jmp     host
start:  en      i
        en      flags
idle:   jobf    idle
        jmp     idle
host:   in      a,dbb
        xrl     a,#0FFh
        out     dbb,a
        mov     sts,a
        jnibf   h1
h1:     retr
)",
};

TEST(DisRoundTrip, ProgramsWrittenForThePartsComeBack) {
  std::filesystem::create_directories(ZORVIN_TEST_TMP);
  int index = 0;
  for (const char* program : kPrograms) {
    for (const std::uint8_t fill : {0x00, 0xFF}) {
      const auto first = zorvin::test::reassemble(program, fill);
      ASSERT_TRUE(first.errors.empty()) << first.errors.front();
      Case c;
      c.bytes = first.image;
      c.options.fill_byte = fill;
      c.options.cpu = std::string(program).find("8041") != std::string::npos ? "8041" : "8050";
      EXPECT_EQ(round_trip(c, "program_" + std::to_string(index)), "") << program;
    }
    ++index;
  }
}

}  // namespace
