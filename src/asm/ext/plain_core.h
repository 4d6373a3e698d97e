// The one place where the extended dialect meets the plain assembler's
// encoder, jump rules and line records. Everything above it works with
// bytes; this file turns them into what the output writer reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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
PlainEncoding encode_plain(std::string_view mnemonic, std::string_view operand1, std::string_view operand2);

// jmp/call (long) or a conditional jump/djnz whose opcode is bytes[0]:
// fills in the target under the 8048's rules; returns the message text of a
// target that does not fit, empty when it does.
std::string_view fit_target(bool long_jump, bool is_call, std::int32_t address, std::int32_t target,
                            std::uint8_t bytes[2]);

// Appends the code of one statement to the table: `count` bytes from
// `address`, all for the source line `line_no`.
void append_code(LineTable& table, std::int32_t line_no, std::int32_t address, const std::uint8_t* bytes,
                 std::size_t count, bool is_data);

// The address pass's check and the final sort: bytes past 7FFH are errors,
// and the table ends up in address order.
inline constexpr std::int32_t kMemorySize = 2048;
void sort_table(LineTable& table);

}  // namespace zorvin::asm48::ext
