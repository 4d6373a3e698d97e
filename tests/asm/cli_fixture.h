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

#include "built_program.h"

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

class Cli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(ZORVIN_TEST_TMP) / ("cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  Outcome assemble(const std::string& arguments) {
    Outcome result;
    const std::string program = zorvin::test::shell_command(zorvin::test::built_program_command(ZORVIN_ASM_EXE));
    const std::string command =
        "cd '" + dir_.string() + "' && timeout 20 " + program + " " + arguments + " 2>stderr.txt";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = read_file(dir_ / "stderr.txt");
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
