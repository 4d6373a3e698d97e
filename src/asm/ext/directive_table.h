// The engine's directive words and what each one does, as data. A
// convention's own words (".EQU", ".or", "#define") are aliases onto these
// in its own folder; the pass looks the engine word up here and calls the
// handler for its kind.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zorvin::asm48::ext {

enum class Directive : std::uint8_t {
  None,        // no directive: an instruction, a macro call or an error
  Definition,  // equ set reg macro define: read before the label is placed
  Condition,   // if ifdef ifndef elseif else endif: read even while skipping
  Org,
  Data,        // db dw
  Reserve,     // ds
  Loop,        // while rept
  ExitMacro,
  StrayEndm,   // an endm without its macro
  Include,
  End,
  Cpu,
  Ignore,      // a convention's directive that places nothing
  Asciz,
  FillTo,
  Fill,        // count and value: that many bytes of the value
  UserError,   // error fatal
  UserNote,    // warning message
  Layout,      // listing layout of other assemblers: page title newpage listing
  NumberForms, // relaxed on/off: every number form from this line on, or the convention's again
  AssumeBank,  // assume mb:0 / mb:1 / mb:nothing
  Expect,      // expect numbers ... endexpect: the lines between must give these messages
  EndExpect,
  TargetFile,  // the file the program goes to (SB .TF name,format)
  ListSwitch,  // listing on/off from this line on (SB .LI ON/OFF)
};
inline constexpr std::size_t kDirectiveKinds = static_cast<std::size_t>(Directive::ListSwitch) + 1;

struct EngineDirective {
  std::string_view word;  // the engine's word, folded
  Directive kind;
  bool reserved;          // never a label, even in column 1
};

// Every engine word, for the tests and the conventions' aliases.
std::span<const EngineDirective> engine_directives();

// What the engine word does; Directive::None for any other word.
const EngineDirective* find_engine_directive(std::string_view folded_word);
inline Directive directive_of(std::string_view folded_word) {
  const EngineDirective* found = find_engine_directive(folded_word);
  return found ? found->kind : Directive::None;
}

}  // namespace zorvin::asm48::ext
