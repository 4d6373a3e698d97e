// Build-time generator of the editor's highlighting for 8048 sources: fills
// the language definition template with the mnemonics and the register and
// port names of the assembler's instruction table, once for the plain
// dialect (OUTPUT, language "mcs48") and once for each convention the
// engine reads (mcs48-OPTION.lang beside it, language "mcs48-OPTION") with
// that convention's literals, number forms and directive words.
//
//   zorvin-lang TEMPLATE OUTPUT
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "asm/dialect/dialects.h"
#include "asm/instruction_table.h"

namespace {

using zorvin::asm48::Convention;
using zorvin::asm48::row_field;
using zorvin::asm48::table_row;
using zorvin::asm48::table_size;

// Only plain words become keywords; placeholders ("§adresse§", "#§data§")
// and anything that would need escaping in XML stay out.
bool is_plain_word(std::string_view word) {
  if (word.empty()) return false;
  for (char c : word)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

std::string keyword_lines(const std::set<std::string>& words) {
  std::string lines;
  for (const std::string& word : words) lines += "      <keyword>" + word + "</keyword>\n";
  return lines;
}

std::string xml_escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// A directive word as a regular expression: every sign but letters and
// digits escaped.
std::string regex_word(std::string_view word) {
  std::string out;
  for (char c : word) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain) out += '\\';
    out += c;
  }
  return out;
}

std::string match_context(const std::string& id, const std::string& style, const std::string& regex,
                          const std::string& extra = "") {
  return "    <context id=\"" + id + "\" style-ref=\"" + style + "\"" + extra + ">\n      <match>" +
         xml_escaped(regex) + "</match>\n    </context>\n";
}

std::string refs(const std::vector<std::string>& ids) {
  std::string lines;
  for (const std::string& id : ids) lines += "        <context ref=\"" + id + "\"/>\n";
  return lines;
}

const std::string kStringClass = " class=\"string\" class-disabled=\"no-spell-check\"";
const std::string kComment =
    "    <context id=\"comment\" style-ref=\"comment\" end-at-line-end=\"true\" class=\"comment\" "
    "class-disabled=\"no-spell-check\">\n      <start>;</start>\n    </context>\n";

struct Variant {
  std::string id;
  std::string name;
  std::string literals, literal_refs;
  std::string numbers, number_refs;
  std::string convention_contexts, convention_refs;
};

// The plain dialect: ';' ends the code even inside quotes; %1F is
// hexadecimal.
Variant plain_variant() {
  Variant v;
  v.id = "mcs48";
  v.name = "8048-Assembler";
  v.literals = match_context("character", "character", R"('[^\n;]')") +
               match_context("string", "string", R"("[^";\n]*"|'[^';\n]*')", kStringClass) + kComment;
  v.literal_refs = refs({"character", "string", "comment"});
  v.numbers = match_context("hexadecimal", "base-n", R"(\b[0-9a-f]+h\b|\b0x[0-9a-f]+\b|(?<![\w%])%[0-9a-f]+\b)") +
              match_context("binary-octal", "base-n", R"(\b[01]+b\b|\b[0-7]+q\b)") +
              match_context("decimal", "decimal", R"(\b[0-9]+\b)");
  v.number_refs = refs({"hexadecimal", "binary-octal", "decimal"});
  return v;
}

// The extended conventions: a ';' inside quotes is part of the literal,
// backslash escapes as the engine reads them.
Variant convention_variant(const Convention& c) {
  Variant v;
  v.id = "mcs48-" + std::string(c.option);
  v.name = "8048-Assembler (" + std::string(c.name) + ")";
  std::vector<std::string> literal_ids;
  if (c.quote_once_char) {
    v.literals += match_context("once-character", "character", R"('(\\.|[^\\\n])(?!'))");
    literal_ids.push_back("once-character");
  }
  v.literals += match_context("character", "character", R"('(\\.|[^\\'\n])')") +
                match_context("string", "string", R"("(\\.|[^\\"\n])*"|'(\\.|[^\\'\n])*')", kStringClass) + kComment;
  for (const char* id : {"character", "string", "comment"}) literal_ids.emplace_back(id);
  v.literal_refs = refs(literal_ids);

  std::string base_n = R"(\b[0-9][0-9a-f]*h\b|\b0x[0-9a-f]+\b|\b[01]+b\b|\b[0-7]+[oq]\b|\b[0-9]+d\b)";
  if (c.dollar_hex) base_n += R"(|(?<![\w$])\$[0-9a-f]+\b)";
  base_n += c.percent_binary ? R"(|(?<![\w%])%[01]+\b)" : R"(|(?<![\w%])%[0-9a-f]+\b)";
  if (c.at_octal) base_n += R"(|(?<![\w@])@[0-7]+\b)";
  if (c.prefix_radix) base_n += R"(|\b0b[01]+\b|\b0[oq][0-7]+\b|\b0d[0-9]+\b|\b0h[0-9a-f]+\b)";
  v.numbers = match_context("base-n", "base-n", base_n) + match_context("decimal", "decimal", R"(\b[0-9]+\b)");
  v.number_refs = refs({"base-n", "decimal"});

  // The convention's own directive words, longest first.
  std::vector<std::string> words;
  for (const auto& alias : c.directives) words.emplace_back(alias.word);
  std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  words.erase(std::unique(words.begin(), words.end()), words.end());
  std::vector<std::string> ids;
  if (!words.empty()) {
    std::string alternatives;
    for (const std::string& word : words) alternatives += (alternatives.empty() ? "" : "|") + regex_word(word);
    v.convention_contexts += match_context("own-directive", "directive", R"((?<![\w.#$])(?:)" + alternatives + R"()(?![\w.]))");
    ids.push_back("own-directive");
  }
  if (c.dollar_controls) {
    v.convention_contexts += match_context("control", "directive", R"(^[ \t]*\$[a-z][a-z0-9]*)");
    ids.push_back("control");
  }
  v.convention_refs = refs(ids);
  return v;
}

bool replace(std::string& text, const std::string& marker, const std::string& lines) {
  const auto at = text.find(marker + "\n");
  if (at == std::string::npos) return false;
  text.replace(at, marker.size() + 1, lines);
  return true;
}

bool replace_all(std::string& text, const std::string& marker, const std::string& value) {
  bool found = false;
  for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
    text.replace(at, marker.size(), value);
    found = true;
  }
  return found;
}

bool fill(std::string& text, const Variant& v, const std::set<std::string>& mnemonics,
          const std::set<std::string>& operands) {
  return replace_all(text, "@ID@", v.id) && replace_all(text, "@NAME@", xml_escaped(v.name)) &&
         replace(text, "@LITERALS@", v.literals) && replace(text, "@LITERAL_REFS@", v.literal_refs) &&
         replace(text, "@NUMBERS@", v.numbers) && replace(text, "@NUMBER_REFS@", v.number_refs) &&
         replace(text, "@CONVENTION_CONTEXTS@", v.convention_contexts) &&
         replace(text, "@CONVENTION_REFS@", v.convention_refs) &&
         replace(text, "@MNEMONICS@", keyword_lines(mnemonics)) && replace(text, "@OPERANDS@", keyword_lines(operands));
}

bool write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "zorvin-lang: %s konnte nicht geschrieben werden\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Aufruf: zorvin-lang VORLAGE AUSGABE\n");
    return 2;
  }
  std::set<std::string> mnemonics;
  std::set<std::string> operands;
  for (std::size_t row = 0; row + 1 < table_size(); ++row) {
    const std::string_view text = table_row(row);
    if (is_plain_word(row_field(text, 1))) mnemonics.emplace(row_field(text, 1));
    for (int k : {2, 3}) {
      std::string_view operand = row_field(text, k);
      if (operand.starts_with('@')) operand.remove_prefix(1);  // "@r0": the "@" is matched separately
      if (is_plain_word(operand)) operands.emplace(operand);
    }
  }

  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string template_text = buffer.str();
  const std::string output = argv[2];
  const std::string folder = output.substr(0, output.rfind('/') + 1);

  std::vector<std::pair<std::string, Variant>> files{{output, plain_variant()}};
  for (const Convention* convention : zorvin::asm48::engine_conventions())
    files.emplace_back(folder + "mcs48-" + std::string(convention->option) + ".lang", convention_variant(*convention));
  for (const auto& [path, variant] : files) {
    std::string text = template_text;
    if (!in || !fill(text, variant, mnemonics, operands)) {
      std::fprintf(stderr, "zorvin-lang: Vorlage %s unbrauchbar\n", argv[1]);
      return 1;
    }
    if (!write(path, text)) return 1;
  }
  return 0;
}
