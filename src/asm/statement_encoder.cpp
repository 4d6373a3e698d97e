#include "asm/statement_encoder.h"

#include <array>
#include <span>

#include "asm/diagnostics.h"
#include "asm/instruction_table.h"
#include "asm/table_hash.h"

namespace zorvin::asm48 {

namespace {

constexpr std::uint8_t kJmp = 0x04;   // 000 00100: A10..A8 go into the top three bits
constexpr std::uint8_t kCall = 0x14;  // 000 10100

constexpr std::uint16_t kTargetShape = Operand::target(0).shape();
constexpr std::uint16_t kAnyShape = UINT16_MAX;  // a pattern that every operand fits

constexpr std::uint16_t shape_of_text(std::string_view text) {
  if (text.empty()) return Operand::none().shape();
  if (text == kAddressPlaceholder) return kTargetShape;
  if (text.front() == '@') return Operand::indirect(*register_of(text.substr(1))).shape();
  return Operand::of_register(*register_of(text)).shape();
}

constexpr std::array kUpiOnly = {
    UpiInstruction{"in", "a", "dbb", 0x22, false},   UpiInstruction{"out", "dbb", "a", 0x02, false},
    UpiInstruction{"mov", "sts", "a", 0x90, false},  UpiInstruction{"en", "dma", "", 0xE5, false},
    UpiInstruction{"en", "flags", "", 0xF5, false},  UpiInstruction{"jobf", "", "", 0x86, true},
    UpiInstruction{"jnibf", "", "", 0xD6, true},
};

// The instructions only the 80C parts (idl) and the 8022 (the A/D
// converter, reti) have; their opcodes are 8048 opcodes those parts lack or
// leave unused. The 8022's instruction set summary gives sel an0 as 85H and
// sel an1 as 95H (the 8048's clr f0 and cpl f0, which the 8022 has not).
constexpr std::array kCmosOnly = {
    UpiInstruction{"idl", "", "", 0x01, false},
};
constexpr std::array k8022Only = {
    UpiInstruction{"rad", "", "", 0x80, false},     UpiInstruction{"sel", "an0", "", 0x85, false},
    UpiInstruction{"sel", "an1", "", 0x95, false},  UpiInstruction{"reti", "", "", 0x93, false},
};

// A UPI-only row read once: mnemonic key and operand shapes.
struct UpiRow {
  std::uint64_t mnemonic;
  std::uint16_t shapes[2];
  std::uint8_t opcode;
  bool branch;
};

template <std::size_t N>
constexpr auto rows_of_instructions(const std::array<UpiInstruction, N>& instructions) {
  std::array<UpiRow, N> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const UpiInstruction& upi = instructions[i];
    rows[i] = {text_key(upi.mnemonic), {shape_of_text(upi.operand1), shape_of_text(upi.operand2)}, upi.opcode,
               upi.branch};
  }
  return rows;
}
constexpr auto kUpiRows = rows_of_instructions(kUpiOnly);
constexpr auto kCmosRows = rows_of_instructions(kCmosOnly);
constexpr auto k8022Rows = rows_of_instructions(k8022Only);

// 8048 instructions that UPI-41/42 parts lack (external memory and bus,
// the interrupt pin test, memory banks, the clock output).
struct MissingRow {
  std::string_view mnemonic, operand1, operand2;  // "*": any operand
};
constexpr std::array kMissingOnUpi = {
    MissingRow{"movx", "*", "*"}, MissingRow{"ins", "*", "*"},  MissingRow{"jni", "*", "*"},
    MissingRow{"ent0", "*", "*"}, MissingRow{"sel", "mb0", "*"}, MissingRow{"sel", "mb1", "*"},
    MissingRow{"outl", "bus", "*"}, MissingRow{"outl", "p0", "*"}, MissingRow{"anl", "bus", "*"},
    MissingRow{"orl", "bus", "*"}, MissingRow{"in", "*", "p0"},
};

// 8048 instructions the 8022 lacks: external memory and bus, the user
// flags, register and memory banks, the PSW, the logic on ports, dec of a
// register, movp3, jb and retr (it returns with reti). The 8021 lacks T0
// and the interrupts besides.
constexpr std::array kMissingOn8022 = {
    MissingRow{"movx", "*", "*"},  MissingRow{"ins", "*", "*"},   MissingRow{"outl", "bus", "*"},
    MissingRow{"anl", "bus", "*"}, MissingRow{"orl", "bus", "*"}, MissingRow{"anl", "p1", "*"},
    MissingRow{"anl", "p2", "*"},  MissingRow{"orl", "p1", "*"},  MissingRow{"orl", "p2", "*"},
    MissingRow{"clr", "f0", "*"},  MissingRow{"clr", "f1", "*"},  MissingRow{"cpl", "f0", "*"},
    MissingRow{"cpl", "f1", "*"},  MissingRow{"jf0", "*", "*"},   MissingRow{"jf1", "*", "*"},
    MissingRow{"ent0", "*", "*"},  MissingRow{"mov", "a", "psw"}, MissingRow{"mov", "psw", "a"},
    MissingRow{"sel", "rb0", "*"}, MissingRow{"sel", "rb1", "*"}, MissingRow{"sel", "mb0", "*"},
    MissingRow{"sel", "mb1", "*"}, MissingRow{"movp3", "*", "*"}, MissingRow{"retr", "*", "*"},
    MissingRow{"jb0", "*", "*"},   MissingRow{"jb1", "*", "*"},   MissingRow{"jb2", "*", "*"},
    MissingRow{"jb3", "*", "*"},   MissingRow{"jb4", "*", "*"},   MissingRow{"jb5", "*", "*"},
    MissingRow{"jb6", "*", "*"},   MissingRow{"jb7", "*", "*"},   MissingRow{"dec", "r0", "*"},
    MissingRow{"dec", "r1", "*"},  MissingRow{"dec", "r2", "*"},  MissingRow{"dec", "r3", "*"},
    MissingRow{"dec", "r4", "*"},  MissingRow{"dec", "r5", "*"},  MissingRow{"dec", "r6", "*"},
    MissingRow{"dec", "r7", "*"},
};
constexpr std::array kOnlyOn8022 = {
    MissingRow{"jt0", "*", "*"}, MissingRow{"jnt0", "*", "*"}, MissingRow{"jni", "*", "*"},
    MissingRow{"en", "*", "*"},  MissingRow{"dis", "*", "*"},
};
constexpr auto kMissingOn8021 = [] {
  std::array<MissingRow, kMissingOn8022.size() + kOnlyOn8022.size()> rows{};
  std::size_t at = 0;
  for (const MissingRow& row : kMissingOn8022) rows[at++] = row;
  for (const MissingRow& row : kOnlyOn8022) rows[at++] = row;
  return rows;
}();

struct MissingPattern {
  std::uint64_t mnemonic;
  std::uint16_t shapes[2];
};

template <std::size_t N>
constexpr auto patterns_of(const std::array<MissingRow, N>& rows) {
  std::array<MissingPattern, N> patterns{};
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    const MissingRow& row = rows[i];
    const auto shape = [](std::string_view text) { return text == "*" ? kAnyShape : shape_of_text(text); };
    patterns[i] = {text_key(row.mnemonic), {shape(row.operand1), shape(row.operand2)}};
  }
  return patterns;
}
constexpr auto kMissingPatterns = patterns_of(kMissingOnUpi);
constexpr auto kMissing8021 = patterns_of(kMissingOn8021);
constexpr auto kMissing8022 = patterns_of(kMissingOn8022);

std::span<const MissingPattern> missing_patterns(InstructionSet set) {
  switch (set) {
    case InstructionSet::Upi41: return kMissingPatterns;
    case InstructionSet::Mcs21: return kMissing8021;
    case InstructionSet::Mcs22: return kMissing8022;
    default: return {};
  }
}

// The rows a set has beyond the 8048's.
std::span<const UpiRow> extra_rows(InstructionSet set) {
  switch (set) {
    case InstructionSet::Upi41: return kUpiRows;
    case InstructionSet::Mcs22: return k8022Rows;
    case InstructionSet::Cmos48: return kCmosRows;
    default: return {};
  }
}

constexpr bool fits(std::uint16_t pattern, std::uint16_t shape) { return pattern == kAnyShape || pattern == shape; }

// One bit per UPI-only mnemonic, by a few bits of its key: most
// statements are ruled out by one test instead of a walk through the rows.
constexpr std::uint64_t upi_bit(std::uint64_t key) { return std::uint64_t{1} << key_slot(key, 6); }
constexpr std::uint64_t kExtraMnemonicBits = [] {
  std::uint64_t bits = 0;
  for (const UpiRow& row : kUpiRows) bits |= upi_bit(row.mnemonic);
  for (const UpiRow& row : kCmosRows) bits |= upi_bit(row.mnemonic);
  for (const UpiRow& row : k8022Rows) bits |= upi_bit(row.mnemonic);
  return bits;
}();

const UpiRow* row_among(std::span<const UpiRow> rows, std::uint64_t mnemonic, std::uint16_t first,
                        std::uint16_t second) {
  if ((kExtraMnemonicBits & upi_bit(mnemonic)) == 0) return nullptr;
  for (const UpiRow& row : rows)
    if (row.mnemonic == mnemonic && (row.branch || (row.shapes[0] == first && row.shapes[1] == second))) return &row;
  return nullptr;
}

bool missing(std::span<const MissingPattern> patterns, std::uint64_t mnemonic, std::uint16_t first,
             std::uint16_t second) {
  for (const MissingPattern& row : patterns)
    if (row.mnemonic == mnemonic && fits(row.shapes[0], first) && fits(row.shapes[1], second)) return true;
  return false;
}

StatementCode failure(EncodeFailure why) {
  StatementCode code;
  code.failure = why;
  return code;
}

StatementCode one_byte(std::uint8_t opcode) {
  StatementCode code;
  code.bytes[0] = opcode;
  code.length = 1;
  return code;
}

StatementCode jump(std::uint8_t opcode, std::uint8_t target_operand) {
  StatementCode code = one_byte(opcode);
  code.length = 2;
  code.needs_target = true;
  code.target_operand = target_operand;
  return code;
}

StatementCode immediate(std::uint8_t opcode, const Operand& value) {
  if (!value.readable) return failure(EncodeFailure::Parameter);
  if (value.value < 0 || value.value > 255) return failure(EncodeFailure::ValueRange);
  StatementCode code = one_byte(opcode);
  code.bytes[1] = static_cast<std::uint8_t>(value.value);
  code.length = 2;
  return code;
}

int operand_count(const Operand (&operands)[2]) {
  if (!operands[0].written()) return operands[1].written() ? -1 : 0;
  return operands[1].written() ? 2 : 1;
}

StatementCode one_operand(RowRange rows, const Operand& operand) {
  const std::uint16_t shape = operand.shape();
  for (const TableRow& row : split_rows(rows)) {
    if (row.operand_shapes[0] == kTargetShape) return jump(row.opcode, 1);
    if (row.operand_shapes[0] == shape) return one_byte(row.opcode);
  }
  return failure(EncodeFailure::Parameter);
}

StatementCode two_operands(RowRange rows, const Operand& first, const Operand& second) {
  const std::uint16_t first_shape = first.shape();
  const std::uint16_t second_shape = second.shape();
  for (const TableRow& row : split_rows(rows)) {
    if (row.operand_shapes[0] != first_shape) continue;
    if (row.two_bytes && second.kind == OperandKind::Immediate) return immediate(row.opcode, second);
    if (row.two_bytes && row.operand_shapes[1] == kTargetShape) return jump(row.opcode, 2);
    if (row.operand_shapes[1] == second_shape) return one_byte(row.opcode);
  }
  return failure(EncodeFailure::Parameter);
}

// The 8048 table's answer: jmp and call, then the rows of the mnemonic.
StatementCode encode_by_table(std::uint64_t key, const Operand (&operands)[2]) {
  // jmp and call take any operand as their target; whoever fits it judges it.
  if (key == word_key("jmp")) return jump(kJmp, 1);
  if (key == word_key("call")) return jump(kCall, 1);
  const auto rows = rows_of_key(key);
  if (!rows) return failure(EncodeFailure::Syntax);
  const int count = operand_count(operands);
  const TableRow& first_row = split_rows(*rows).front();
  if (count < 0 || count != first_row.operand_count) return failure(EncodeFailure::Parameter);
  switch (count) {
    case 0:
      return one_byte(first_row.opcode);
    case 1:
      return one_operand(*rows, operands[0]);
    default:
      return two_operands(*rows, operands[0], operands[1]);
  }
}

}  // namespace

StatementCode encode_statement(const Statement& statement, InstructionSet set) {
  const std::uint64_t key = statement.mnemonic_key != 0 ? statement.mnemonic_key : text_key(statement.mnemonic);
  const Operand(&operands)[2] = statement.operands;
  const std::uint16_t first = operands[0].shape();
  const std::uint16_t second = operands[1].shape();
  if (missing(missing_patterns(set), key, first, second))
    return failure(set == InstructionSet::Upi41 ? EncodeFailure::NotOnUpi : EncodeFailure::NotOnPart);
  const StatementCode code = encode_by_table(key, operands);
  // A row of another set names a mnemonic or operands that no 8048 row
  // has: only a statement the table refused may be one.
  if (code.failure != EncodeFailure::Syntax && code.failure != EncodeFailure::Parameter) return code;
  const UpiRow* extra = row_among(extra_rows(set), key, first, second);
  if (!extra) {
    if (set != InstructionSet::Upi41 && row_among(kUpiRows, key, first, second)) return failure(EncodeFailure::OnlyOnUpi);
    // The 8048's own set keeps its answer for idl and rad: an unknown word.
    const bool subset_or_cmos = set != InstructionSet::Mcs48 && set != InstructionSet::Upi41;
    if (subset_or_cmos && (row_among(kCmosRows, key, first, second) || row_among(k8022Rows, key, first, second)))
      return failure(EncodeFailure::NotOnPart);
    return code;
  }
  if (!extra->branch) return one_byte(extra->opcode);
  return operand_count(operands) == 1 ? jump(extra->opcode, 1) : failure(EncodeFailure::Parameter);
}

StatementCode StatementEncoder::encode(const Statement& statement, InstructionSet set) {
  const std::uint64_t key = statement.mnemonic_key != 0 ? statement.mnemonic_key : text_key(statement.mnemonic);
  if (key == kLongTextKey) return encode_statement(statement, set);
  const Operand& second = statement.operands[1];
  const std::uint32_t shapes = (std::uint32_t{statement.operands[0].shape()} << 16) | second.shape();
  const std::uint64_t parts = ((key * kSpread) ^ shapes) * kSpread ^ static_cast<std::uint64_t>(set);
  for (std::size_t slot = key_slot(parts, kSlotBits);; slot = (slot + 1) % slots_.size()) {
    Entry& entry = slots_[slot];
    if (entry.mnemonic == key && entry.shapes == shapes && entry.set == set)
      return entry.immediate_second ? immediate(entry.code.bytes[0], second) : entry.code;
    if (entry.mnemonic != 0) continue;
    // The decision for any value: an immediate of 0 stands in for this one.
    Statement probe = statement;
    if (second.kind == OperandKind::Immediate) probe.operands[1] = Operand::immediate(0);
    const StatementCode decided = encode_statement(probe, set);
    const bool immediate_second = second.kind == OperandKind::Immediate && decided.ok() && decided.length == 2 &&
                                  !decided.needs_target;
    if (4 * used_ < 3 * slots_.size()) {
      entry = {key, shapes, set, immediate_second, decided};
      ++used_;
    }
    return immediate_second ? immediate(decided.bytes[0], second) : decided;
  }
}

bool takes_immediate(std::string_view folded_mnemonic, int position) {
  const auto rows = rows_of(folded_mnemonic);
  if (!rows || position < 1 || position > 2) return false;
  for (const TableRow& row : split_rows(*rows))
    if (row.operand_shapes[position - 1] == Operand::immediate(0).shape()) return true;
  return false;
}

std::string_view failure_text(EncodeFailure why) {
  switch (why) {
    case EncodeFailure::Syntax:
      return kSyntaxError;
    case EncodeFailure::Parameter:
      return kParameterError;
    case EncodeFailure::ValueRange:
      return kValueOutOfRange;
    default:
      return {};
  }
}

std::span<const UpiInstruction> instructions_only_in(InstructionSet set) {
  switch (set) {
    case InstructionSet::Upi41: return kUpiOnly;
    case InstructionSet::Mcs22: return k8022Only;
    case InstructionSet::Cmos48: return kCmosOnly;
    default: return {};
  }
}

bool missing_in(InstructionSet set, std::string_view mnemonic, std::string_view operand1, std::string_view operand2) {
  const auto shape = [](std::string_view text) {
    const bool indirect = text.starts_with('@');
    const auto reg = register_of(indirect ? text.substr(1) : text);
    if (text.empty()) return Operand::none().shape();
    if (!reg) return Operand::unknown().shape();
    return indirect ? Operand::indirect(*reg).shape() : Operand::of_register(*reg).shape();
  };
  return missing(missing_patterns(set), text_key(mnemonic), shape(operand1), shape(operand2));
}

bool is_mnemonic(std::string_view folded) {
  if (first_row_of(folded)) return true;
  if (folded == "jmp" || folded == "call") return true;
  for (const UpiInstruction& row : kUpiOnly)
    if (row.mnemonic == folded) return true;
  for (const UpiInstruction& row : kCmosOnly)
    if (row.mnemonic == folded) return true;
  for (const UpiInstruction& row : k8022Only)
    if (row.mnemonic == folded) return true;
  return false;
}

}  // namespace zorvin::asm48
