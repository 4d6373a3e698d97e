// The command-line assembler run as a script would run it, in a folder of
// its own for each test: its output lines, exit status and error stream.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "program_outcome.h"

namespace zorvin::test::asm_cli {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string dialect;  // the first line, "Dialekt: ...", when there is one
  std::string out;      // the lines after it
  std::string err;
};

inline std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A built program started in `dir`, as a script starts it.
inline Outcome run_built_program(const fs::path& dir, const char* program, const std::string& arguments) {
  zorvin::test::ProgramOutcome run = zorvin::test::run_built_program(dir, program, arguments);
  return {run.status, {}, std::move(run.out), std::move(run.err)};
}

class Cli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) / ("cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  Outcome assemble(const std::string& arguments) {
    Outcome result = run_built_program(dir_, ZORVIN_ASM_EXE, arguments);
    if (result.out.starts_with("Dialekt: ")) {
      const auto end = result.out.find('\n');
      result.dialect = result.out.substr(0, end);
      result.out.erase(0, end == std::string::npos ? end : end + 1);
    }
    return result;
  }

  fs::path dir_;
};

}  // namespace zorvin::test::asm_cli
