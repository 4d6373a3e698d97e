// The statement encoder against the instruction table's own opcode bits,
// the UPI-41/42 rules, the plain dialect's text adapter and immediates
// written without "#" where a convention reads them so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/dialect/convention.h"
#include "asm/ext/extended_assembler.h"
#include "asm/instruction_encoder.h"
#include "asm/instruction_table.h"
#include "asm/statement_encoder.h"

namespace {

using namespace zorvin::asm48;

// A table operand read here on its own: the register list is the
// instruction set's, the placeholders stand for a value and a target.
Operand table_operand(std::string_view field) {
  if (field.empty()) return Operand::none();
  if (field == kDataPlaceholder) return Operand::immediate(0x5A);
  if (field == kAddressPlaceholder) return Operand::target(0x10);
  const bool indirect = field.front() == '@';
  const std::string_view word = indirect ? field.substr(1) : field;
  for (std::size_t r = 0; r < std::size(kRegisterWords); ++r) {
    if (kRegisterWords[r] != word) continue;
    const auto reg = static_cast<Register>(r);
    return indirect ? Operand::indirect(reg) : Operand::of_register(reg);
  }
  ADD_FAILURE() << "no register: " << field;
  return Operand::unknown();
}

std::uint8_t bits_byte(std::string_view bits) {
  unsigned value = 0;
  for (const char c : bits) value = value * 2 + (c == '1' ? 1 : 0);
  return static_cast<std::uint8_t>(value);
}

// The rows the UPI-41/42 lacks, as its data sheet lists them.
bool lacking_on_upi(std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  return mnemonic == "movx" || mnemonic == "ins" || mnemonic == "jni" || mnemonic == "ent0" ||
         (mnemonic == "sel" && (operand1 == "mb0" || operand1 == "mb1")) ||
         ((mnemonic == "outl" || mnemonic == "anl" || mnemonic == "orl") && operand1 == "bus") ||
         (mnemonic == "outl" && operand1 == "p0") || (mnemonic == "in" && operand2 == "p0");
}

TEST(AsmStatementEncoder, EveryTableRowGivesItsOpcodeBits) {
  for (std::size_t r = 0; r + 1 < table_size(); ++r) {
    const std::string_view row = table_row(r);
    SCOPED_TRACE(std::string(row));
    Statement statement;
    statement.mnemonic = row_field(row, 1);
    statement.operands[0] = table_operand(row_field(row, 2));
    statement.operands[1] = table_operand(row_field(row, 3));
    const std::uint8_t opcode = bits_byte(row_field(row, 6));
    const std::string_view second = row_field(row, 7);

    const StatementCode code = encode_statement(statement, InstructionSet::Mcs48);
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(code.bytes[0], opcode);
    EXPECT_EQ(code.length, row_field(row, 5) == "2" ? 2 : 1);
    EXPECT_EQ(code.needs_target, second == kAddressPlaceholder);
    if (second == kDataPlaceholder) {
      EXPECT_EQ(code.bytes[1], 0x5A);
    }
    if (code.needs_target) {
      EXPECT_EQ(code.target_operand, row_field(row, 2) == kAddressPlaceholder ? 1 : 2);
    }

    const StatementCode upi = encode_statement(statement, InstructionSet::Upi41);
    if (lacking_on_upi(row_field(row, 1), row_field(row, 2), row_field(row, 3))) {
      EXPECT_EQ(upi.failure, EncodeFailure::NotOnUpi);
    } else {
      EXPECT_TRUE(upi.ok());
      EXPECT_EQ(upi.bytes[0], opcode);
    }
  }
}

struct StructuredCase {
  const char* mnemonic;
  Operand first, second;
  InstructionSet set;
  EncodeFailure failure;
  std::vector<std::uint8_t> bytes;
};

TEST(AsmStatementEncoder, UpiRowsJumpsAndFailures) {
  using R = Register;
  const auto mcs = InstructionSet::Mcs48;
  const auto upi = InstructionSet::Upi41;
  const StructuredCase cases[] = {
      {"in", Operand::of_register(R::A), Operand::of_register(R::Dbb), upi, EncodeFailure::None, {0x22}},
      {"in", Operand::of_register(R::A), Operand::of_register(R::Dbb), mcs, EncodeFailure::OnlyOnUpi, {}},
      {"out", Operand::of_register(R::Dbb), Operand::of_register(R::A), upi, EncodeFailure::None, {0x02}},
      {"mov", Operand::of_register(R::Sts), Operand::of_register(R::A), upi, EncodeFailure::None, {0x90}},
      {"en", Operand::of_register(R::Dma), Operand::none(), upi, EncodeFailure::None, {0xE5}},
      {"en", Operand::of_register(R::Flags), Operand::none(), upi, EncodeFailure::None, {0xF5}},
      {"en", Operand::of_register(R::Flags), Operand::none(), mcs, EncodeFailure::OnlyOnUpi, {}},
      {"jobf", Operand::target(5), Operand::none(), upi, EncodeFailure::None, {0x86, 0}},
      {"jnibf", Operand::target(5), Operand::none(), upi, EncodeFailure::None, {0xD6, 0}},
      {"jnibf", Operand::target(5), Operand::none(), mcs, EncodeFailure::OnlyOnUpi, {}},
      {"jobf", Operand::of_register(R::A), Operand::target(5), upi, EncodeFailure::Parameter, {}},
      {"jmp", Operand::target(0x123), Operand::none(), upi, EncodeFailure::None, {0x04, 0}},
      {"call", Operand::target(0x123), Operand::none(), mcs, EncodeFailure::None, {0x14, 0}},
      // Any two-byte row takes an immediate, a djnz too.
      {"djnz", Operand::of_register(R::R0), Operand::immediate(5), mcs, EncodeFailure::None, {0xE8, 0x05}},
      {"mov", Operand::of_register(R::A), Operand::immediate(256), mcs, EncodeFailure::ValueRange, {}},
      {"mov", Operand::of_register(R::A), Operand::unreadable_immediate(), mcs, EncodeFailure::Parameter, {}},
      {"mov", Operand::of_register(R::Psw), Operand::immediate(1), mcs, EncodeFailure::Parameter, {}},
      {"mov", Operand::of_register(R::A), Operand::none(), mcs, EncodeFailure::Parameter, {}},
      {"nop", Operand::none(), Operand::of_register(R::A), mcs, EncodeFailure::Parameter, {}},
      {"inc", Operand::unknown(), Operand::none(), mcs, EncodeFailure::Parameter, {}},
      {"movp", Operand::of_register(R::A), Operand::indirect(R::A), upi, EncodeFailure::None, {0xA3}},
      {"frob", Operand::none(), Operand::none(), mcs, EncodeFailure::Syntax, {}},
      {"movx", Operand::of_register(R::A), Operand::of_register(R::R5), upi, EncodeFailure::NotOnUpi, {}},
  };
  for (const StructuredCase& c : cases) {
    SCOPED_TRACE(c.mnemonic);
    Statement statement;
    statement.mnemonic = c.mnemonic;
    statement.operands[0] = c.first;
    statement.operands[1] = c.second;
    const StatementCode code = encode_statement(statement, c.set);
    EXPECT_EQ(code.failure, c.failure);
    if (c.failure == EncodeFailure::None) {
      EXPECT_EQ(std::vector<std::uint8_t>(code.bytes, code.bytes + code.length), c.bytes);
    }
  }
}

// The kept decisions give what the encoder gives, for every row and for
// immediates of every kind, on the first call and on later ones.
TEST(AsmStatementEncoder, KeptDecisionsGiveTheSameCode) {
  const Operand seconds[] = {Operand::immediate(0x12), Operand::immediate(255), Operand::immediate(256),
                             Operand::immediate(-1), Operand::unreadable_immediate(), Operand::unknown()};
  StatementEncoder encoder;
  for (int round = 0; round < 2; ++round) {
    for (std::size_t r = 0; r + 1 < table_size(); ++r) {
      const std::string_view row = table_row(r);
      for (const Operand& second : seconds) {
        for (const InstructionSet set : {InstructionSet::Mcs48, InstructionSet::Upi41}) {
          Statement statement;
          statement.mnemonic = row_field(row, 1);
          statement.operands[0] = table_operand(row_field(row, 2));
          statement.operands[1] = row_field(row, 3).empty() ? Operand::none() : second;
          const StatementCode expected = encode_statement(statement, set);
          const StatementCode kept = encoder.encode(statement, set);
          SCOPED_TRACE(std::string(row) + " value " + std::to_string(second.value));
          EXPECT_EQ(kept.failure, expected.failure);
          EXPECT_EQ(kept.length, expected.length);
          EXPECT_EQ(kept.bytes[0], expected.bytes[0]);
          EXPECT_EQ(kept.bytes[1], expected.bytes[1]);
          EXPECT_EQ(kept.needs_target, expected.needs_target);
        }
      }
    }
  }
}

struct PlainCase {
  const char* mnemonic;
  const char* operand1;
  const char* operand2;
  std::string_view message;
  std::vector<std::uint8_t> bytes;
  bool target = false;
};

TEST(AsmStatementEncoder, PlainTextsGiveTheirMessages) {
  const PlainCase cases[] = {
      {"mov", "A", "@R1", {}, {0xF1}},
      {"mov", "a", "#0FFh", {}, {0x23, 0xFF}},
      {"mov", "a", "#'A'", {}, {0x23, 0x41}},
      {"mov", "a", "#256", kValueOutOfRange, {}},
      {"mov", "a", "#x", kParameterError, {}},
      {"mov", "psw", "#300", kParameterError, {}},  // no row takes it: the value is never judged
      {"mov", "a", "r8", kParameterError, {}},
      {"mov", "a", "", kParameterError, {}},
      {"mov", "", "a", kParameterError, {}},
      {"djnz", "r0", "#5", {}, {0xE8, 0x05}},
      {"djnz", "r3", "loop", {}, {0xEB, 0x00}, true},
      {"jc", "#12", "", {}, {0xF6, 0x00}, true},  // a target is judged where it is fitted
      {"jmp", "", "", {}, {0x04, 0x00}, true},
      {"inc", "@r0", "", {}, {0x10}},
      {"inc", "@ r0", "", kParameterError, {}},
      {"in", "a", "dbb", kParameterError, {}},  // UPI-41/42 rows are unknown here
      {"en", "flags", "", kParameterError, {}},
      {"jobf", "x", "", kSyntaxError, {}},
      {"out", "dbb", "a", kSyntaxError, {}},
      {"movxyzabc", "a", "", kSyntaxError, {}},
  };
  for (const PlainCase& c : cases) {
    SCOPED_TRACE(std::string(c.mnemonic) + " " + c.operand1 + "," + c.operand2);
    const Encoding encoding = encode_instruction(c.mnemonic, c.operand1, c.operand2);
    EXPECT_EQ(encoding.message, c.message);
    if (!c.message.empty()) continue;
    const std::uint8_t bytes[2] = {encoding.opcode, encoding.operand};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + encoding.length), c.bytes);
    EXPECT_EQ(encoding.needs_target, c.target);
  }
}

struct BareCase {
  const char* source;
  bool bare;
  std::vector<std::uint8_t> code;
  int errors;
  int warnings = 0;
};

TEST(AsmStatementEncoder, BareImmediatesAreReadWithAWarningWhereTheConventionWantsAHash) {
  const BareCase cases[] = {
      {"  mov a,12h\n", true, {0x23, 0x12}, 0},
      {"  mov a,12h\n", false, {0x23, 0x12}, 0, 1},
      {"  mov a,undefined_name\n", false, {}, 1},        // named, not a Parameterfehler
      {"n equ 7\n  anl p1,n+1\n", true, {0x99, 0x08}, 0},
      {"  mov a,r3\n", true, {0xFB}, 0},                 // a register stays one
      {"x reg r2\n  mov a,x\n", true, {0xFA}, 0},        // so does an alias
      {"  mov a,#5\n", true, {0x23, 0x05}, 0},
      {"  mov psw,5\n", true, {}, 1},                    // no row takes an immediate there
      {"  inc 5\n", true, {}, 1},
      {"  mov a,300\n", true, {}, 1},
  };
  for (const BareCase& c : cases) {
    SCOPED_TRACE(std::string(c.source) + (c.bare ? " bare" : ""));
    Convention convention;
    convention.bare_immediates = c.bare;
    ext::ExtendedOptions options;
    options.convention = &convention;
    LineTable table;
    const ext::ExtendedRun run = ext::assemble_extended(c.source, {}, options, false, table);
    EXPECT_EQ(run.diagnostics.count(), c.errors);
    EXPECT_EQ(run.warnings.count(), c.warnings);
    if (c.errors > 0) continue;
    std::vector<std::uint8_t> code;
    for (const LineRecord& record : table.records) {
      const auto bytes = table.code_of(record);
      code.insert(code.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(code, c.code);
  }
}

}  // namespace
