// zorvin-sim as a user runs it: in a folder of its own per test, with the
// exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "program_outcome.h"

namespace zorvin::sim::test {

using Outcome = ::zorvin::test::ProgramOutcome;

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
    return ::zorvin::test::run_built_program(dir_, ZORVIN_SIM_EXE, arguments, prefix, 60);
  }

  std::filesystem::path dir_;
};

}  // namespace zorvin::sim::test
