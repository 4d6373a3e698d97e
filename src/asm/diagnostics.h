// What an assembler run reports, as data: severity, line, file and text, in
// the order the passes report them; format_diagnostic makes the line shown,
// format_gnu_diagnostic the line of the GNU convention ("datei.asm:12: Fehler:
// ...") that Make, editors and IDEs read.
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

// Where in an included file a message belongs.
struct FileLine {
  std::string file;        // the path as the run opened it; empty for the source itself
  std::int32_t line = 0;   // line in that file
};

struct Diagnostic {
  Severity severity = Severity::Error;
  std::int32_t line = 0;  // source line; 0 for a message about the whole run
  std::string file;       // empty for the source itself
  std::string text;       // " -> ..." after a line number; the whole text without one
  // Line in `file`: the source line is then the one that includes it.
  std::int32_t file_line = 0;
};

// The line shown for a diagnostic: "Zeile: N -> ...", or its text alone
// when it names no line. One from an included file names it after the
// arrow: "Zeile: 4 -> defs.inc, Zeile 2: Syntaxfehler".
inline std::string format_diagnostic(const Diagnostic& diagnostic) {
  if (diagnostic.line <= 0) return diagnostic.text;
  if (!diagnostic.file.empty() && diagnostic.text.starts_with(" -> "))
    return "Zeile: " + std::to_string(diagnostic.line) + " -> " + diagnostic.file + ", Zeile " +
           std::to_string(diagnostic.file_line) + ": " + diagnostic.text.substr(4);
  return "Zeile: " + std::to_string(diagnostic.line) + diagnostic.text;
}

// The line of the GNU convention: "datei.asm:12: Fehler: Syntaxfehler",
// "datei.asm:3: Warnung: ..."; an error in an included file names that file
// and its line. `source` is the source's path as the user gave it. A
// message about the whole run stays as it is.
inline std::string format_gnu_diagnostic(const Diagnostic& diagnostic, std::string_view source) {
  if (diagnostic.line <= 0) return diagnostic.text;
  const bool included = !diagnostic.file.empty();
  const std::string place = (included ? diagnostic.file : std::string(source)) + ":" +
                            std::to_string(included ? diagnostic.file_line : diagnostic.line) + ": ";
  std::string_view text = diagnostic.text;
  if (text.starts_with(" -> ")) text.remove_prefix(4);
  // Warnings and notes say what they are already, as do the error and
  // message directives.
  for (const std::string_view kind : {"Fehler: ", "Warnung: ", "Hinweis: ", "Meldung: "})
    if (text.starts_with(kind)) return place + std::string(text);
  const char* kind = diagnostic.severity == Severity::Error     ? "Fehler: "
                     : diagnostic.severity == Severity::Warning ? "Warnung: "
                                                                : "Hinweis: ";
  return place + kind + std::string(text);
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
  // One in an included file (`at.file` empty: the source itself).
  void report(std::int32_t line_no, std::string_view text, Severity of, const FileLine& at) {
    if (items.size() >= kMaxKeptErrorLines) {
      ++not_kept;
      return;
    }
    items.push_back({of, line_no, at.file, std::string(text), at.file.empty() ? 0 : at.line});
  }
  int count() const { return static_cast<int>(items.size()) + not_kept; }
};

}  // namespace zorvin::asm48
