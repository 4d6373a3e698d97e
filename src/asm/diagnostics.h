// What an assembler run reports, as data: severity, line and text, in the
// order the passes report them; format_diagnostic makes the line shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::asm48 {

inline constexpr std::string_view kSyntaxError = " -> Syntaxfehler";
inline constexpr std::string_view kParameterError = " -> Parameterfehler";
inline constexpr std::string_view kValueOutOfRange = " -> Wert außerhalb des zulässigen Bereiches";
inline constexpr std::string_view kUnknownTarget = " -> ungültiges Sprungziel";
inline constexpr std::string_view kTargetOffPage = " -> Sprungziel außerhalb der aktuellen Seite";
inline constexpr std::string_view kTargetOutOfRange = " -> Sprungziel außerhalb des zulässigen Bereiches";
inline constexpr std::string_view kBeyondProgramMemory = " -> Adresse außerhalb des Programmspeichers";
inline constexpr std::string_view kOperandTooLong = " -> Operand nach equ-Ersetzung zu lang";
inline constexpr std::string_view kOneValuePerDb =
    " -> nur ein Wert pro db erlaubt; mehrere Werte nimmt der erweiterte Dialekt (einzuschalten mit einer "
    "cpu-Zeile, z. B. cpu 8048)";

// Error lines kept of one run; the rest are only counted. A million errors
// would otherwise take hundreds of MB, and no one reads past the first.
inline constexpr std::size_t kMaxKeptErrorLines = 10000;

enum class Severity { Error, Warning, Note };

struct Diagnostic {
  Severity severity = Severity::Error;
  std::int32_t line = 0;  // source line; 0 for a message about the whole run
  std::string file;       // empty for the source itself
  std::string text;       // " -> ..." after a line number; the whole text without one
};

// The line shown for a diagnostic: "Zeile: N -> ...", or its text alone
// when it names no line.
inline std::string format_diagnostic(const Diagnostic& diagnostic) {
  if (diagnostic.line <= 0) return diagnostic.text;
  return "Zeile: " + std::to_string(diagnostic.line) + diagnostic.text;
}

inline std::vector<std::string> format_diagnostics(const std::vector<Diagnostic>& diagnostics) {
  std::vector<std::string> lines;
  lines.reserve(diagnostics.size());
  for (const Diagnostic& diagnostic : diagnostics) lines.push_back(format_diagnostic(diagnostic));
  return lines;
}

struct Diagnostics {
  std::vector<Diagnostic> items;
  int not_kept = 0;  // reported beyond kMaxKeptErrorLines
  Severity severity = Severity::Error;  // of what report() adds

  void report(std::int32_t line_no, std::string_view text) { report(line_no, text, severity); }
  void report(std::int32_t line_no, std::string_view text, Severity of) {
    if (items.size() >= kMaxKeptErrorLines) {
      ++not_kept;
      return;
    }
    items.push_back({of, line_no, {}, std::string(text)});
  }
  int count() const { return static_cast<int>(items.size()) + not_kept; }
};

}  // namespace zorvin::asm48
