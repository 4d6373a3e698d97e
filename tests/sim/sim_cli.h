// zorvin-sim as a user runs it: in a folder of its own per test, with the
// exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "built_program.h"

namespace zorvin::sim::test {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class SimCliTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(ZORVIN_TEST_TMP) /
           (std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }

  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  std::string read(const std::string& name) {
    std::ifstream file(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // `prefix` goes before the program in the shell command ("ulimit -f 8;").
  Outcome sim(const std::string& arguments, const std::string& prefix = "") {
    Outcome result;
    const std::string program = ::zorvin::test::shell_command(::zorvin::test::built_program_command(ZORVIN_SIM_EXE));
    const std::string command = "cd '" + dir_.string() + "' && " + prefix + " timeout 60 " + program + " " +
                                arguments + " 2>stderr.txt";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = read("stderr.txt");
    return result;
  }

  std::filesystem::path dir_;
};

}  // namespace zorvin::sim::test
