// Directives that switch how the rest of the pass reads and places things
// (relaxed, assume mb) and expect ... endexpect, which turns messages the
// source asks for into no messages at all.
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

namespace {

constexpr std::int32_t kBankSize = 0x800;
constexpr std::uint8_t kSelMb0 = 0xE5;
constexpr std::uint8_t kSelMb1 = 0xF5;

// The texts a convention's number stands for; empty when it has none.
std::vector<std::string_view> texts_of(const Convention& rules, int number) {
  std::vector<std::string_view> texts;
  for (const ErrorNumber& entry : rules.error_numbers)
    if (entry.number == number) texts.push_back(entry.text);
  return texts;
}

bool starts_with_any(std::string_view text, const std::vector<std::string_view>& starts) {
  return std::any_of(starts.begin(), starts.end(), [text](std::string_view s) { return text.starts_with(s); });
}

// ": text" after a message, or nothing when there is no text.
std::string detail(std::string_view text) { return text.empty() ? std::string() : ": " + std::string(text); }

// "1010 (Symbol nicht definiert)": the number with the first text it stands for.
std::string what_number_means(int number, const std::vector<std::string_view>& texts) {
  std::string_view text = texts.empty() ? std::string_view{} : texts.front();
  if (text.starts_with(" -> ")) text.remove_prefix(4);
  while (!text.empty() && (text.back() == ' ' || text.back() == ':')) text.remove_suffix(1);
  return std::to_string(number) + (text.empty() ? "" : " (" + std::string(text) + ")");
}

std::string hex_address(std::int32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%04XH", static_cast<unsigned>(value) & 0xFFFFu);
  return hex;
}

}  // namespace

void Pass::set_relaxed(bool on) {
  relaxed_ = on;
  const Convention& own = *context_.convention;
  rules_.leading_zero_octal = on || own.leading_zero_octal;
  rules_.quoted_radix = on || own.quoted_radix;
  rules_.dollar_hex = on || own.dollar_hex;
  rules_.percent_binary = on || own.percent_binary;
  rules_.at_octal = on || own.at_octal;
  rules_.zero_b_binary = on || own.zero_b_binary;
}

void Pass::number_forms(const Statement& s) {
  const bool on = s.operands.size() == 1 && s.operands[0].kind == TokenKind::Name && word_equals(s.operands[0].text, "on");
  const bool off = s.operands.size() == 1 && s.operands[0].kind == TokenKind::Name && word_equals(s.operands[0].text, "off");
  if (!on && !off) return report(kOnOrOff, detail(s.operand_text));
  set_relaxed(on);
}

void Pass::assume_bank(const Statement& s) {
  // mb:value pairs; the macro assembler takes other registers for other
  // processors, the 8048 has only this one.
  const auto parts = split_operands(s.operands);
  if (parts.empty()) return report(kAssumeWhat, detail(s.operand_text));
  for (const auto& part : parts) {
    if (part.size() < 3 || part[0].kind != TokenKind::Name || !word_equals(part[0].text, "mb") || !is_op(part[1], ":"))
      return report(kAssumeWhat, detail(s.operand_text));
    const auto value_tokens = part.subspan(2);
    if (value_tokens.size() == 1 && value_tokens[0].kind == TokenKind::Name && word_equals(value_tokens[0].text, "nothing")) {
      assumed_bank_ = -1;
      continue;
    }
    const auto bank = value(value_tokens);
    if (!bank) return;
    if (!in_range(*bank, 0, std::max(0, memory_size() / kBankSize - 1))) return;
    assumed_bank_ = *bank;
  }
}

bool Pass::select_bank(std::int32_t target, std::int32_t address) {
  const std::int32_t bank = target / kBankSize;
  if (assumed_bank_ >= 0) {
    if (bank != assumed_bank_)
      result_.warnings.report(line_no(), message(kNotAssumedBank, hex_address(target)), result_.warnings.severity,
                              where());
    return true;
  }
  if (bank == address / kBankSize) return true;
  if (!rules_.inserts_bank_select) {
    warn_other_bank(target);
    return true;
  }
  // Encoded again at the end of the pass, the jump has only its own room.
  if (replaying_) {
    length_changed_ = true;
    return false;
  }
  const std::uint8_t select = bank == 0 ? kSelMb0 : kSelMb1;
  emit(&select, 1, false);
  return true;
}

void Pass::expect(const Statement& s) {
  if (!expects_.empty() && expects_.back().last == 0) return report(kExpectNested);
  ExpectBlock block;
  const FileLine at = where();
  block.file = at.file;
  block.first = at.file.empty() ? line_no() : at.line;
  block.line_no = line_no();
  block.where = at;
  // The block opens even with a number it cannot check: its endexpect
  // then still has its beginning.
  for (const auto& part : split_operands(s.operands)) {
    const auto number = value(part);
    if (number && texts_of(rules_, *number).empty()) report(kUnknownErrorNumber, std::to_string(*number));
    else if (number) block.numbers.push_back(*number);
  }
  if (s.operands.empty()) report(kParameterError);
  expects_.push_back(std::move(block));
}

void Pass::end_expect(const Statement& s) {
  if (expects_.empty() || expects_.back().last != 0) return report(kStray, s.word->text);
  ExpectBlock& block = expects_.back();
  const FileLine at = where();
  block.last = at.file.empty() ? line_no() : at.line;
  // Messages about a missing one name the endexpect.
  block.line_no = line_no();
  block.where = at;
}

// The closed block a message stands in, found by where the blocks start
// (they do not overlap), or none: a message from an included file counts
// for a block in that file, else for one around the line that includes it.
const ExpectBlock* Pass::block_of(const std::vector<std::size_t>& by_start, const Diagnostic& d) const {
  const auto find = [&](const std::string& file, std::int32_t line) -> const ExpectBlock* {
    const auto after = std::upper_bound(by_start.begin(), by_start.end(), std::pair{&file, line},
                                        [this](const auto& key, std::size_t i) {
                                          const ExpectBlock& b = expects_[i];
                                          return *key.first != b.file ? *key.first < b.file : key.second < b.first;
                                        });
    if (after == by_start.begin()) return nullptr;
    const ExpectBlock& block = expects_[*(after - 1)];
    return block.file == file && block.last != 0 && line <= block.last ? &block : nullptr;
  };
  if (d.line <= 0) return nullptr;
  if (!d.file.empty())
    if (const ExpectBlock* inside = find(d.file, d.file_line)) return inside;
  static const std::string kSource;
  return find(kSource, d.line);
}

void Pass::settle_expectations() {
  if (expects_.empty()) return;
  std::vector<std::size_t> by_start(expects_.size());
  for (std::size_t i = 0; i < by_start.size(); ++i) by_start[i] = i;
  std::sort(by_start.begin(), by_start.end(), [this](std::size_t a, std::size_t b) {
    return std::tie(expects_[a].file, expects_[a].first) < std::tie(expects_[b].file, expects_[b].first);
  });
  // Per block and number: the texts it stands for, and whether a line gave one.
  std::vector<std::vector<std::vector<std::string_view>>> texts(expects_.size());
  std::vector<std::vector<bool>> seen(expects_.size());
  for (std::size_t i = 0; i < expects_.size(); ++i) {
    for (const int number : expects_[i].numbers) texts[i].push_back(texts_of(rules_, number));
    seen[i].assign(expects_[i].numbers.size(), false);
  }
  const auto expected = [&](const Diagnostic& d) {
    const ExpectBlock* block = block_of(by_start, d);
    if (!block) return false;
    const auto i = static_cast<std::size_t>(block - expects_.data());
    for (std::size_t k = 0; k < texts[i].size(); ++k)
      if (starts_with_any(d.text, texts[i][k])) {
        seen[i][k] = true;
        return true;
      }
    return false;
  };
  for (Diagnostics* list : {&result_.diagnostics, &result_.warnings})
    list->items.erase(std::remove_if(list->items.begin(), list->items.end(), expected), list->items.end());
  for (std::size_t i = 0; i < expects_.size(); ++i) {
    const ExpectBlock& block = expects_[i];
    if (block.last == 0) {
      result_.diagnostics.report(block.line_no, kEndexpectMissing, Severity::Error, block.where);
      continue;
    }
    for (std::size_t k = 0; k < block.numbers.size(); ++k)
      if (!seen[i][k])
        result_.diagnostics.report(block.line_no, message(kExpectedMissing, what_number_means(block.numbers[k], texts[i][k])),
                                   Severity::Error, block.where);
  }
}

}  // namespace zorvin::asm48::ext::engine
