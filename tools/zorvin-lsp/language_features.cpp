#include "language_features.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "asm/diagnostics.h"
#include "instruction_facts.h"
#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

using nlohmann::json;

// Protocol numbers.
constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;
constexpr int kSeverityInformation = 3;
constexpr int kSeverityHint = 4;
constexpr int kSymbolMethod = 6;
constexpr int kSymbolFunction = 12;
constexpr int kSymbolConstant = 14;
constexpr int kCompletionFunction = 3;
constexpr int kCompletionVariable = 6;
constexpr int kCompletionModule = 9;
constexpr int kCompletionKeyword = 14;
constexpr int kCompletionConstant = 21;
constexpr std::size_t kMaxHoverBytes = 16;

json position_json(std::string_view line_text, std::size_t line, std::size_t byte) {
  return {{"line", line}, {"character", utf16_column(line_text, byte)}};
}

json range_json(const SourceText& source, const Spot& spot) {
  const std::string_view text = source.lines.line(spot.line);
  return {{"start", position_json(text, spot.line, spot.begin)}, {"end", position_json(text, spot.line, spot.end)}};
}

json location_json(const NameSite& site) { return {{"uri", site.source->uri}, {"range", range_json(*site.source, site.spot)}}; }

std::optional<Word> word_under(const OpenDocument& document, Position at) {
  const SourceText& source = *document.source;
  if (at.line >= source.lines.line_count()) return std::nullopt;
  const std::string_view line = source.lines.line(at.line);
  return word_at(line, at.line, byte_column(line, at.character));
}

std::string kind_text(NameKind kind) {
  switch (kind) {
    case NameKind::Label: return "Marke";
    case NameKind::Equate: return "Konstante";
    case NameKind::Macro: return "Makro";
  }
  return {};
}

std::string file_name(const SourceText& source) {
  return source.path.empty() ? source.uri : std::filesystem::path(source.path).filename().string();
}

std::string hex_bytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < kMaxHoverBytes; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  if (bytes.size() > kMaxHoverBytes) text += " ... (" + std::to_string(bytes.size()) + " Byte)";
  return text;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The word is a line's instruction when it stands first, or after the label.
bool is_instruction_word(const std::vector<Word>& words, const Word& word) {
  for (std::size_t i = 0; i < words.size() && i < 2; ++i)
    if (words[i].spot.begin == word.spot.begin) return i == 0 || !find_mnemonic(fold_case(words[0].text));
  return false;
}

json markdown(const std::string& text) { return {{"contents", {{"kind", "markdown"}, {"value", text}}}}; }

// The line's code bytes (with what macros and includes placed for it), or none.
const LineCode* code_of_line(const OpenDocument& document, std::size_t line) {
  const auto code = document.check.code.find(static_cast<std::int32_t>(line + 1));
  return code != document.check.code.end() && !code->second.bytes.empty() ? &code->second : nullptr;
}

// "Code: 23 12 (Adresse 0010H)" and a paragraph break.
std::string code_text(const LineCode& code) {
  std::string text = "Code: " + hex_bytes(code.bytes);
  if (code.address) {
    char address[24];
    std::snprintf(address, sizeof address, " (Adresse %04XH)", static_cast<unsigned>(*code.address) & 0xFFFFu);
    text += address;
  }
  return text + "\n\n";
}

// A directive or macro call where the instruction goes: what it placed.
json statement_hover(const OpenDocument& document, const Word& word, std::string_view line) {
  const LineCode* code = code_of_line(document, word.spot.line);
  if (!code) return nullptr;
  const std::string_view statement = trimmed(code_part(line).substr(word.spot.begin));
  std::string text = "**" + std::string(statement) + "**\n\n" + code_text(*code);
  text.resize(text.size() - 2);
  return markdown(text);
}

json instruction_hover(const OpenDocument& document, const Word& word, std::string_view line) {
  const std::string folded = fold_case(word.text);
  const MnemonicFacts* facts = find_mnemonic(folded);
  const std::string_view statement = trimmed(code_part(line).substr(word.spot.begin));
  const std::string_view operands = trimmed(statement.substr(word.text.size()));
  std::string text = "**" + std::string(statement) + "**\n\n";
  if (const LineCode* code = code_of_line(document, word.spot.line)) {
    text += code_text(*code);
    text += "Zyklen: " + std::to_string(cycles_of_opcode(code->bytes.front(), document.check.set)) + "\n\n";
  } else if (facts->min_cycles == facts->max_cycles) {
    text += "Zyklen: " + std::to_string(facts->min_cycles) + "\n\n";
  } else {
    text += "Zyklen: " + std::to_string(facts->min_cycles) + " bis " + std::to_string(facts->max_cycles) + "\n\n";
  }
  // The analysis's straight run from a routine or label that starts here.
  const auto routine = document.check.cycles_by_line.find(static_cast<std::int32_t>(word.spot.line + 1));
  if (routine != document.check.cycles_by_line.end()) text += routine->second + "\n\n";
  const std::string flags = changed_flags(folded, operands);
  text += flags.empty() ? std::string("Ändert keine Flags") : "Ändert: " + flags;
  if (!facts->in(document.check.set))
    text += document.check.set == asm48::InstructionSet::Upi41 ? "\n\nNicht im Befehlssatz der UPI-41/42" : "\n\nNur UPI-41/42";
  return markdown(text);
}

// Whether a word starting at `start` stands in the operands: after the
// mnemonic or directive, not where one goes (at the start, or after the
// label, with or without its colon).
bool in_operands(std::string_view line, std::size_t line_no, std::size_t start) {
  std::vector<Word> before;
  for (const Word& word : words_of_line(line.substr(0, start), line_no))
    if (word.spot.end < start) before.push_back(word);
  if (before.empty()) return false;
  const Word& first = before.front();
  const bool label = (first.spot.end < line.size() && line[first.spot.end] == ':') ||
                     (first.spot.begin == 0 && !first.prefix && !find_mnemonic(fold_case(first.text)) &&
                      !is_directive(fold_case(first.text)));
  return !(label && before.size() == 1);
}

}  // namespace

json diagnostics_of(const OpenDocument& document) {
  const SourceText& source = *document.source;
  json list = json::array();
  auto add = [&](const asm48::Diagnostic& diagnostic, int severity) {
    const std::size_t line = diagnostic.line > 0 ? static_cast<std::size_t>(diagnostic.line - 1) : 0;
    const std::string_view text = source.lines.line(line);
    const std::string_view code = code_part(text);
    const std::size_t begin = code.find_first_not_of(" \t");
    const Spot spot{line, begin == std::string_view::npos ? 0 : begin, begin == std::string_view::npos ? text.size() : code.size()};
    std::string message = asm48::format_diagnostic(diagnostic);
    if (!diagnostic.file.empty()) message = diagnostic.file + ": " + message;
    list.push_back({{"range", range_json(source, spot)}, {"severity", severity}, {"source", "zorvin"}, {"message", message}});
  };
  const asm48::AssemblyResult& result = document.check.result;
  for (const auto& warning : result.warnings)
    add(warning, warning.severity == asm48::Severity::Note ? kSeverityInformation : kSeverityWarning);
  for (const auto& error : result.errors) add(error, kSeverityError);
  // Only the document's own lines: a finding in an included file has no
  // place in this one.
  for (const asm48::Diagnostic& hint : analysis::finding_diagnostics(document.check.findings))
    if (hint.line > 0 && static_cast<std::size_t>(hint.line) <= source.lines.line_count()) add(hint, kSeverityHint);
  const auto not_kept = static_cast<std::size_t>(result.error_count) - std::min<std::size_t>(result.errors.size(), result.error_count);
  if (not_kept > 0)
    add({asm48::Severity::Error, 0, {}, "... und " + std::to_string(not_kept) + " weitere Fehlermeldungen, die nicht angezeigt werden"},
        kSeverityError);
  return {{"uri", source.uri}, {"version", document.version}, {"diagnostics", list}};
}

json hover(Workspace& workspace, const OpenDocument& document, Position at) {
  const std::optional<Word> word = word_under(document, at);
  if (!word) return nullptr;
  const std::string_view line = document.source->lines.line(at.line);
  const std::string folded = fold_case(word->text);
  const bool statement = is_instruction_word(words_of_line(line, at.line), *word);
  if (!word->prefix && statement && find_mnemonic(folded)) return instruction_hover(document, *word, line);
  const auto defined = workspace.definitions(document, folded);
  if (statement && defined.empty() && is_directive(keyword_of(*word))) return statement_hover(document, *word, line);
  const auto value = document.check.values.find(folded);
  if (defined.empty() && value == document.check.values.end()) return nullptr;
  std::string text = "**" + std::string(word->text) + "**";
  if (!defined.empty()) text += " (" + kind_text(defined.front().second.kind) + ")";
  text += "\n\n";
  if (value != document.check.values.end()) {
    text += "Wert: " + value->second;
    if (!document.check.result.ok()) text += " (aus einem Lauf mit Fehlern)";
    text += "\n\n";
  }
  if (const auto routine = document.check.cycles_by_name.find(folded); routine != document.check.cycles_by_name.end())
    text += routine->second + "\n\n";
  for (const auto& [site, name] : defined)
    text += "Definiert in " + file_name(*site.source) + ", Zeile " + std::to_string(site.spot.line + 1) + "\n\n";
  if (defined.empty()) text += "Von außen definiert (-D)";
  // A macro call: what the expansion placed.
  const LineCode* code = statement ? code_of_line(document, at.line) : nullptr;
  if (code && !defined.empty() && defined.front().second.kind == NameKind::Macro) text += "\n\n" + code_text(*code);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  json answer = markdown(text);
  answer["range"] = range_json(*document.source, word->spot);
  return answer;
}

json definition(Workspace& workspace, const OpenDocument& document, Position at) {
  // On an include line the definition is the file it names.
  for (const IncludedName& include : document.source->scan.includes) {
    if (include.line != at.line) continue;
    if (const auto file = workspace.included_file(*document.source, include.name))
      return json::array({location_json({file, Spot{}})});
  }
  const std::optional<Word> word = word_under(document, at);
  if (!word) return nullptr;
  json locations = json::array();
  for (const auto& [site, name] : workspace.definitions(document, fold_case(word->text)))
    locations.push_back(location_json(site));
  if (locations.empty()) return nullptr;
  return locations;
}

json references(Workspace& workspace, const OpenDocument& document, Position at, bool with_declaration) {
  const std::optional<Word> word = word_under(document, at);
  if (!word) return nullptr;
  const std::string folded = fold_case(word->text);
  const auto defined = workspace.definitions(document, folded);
  // Mnemonics and registers are no names a program defines.
  if (defined.empty() && !document.check.values.contains(folded)) return json::array();
  json locations = json::array();
  for (const NameSite& site : workspace.references(document, folded)) {
    const bool declaration = std::any_of(defined.begin(), defined.end(), [&](const auto& d) {
      return d.first.source == site.source && d.first.spot.line == site.spot.line && d.first.spot.begin == site.spot.begin;
    });
    if (declaration && !with_declaration) continue;
    locations.push_back(location_json(site));
  }
  return locations;
}

json document_symbols(const OpenDocument& document) {
  const SourceText& source = *document.source;
  json symbols = json::array();
  for (const DefinedName& name : source.scan.definitions) {
    const int kind = name.kind == NameKind::Label ? kSymbolFunction : name.kind == NameKind::Equate ? kSymbolConstant : kSymbolMethod;
    const Spot whole{name.spot.line, 0, source.lines.line(name.spot.line).size()};
    json symbol = {{"name", name.name}, {"kind", kind}, {"range", range_json(source, whole)},
                   {"selectionRange", range_json(source, name.spot)}};
    const auto value = document.check.values.find(name.folded);
    symbol["detail"] = value != document.check.values.end() ? value->second : kind_text(name.kind);
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

json completion(Workspace& workspace, const OpenDocument& document, Position at) {
  const SourceText& source = *document.source;
  const std::string_view line = at.line < source.lines.line_count() ? source.lines.line(at.line) : std::string_view();
  const std::size_t cursor = byte_column(line, at.character);
  // What is typed so far: the name characters before the cursor, with a
  // directive's leading '#', '$' or '.'.
  std::size_t start = cursor;
  auto name_char = [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '?' || c >= 0x80;
  };
  while (start > 0 && name_char(static_cast<unsigned char>(line[start - 1]))) --start;
  if (start > 0 && (line[start - 1] == '#' || line[start - 1] == '$') && trimmed(line.substr(0, start - 1)).empty()) --start;
  const std::string typed(line.substr(start, cursor - start));
  const std::string folded_typed = fold_case(typed);
  const bool upper = !typed.empty() && fold_case(typed) != typed && typed.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
  const json edit_range = {{"start", position_json(line, at.line, start)}, {"end", position_json(line, at.line, cursor)}};
  json items = json::array();
  auto offer = [&](const std::string& word, int kind, const std::string& detail, bool keep_case) {
    if (!fold_case(word).starts_with(folded_typed)) return;
    std::string shown = word;
    if (upper && !keep_case) std::transform(shown.begin(), shown.end(), shown.begin(), [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    items.push_back({{"label", shown}, {"kind", kind}, {"detail", detail},
                     {"textEdit", {{"range", edit_range}, {"newText", shown}}}});
  };
  const bool operands = in_operands(line, at.line, start);
  if (!operands) {
    for (const MnemonicFacts& mnemonic : all_mnemonics())
      if (mnemonic.in(document.check.set)) offer(mnemonic.mnemonic, kCompletionKeyword, "Befehl", false);
    for (const std::string& word : directive_words(document.check.convention)) offer(word, kCompletionModule, "Direktive", false);
  } else {
    for (const std::string& word : register_words()) offer(word, kCompletionVariable, "Register", false);
  }
  for (const DefinedName& name : workspace.reachable_names(document)) {
    if (name.spot.line == at.line && name.spot.end == cursor && name.spot.begin == start) continue;  // the word being typed
    // Where the instruction goes, of the names only macros fit.
    if (!operands && name.kind != NameKind::Macro) continue;
    const int kind = name.kind == NameKind::Label ? kCompletionFunction
                     : name.kind == NameKind::Macro ? kCompletionKeyword
                                                    : kCompletionConstant;
    offer(name.name, kind, kind_text(name.kind), true);
  }
  return {{"isIncomplete", false}, {"items", items}};
}

}  // namespace zorvin::lsp
