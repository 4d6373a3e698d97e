// A name folded to lower case as fold_case folds it. Short ASCII names, which
// nearly all are, stay inside the object: folding a word allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvin::asm48::ext {

inline constexpr std::uint64_t kFnvBasis = 0xCBF29CE484222325u;
inline constexpr std::uint64_t kFnvPrime = 0x100000001B3u;

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

  std::string_view view() const {
    if (where_ == Where::Buffer) return {buffer_, size_};
    return where_ == Where::Outside ? outside_ : std::string_view(long_);
  }
  // FNV-1a of the folded bytes: short names hash several times faster
  // this way than with the library's text hash.
  std::uint64_t hash() const {
    std::uint64_t hash = kFnvBasis;
    for (const char c : view()) hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
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
