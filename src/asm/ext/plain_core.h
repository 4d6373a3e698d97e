// The one place where the extended dialect meets the plain assembler's
// encoder, jump rules and line records. Everything above it works with
// bytes; this file turns them into what the output writer reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "asm/address_pass.h"
#include "asm/instruction_encoder.h"
#include "asm/instruction_table.h"
#include "asm/line_record.h"

namespace zorvin::asm48::ext {

struct PlainEncoding {
  std::string_view error;       // message text, empty when it encoded
  std::uint8_t bytes[2] = {0, 0};
  int length = 0;
  bool takes_target = false;    // second byte (or jmp/call bits) come from a target
};

// Encodes one instruction through the instruction table, operands as plain
// texts ("a", "@r0", "#12"). A target operand is passed as any label text;
// the result then says takes_target and leaves the target's bits to
// fit_target.
inline PlainEncoding encode_plain(std::string_view folded_mnemonic, std::string_view operand1,
                                  std::string_view operand2) {
  const Encoding encoding = encode_instruction(folded_mnemonic, operand1, operand2);
  PlainEncoding out;
  out.error = encoding.message;
  out.bytes[0] = encoding.opcode;
  out.bytes[1] = encoding.operand;
  out.length = encoding.length;
  out.takes_target = encoding.needs_target;
  return out;
}

// An operand as the plain table writes it ("r3", "@r0", "#12", a target's
// stand-in): never more than seven characters, so it stays on the stack.
// The bytes after the text stay zero and no text holds a zero byte, so the
// eight bytes alone tell operands apart.
struct PlainOperand {
  char text[8] = {};
  std::size_t size = 0;

  std::string_view view() const { return {text, size}; }
  void append(std::string_view part) {
    if (size + part.size() >= sizeof text) return;  // cannot happen: see above
    std::size_t end = size;  // a local count: stores into text could alias a member one
    for (const char c : part) text[end++] = c;
    size = end;
  }
  std::uint64_t key() const {
    std::uint64_t key = 0;
    std::memcpy(&key, text, sizeof key);
    return key;
  }
};

// encode_plain with its answers kept for the run: a program repeats a few
// dozen mnemonic and operand combinations, and a table lookup costs many
// times what finding a kept answer does.
class PlainEncoder {
 public:
  // `key` is text_key(folded_mnemonic), which the caller has at hand.
  PlainEncoding encode(std::string_view folded_mnemonic, std::uint64_t key, const PlainOperand& operand1,
                       const PlainOperand& operand2);

 private:
  struct Entry {
    std::uint64_t mnemonic = 0;  // 0: a free slot (only the empty word has the key 0)
    std::uint64_t operand1 = 0, operand2 = 0;
    PlainEncoding encoding;
  };
  // Open addressing in a table a program fills only in part: a lookup is a
  // hash and a compare or two. Once three quarters are taken, new answers
  // are no longer kept.
  static constexpr int kSlotBits = 9;
  std::vector<Entry> slots_ = std::vector<Entry>(std::size_t{1} << kSlotBits);
  std::size_t used_ = 0;
};

// Completes a jump whose opcode is bytes[0] under the 8048's rules (jmp and
// call anywhere in 2 KiB, the others in the page of their second byte);
// returns the message text of a target that does not fit, empty when it does.
std::string_view fit_target(std::int32_t address, std::int32_t target, std::uint8_t bytes[2]);

// Appends the code of one statement to the table: the bytes from `address`,
// all for the source line `line_no`.
void append_code(LineTable& table, std::int32_t line_no, std::int32_t address, const std::uint8_t* bytes,
                 std::size_t count, bool is_data);

// Appends a record that reserves `count` bytes (ds): they keep the fill byte.
void append_reserve(LineTable& table, std::int32_t line_no, std::int32_t address, std::int32_t count);

}  // namespace zorvin::asm48::ext
