#include "asm/ext/folded_name.h"

#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

void FoldedName::assign(std::string_view name) {
  if (name.size() <= sizeof buffer_) {
    unsigned bits = 0;  // all the bytes ORed: below 80H when every one is ASCII
    for (std::size_t i = 0; i < name.size(); ++i) {
      const auto c = static_cast<unsigned char>(name[i]);
      bits |= c;
      buffer_[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    size_ = static_cast<std::uint8_t>(name.size());
    where_ = Where::Buffer;
    if (bits < 0x80) return;
  }
  where_ = Where::Long;
  long_ = fold_case(name);  // UTF-8 capitals need the full folding
}

}  // namespace zorvin::asm48::ext
