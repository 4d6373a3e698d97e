// The engine's directive words and the conventions' aliases onto them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asm/dialect/dialects.h"
#include "asm/ext/directive_table.h"

namespace zorvin::asm48::ext {
namespace {

TEST(DirectiveTable, FindsEveryEngineWordAndNoOther) {
  std::set<std::string_view> seen;
  for (const EngineDirective& d : engine_directives()) {
    EXPECT_TRUE(seen.insert(d.word).second) << "twice: " << d.word;
    const EngineDirective* found = find_engine_directive(d.word);
    ASSERT_NE(found, nullptr) << d.word;
    EXPECT_EQ(found->word, d.word);
    EXPECT_NE(d.kind, Directive::None) << d.word;
  }
  // Mnemonics, labels, a convention's own spelling and long words are none.
  for (std::string_view other : {"mov", "nop", "loop", ".equ", "#define", "", "o", "orgx", "fill_to_end", "include2"})
    EXPECT_EQ(directive_of(other), Directive::None) << other;
}

// A convention's word that names no engine word would reach the engine as
// an unknown statement: every alias must land on a directive.
TEST(DirectiveTable, EveryConventionsAliasNamesAnEngineDirective) {
  for (const Convention* convention : engine_conventions()) {
    std::set<std::string_view> words;
    for (const DirectiveAlias& alias : convention->directives) {
      EXPECT_NE(directive_of(alias.engine), Directive::None) << convention->name << ": " << alias.word;
      EXPECT_TRUE(words.insert(alias.word).second) << convention->name << " twice: " << alias.word;
    }
  }
}

}  // namespace
}  // namespace zorvin::asm48::ext
