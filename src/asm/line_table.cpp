#include <algorithm>
#include <cstring>
#include <utility>

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

std::span<char> LineTable::keep_source(std::string text) {
  source_ = std::make_unique<std::string>(std::move(text));
  return {source_->data(), source_->size()};
}

std::string_view LineTable::keep(std::string_view text) {
  const std::span<char> copy = keep_writable(text);
  return {copy.data(), copy.size()};
}

std::span<char> LineTable::keep_writable(std::string_view text) {
  if (text.empty()) return {};
  char* out = nullptr;
  if (text.size() > kBlockSize / 4) {
    out = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(text.size())).get();
  } else {
    if (open_left_ < text.size()) {
      open_ = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(kBlockSize)).get();
      open_left_ = kBlockSize;
    }
    out = open_;
    open_ += text.size();
    open_left_ -= text.size();
  }
  std::memcpy(out, text.data(), text.size());
  return {out, text.size()};
}

// Sorts positions rather than records, then walks each cycle of the
// permutation once, moving records in place; equal addresses keep their
// source order.
void LineTable::sort_by_address() {
  const auto by_address = [](const LineRecord& a, const LineRecord& b) { return a.address < b.address; };
  if (std::is_sorted(records.begin(), records.end(), by_address)) return;
  std::vector<std::uint32_t> order(records.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return records[a].address < records[b].address; });
  // Position i takes the record from order[i]; a done position points to itself.
  for (std::uint32_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    std::uint32_t position = start;
    LineRecord held = records[start];
    while (order[position] != start) {
      const std::uint32_t from = order[position];
      records[position] = records[from];
      order[position] = position;
      position = from;
    }
    records[position] = held;
    order[position] = position;
  }
}

void LineTable::clear() {
  records.clear();
  code.clear();
  source_.reset();
  blocks_.clear();
  open_ = nullptr;
  open_left_ = 0;
}

}  // namespace zorvin::asm48
