// Error lines of an assembler run, "Zeile: <n> -> <text>", in the order the
// passes report them.
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

struct Diagnostics {
  std::vector<std::string> lines;
  int not_kept = 0;  // reported beyond kMaxKeptErrorLines

  void report(std::int32_t line_no, std::string_view text) {
    if (lines.size() >= kMaxKeptErrorLines) {
      ++not_kept;
      return;
    }
    lines.push_back("Zeile: " + std::to_string(line_no) + std::string(text));
  }
  int count() const { return static_cast<int>(lines.size()) + not_kept; }
};

}  // namespace zorvin::asm48
