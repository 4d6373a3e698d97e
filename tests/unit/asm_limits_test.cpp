// Sources that would run for minutes or fill the memory: each run ends
// with an error line naming the bound it reached and the line. How long
// they take is measured by bench_limits, not here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/diagnostics.h"

namespace zorvin::asm48 {
namespace {

std::string repeated(const std::string& piece, int times) {
  std::string out;
  out.reserve(piece.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// m0 does nothing; each further level calls the one below twice.
std::string macro_tree(int levels) {
  std::string text = " cpu 8048\nm0 macro\n if 0\n nop\n endif\n endm\n";
  for (int i = 1; i < levels; ++i)
    text += "m" + std::to_string(i) + " macro\n m" + std::to_string(i - 1) + "\n m" + std::to_string(i - 1) + "\n endm\n";
  return text + " m" + std::to_string(levels - 1) + "\n";
}

struct Bounded {
  const char* name;
  std::string source;
  std::string error;  // the run's only error line
};

std::vector<Bounded> bounded_sources() {
  return {
      {"two nested loops", " cpu 8048\n rept 65536\n rept 65536\n endm\n endm\n",
       "Zeile: 2" + std::string(kTooManyLoopIterations)},
      {"three nested loops", " cpu 8048\n rept 65536\n rept 65536\n rept 65536\n endm\n endm\n endm\n",
       "Zeile: 2" + std::string(kTooManyLoopIterations)},
      {"long expression in a loop", " cpu 8048\n rept 65536\n org 0" + repeated("+0", 500000) + "\n endm\n",
       "Zeile: 2" + std::string(kTooManyTokens)},
      {"long string in a loop", " cpu 8048\n rept 65536\n if 0\n db \"" + std::string(1000000, 'x') + "\"\n endif\n endm\n",
       "Zeile: 2" + std::string(kTooMuchText)},
      {"macro doubling its argument", " cpu 8048\ngrow macro p\n grow p p\n endm\n grow a\n",
       "Zeile: 5" + std::string(kExpandedLineTooLong)},
      {"70000 nested loops", " cpu 8048\n" + repeated(" rept 2\n", 70000) + " nop\n" + repeated(" endm\n", 70000),
       "Zeile: 2" + std::string(kTooMuchText)},
      {"macro calls doubling 40 times", macro_tree(40), "Zeile: " + std::to_string(1 + 5 + 4 * 39 + 1) +
                                                            std::string(kTooManyStatements)},
      {"plain text larger than the bound", std::string(kMaxTextBytes, ';') + "\n nop\n",
       "Zeile: 1" + std::string(kTextTooLarge)},
  };
}

TEST(AsmLimits, EveryHostileSourceEndsWithItsBound) {
  for (const Bounded& source : bounded_sources()) {
    SCOPED_TRACE(source.name);
    Assembler assembler;
    const AssemblyResult result = assembler.run(source.source);
    EXPECT_EQ(result.error_lines, std::vector<std::string>{source.error});
    EXPECT_EQ(result.summary, "1 Fehler beim Assemblieren!");
  }
}

// Every error counts, but only the first lines are kept, in both dialects.
TEST(AsmLimits, ErrorLinesBeyondTheKeptOnesAreOnlyCounted) {
  Assembler assembler;
  const AssemblyResult plain = assembler.run(repeated(" foo\n", 20000));
  EXPECT_EQ(plain.error_count, 20000);
  ASSERT_EQ(plain.error_lines.size(), kMaxKeptErrorLines);
  EXPECT_EQ(plain.error_lines.back(), "Zeile: 10000 -> Syntaxfehler");
  EXPECT_EQ(plain.summary, "20000 Fehler beim Assemblieren!");
}

// The extended dialect stops at its bound of errors; its last line then says
// so, where the window and zorvin-asm both show it. Without statements left
// nothing was cut off, and nothing is said.
TEST(AsmLimits, AStopAtTheBoundOfErrorsIsSaid) {
  const std::string note =
      "... Assemblieren nach 999 Fehlern abgebrochen: weitere Fehler nicht gezeigt, der Rest der Quelle ungeprüft";
  const struct {
    std::string source;
    int errors;
    bool said;
  } cases[] = {
      {repeated(" foo\n", 20000), 999, true},
      {repeated(" foo\n", 999) + " nop\n", 999, true},
      {repeated(" foo\n", 999) + "\n; the end\n\n", 999, false},
      {repeated(" foo\n", 998), 998, false},
  };
  for (const auto& c : cases) {
    Assembler assembler;
    const AssemblyResult result = assembler.run(" cpu 8048\n" + c.source);
    EXPECT_EQ(result.error_count, c.errors);
    ASSERT_EQ(result.error_lines.size(), static_cast<std::size_t>(c.errors + (c.said ? 1 : 0)));
    EXPECT_EQ(result.error_lines.back() == note, c.said) << result.error_lines.back();
    EXPECT_EQ(result.summary, std::to_string(c.errors) + " Fehler beim Assemblieren!");
  }
}

// Near the bounds, but within them: what a large program may need.
TEST(AsmLimits, LargeOrdinarySourcesStayWithinTheBounds) {
  const struct {
    const char* name;
    std::string source;
  } sources[] = {
      // Only blank lines besides the code: no macro, no loop, no message.
      {"a million blank lines, plain", repeated("\n", 1040000) + " nop\n"},
      {"a million blank lines, extended", " cpu 8048\n" + repeated("\n", 1040000) + " nop\n"},
      {"a loop of 60000 short statements", " cpu 8048\nx set 0\n rept 60000\nx set x+1\n endm\n if x <> 60000\n db 1,2\n endif\n nop\n"},
      {"macro tree of 2^16 calls", macro_tree(17) + " nop\n"},
  };
  for (const auto& source : sources) {
    SCOPED_TRACE(source.name);
    Assembler assembler;
    const AssemblyResult result = assembler.run(source.source);
    EXPECT_TRUE(result.error_lines.empty()) << result.error_lines.front();
    ASSERT_EQ(assembler.table().code.size(), 1u);
    EXPECT_EQ(assembler.table().code[0], 0x00);
  }
}

}  // namespace
}  // namespace zorvin::asm48
