// What the analysis reports, as data: the kind, where (address and source
// line when known) and the German text; formatted where it is shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "asm/diagnostics.h"

namespace zorvin::analysis {

enum class FindingKind : std::uint8_t {
  StackTooDeep,      // the worst case needs more than the stack's 8 levels
  Recursion,         // a routine calls itself (directly or through others)
  PageEnd,           // conditional jump, movp or jmpp at a page's last byte
  TablePage,         // a table that movp/jmpp cannot reach from where it is read
  BankWrap,          // code that runs past 7FFh and wraps to 000h of its bank
  BankUnknown,       // jmp/call where sel mb0/mb1 may be either
  RunsIntoData,      // the flow reaches data or an address without code
  InterruptChanges,  // an interrupt routine changes A, PSW or registers without saving them
  Unreached,         // code no path from an entry reaches
};

struct Finding {
  FindingKind kind = FindingKind::Unreached;
  std::int32_t address = 0;
  std::int32_t line = 0;  // source line, 0 when unknown
  std::string text;       // without "Hinweis: "
};

// "Zeile: 12 -> Hinweis: ...", or "Hinweis: ... " alone without a line.
std::string format_finding(const Finding& finding);

// The findings as the assembler's diagnostics (notes), for callers that show
// those already (the language server, the message pane).
std::vector<asm48::Diagnostic> finding_diagnostics(const std::vector<Finding>& findings);

}  // namespace zorvin::analysis
