// The one place where the extended dialect meets the plain assembler's
// jump rules and line records. Everything above it works with bytes; this
// file turns them into what the output writer reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "asm/address_pass.h"
#include "asm/instruction_encoder.h"
#include "asm/line_record.h"

namespace zorvin::asm48::ext {

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
