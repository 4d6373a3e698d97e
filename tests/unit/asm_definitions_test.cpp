// Definitions that name each other: the order they are settled in, cycles
// with the way round them, and long chains in every convention, generated
// here rather than kept as huge golden sources.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/definition_order.h"

namespace {

using namespace zorvin::asm48;
using State = SettledDefinition::State;

// Each definition is the sum of the ones it names plus its own number; a
// negative number fails to evaluate.
struct Graph {
  std::vector<std::vector<std::size_t>> names;
  std::vector<int> own;
};

DefinitionOrder settle(const Graph& graph) {
  DefinitionOrder order(graph.names.size());
  order.settle([&](std::size_t i) {
    std::int32_t sum = graph.own[i];
    for (const std::size_t named : graph.names[i]) sum += order.value_of(named).value_or(0);
    if (graph.own[i] < 0) return DefinitionOrder::Attempt{std::nullopt, "kaputt"};
    return DefinitionOrder::Attempt{sum, {}};
  });
  return order;
}

struct OrderCase {
  const char* what;
  Graph graph;
  std::vector<State> states;
  std::vector<std::int32_t> values;                // of the Known ones, in order
  std::vector<std::vector<std::size_t>> paths;     // of the Circular ones, in order
};

TEST(DefinitionOrder, SettlesByDependencyAndFindsCycles) {
  const std::vector<OrderCase> cases = {
      {"forward chain", {{{1}, {2}, {}}, {1, 2, 3}}, {State::Known, State::Known, State::Known}, {6, 5, 3}, {}},
      {"diamond", {{{1, 2}, {3}, {3}, {}}, {1, 1, 1, 1}},
       {State::Known, State::Known, State::Known, State::Known}, {5, 2, 2, 1}, {}},
      {"self", {{{0}}, {1}}, {State::Circular}, {}, {{0, 0}}},
      {"two", {{{1}, {0}}, {0, 0}}, {State::Circular, State::Circular}, {}, {{0, 1, 0}, {1, 0, 1}}},
      {"into a cycle", {{{1}, {2}, {1}}, {0, 0, 0}},
       {State::Circular, State::Circular, State::Circular}, {}, {{0, 1, 2, 1}, {1, 2, 1}, {2, 1, 2}}},
      {"cycle found from its middle", {{{}, {2, 0}, {1}}, {4, 0, 0}},
       {State::Known, State::Circular, State::Circular}, {4}, {{1, 2, 1}, {2, 1, 2}}},
      {"a failed one blocks what is made of it", {{{1}, {}, {0, 1}}, {1, -1, 1}},
       {State::Blocked, State::Failed, State::Blocked}, {}, {}},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.what);
    const DefinitionOrder order = settle(c.graph);
    std::vector<State> states;
    std::vector<std::int32_t> values;
    std::vector<std::vector<std::size_t>> paths;
    for (std::size_t i = 0; i < order.settled().size(); ++i) {
      const SettledDefinition& settled = order.settled()[i];
      states.push_back(settled.state);
      if (settled.state == State::Known) values.push_back(settled.value);
      if (settled.state == State::Circular) paths.push_back(order.path_of(i));
      if (settled.state == State::Failed) {
        EXPECT_EQ(settled.error, "kaputt");
      }
    }
    EXPECT_EQ(states, c.states);
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(paths, c.paths);
  }
}

TEST(DefinitionOrder, LongChainsNeedNoRecursion) {
  constexpr std::size_t kLength = 200000;
  Graph chain;
  for (std::size_t i = 0; i < kLength; ++i) {
    chain.names.push_back(i + 1 < kLength ? std::vector<std::size_t>{i + 1} : std::vector<std::size_t>{});
    chain.own.push_back(1);
  }
  const DefinitionOrder settled = settle(chain);
  EXPECT_EQ(settled.settled()[0].value, static_cast<std::int32_t>(kLength));
  chain.names.back() = {0};  // closed into one cycle
  const DefinitionOrder circular = settle(chain);
  EXPECT_EQ(circular.settled()[kLength / 2].state, State::Circular);
  EXPECT_EQ(circular.path_of(0).size(), kLength + 1);
}

// How each convention defines a name: the source's first line, the form of
// one definition, and whether it is the plain dialect.
struct Form {
  const char* convention;
  const char* first_line;
  std::function<std::string(const std::string& name, const std::string& value)> define;
};

const std::vector<Form>& forms() {
  static const std::vector<Form> all = {
      {"einfach", "", [](auto& n, auto& v) { return n + " equ " + v; }},
      {"Makroassembler equ", "        cpu 8048", [](auto& n, auto& v) { return n + "  equ  " + v; }},
      {"Makroassembler set", "        cpu 8048", [](auto& n, auto& v) { return n + "  set  " + v; }},
      {"TASM #DEFINE", "#DEFINE TASM", [](auto& n, auto& v) { return "#DEFINE " + n + " " + v; }},
      {"TASM .EQU", "#DEFINE TASM", [](auto& n, auto& v) { return n + "  .EQU  " + v; }},
      {"SB-Assembler .EQ", "        .CR 8048", [](auto& n, auto& v) { return n + "  .EQ  " + v; }},
      {"ASxxxx .equ", "        .module m", [](auto& n, auto& v) { return "        .equ " + n + ", " + v; }},
      {"ASxxxx =", "        .module m", [](auto& n, auto& v) { return "        " + n + " = " + v; }},
      {"Intel EQU", "$MOD48", [](auto& n, auto& v) { return n + "  EQU  " + v; }},
  };
  return all;
}

// Names that are no part of one another, so that the plain dialect's
// substitution inside words does not join them.
std::string name(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "K%04dZ", i);
  return text;
}

// name(1) names name(2) ... names name(count), which is 12h or, closed,
// names name(1) again; then the first one is used.
std::string chain_source(const Form& form, int count, bool closed) {
  std::string source = std::string(form.first_line) + "\n";
  for (int i = 1; i < count; ++i) source += form.define(name(i), name(i + 1)) + "\n";
  source += form.define(name(count), closed ? name(1) : "12h") + "\n";
  source += "        mov a,#" + name(1) + "\n";
  return source;
}

TEST(AsmDefinitions, ChainsOfAnyLengthSettleInEveryConvention) {
  for (const Form& form : forms()) {
    for (const int count : {11, 1000}) {
      SCOPED_TRACE(std::string(form.convention) + ", " + std::to_string(count));
      Assembler assembler;
      const AssemblyResult result = assembler.run(chain_source(form, count, false));
      ASSERT_TRUE(result.ok()) << (result.error_lines.empty() ? result.summary : result.error_lines.front());
      std::vector<std::uint8_t> code;
      for (const LineRecord& record : assembler.table().records) {
        const auto bytes = assembler.table().code_of(record);
        code.insert(code.end(), bytes.begin(), bytes.end());
      }
      EXPECT_EQ(code, (std::vector<std::uint8_t>{0x23, 0x12}));
    }
  }
}

TEST(AsmDefinitions, LongCyclesAreReportedOnEveryLineWithTheirEnds) {
  for (const Form& form : forms()) {
    SCOPED_TRACE(form.convention);
    Assembler assembler;
    const AssemblyResult result = assembler.run(chain_source(form, 1000, true));
    ASSERT_EQ(result.error_count, 1000);
    // The line of K0001Z: the first line holds the convention's mark.
    EXPECT_EQ(result.error_lines.front(),
              "Zeile: 2 -> Zirkuläre Definition: K0001Z -> K0002Z -> K0003Z -> K0004Z -> K0005Z -> ... -> K0999Z "
              "-> K1000Z -> K0001Z");
  }
}

}  // namespace
