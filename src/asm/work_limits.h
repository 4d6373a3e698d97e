// Bounds on the work of one assembler run, the same for every dialect: a
// run that reaches one stops with a message naming it and the line where it
// was reached. They are chosen so that any source ends within about a
// second and a few hundred MB, while a full program, its includes and its
// macros stay far below them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zorvin::asm48 {

// Statements looked at (assembled or skipped by if), over all passes.
inline constexpr std::uint64_t kMaxStatements = 2'000'000;
// Words, numbers and signs of those statements: a long expression costs
// as much as many short statements.
inline constexpr std::uint64_t kMaxTokens = 4'000'000;
// Bytes of text read, expanded by macros and recorded for loops and
// macros, over all passes; also the largest editor text assembled at all.
inline constexpr std::uint64_t kMaxTextBytes = 16ull * 1024 * 1024;
// Longest line a macro expansion may make (a source line may be longer).
inline constexpr std::size_t kMaxExpandedLineBytes = 1024 * 1024;
// Loop iterations of all while and rept loops together, over all passes.
inline constexpr std::uint64_t kMaxLoopIterations = 1'000'000;

inline constexpr std::string_view kTooManyStatements =
    " -> mehr als 2000000 Anweisungen in einem Lauf (Grenze der Anweisungen), abgebrochen";
inline constexpr std::string_view kTooManyTokens =
    " -> mehr als 4000000 Wörter, Zahlen und Zeichen in Anweisungen eines Laufs (Grenze der Ausdrücke), "
    "abgebrochen";
inline constexpr std::string_view kTooMuchText =
    " -> mehr als 16 MiB Text durch Makros, Schleifen und Dateien (Grenze der Textmenge), abgebrochen";
inline constexpr std::string_view kExpandedLineTooLong =
    " -> Zeile durch Makroersetzung länger als 1 MiB (Grenze der Zeilenlänge), abgebrochen";
inline constexpr std::string_view kTooManyLoopIterations =
    " -> mehr als 1000000 Schleifendurchläufe in einem Lauf (Grenze der Schleifen), abgebrochen";

// What one run has used so far. Each call adds work and says whether the
// run is still within its bounds; once one is passed it stays exceeded, so
// callers may add first and ask exceeded() once.
class WorkBudget {
 public:
  bool add_statement() { return ++statements_ <= kMaxStatements || fail(kTooManyStatements); }
  bool add_tokens(std::size_t count) { return (tokens_ += count) <= kMaxTokens || fail(kTooManyTokens); }
  bool add_text(std::size_t bytes) { return (text_bytes_ += bytes) <= kMaxTextBytes || fail(kTooMuchText); }
  bool add_expanded_line(std::size_t bytes) {
    return (bytes <= kMaxExpandedLineBytes || fail(kExpandedLineTooLong)) && add_text(bytes);
  }
  bool add_iteration() { return ++iterations_ <= kMaxLoopIterations || fail(kTooManyLoopIterations); }

  bool exceeded() const { return !reason_.empty(); }
  // The message of the bound that was passed first; empty while none was.
  std::string_view reason() const { return reason_; }

 private:
  bool fail(std::string_view reason) {
    if (reason_.empty()) reason_ = reason;
    return false;
  }

  std::uint64_t statements_ = 0;
  std::uint64_t tokens_ = 0;
  std::uint64_t text_bytes_ = 0;
  std::uint64_t iterations_ = 0;
  std::string_view reason_;
};

}  // namespace zorvin::asm48
