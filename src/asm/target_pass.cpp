#include "asm/target_pass.h"

#include <optional>
#include <string>
#include <vector>

#include "asm/instruction_encoder.h"
#include "asm/table_hash.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// Folded label -> address of its first definition; a label defined twice
// resolves to the first one. Labels are kept without their ":", which a
// target is written without. Open addressing over places in one folded
// copy of all labels: no allocation per label.
class LabelAddresses {
 public:
  explicit LabelAddresses(const LineTable& table) {
    std::size_t labels = 0;
    std::size_t bytes = 0;
    for (const LineRecord& record : table.records) {
      if (record.label.empty()) continue;
      ++labels;
      bytes += record.label.size();
    }
    folded_.reserve(bytes);
    std::size_t size = 16;
    while (size < 2 * labels) size *= 2;
    slots_.resize(size);
    for (const LineRecord& record : table.records) {
      if (record.label.empty()) continue;
      const std::size_t at = folded_.size();
      CaseFoldingReader folded;
      for (const char c : record.label.substr(0, record.label.size() - 1)) folded_ += folded.next(c);
      add(at, record.address);
    }
  }

  std::optional<std::int32_t> find(std::string_view target) const {
    for (std::size_t slot = folded_hash(target) & (slots_.size() - 1); slots_[slot].name_size != 0;
         slot = (slot + 1) & (slots_.size() - 1)) {
      if (equals_folded(target, name_of(slots_[slot]))) return slots_[slot].address;
    }
    return std::nullopt;
  }

 private:
  // A label's folded name by its place in folded_; no label is empty, so a
  // slot without a name is free.
  struct Slot {
    std::uint32_t name_at = 0;
    std::uint32_t name_size = 0;
    std::int32_t address = 0;
  };

  std::string_view name_of(const Slot& slot) const { return std::string_view(folded_).substr(slot.name_at, slot.name_size); }

  // FNV-1a over the text as fold_case folds it (a folded name hashes as itself).
  static std::size_t folded_hash(std::string_view text) {
    std::uint64_t hash = kFnvBasis;
    CaseFoldingReader folded;
    for (const char c : text) hash = fnv1a_step(hash, static_cast<unsigned char>(folded.next(c)));
    return static_cast<std::size_t>(hash ^ (hash >> 32));
  }

  void add(std::size_t name_at, std::int32_t address) {
    const std::string_view name = std::string_view(folded_).substr(name_at);
    std::size_t slot = folded_hash(name) & (slots_.size() - 1);
    for (; slots_[slot].name_size != 0; slot = (slot + 1) & (slots_.size() - 1))
      if (name_of(slots_[slot]) == name) return;  // the first definition stays
    slots_[slot] = {static_cast<std::uint32_t>(name_at), static_cast<std::uint32_t>(name.size()), address};
  }

  std::string folded_;
  std::vector<Slot> slots_;
};

}  // namespace

int target_pass(LineTable& table, Diagnostics& diagnostics) {
  const LabelAddresses labels(table);
  int errors = 0;
  for (LineRecord& record : table.records) {
    if (!record.needs_target) continue;
    const std::optional<std::int32_t> address = labels.find(record.target());
    std::string_view failure = kUnknownTarget;
    if (address) {
      const std::span<std::uint8_t> code = table.code_of(record);
      const FittedJump fitted = fit_target(code[0], record.address, *address);
      failure = fitted.message;
      if (failure.empty()) {
        code[0] = fitted.opcode;
        code[1] = fitted.operand;
      }
    }
    if (!failure.empty()) {
      diagnostics.report(record.line_no, failure);
      ++errors;
    }
  }
  return errors;
}

}  // namespace zorvin::asm48
