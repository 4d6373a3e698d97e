// The equ substitution against the straightforward algorithm it replaced:
// every symbol in turn, over every operand. Random sources with short,
// overlapping names, values naming other symbols and runaway growth must
// give the same operands and the same messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "asm/split_pass.h"
#include "asm/symbol_pass.h"
#include "text/unicode_text.h"

namespace {

using namespace zorvin::asm48;

struct Operand {
  std::string text;
  std::string folded;
  bool too_long = false;
};

void replace_all(Operand& operand, const std::string& name, const std::string& value) {
  if (operand.too_long) return;
  std::size_t found = operand.folded.find(name);
  if (found == std::string::npos) return;
  const std::size_t limit = std::max(kMaxOperandBytes, operand.text.size());
  std::string result;
  std::size_t done = 0;
  while (found != std::string::npos) {
    result.append(operand.text, done, found - done);
    result += value;
    if (result.size() > limit) {
      operand.too_long = true;
      return;
    }
    done = found + name.size();
    found = operand.folded.find(name, done);
  }
  result.append(operand.text, done);
  if (result.size() > limit) {
    operand.too_long = true;
    return;
  }
  operand.text = std::move(result);
  operand.folded = zorvin::fold_case(operand.text);
}

// Operands 2i and 2i+1 of record i after the substitution, and the error lines.
std::vector<Operand> reference(const LineTable& table, std::vector<std::string>& errors) {
  std::vector<Operand> operands;
  for (const LineRecord& record : table.records)
    for (std::string_view text : {record.operand1, record.operand2})
      operands.push_back({std::string(text), zorvin::fold_case(text)});
  for (std::size_t i = 0; i < table.records.size(); ++i) {
    const LineRecord& symbol = table.records[i];
    if (!symbol.is_equ || symbol.mnemonic.empty()) continue;
    const std::string name = zorvin::fold_case(symbol.mnemonic);
    const std::string value = operands[2 * i].text;
    for (Operand& operand : operands) replace_all(operand, name, value);
  }
  for (std::size_t i = 0; i < table.records.size(); ++i)
    if (operands[2 * i].too_long || operands[2 * i + 1].too_long)
      errors.push_back("Zeile: " + std::to_string(table.records[i].line_no) + std::string(kOperandTooLong));
  return operands;
}

std::string random_word(std::mt19937& random, std::size_t max_length) {
  // Short pieces so that names overlap, nest and recur; Ä/ä fold into each other.
  static const std::vector<std::string> pieces = {"a", "b", "A", "B", "x", "X", "1", "#", "\xC3\x84", "\xC3\xA4", "ab"};
  std::string word;
  const std::size_t length = 1 + random() % max_length;
  for (std::size_t i = 0; i < length; ++i) word += pieces[random() % pieces.size()];
  return word;
}

TEST(AsmSymbolPass, SameResultAsSubstitutingSymbolBySymbol) {
  std::mt19937 random(15);
  int runs_with_growth_errors = 0;
  for (int run = 0; run < 3000; ++run) {
    std::string source;
    const int lines = 1 + static_cast<int>(random() % 12);
    for (int line = 0; line < lines; ++line) {
      if (random() % 2)
        source += random_word(random, 3) + " equ " + random_word(random, 4) + "\n";
      else
        source += "  mov " + random_word(random, 5) + "," + random_word(random, 5) + "\n";
    }
    LineTable table;
    split_pass(source, table);
    std::vector<std::string> expected_errors;
    const std::vector<Operand> expected = reference(table, expected_errors);
    Diagnostics diagnostics;
    const int errors = symbol_pass(table, diagnostics);
    ASSERT_EQ(format_diagnostics(diagnostics.items), expected_errors) << source;
    ASSERT_EQ(errors, static_cast<int>(expected_errors.size()));
    runs_with_growth_errors += errors > 0;
    for (std::size_t i = 0; i < table.records.size(); ++i) {
      ASSERT_EQ(table.records[i].operand1, expected[2 * i].text) << source;
      ASSERT_EQ(table.records[i].operand2, expected[2 * i + 1].text) << source;
    }
  }
  EXPECT_GT(runs_with_growth_errors, 0);  // the limit was reached along the way
}

}  // namespace
