#include "asm/ext/folded_name.h"

#include "files/unicode_text.h"

namespace zorvin::asm48::ext {

void FoldedName::assign(std::string_view name) {
  in_buffer_ = name.size() <= sizeof buffer_;
  for (std::size_t i = 0; in_buffer_ && i < name.size(); ++i) {
    const char c = name[i];
    in_buffer_ = static_cast<unsigned char>(c) < 0x80;
    buffer_[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  if (in_buffer_) {
    size_ = static_cast<std::uint8_t>(name.size());
  } else {
    fold_case_into(long_, name);  // UTF-8 capitals need the full folding
  }
}

}  // namespace zorvin::asm48::ext
