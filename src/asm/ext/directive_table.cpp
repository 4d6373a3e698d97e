#include "asm/ext/directive_table.h"

#include <array>

#include "asm/instruction_table.h"
#include "asm/table_hash.h"

namespace zorvin::asm48::ext {

namespace {

using D = Directive;

constexpr std::array<EngineDirective, 56> kDirectives = {{
    {"equ", D::Definition, true},     {"set", D::Definition, true},    {"reg", D::Definition, true},
    {"macro", D::Definition, true},   {"define", D::Definition, false}, {"if", D::Condition, true},
    {"ifdef", D::Condition, true},    {"ifndef", D::Condition, true},  {"elseif", D::Condition, true},
    {"else", D::Condition, true},     {"endif", D::Condition, true},   {"org", D::Org, true},
    {".org", D::Org, true},           {"db", D::Data, true},           {".db", D::Data, true},
    {"dw", D::Data, true},            {".dw", D::Data, true},          {"ds", D::Reserve, true},
    {".ds", D::Reserve, true},        {"while", D::Loop, true},        {"rept", D::Loop, true},
    {"exitm", D::ExitMacro, true},    {"endm", D::StrayEndm, true},    {"include", D::Include, true},
    {"end", D::End, true},            {".end", D::End, true},          {"cpu", D::Cpu, true},
    {"ignore", D::Ignore, false},     {"asciz", D::Asciz, false},      {"fill_to", D::FillTo, false},
    {"error", D::UserError, false},   {"fatal", D::UserError, false},  {"warning", D::UserNote, false},
    {"message", D::UserNote, false},  {"page", D::Layout, true},       {"title", D::Layout, true},
    {"newpage", D::Layout, true},     {"listing", D::Layout, true},    {"fill_n", D::Fill, false},
    {"da_word", D::Data, false},      {"dr_word", D::Data, false},     {"dl_long", D::Data, false},
    {"db_rev", D::Data, false},       {"hex_str", D::Data, false},     {"at_str", D::Data, false},
    {"irp", D::Loop, false},          {"num_fmt", D::NumberForms, false}, {"mb_bank", D::AssumeBank, false},
    {"exp_err", D::Expect, false},    {"exp_end", D::EndExpect, false},   {"dn_nib", D::Data, false},
    {"dq_quad", D::Data, false},      {"dt_bcd", D::Data, false},      {"do_flt", D::Data, false},
    {"tf_name", D::TargetFile, false}, {"li_sw", D::ListSwitch, false},
}};

// Open addressing on the words' keys: a statement that is no instruction
// asks once, with one or two compares.
constexpr int kSlotBits = 7;
struct Slots {
  std::array<std::uint64_t, std::size_t{1} << kSlotBits> keys{};
  std::array<std::uint8_t, std::size_t{1} << kSlotBits> index{};  // position + 1; 0 = empty
};

constexpr Slots make_slots() {
  Slots slots;
  for (std::size_t i = 0; i < kDirectives.size(); ++i) {
    const std::uint64_t key = text_key(kDirectives[i].word);
    std::size_t slot = key_slot(key, kSlotBits);
    while (slots.index[slot] != 0) slot = (slot + 1) & ((std::size_t{1} << kSlotBits) - 1);
    slots.keys[slot] = key;
    slots.index[slot] = static_cast<std::uint8_t>(i + 1);
  }
  return slots;
}
constexpr Slots kSlots = make_slots();

}  // namespace

std::span<const EngineDirective> engine_directives() { return kDirectives; }

const EngineDirective* find_engine_directive(std::string_view folded_word) {
  // Every engine word is at most seven bytes: a longer word is none.
  const std::uint64_t key = text_key(folded_word);
  if (key == kLongTextKey) return nullptr;
  for (std::size_t slot = key_slot(key, kSlotBits);; slot = (slot + 1) & ((std::size_t{1} << kSlotBits) - 1)) {
    if (kSlots.index[slot] == 0) return nullptr;
    if (kSlots.keys[slot] == key) return &kDirectives[kSlots.index[slot] - 1];
  }
}

}  // namespace zorvin::asm48::ext
