#include "command_line.h"

#include <cstdio>
#include <cstdlib>

namespace zorvin::cli {

std::optional<Request> request_of(std::string_view arg) {
  if (arg == "--help" || arg == "-h") return Request::Help;
  if (arg == "--version") return Request::Version;
  return std::nullopt;
}

int answer(const Tool& tool, Request request) {
  if (request == Request::Help) std::fputs(tool.usage, stdout);
  else std::printf("%s %s\n", tool.name, ZORVIN_VERSION);
  // A full disk or a closed pipe must not pass for an answer given.
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

void complain(const Tool& tool, std::string_view message) {
  std::fprintf(stderr, "%s: %.*s\n", tool.name, static_cast<int>(message.size()), message.data());
}

int usage_error(const Tool& tool) {
  std::fputs(tool.usage, stderr);
  return kUsageError;
}

bool ArgumentReader::next() {
  if (failed_ || request_ || ++index_ >= argc_) return false;
  arg_ = argv_[index_];
  request_ = request_of(arg_);
  return !request_;
}

bool ArgumentReader::value(std::string_view option, std::string& value) {
  if (arg_ != option || index_ + 1 >= argc_) return false;
  value = argv_[++index_];
  return true;
}

bool ArgumentReader::positional(std::optional<std::string>& slot) {
  if (arg_.starts_with("-") || slot) return false;
  slot = arg_;
  return true;
}

std::nullopt_t ArgumentReader::fail(std::string_view message) {
  complain(tool_, message);
  failed_ = true;
  return std::nullopt;
}

std::nullopt_t ArgumentReader::unknown() { return fail("unbekanntes oder unvollständiges Argument '" + arg_ + "'"); }

int ArgumentReader::stop() const {
  if (request_ && !failed_) return answer(tool_, *request_);
  return usage_error(tool_);
}

std::optional<std::uint8_t> fill_byte_of(std::string_view text) {
  if (text == "00") return 0x00;
  if (text == "FF" || text == "ff") return 0xFF;
  return std::nullopt;
}

std::optional<ErrorFormat> error_format_named(std::string_view name) {
  if (name == "gnu") return ErrorFormat::Gnu;
  if (name == "standard") return ErrorFormat::Standard;
  return std::nullopt;
}

ErrorFormat error_format_from_environment(const Tool& tool) {
  const char* value = std::getenv(kErrorFormatVariable);
  if (value == nullptr || *value == '\0') return ErrorFormat::Standard;
  if (const auto format = error_format_named(value)) return *format;
  complain(tool, std::string(kErrorFormatVariable) + "=" + value + " ist unbekannt (" + kErrorFormatNames +
                     "); es gilt das Format standard");
  return ErrorFormat::Standard;
}

}  // namespace zorvin::cli
