#include <algorithm>
#include <cstring>

#include "asm/line_record.h"

namespace zorvin::asm48 {

namespace {

// Small texts (substituted operands) share blocks of this size; a larger
// text, the source itself, gets a block of its own.
constexpr std::size_t kBlockSize = 16 * 1024;

}  // namespace

void LineTable::set_code(LineRecord& record, std::span<const std::uint8_t> bytes) {
  record.code_at = static_cast<std::uint32_t>(code.size());
  record.length = static_cast<std::int32_t>(bytes.size());
  record.is_reserve = false;
  code.insert(code.end(), bytes.begin(), bytes.end());
}

LineRecord& LineTable::add_record(std::int32_t line_no, std::span<const std::uint8_t> bytes, std::int32_t reserve_bytes) {
  LineRecord& record = records.emplace_back();
  record.line_no = line_no;
  set_code(record, bytes);
  if (bytes.empty() && reserve_bytes > 0) {
    record.length = reserve_bytes;
    record.is_reserve = true;
  }
  return record;
}

std::string_view LineTable::keep(std::string_view text) {
  const std::span<char> copy = keep_writable(text);
  return {copy.data(), copy.size()};
}

std::span<char> LineTable::keep_writable(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kBlockSize / 4) {
    // Inserted before the open block, which stays open for small texts.
    Block own{std::make_unique<char[]>(text.size()), text.size()};
    std::memcpy(own.data.get(), text.data(), text.size());
    const auto at = blocks_.empty() ? blocks_.end() : blocks_.end() - 1;
    return {blocks_.insert(at, std::move(own))->data.get(), text.size()};
  }
  if (blocks_.empty() || blocks_.back().size - used_ < text.size()) {
    blocks_.push_back({std::make_unique<char[]>(kBlockSize), kBlockSize});
    used_ = 0;
  }
  char* out = blocks_.back().data.get() + used_;
  std::memcpy(out, text.data(), text.size());
  used_ += text.size();
  return {out, text.size()};
}

void LineTable::clear() {
  records.clear();
  code.clear();
  blocks_.clear();
  used_ = 0;
}

}  // namespace zorvin::asm48
