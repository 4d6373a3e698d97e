// zorvin-asm --analyse: the analysis lines between the saved image and the
// summary, --entry, and the exit status the analysis leaves alone.
#include <gtest/gtest.h>
#include <sys/wait.h>

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
  std::vector<std::string> lines;
  std::string err;
};

class AnalyseCli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  Outcome run(const std::string& source, const std::string& arguments) {
    std::ofstream(dir_ / "prog.asm", std::ios::binary) << source;
    Outcome result;
    const std::string program = zorvin::test::shell_command(zorvin::test::built_program_command(ZORVIN_ASM_EXE));
    const std::string command =
        "cd '" + dir_.string() + "' && timeout 20 " + program + " " + arguments + " prog.asm 2>stderr.txt";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::string out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) result.lines.push_back(line);
    std::ifstream err(dir_ / "stderr.txt");
    result.err.assign(std::istreambuf_iterator<char>(err), {});
    return result;
  }

  fs::path dir_;
};

bool has_line(const Outcome& outcome, const std::string& line) {
  for (const std::string& shown : outcome.lines)
    if (shown == line) return true;
  return false;
}

std::string deep_source(int depth) {
  std::string source = "        org 0\nstart:  call c1\nh:      jmp h\n        org 10h\n";
  for (int level = 1; level <= depth; ++level)
    source += "c" + std::to_string(level) + ":     " +
              (level < depth ? "call c" + std::to_string(level + 1) + "\n        ret\n" : "ret\n");
  return source;
}

TEST_F(AnalyseCli, ATooDeepStackIsAHintBeforeTheSummary) {
  const Outcome outcome = run(deep_source(9), "--analyse");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_GE(outcome.lines.size(), 4u);
  EXPECT_EQ(outcome.lines.back(), "Assemblieren ohne Fehler beendet.");
  EXPECT_EQ(outcome.lines[outcome.lines.size() - 2], "Analyse beendet: 1 Hinweis.");
  EXPECT_TRUE(has_line(outcome, "Analyse:"));
  EXPECT_TRUE(has_line(outcome, "Stapeltiefe im schlimmsten Fall: 9 von 8 Ebenen"));
  // c8 (line 19) calls c9: the ninth level.
  EXPECT_TRUE(has_line(outcome,
                       "Zeile: 19 -> Hinweis: Stapeltiefe 9 übersteigt die 8 Ebenen des Stapels: start (000h) -> "
                       "c1 (010h) -> c2 (013h) -> c3 (016h) -> c4 (019h) -> c5 (01Ch) -> c6 (01Fh) -> c7 (022h) -> "
                       "c8 (025h) -> c9 (028h)"));
}

TEST_F(AnalyseCli, WithoutTheOptionNothingIsAnalysed) {
  const Outcome outcome = run(deep_source(9), "");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_FALSE(has_line(outcome, "Analyse:"));
}

TEST_F(AnalyseCli, EntriesByLabelOrAddress) {
  const std::string source = "        org 0\nh:      jmp h\n        org 20h\nside:   mov a,#1\n        ret\n";
  EXPECT_TRUE(has_line(run(source, "--analyse"), "Zeile: 4 -> Hinweis: Code wird nie erreicht: 020h bis 022h (bis Zeile 5)"));
  for (const char* entry : {"SIDE", "20h", "0x20"}) {
    const Outcome outcome = run(source, std::string("--analyse --entry ") + entry);
    EXPECT_EQ(outcome.status, 0) << entry << outcome.err;
    EXPECT_TRUE(has_line(outcome, "Zeile: 4 -> Stapeltiefe ab side (020h): 0")) << entry;
    EXPECT_TRUE(has_line(outcome, "Analyse beendet: keine Hinweise.")) << entry;
  }
  const Outcome alone = run(source, "--entry side");
  EXPECT_EQ(alone.status, 2);
  EXPECT_NE(alone.err.find("--entry gilt nur zusammen mit --analyse"), std::string::npos) << alone.err;
  const Outcome wrong = run(source, "--analyse --entry nirgends");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.err.find("--entry nirgends ist weder eine Marke noch eine Adresse"), std::string::npos) << wrong.err;
}

TEST_F(AnalyseCli, TheExtendedDialectNamesItsLabels) {
  const std::string source =
      "        cpu 8048\n        org 0\nstart   call blink\nloop:   jmp loop\nblink:  mov r7,#0\nwait:   djnz r7,wait\n"
      "        ret\n";
  const Outcome outcome = run(source, "--analyse");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(has_line(outcome, "Zeile: 3 -> Stapeltiefe ab start (000h): 1 (start (000h) -> blink (004h))"));
  EXPECT_TRUE(has_line(outcome, "Zeile: 5 -> Zyklen ab blink (004h) bis 008h: 6, mit Schleifen: 4+2·N; N = 256 (r7): 516"));
}

TEST_F(AnalyseCli, AFailedRunIsNotAnalysed) {
  const Outcome outcome = run("        jmp nowhere\n", "--analyse");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_FALSE(has_line(outcome, "Analyse:"));
}

}  // namespace
