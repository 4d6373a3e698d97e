// Stack depth: call chains from every entry, interrupts on top of the
// deepest point of the main program, recursion, and the hint beyond the
// stack's eight levels.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis_test_program.h"

namespace {

using zorvin::analysis::Analysis;
using zorvin::analysis::FindingKind;
using zorvin::analysis::testing::analyse_source;

// Main calls c1, c1 calls c2, ... cN returns: N levels deep. `isr` is the
// external interrupt's code at 003H, `enable` the main program's first line.
std::string chain_program(int depth, const std::string& isr, const std::string& enable) {
  std::string source = "        org 0\nstart:  jmp main\n        org 3\n" + isr + "        org 7\n        retr\n";
  source += "        org 20h\nmain:   " + enable + "\n        call c1\nhalt:   jmp halt\n";
  for (int level = 1; level <= depth; ++level) {
    source += "c" + std::to_string(level) + ":     ";
    source += level < depth ? "call c" + std::to_string(level + 1) + "\n        ret\n" : "ret\n";
  }
  source += "isrsub: ret\n";
  return source;
}

int count_of(const Analysis& analysis, FindingKind kind) {
  int count = 0;
  for (const auto& finding : analysis.findings) count += finding.kind == kind ? 1 : 0;
  return count;
}

TEST(AnalysisDepth, ChainsAndInterruptsAgainstTheEightLevels) {
  const std::string plain_isr = "        retr\n";
  const std::string calling_isr = "        call isrsub\n        retr\n";
  struct Case {
    const char* what;
    int depth;
    std::string isr;
    std::string enable;
    int main_depth;
    int interrupt_depth;
    int worst;
    bool too_deep;
  };
  const Case cases[] = {
      {"9 calls", 9, plain_isr, "nop", 9, 0, 9, true},
      {"8 calls fit", 8, plain_isr, "nop", 8, 0, 8, false},
      {"interrupt with a call on 7", 7, calling_isr, "en i", 7, 2, 9, true},
      {"interrupt alone on 7", 7, plain_isr, "en i", 7, 1, 8, false},
      {"interrupt never enabled", 7, calling_isr, "nop", 7, 0, 7, false},
      {"timer enable leaves the external one out", 7, calling_isr, "en tcnti", 7, 1, 8, false},
  };
  for (const Case& c : cases) {
    const Analysis analysis = analyse_source(chain_program(c.depth, c.isr, c.enable));
    EXPECT_EQ(analysis.stack.main_depth, c.main_depth) << c.what;
    EXPECT_EQ(analysis.stack.interrupt_depth, c.interrupt_depth) << c.what;
    EXPECT_EQ(analysis.stack.worst, c.worst) << c.what;
    EXPECT_EQ(count_of(analysis, FindingKind::StackTooDeep), c.too_deep ? 1 : 0) << c.what;
  }
}

TEST(AnalysisDepth, TheHintNamesTheChainAtTheDeepestCall) {
  const std::string source = chain_program(9, "        call isrsub\n        retr\n", "en i");
  const Analysis analysis = analyse_source(source);
  ASSERT_EQ(count_of(analysis, FindingKind::StackTooDeep), 1);
  for (const auto& finding : analysis.findings) {
    if (finding.kind != FindingKind::StackTooDeep) continue;
    EXPECT_EQ(finding.text,
              "Stapeltiefe 11 übersteigt die 8 Ebenen des Stapels: start (000h) -> c1 (025h) -> c2 (028h) -> "
              "c3 (02Bh) -> c4 (02Eh) -> c5 (031h) -> c6 (034h) -> c7 (037h) -> c8 (03Ah) -> c9 (03Dh), "
              "darauf die Unterbrechung 003h -> isrsub (03Eh)");
    // The interrupt's own call is the deepest one: line 4 ("call isrsub").
    EXPECT_EQ(finding.line, 4);
    EXPECT_EQ(zorvin::analysis::format_finding(finding).substr(0, 23), "Zeile: 4 -> Hinweis: St");
  }
}

TEST(AnalysisDepth, RecursionIsReportedAndDoesNotHang) {
  const Analysis analysis = analyse_source(
      "        org 0\n        call a\nh:      jmp h\n        org 10h\na:      call b\n        ret\nb:      jc out\n"
      "        call a\nout:    ret\n");
  ASSERT_EQ(count_of(analysis, FindingKind::Recursion), 1);
  EXPECT_EQ(analysis.findings.front().line, 8);
  EXPECT_EQ(analysis.stack.main_depth, 2);
}

TEST(AnalysisDepth, UserEntriesAreRootsOfTheirOwn) {
  const std::string source =
      "        org 0\nh:      jmp h\n        org 40h\nside:   call deep\n        ret\ndeep:   call deeper\n"
      "        ret\ndeeper: ret\n";
  const auto program = zorvin::analysis::testing::program_of(source);
  const auto entry = zorvin::analysis::resolve_entry(program, "SIDE");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(*entry, 0x40);
  const Analysis without = analyse_source(source);
  EXPECT_EQ(without.stack.main_depth, 0);
  EXPECT_EQ(count_of(without, FindingKind::Unreached), 1);
  const Analysis with = analyse_source(source, {.entries = {*entry}});
  EXPECT_EQ(with.stack.main_depth, 2);
  EXPECT_EQ(count_of(with, FindingKind::Unreached), 0);
}

TEST(AnalysisDepth, EntriesAreLabelsOrNumbersInsideMemory) {
  const auto program = zorvin::analysis::testing::program_of("        org 10h\nHere:   ret\n");
  struct Case {
    const char* text;
    std::optional<std::int32_t> entry;
  };
  const Case cases[] = {{"here", 0x10}, {"HERE", 0x10}, {"123h", 0x123}, {"0x1F", 0x1F}, {"291", 291},
                        {"1000h", std::nullopt}, {"elsewhere", std::nullopt}, {"#5", std::nullopt}, {"", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(zorvin::analysis::resolve_entry(program, c.text), c.entry) << c.text;
}

TEST(AnalysisDepth, ABareImageGivesTheSameDepth) {
  zorvin::asm48::Assembler assembler;
  ASSERT_TRUE(assembler.run(chain_program(9, "        retr\n", "en i")).ok());
  std::vector<std::uint8_t> image(0x60, 0);
  for (const auto& record : assembler.table().records) {
    const auto code = assembler.table().code_of(record);
    for (std::size_t i = 0; i < code.size(); ++i) image[static_cast<std::size_t>(record.address) + i] = code[i];
  }
  const Analysis analysis = zorvin::analysis::analyse(zorvin::analysis::program_from_image(image));
  EXPECT_EQ(analysis.stack.worst, 10);
  EXPECT_EQ(count_of(analysis, FindingKind::Unreached), 0);  // nothing to tell code from data
}

}  // namespace

namespace {

TEST(AnalysisDepth, LongChainsAreCutInTheMiddle) {
  const auto program = zorvin::analysis::testing::program_of("        nop\n");
  std::vector<std::int32_t> entries;
  for (std::int32_t i = 0; i < 20; ++i) entries.push_back(i);
  EXPECT_EQ(zorvin::analysis::chain_text(program, entries),
            "000h -> 001h -> 002h -> 003h -> 004h -> 005h -> ... (8 weitere) -> 00Eh -> 00Fh -> 010h -> 011h -> 012h -> 013h");
  entries.resize(18);
  EXPECT_EQ(zorvin::analysis::chain_text(program, entries).find("weitere"), std::string::npos);
}

// Code that runs into another routine's entry (instead of calling it) adds
// no level, but what that routine calls counts.
TEST(AnalysisDepth, RunningIntoARoutineAddsNoLevel) {
  const Analysis analysis = analyse_source(
      "        org 0\n        call a\n        call b\nh:      jmp h\n        org 10h\na:      nop\nb:      call c\n"
      "        ret\nc:      ret\n");
  EXPECT_EQ(analysis.stack.main_depth, 2);
  EXPECT_EQ(analysis.findings.size(), 0u);
  ASSERT_FALSE(analysis.stack.entries.empty());
  const auto& chain = analysis.stack.entries.front().chain;
  EXPECT_EQ(chain.entries, (std::vector<std::int32_t>{0x000, 0x010, 0x014}));
  EXPECT_EQ(chain.sites, (std::vector<std::int32_t>{0x000, 0x011}));
}

// Recursion through a routine that runs into its caller's entry.
TEST(AnalysisDepth, RecursionThroughCodeThatRunsOnIsFound) {
  const Analysis analysis = analyse_source(
      "        org 0\n        call a\nh:      jmp h\n        org 10h\na:      call b\n        ret\nb:      jc out\n"
      "        jmp a\nout:    ret\n");
  int recursions = 0;
  for (const auto& finding : analysis.findings) recursions += finding.kind == FindingKind::Recursion ? 1 : 0;
  EXPECT_EQ(recursions, 1);
}

}  // namespace
