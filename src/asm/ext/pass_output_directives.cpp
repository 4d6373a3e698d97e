// Directives about the run's output rather than its code: the file the
// program goes to (.TF) and which lines the listing shows (.LI).
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

namespace {

std::string_view unquoted(std::string_view text) {
  text = trim_blanks(text);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return text;
}

bool ends_with_folded(std::string_view text, std::string_view lower_end) {
  return text.size() >= lower_end.size() && word_equals(text.substr(text.size() - lower_end.size()), lower_end);
}

}  // namespace

void Pass::target_file(const Statement& s) {
  // Without a name it closes the file; the one file here needs no closing.
  const std::string_view operands = trim_blanks(s.operand_text);
  if (operands.empty()) return;
  const std::size_t comma = operands.find(',');
  const std::string_view name = unquoted(operands.substr(0, comma));
  std::string_view format = comma == std::string_view::npos ? std::string_view{} : operands.substr(comma + 1);
  format = trim_blanks(format.substr(0, format.find(',')));  // a further expression says where it starts
  if (name.empty()) return report(kParameterError);
  if (result_.target_file) return warn(message(kOneTargetFile, name));
  bool hex = false;
  if (format.empty()) {
    hex = ends_with_folded(name, ".hex") || ends_with_folded(name, ".ihx") || ends_with_folded(name, ".int");
  } else if (word_equals(format, "int")) {
    hex = true;
  } else if (!word_equals(format, "bin")) {
    return warn(message(kTargetFormat, format));
  }
  result_.target_file = asm48::TargetFile{std::string(name), hex};
  warn(message(kTargetFileNamed, name), Severity::Note);
}

void Pass::list_switch(const Statement& s) {
  for (const auto& part : split_operands(s.operands)) {
    if (part.size() != 1 || part[0].kind != TokenKind::Name) continue;
    if (word_equals(part[0].text, "on")) listing_off_ = false;
    if (!word_equals(part[0].text, "off")) continue;
    listing_off_ = true;
    if (ListingLine* shown = listed()) shown->unlisted = true;  // the .LI OFF line itself too
  }
}

}  // namespace zorvin::asm48::ext::engine
