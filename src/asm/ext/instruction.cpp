#include "asm/ext/instruction.h"

#include <array>
#include <optional>
#include <cstdio>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/ext/folded_name.h"
#include "asm/ext/messages.h"
#include "asm/ext/plain_core.h"
#include "asm/instruction_table.h"
#include "asm/statement_encoder.h"
#include "asm/table_hash.h"

namespace zorvin::asm48::ext {

namespace {

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

// A register operand, through a `reg` alias when there is one; none when
// the operand is no register.
std::optional<Operand> register_operand(std::span<const Token> operand, SymbolTable& table) {
  bool indirect = false;
  if (!operand.empty() && operand[0].kind == TokenKind::Operator && operand[0].text == "@") {
    indirect = true;
    operand = operand.subspan(1);
  }
  if (operand.size() != 1 || operand[0].kind != TokenKind::Name) return std::nullopt;
  const std::string_view written = operand[0].text;
  FoldedName folded;
  folded.assign(written, operand[0].lower);
  auto reg = register_of(folded);
  if (!reg) {
    const Symbol* alias = table.register_alias(written);
    if (!alias) return std::nullopt;
    reg = register_of(alias->register_name);  // a register word: `reg` takes no other
    if (!reg) return std::nullopt;
  }
  return indirect ? Operand::indirect(*reg) : Operand::of_register(*reg);
}

// An immediate's value as the byte the encoder takes: negative bytes are
// their two's complement, as "#-1" means FFH; a wider value is an error, or
// its low byte with a warning where the convention does so.
bool immediate_operand(std::span<const Token> expression, SymbolSource& symbols, InstructionBytes& out,
                       Operand& operand) {
  Evaluation e = evaluate(expression, symbols);
  if (!e.error.empty()) return out.error = std::move(e.error), false;
  if (out.undefined.empty()) out.undefined = e.undefined;
  if ((e.value < -128 || e.value > 255) && symbols.convention().low_byte_of_wide) {
    out.warning = message(kLowByteTaken, std::to_string(e.value));
  } else if (e.value < -128 || e.value > 255) {
    out.error = message(kValueRange, std::to_string(e.value) + " (erlaubt -128 bis 255)");
    return false;
  }
  operand = Operand::immediate(e.value & 0xFF);
  return true;
}

// "/", "=" and "\\" in front of an operand select a byte of its value and
// mark it as immediate, where the convention has them.
bool is_byte_selector(const Token& t) {
  return t.kind == TokenKind::Operator && (t.text == "/" || t.text == "=" || t.text == "\\");
}

std::string failure_message(EncodeFailure failure) {
  if (failure == EncodeFailure::OnlyOnUpi) return std::string(kOnlyOnUpi);
  if (failure == EncodeFailure::NotOnUpi) return std::string(kNotOnUpi);
  if (failure == EncodeFailure::NotOnPart) return std::string(kNotOnPart);
  return std::string(failure_text(failure));
}

}  // namespace

bool is_register_word(std::string_view w) { return register_of(w).has_value(); }

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
                                    SymbolTable& table, SymbolSource& symbols, StatementEncoder& encoder,
                                    std::int32_t address) {
  InstructionBytes out;
  const Operands split = split_operands(tokens);
  const std::span<const std::span<const Token>> operands(split.parts, split.count);
  if (operands.size() > 2) {
    out.error = std::string(kParameterError);
    return out;
  }
  const bool branch = is_branch(mnemonic.folded, mnemonic.key);
  // A jump or call without its target is a mistake, not a jump to 0.
  if (branch && operands.empty()) {
    out.error = std::string(kParameterError);
    return out;
  }
  asm48::Statement statement;
  statement.mnemonic = mnemonic.folded;
  statement.mnemonic_key = mnemonic.key;
  std::int32_t target = 0;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    const auto operand = operands[i];
    Operand& read = statement.operands[i];
    if (operand.empty()) {
      out.error = std::string(kParameterError);
      return out;
    }
    if (branch && i + 1 == operands.size()) {  // the target is the last operand
      Evaluation e = evaluate(operand, symbols);
      if (!e.error.empty()) return out.error = std::move(e.error), out;
      out.undefined = e.undefined;
      read = Operand::target(e.value);
      target = e.value;
    } else if (operand[0].kind == TokenKind::Operator && operand[0].text == "#") {
      if (!immediate_operand(operand.subspan(1), symbols, out, read)) return out;
    } else if (symbols.convention().whole_prefixes && is_byte_selector(operand[0])) {
      if (!immediate_operand(operand, symbols, out, read)) return out;  // /value: an immediate of its byte 1
    } else if (const auto reg = register_operand(operand, table)) {
      read = *reg;
    } else if (takes_immediate(mnemonic.folded, static_cast<int>(i) + 1)) {
      // The 8048 addresses no data memory directly: a value where an
      // immediate may stand can mean nothing else. Code written for an
      // assembler that takes it so assembles; where the convention's own
      // assembler wants "#", a warning says how the operand was read.
      if (!immediate_operand(operand, symbols, out, read)) return out;
      if (!symbols.convention().bare_immediates && out.warning.empty()) {
        std::string written;
        for (const Token& t : operand) written += t.text;
        out.warning = message(kBareImmediate, written);
      }
    } else {
      out.error = std::string(kParameterError);
      return out;
    }
  }

  StatementCode code = encoder.encode(statement, set);
  if (!code.ok()) {
    out.error = failure_message(code.failure);
    return out;
  }
  if (code.needs_target) {
    // jmp and call carry 11 bits; the bank comes from sel mb0/mb1 at run time.
    const bool long_jump = (code.bytes[0] & 0x0F) == 0x04;
    if (long_jump && has_memory_banks(set) && target >= 0 && target < program_memory_of(set)) {
      out.long_target = target;
      target &= 0x7FF;
    }
    const std::string_view failure = fit_target(address, target, code.bytes);
    // Unknown names are reported as such, not as a wrong target.
    if (!failure.empty() && out.undefined.empty()) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%04XH", static_cast<unsigned>(target) & 0xFFFFFFFFu);
      out.error = std::string(failure) + ": " + (target < 0 ? std::string(std::to_string(target)) : std::string(hex));
      return out;
    }
  }
  out.bytes[0] = code.bytes[0];
  out.bytes[1] = code.bytes[1];
  out.length = code.length;
  return out;
}

}  // namespace zorvin::asm48::ext
