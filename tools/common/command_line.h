// What every command-line tool reads the same way: --help and --version,
// options with and without a value, the one positional argument, the
// German messages of a wrong call and the exit status 2 with the usage on
// standard error; also the options more than one tool takes (--fill,
// --fehlerformat).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvin::cli {

inline constexpr int kUsageError = 2;

struct Tool {
  const char* name;   // "zorvin-asm"
  const char* usage;  // "Aufruf: ..." lines, each ended by a newline
};

// --help (also -h) and --version, asked for where an option stands.
enum class Request { Help, Version };
std::optional<Request> request_of(std::string_view arg);

// The answer on standard output: the usage, or the name and the project's
// version. Exit status 0, or 1 when standard output cannot be written.
int answer(const Tool& tool, Request request);

// "zorvin-asm: message" on standard error.
void complain(const Tool& tool, std::string_view message);

// The usage on standard error; the exit status of a wrong call.
int usage_error(const Tool& tool);

// Reads a call's arguments in order. A tool's loop:
//   while (args.next()) {
//     if (args.flag("--listing")) ...
//     else if (args.value("--output", text)) ...
//     else if (!args.positional(source)) args.unknown();
//   }
//   if (args.stopped()) return args.stop();
// --help and --version end the reading where an option stands (not as the
// value of one) and are answered by stop().
class ArgumentReader {
 public:
  ArgumentReader(const Tool& tool, int argc, char** argv) : tool_(tool), argc_(argc), argv_(argv) {}

  // Moves to the next argument: false at the end, after a fault and at
  // --help or --version.
  bool next();
  const std::string& arg() const { return arg_; }

  // Whether the argument is `option` (without a value).
  bool flag(std::string_view option) const { return arg_ == option; }
  // Whether the argument is `option` and an argument follows as its value,
  // which it takes.
  bool value(std::string_view option, std::string& value);
  // Takes the argument as the positional one when it is no option and
  // none was given before.
  bool positional(std::optional<std::string>& slot);

  // Ends the reading with "TOOL: message"; nothing, for a parser to return
  // (`return args.fail("...");`).
  std::nullopt_t fail(std::string_view message);
  // fail() with "unbekanntes oder unvollständiges Argument '...'".
  std::nullopt_t unknown();

  // Whether a fault, --help or --version ended the reading: the call does
  // not run.
  bool stopped() const { return failed_ || request_.has_value(); }
  // For a stopped reading: answers --help or --version (exit status 0), or
  // puts the usage on standard error after a fault (exit status 2).
  int stop() const;

 private:
  Tool tool_;
  int argc_;
  char** argv_;
  int index_ = 0;
  std::string arg_;
  bool failed_ = false;
  std::optional<Request> request_;
};

// --fill 00|FF: the fill byte of the image's unused places.
std::optional<std::uint8_t> fill_byte_of(std::string_view text);

// How messages about a source are written: as the window shows them
// ("Zeile: 12 -> Syntaxfehler") or in the GNU convention
// ("datei.asm:12: Fehler: Syntaxfehler").
enum class ErrorFormat { Standard, Gnu };
inline constexpr const char* kErrorFormatNames = "gnu oder standard";
inline constexpr const char* kErrorFormatVariable = "ZORVIN_FEHLERFORMAT";
std::optional<ErrorFormat> error_format_named(std::string_view name);

// The format of ZORVIN_FEHLERFORMAT; unset or empty: the window's. A value
// it does not know is said on standard error and leaves the window's.
ErrorFormat error_format_from_environment(const Tool& tool);

}  // namespace zorvin::cli
