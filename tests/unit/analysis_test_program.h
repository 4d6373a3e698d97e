// Assembles a test program and analyses it, for the analysis tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "analysis/analysis.h"
#include "asm/assembler.h"

namespace zorvin::analysis::testing {

inline Analysis analyse_source(const std::string& source, const AnalysisOptions& options = {}) {
  asm48::Assembler assembler;
  const auto result = assembler.run(source);
  EXPECT_TRUE(result.ok()) << source << (result.error_lines.empty() ? "" : result.error_lines.front());
  return analyse_table(assembler.table(), options);
}

inline Program program_of(const std::string& source) {
  asm48::Assembler assembler;
  const auto result = assembler.run(source);
  EXPECT_TRUE(result.ok()) << source << (result.error_lines.empty() ? "" : result.error_lines.front());
  return program_from_table(assembler.table());
}

}  // namespace zorvin::analysis::testing
