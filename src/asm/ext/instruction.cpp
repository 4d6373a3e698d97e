#include "asm/ext/instruction.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/ext/folded_name.h"
#include "asm/ext/messages.h"
#include "asm/ext/plain_core.h"
#include "asm/instruction_table.h"
#include "asm/table_hash.h"

namespace zorvin::asm48::ext {

namespace {

constexpr std::string_view kTargetText = "ziel";  // stands in for a target the plain encoder needs to see

// The UPI-41/42 instructions the 8048 does not have. Their opcodes are
// those of 8048 instructions that the UPI parts dropped.
using UpiRow = UpiInstruction;
constexpr std::array kUpiOnly = {
    UpiRow{"in", "a", "dbb", 0x22, false},   UpiRow{"out", "dbb", "a", 0x02, false},
    UpiRow{"mov", "sts", "a", 0x90, false},  UpiRow{"en", "dma", "", 0xE5, false},
    UpiRow{"en", "flags", "", 0xF5, false},  UpiRow{"jobf", "", "", 0x86, true},
    UpiRow{"jnibf", "", "", 0xD6, true},
};

// Mnemonics compared as keys (see text_key): one compare of numbers each.
constexpr auto kUpiKeys = [] {
  std::array<std::uint64_t, kUpiOnly.size()> keys{};
  for (std::size_t i = 0; i < kUpiOnly.size(); ++i) keys[i] = text_key(kUpiOnly[i].mnemonic);
  return keys;
}();

const UpiRow* upi_row(std::uint64_t key, std::string_view o1, std::string_view o2) {
  for (std::size_t i = 0; i < kUpiOnly.size(); ++i) {
    const UpiRow& row = kUpiOnly[i];
    if (kUpiKeys[i] == key && (row.branch || (row.operand1 == o1 && row.operand2 == o2))) return &row;
  }
  return nullptr;
}

// Every jump of both sets starts with "j" (jmpp @a takes no target), and
// call and djnz; an unknown j-word goes on to the table's Syntaxfehler.
bool is_branch(std::string_view m, std::uint64_t key) {
  return key == word_key("call") || key == word_key("djnz") || (m.starts_with('j') && key != word_key("jmpp"));
}

// Operands between top-level commas; more than two count as three.
struct Operands {
  std::span<const Token> parts[3];
  std::size_t count = 0;
};

Operands split_operands(std::span<const Token> tokens) {
  Operands out;
  if (tokens.empty()) return out;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < tokens.size() && out.count < 2; ++i) {
    const Token& t = tokens[i];
    if (t.kind != TokenKind::Operator) continue;
    if (t.text == "(") ++depth;
    else if (t.text == ")" && depth > 0) --depth;
    else if (t.text == "," && depth == 0) {
      out.parts[out.count++] = tokens.subspan(start, i - start);
      start = i + 1;
    }
  }
  out.parts[out.count++] = tokens.subspan(start);
  return out;
}

// A register operand, through a `reg` alias when there is one; empty when
// the operand is no register.
PlainOperand register_text(std::span<const Token> operand, SymbolTable& table) {
  PlainOperand out;
  bool indirect = false;
  if (!operand.empty() && operand[0].kind == TokenKind::Operator && operand[0].text == "@") {
    indirect = true;
    operand = operand.subspan(1);
  }
  if (operand.size() != 1 || operand[0].kind != TokenKind::Name) return out;
  const std::string_view written = operand[0].text;
  FoldedName folded;
  folded.assign(written, operand[0].lower);
  std::string_view name = folded;
  if (!is_register_word(name)) {
    const Symbol* alias = table.register_alias(written);
    if (!alias) return out;
    name = alias->register_name;  // a register word: `reg` takes no other
  }
  if (indirect) out.append("@");
  out.append(name);
  return out;
}

}  // namespace

std::span<const UpiInstruction> upi_only_instructions() { return kUpiOnly; }

// 8048 instructions that UPI-41/42 parts lack (external memory and bus,
// the interrupt pin test, memory banks, the clock output).
bool missing_on_upi(std::string_view m, std::string_view o1, std::string_view o2) {
  if (m == "movx" || m == "ins" || m == "jni" || m == "ent0") return true;
  if (m == "sel") return o1 == "mb0" || o1 == "mb1";
  if (m == "outl") return o1 == "bus" || o1 == "p0";
  if (m == "anl" || m == "orl") return o1 == "bus";
  if (m == "in") return o2 == "p0";
  return false;
}

bool is_register_word(std::string_view w) {
  if (w.size() == 2 && (w[0] == 'r' || w[0] == 'p') && w[1] >= '0' && w[1] <= '7') return true;
  static constexpr std::string_view kWords[] = {"a",   "c",   "t",   "i",   "f0",  "f1",  "psw",  "bus",   "clk",
                                                "cnt", "mb0", "mb1", "rb0", "rb1", "dbb", "sts",  "dma",   "tcnt",
                                                "tcnti", "flags"};
  for (std::string_view word : kWords)
    if (w.size() == word.size() && w == word) return true;
  return false;
}

bool is_mnemonic(std::string_view folded) {
  if (first_row_of(folded)) return true;
  if (folded == "jmp" || folded == "call") return true;
  for (const UpiRow& row : kUpiOnly)
    if (row.mnemonic == folded) return true;
  return false;
}

bool MnemonicCache::contains(const Word& word) {
  if (word.key == kLongTextKey) return is_mnemonic(word.folded);
  for (std::size_t slot = key_slot(word.key, kSlotBits);; slot = (slot + 1) % slots_.size()) {
    Slot& known = slots_[slot];
    if (known.key == word.key) return known.mnemonic;
    if (known.key != 0) continue;
    const bool mnemonic = is_mnemonic(word.folded);
    if (4 * used_ < 3 * slots_.size()) {
      known = {word.key, mnemonic};
      ++used_;
    }
    return mnemonic;
  }
}

InstructionBytes assemble_instruction(const Word& mnemonic, std::span<const Token> tokens, InstructionSet set,
                                    SymbolTable& table, SymbolSource& symbols, PlainEncoder& encoder,
                                    std::int32_t address) {
  InstructionBytes out;
  const Operands split = split_operands(tokens);
  const std::span<const std::span<const Token>> operands(split.parts, split.count);
  if (operands.size() > 2) {
    out.error = std::string(kParameterError);
    return out;
  }
  const std::string_view m = mnemonic.folded;
  const std::uint64_t key = mnemonic.key;
  const bool branch = is_branch(m, key);
  PlainOperand texts[2];
  std::int32_t target = 0;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    const auto operand = operands[i];
    if (operand.empty()) {
      out.error = std::string(kParameterError);
      return out;
    }
    if (branch && i + 1 == operands.size()) {  // the target is the last operand
      Evaluation e = evaluate(operand, symbols);
      if (!e.error.empty()) return out.error = std::move(e.error), out;
      out.undefined = e.undefined;
      target = e.value;
      texts[i].append(kTargetText);
    } else if (operand[0].kind == TokenKind::Operator && operand[0].text == "#") {
      Evaluation e = evaluate(operand.subspan(1), symbols);
      if (!e.error.empty()) return out.error = std::move(e.error), out;
      if (out.undefined.empty()) out.undefined = e.undefined;
      // Negative bytes are their two's complement, as "#-1" means FFH.
      if ((e.value < -128 || e.value > 255) && symbols.convention().low_byte_of_wide) {
        out.warning = message(kLowByteTaken, std::to_string(e.value));
      } else if (e.value < -128 || e.value > 255) {
        out.error = message(kValueRange, std::to_string(e.value) + " (erlaubt -128 bis 255)");
        return out;
      }
      char immediate[8] = "#";
      const auto end = std::to_chars(immediate + 1, immediate + sizeof immediate, e.value & 0xFF).ptr;
      texts[i].append(std::string_view(immediate, static_cast<std::size_t>(end - immediate)));
    } else {
      texts[i] = register_text(operand, table);
      if (texts[i].size == 0) {
        out.error = std::string(kParameterError);
        return out;
      }
    }
  }

  PlainEncoding plain;
  const UpiRow* upi = upi_row(key, texts[0].view(), texts[1].view());
  if (upi && set != InstructionSet::Upi41) {
    out.error = std::string(kOnlyOnUpi);
    return out;
  }
  if (set == InstructionSet::Upi41 && missing_on_upi(m, texts[0].view(), texts[1].view())) {
    out.error = std::string(kNotOnUpi);
    return out;
  }
  if (upi) {
    if (upi->branch && operands.size() != 1) {
      out.error = std::string(kParameterError);
      return out;
    }
    plain.bytes[0] = upi->opcode;
    plain.length = upi->branch ? 2 : 1;
    plain.takes_target = upi->branch;
  } else {
    plain = encoder.encode(m, mnemonic.key, texts[0], texts[1]);
    if (!plain.error.empty()) {
      out.error = std::string(plain.error);
      return out;
    }
  }
  if (plain.takes_target) {
    // jmp and call carry 11 bits; the bank comes from sel mb0/mb1 at run time.
    const bool long_jump = (plain.bytes[0] & 0x0F) == 0x04;
    if (long_jump && set == InstructionSet::Mcs48 && target >= 0 && target < program_memory_of(set)) {
      if ((target ^ address) & 0x800) out.other_bank_target = target;
      target &= 0x7FF;
    }
    const std::string_view failure = fit_target(address, target, plain.bytes);
    // Unknown names are reported as such, not as a wrong target.
    if (!failure.empty() && out.undefined.empty()) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%04XH", static_cast<unsigned>(target) & 0xFFFFFFFFu);
      out.error = std::string(failure) + ": " + (target < 0 ? std::to_string(target) : std::string(hex));
      return out;
    }
  }
  out.bytes[0] = plain.bytes[0];
  out.bytes[1] = plain.bytes[1];
  out.length = plain.length;
  return out;
}

}  // namespace zorvin::asm48::ext
