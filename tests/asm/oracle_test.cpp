// Cross-check against an independent disassembler: a source holding every
// row of the instruction table (and jmp/call) is assembled, and d48 (package
// d52) must read each instruction back as the same text. The only expected
// differences are the two opcodes the table holds twice.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include "asm/assembler.h"
#include "asm/instruction_table.h"
#include "output/output_writer.h"

namespace {

using namespace zorvin::asm48;

constexpr int kTargetAddress = 0x200;  // every jump goes here; branches sit in its page

struct Probe {
  std::int32_t line_no;
  std::string expected;  // as d48 should print it, numbers in decimal
};

std::string lower_compact(std::string text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return out;
}

// d48 prints immediates as "#12h"/"#5" and jump targets as labels "X0200":
// both become decimal numbers so the two sides compare as texts.
std::string normalise_d48(const std::string& text) {
  static const std::regex immediate("#(0?[0-9a-f]+)h");
  static const std::regex label("x([0-9a-f]{4})");
  std::string out = lower_compact(text);
  std::smatch match;
  if (std::regex_search(out, match, immediate))
    out = match.prefix().str() + "#" + std::to_string(std::stoi(match[1].str(), nullptr, 16)) + match.suffix().str();
  if (std::regex_search(out, match, label))
    out = match.prefix().str() + std::to_string(std::stoi(match[1].str(), nullptr, 16)) + match.suffix().str();
  return out;
}

std::string instruction_text(std::string_view row, int data, bool address_as_label) {
  std::string operands[2] = {std::string(row_field(row, 2)), std::string(row_field(row, 3))};
  for (auto& operand : operands) {
    if (operand == kDataPlaceholder) operand = std::string("#").append(std::to_string(data));
    if (operand == kAddressPlaceholder) operand = address_as_label ? "target" : std::to_string(kTargetAddress);
  }
  std::string text(row_field(row, 1));
  if (!operands[0].empty()) text += " " + operands[0];
  if (!operands[1].empty()) text += "," + operands[1];
  return text;
}

struct Program {
  std::string source;
  std::vector<Probe> probes;
};

// Rows without a label operand first, then the branches from 200H on, so
// that every branch shares the target's page.
Program all_rows_program() {
  Program program;
  std::ostringstream source;
  std::ostringstream branches;
  std::int32_t line_no = 0;
  std::vector<std::pair<std::string, std::string>> later;
  for (std::size_t row = 0; row + 1 < table_size(); ++row) {
    const std::string_view text = table_row(row);
    const int data = static_cast<int>((row * 37 + 11) % 256);
    const bool branch = row_field(text, 2) == kAddressPlaceholder || row_field(text, 3) == kAddressPlaceholder;
    if (branch) {
      later.emplace_back(instruction_text(text, data, true), instruction_text(text, data, false));
    } else {
      source << "   " << instruction_text(text, data, true) << "\n";
      program.probes.push_back({++line_no, lower_compact(instruction_text(text, data, false))});
    }
  }
  later.emplace_back("jmp target", "jmp " + std::to_string(kTargetAddress));
  later.emplace_back("call target", "call " + std::to_string(kTargetAddress));
  // d48 follows the memory bank flag into jmp targets (A11); the rows above
  // end with "sel mb1", so switch back to bank 0 first.
  source << "   sel mb0\n   org " << kTargetAddress << "\ntarget:\n";
  line_no += 3;
  for (const auto& [written, expected] : later) {
    source << "   " << written << "\n";
    program.probes.push_back({++line_no, lower_compact(expected)});
  }
  program.source = source.str();
  return program;
}

// Address -> instruction text of every line of a d48 listing made with -d;
// with `mnemonics_only`, the mnemonic alone.
std::map<int, std::string> read_disassembly(const std::string& path, bool mnemonics_only = false) {
  static const std::regex line_pattern(R"(^(?:\w+:)?\s+([a-z0-9]+)\s*([^;]*);\s*([0-9a-f]{4}) - )");
  std::map<int, std::string> by_address;
  std::ifstream file(path);
  std::string line;
  std::smatch match;
  while (std::getline(file, line))
    if (std::regex_search(line, match, line_pattern))
      by_address[std::stoi(match[3].str(), nullptr, 16)] =
          mnemonics_only ? match[1].str() : normalise_d48(match[1].str() + " " + match[2].str());
  return by_address;
}

TEST(Oracle, D48ReadsEveryTableRowBackAsWritten) {
  ASSERT_EQ(std::system("command -v d48 >/dev/null 2>&1"), 0) << "d48 (Debian package d52) is not installed";
  const Program program = all_rows_program();
  ASSERT_EQ(program.probes.size(), 218u);  // 216 rows, jmp and call

  Assembler assembler;
  const auto result = assembler.run(program.source);
  ASSERT_TRUE(result.ok()) << result.summary << (result.error_lines.empty() ? "" : "\n" + result.error_lines[0]);
  std::map<std::int32_t, std::int32_t> address_of_line;
  for (const auto& record : assembler.table().records)
    if (record.length > 0) address_of_line[record.line_no] = record.address;

  const std::filesystem::path dir = std::filesystem::path(ZORVIN_TEST_TMP) / "oracle";
  std::filesystem::create_directories(dir);
  const auto image = zorvin::output::build_image(assembler.table(), 0x00);
  ASSERT_TRUE(zorvin::output::write_file_bytes((dir / "rows.bin").string(), image.bytes.data(), image.length));
  std::ofstream(dir / "rows.ctl") << "c 0-" << std::hex << image.length - 1 << "\n";
  const std::string command = "cd '" + dir.string() + "' && d48 -d rows.bin >d48.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "d48 failed, see " << (dir / "d48.log");
  const auto disassembly = read_disassembly((dir / "rows.d48").string());

  // The table holds these opcodes twice; d48 names each by its other row.
  const std::map<std::string, std::string> shared = {{"ina,p0", "insa,bus"}, {"outlp0,a", "movx@r0,a"}};
  int shared_seen = 0;
  for (const auto& probe : program.probes) {
    const auto address = address_of_line.at(probe.line_no);
    const auto found = disassembly.find(address);
    ASSERT_NE(found, disassembly.end()) << "no disassembly at " << address << " for " << probe.expected;
    const auto alias = shared.find(probe.expected);
    if (alias != shared.end() && found->second == alias->second) {
      ++shared_seen;
      continue;
    }
    EXPECT_EQ(found->second, probe.expected) << "at address " << address;
  }
  EXPECT_EQ(shared_seen, 2);
}

// The programs in the style of published code (golden prog_*.asm): d48 must
// find, at the address of every instruction, the mnemonic the source wrote
// there (macro expansions included), for 8041 code in its 8041 mode.
TEST(Oracle, D48ReadsTheProgramsBackInstructionByInstruction) {
  ASSERT_EQ(std::system("command -v d48 >/dev/null 2>&1"), 0) << "d48 (Debian package d52) is not installed";
  const std::filesystem::path dir = std::filesystem::path(ZORVIN_TEST_TMP) / "oracle_programs";
  std::filesystem::create_directories(dir);
  for (const char* name : {"prog_serial_monitor", "prog_led_demo", "prog_keyboard_upi41"}) {
    SCOPED_TRACE(name);
    std::ifstream file(std::string(ZORVIN_GOLDEN_DIR) + "/" + name + ".asm");
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Assembler assembler;
    assembler.keep_listing(true);
    ASSERT_TRUE(assembler.run(source, ZORVIN_GOLDEN_DIR).ok());
    // Statement word of each line that holds code: after a label, if any.
    std::map<int, std::string> written;
    std::ostringstream control;
    for (const auto& line : assembler.extended_listing().lines) {
      if (line.bytes.empty()) continue;
      std::istringstream words(line.text);
      std::string word;
      words >> word;
      if (word.ends_with(':')) words >> word;
      word = lower_compact(word);
      const bool data = word == "db" || word == "dw";
      control << (data ? "b " : "c ") << std::hex << *line.address << "-" << *line.address + line.bytes.size() - 1
              << "\n";
      if (!data) written[*line.address] = word;
    }
    std::ofstream(dir / (std::string(name) + ".ctl")) << control.str();
    const auto image = zorvin::output::build_image(assembler.table(), 0x00);
    ASSERT_TRUE(zorvin::output::write_file_bytes((dir / (std::string(name) + ".bin")).string(), image.bytes.data(),
                                                image.length));
    const bool upi = source.find("cpu 8041") != std::string::npos;
    const std::string command =
        "cd '" + dir.string() + "' && d48 " + (upi ? "-1 " : "") + "-d -b " + name + " >d48.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto disassembly = read_disassembly((dir / (std::string(name) + ".d48")).string(), true);
    ASSERT_GT(written.size(), 10u);
    for (const auto& [address, mnemonic] : written) {
      const auto found = disassembly.find(address);
      ASSERT_NE(found, disassembly.end()) << "nothing at " << address;
      EXPECT_EQ(found->second, mnemonic) << "at " << address;
    }
  }
}

}  // namespace
