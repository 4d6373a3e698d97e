// A name folded to lower case as fold_case folds it. Short ASCII names, which
// nearly all are, stay inside the object: folding a word allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "asm/table_hash.h"

namespace zorvin::asm48::ext {

class FoldedName {
 public:
  FoldedName() = default;
  explicit FoldedName(std::string_view name) { assign(name); }

  void assign(std::string_view name);
  // A name known to be lower-case ASCII already: kept as a view of it, so
  // it must outlive this object.
  void assign_lower(std::string_view lower) {
    where_ = Where::Outside;
    outside_ = lower;
  }
  // assign_lower for a name the lexer found to be lower-case ASCII, else assign.
  void assign(std::string_view name, bool known_lower) { known_lower ? assign_lower(name) : assign(name); }

  std::string_view view() const {
    if (where_ == Where::Buffer) return {buffer_, size_};
    return where_ == Where::Outside ? outside_ : std::string_view(long_);
  }
  // FNV-1a of the folded bytes.
  std::uint64_t hash() const {
    std::uint64_t hash = kFnvBasis;
    for (const char c : view()) hash = fnv1a_step(hash, static_cast<unsigned char>(c));
    return hash;
  }
  operator std::string_view() const { return view(); }  // NOLINT: used as the text it is
  bool empty() const { return view().empty(); }

 private:
  enum class Where : std::uint8_t { Buffer, Long, Outside };
  char buffer_[23];
  std::uint8_t size_ = 0;
  Where where_ = Where::Buffer;
  std::string long_;             // a long or non-ASCII name
  std::string_view outside_;     // a name that needed no folding
};

}  // namespace zorvin::asm48::ext
