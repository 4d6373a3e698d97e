// What every command-line tool answers alike: --help (the usage on standard
// output, exit status 0), --version (name and version, 0) and a wrong call
// (a message and the usage on standard error, 2). --help in the place of an
// option's value is that value, not a request.
#include <gtest/gtest.h>

#include <string>

#include "cli_fixture.h"

namespace {

using namespace zorvin::test::asm_cli;

struct Tool {
  const char* name;
  const char* program;
  const char* leading;          // an argument that may stand before --help
  const char* help_as_value;    // a call whose --help is an option's value
  const char* unknown_message;  // of --frob
};

const Tool kTools[] = {
    {"zorvin-asm", ZORVIN_ASM_EXE, "x.asm", "--output --help", "unbekanntes oder unvollständiges Argument '--frob'"},
    {"zorvin-dis", ZORVIN_DIS_EXE, "x.bin", "-o --help", "unbekanntes oder unvollständiges Argument '--frob'"},
    {"zorvin-sim", ZORVIN_SIM_EXE, "x.asm", "--trace --help", "unbekanntes oder unvollständiges Argument '--frob'"},
    {"zorvin-load", ZORVIN_LOAD_EXE, "x.bin", "--port --help", "unbekanntes oder unvollständiges Argument '--frob'"},
    {"zorvin-emusim", ZORVIN_EMUSIM_EXE, "--silent", "--dump --help", "unbekannte Option '--frob'"},
};

class ToolOptions : public Cli {
 protected:
  Outcome run(const Tool& tool, const std::string& arguments) {
    return run_built_program(dir_, tool.program, arguments);
  }
};

TEST_F(ToolOptions, HelpPrintsTheUsageOnStandardOutput) {
  for (const Tool& tool : kTools) {
    const std::string usage_start = std::string("Aufruf: ") + tool.name + " ";
    // Anywhere an option may stand, also after other arguments.
    const std::string after_another = tool.leading + std::string(" --help");
    for (const std::string& arguments : {std::string("--help"), std::string("-h"), after_another,
                                         std::string("--help --frob")}) {
      SCOPED_TRACE(tool.name + (" " + arguments));
      const Outcome result = run(tool, arguments);
      EXPECT_EQ(result.status, 0);
      EXPECT_TRUE(result.out.starts_with(usage_start)) << result.out;
      EXPECT_NE(result.out.find(std::string(tool.name) + " --help | --version\n"), std::string::npos) << result.out;
      EXPECT_EQ(result.err, "");
    }
  }
}

TEST_F(ToolOptions, VersionPrintsNameAndProjectVersion) {
  for (const Tool& tool : kTools) {
    for (const std::string& arguments : {std::string("--version"), tool.leading + std::string(" --version")}) {
      SCOPED_TRACE(tool.name + (" " + arguments));
      const Outcome result = run(tool, arguments);
      EXPECT_EQ(result.status, 0);
      EXPECT_EQ(result.out, std::string(tool.name) + " " + ZORVIN_VERSION + "\n");
      EXPECT_EQ(result.err, "");
    }
  }
}

TEST_F(ToolOptions, AWrongCallPrintsTheUsageOnStandardError) {
  for (const Tool& tool : kTools) {
    // The reading ends at the fault: a --help after it is not answered.
    for (const char* arguments : {"--frob", "--frob --help"}) {
      SCOPED_TRACE(std::string(tool.name) + " " + arguments);
      const Outcome result = run(tool, arguments);
      EXPECT_EQ(result.status, 2);
      EXPECT_EQ(result.out, "");
      EXPECT_TRUE(result.err.starts_with(std::string(tool.name) + ": " + tool.unknown_message + "\nAufruf: " +
                                         tool.name + " "))
          << result.err;
    }
  }
}

TEST_F(ToolOptions, HelpAsAnOptionsValueIsNoRequest) {
  for (const Tool& tool : kTools) {
    SCOPED_TRACE(std::string(tool.name) + " " + tool.help_as_value);
    const Outcome result = run(tool, tool.help_as_value);
    // Each lacks its file (or --link) and says so.
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.starts_with(std::string(tool.name) + ": ")) << result.err;
    EXPECT_NE(result.err.find("Aufruf: "), std::string::npos) << result.err;
  }
}

}  // namespace
