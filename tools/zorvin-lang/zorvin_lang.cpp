// Build-time generator of the editor's highlighting for 8048 sources: fills
// the language definition template with the mnemonics and the register and
// port names of the assembler's instruction table.
//
//   zorvin-lang TEMPLATE OUTPUT
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "asm/instruction_table.h"

namespace {

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

bool replace(std::string& text, const std::string& marker, const std::string& lines) {
  const auto at = text.find(marker + "\n");
  if (at == std::string::npos) return false;
  text.replace(at, marker.size() + 1, lines);
  return true;
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
  std::string text = buffer.str();
  if (!in || !replace(text, "@MNEMONICS@", keyword_lines(mnemonics)) ||
      !replace(text, "@OPERANDS@", keyword_lines(operands))) {
    std::fprintf(stderr, "zorvin-lang: Vorlage %s unbrauchbar\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "zorvin-lang: %s konnte nicht geschrieben werden\n", argv[2]);
    return 1;
  }
  return 0;
}
