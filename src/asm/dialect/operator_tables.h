// The binary operator tables the conventions share: C's ranks, and the
// same operators without ranks for the assemblers that read left to right.
#pragma once

#include <array>

#include "asm/dialect/convention.h"

namespace zorvin::asm48 {

// C's order: * / %, + -, << >>, relations, equality, &, ^, |; && and ||
// bind as & and | do (the engine's own reading, kept for the conventions
// whose assemblers document no order of their own).
inline constexpr std::array<BinaryOperator, 20> kEngineOperators = {{
    {"*", BinaryOp::Multiply, 1},     {"/", BinaryOp::Divide, 1},        {"%", BinaryOp::Remainder, 1},
    {"+", BinaryOp::Add, 2},          {"-", BinaryOp::Subtract, 2},      {"<<", BinaryOp::ShiftLeft, 3},
    {">>", BinaryOp::ShiftRight, 3},  {"<", BinaryOp::Less, 4},          {"<=", BinaryOp::LessEqual, 4},
    {">", BinaryOp::Greater, 4},      {">=", BinaryOp::GreaterEqual, 4}, {"=", BinaryOp::Equal, 5},
    {"==", BinaryOp::Equal, 5},       {"<>", BinaryOp::NotEqual, 5},     {"!=", BinaryOp::NotEqual, 5},
    {"&", BinaryOp::And, 6},          {"&&", BinaryOp::LogicalAnd, 6},   {"^", BinaryOp::Xor, 7},
    {"|", BinaryOp::Or, 8},           {"||", BinaryOp::LogicalOr, 8},
}};

// C's order with && and || below |, as C has them.
inline constexpr std::array<BinaryOperator, 20> kCOperators = {{
    {"*", BinaryOp::Multiply, 1},     {"/", BinaryOp::Divide, 1},        {"%", BinaryOp::Remainder, 1},
    {"+", BinaryOp::Add, 2},          {"-", BinaryOp::Subtract, 2},      {"<<", BinaryOp::ShiftLeft, 3},
    {">>", BinaryOp::ShiftRight, 3},  {"<", BinaryOp::Less, 4},          {"<=", BinaryOp::LessEqual, 4},
    {">", BinaryOp::Greater, 4},      {">=", BinaryOp::GreaterEqual, 4}, {"=", BinaryOp::Equal, 5},
    {"==", BinaryOp::Equal, 5},       {"<>", BinaryOp::NotEqual, 5},     {"!=", BinaryOp::NotEqual, 5},
    {"&", BinaryOp::And, 6},          {"^", BinaryOp::Xor, 7},           {"|", BinaryOp::Or, 8},
    {"&&", BinaryOp::LogicalAnd, 9},  {"||", BinaryOp::LogicalOr, 10},
}};

// The engine's operators with one rank: read left to right.
inline constexpr std::array<BinaryOperator, 20> kLeftToRightOperators = [] {
  std::array<BinaryOperator, 20> table = kEngineOperators;
  for (BinaryOperator& row : table) row.rank = 1;
  return table;
}();

}  // namespace zorvin::asm48
