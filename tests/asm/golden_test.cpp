// Runs every golden source through the assembler and the image builder and
// checks the expectations written in its comments (see golden_expectations.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "asm/assembler.h"
#include "asm/numbers.h"
#include "output/listing.h"
#include "output/output_writer.h"
#include "golden_expectations.h"

namespace {

using zorvin::asm48::Assembler;
using zorvin::asm48::LineRecord;

std::vector<std::string> golden_files() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ZORVIN_GOLDEN_DIR))
    if (entry.path().extension() == ".asm") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_text(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}


class GoldenSource : public testing::TestWithParam<std::string> {};

TEST_P(GoldenSource, AssemblesAsItsCommentsSay) {
  const std::string source = read_text(std::string(ZORVIN_GOLDEN_DIR) + "/" + GetParam());
  ASSERT_FALSE(source.empty());
  const auto expected = zorvin::golden::parse_expectations(source);
  for (const auto& problem : expected.problems) ADD_FAILURE() << problem;

  Assembler assembler;
  // Included files (*.inc) are found beside the golden sources.
  const auto result = assembler.run(source, ZORVIN_GOLDEN_DIR);
  EXPECT_EQ(result.error_lines, expected.error_lines);
  const std::string default_summary = expected.error_lines.empty()
                                          ? "Assemblieren ohne Fehler beendet."
                                          : std::to_string(expected.error_lines.size()) + " Fehler beim Assemblieren!";
  EXPECT_EQ(result.summary, expected.summary.value_or(default_summary));

  const auto& records = assembler.table().records;
  for (const auto& line : expected.lines) {
    SCOPED_TRACE("line " + std::to_string(line.line_no));
    // A line may give several records (a macro call, a long db): its bytes
    // are theirs in address order, its address the first one's.
    std::vector<std::uint8_t> bytes;
    const LineRecord* first = nullptr;
    for (const LineRecord& record : records) {
      if (record.line_no != line.line_no || record.code_size() == 0) continue;
      if (!first) first = &record;
      const auto code = assembler.table().code_of(record);
      bytes.insert(bytes.end(), code.begin(), code.end());
    }
    ASSERT_NE(first, nullptr) << "no code on this line";
    EXPECT_EQ(bytes, line.bytes);
    if (line.address) {
      EXPECT_EQ(first->address, *line.address);
    }
  }

  if (!result.ok()) {
    EXPECT_FALSE(expected.image || expected.length || !expected.listing_rows.empty())
        << "image expectations in a source that does not assemble";
    return;
  }
  const auto image = zorvin::output::build_image(assembler.table(), expected.fill_byte);
  const auto listing = zorvin::output::listing_rows(assembler.table());
  for (std::size_t i = 1; i < listing.size(); ++i) {
    EXPECT_EQ(listing[i].size(), 9u) << '"' << listing[i] << '"';
  }
  if (!expected.listing_rows.empty()) {
    std::vector<std::string> rows(listing.begin() + 1, listing.end());
    EXPECT_EQ(listing.front(), "Adr Opcode");
    EXPECT_EQ(rows, expected.listing_rows);
  }
  if (expected.image) {
    const std::vector<std::uint8_t> file(image.bytes.begin(), image.bytes.begin() + image.length);
    EXPECT_EQ(file, *expected.image);
  }
  if (expected.length) {
    EXPECT_EQ(image.length, *expected.length);
  }
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(0, info.param.rfind('.'));
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenSource, testing::ValuesIn(golden_files()), test_name);

TEST(GoldenExpectations, MistypedExpectationsAreReported) {
  const auto expected = zorvin::golden::parse_expectations(
      "nop ; = 0G\n"
      "nop ; @12 00\n"
      "nop ; error Syntaxfehler\n"
      "nop ; ! colour: red\n"
      "nop ; = 00 1\n"
      "nop ; just prose\n");
  EXPECT_EQ(expected.problems.size(), 5u);
}

}  // namespace
