// The "Symbole" pane's entries: labels, equates and macros of a run's
// listing with the lines that define them, in both dialects, and the filter.
#include <gtest/gtest.h>

#include "analysis/symbols.h"
#include "asm/assembler.h"
#include "output/listing_file.h"

namespace zorvin::analysis {
namespace {

std::vector<SymbolEntry> symbols_of(const std::string& source) {
  asm48::Assembler assembler;
  assembler.keep_listing(true);
  const asm48::AssemblyResult result = assembler.run(source);
  EXPECT_TRUE(result.ok()) << source;
  return listed_symbols(assembler.extended() ? assembler.extended_listing()
                                             : output::plain_source_listing(source, assembler.table()));
}

TEST(Symbols, EachWithItsKindValueAndLineInBothDialects) {
  struct Case {
    std::string source;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"zahl    equ 12h\nstart:  mov a,#zahl\nZaehler: djnz r7,Zaehler\n        jmp start\n",
       {"start            Marke     0000H    Zeile 2", "Zaehler          Marke     0002H    Zeile 3",
        "zahl             Konstante 12h      Zeile 1"}},
      {"cpu 8048\ntwice macro v\n db v,v\n endm\nwert equ 5\nanfang: twice wert\n jmp anfang\n",
       {"anfang           Marke     0000H    Zeile 6", "twice            Makro              Zeile 2",
        "wert             Konstante 0005H    Zeile 5"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> rows;
    for (const SymbolEntry& symbol : symbols_of(c.source)) rows.push_back(symbol_row(symbol));
    EXPECT_EQ(rows, c.rows) << c.source;
  }
}

TEST(Symbols, FilterKeepsNamesContainingTheTextInAnyCase) {
  const std::vector<SymbolEntry> all = symbols_of("zahl    equ 12h\nstart:  mov a,#zahl\nZaehler: djnz r7,Zaehler\n");
  struct Case {
    const char* filter;
    std::vector<std::string> names;
  };
  for (const Case& c : {Case{"", {"start", "Zaehler", "zahl"}}, Case{"ZA", {"Zaehler", "zahl"}},
                        Case{"ehl", {"Zaehler"}}, Case{"x", {}}}) {
    std::vector<std::string> names;
    for (const SymbolEntry& symbol : filter_symbols(all, c.filter)) names.push_back(symbol.name);
    EXPECT_EQ(names, c.names) << c.filter;
  }
}

}  // namespace
}  // namespace zorvin::analysis
