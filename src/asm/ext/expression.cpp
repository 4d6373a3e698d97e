#include "asm/ext/expression.h"

#include <optional>

#include "asm/dialect/operator_tables.h"
#include "asm/ext/folded_name.h"
#include "asm/ext/messages.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

constexpr int kMaxDepth = 64;
constexpr int kLoosest = 1000;  // above every rank of every table

using U = std::uint32_t;

std::int32_t wrap(U v) { return static_cast<std::int32_t>(v); }

// A result fits when it is a 32-bit value, signed or unsigned (0FFFFFFFFh
// and -1 are the same bits).
bool fits(std::int64_t v) { return v >= INT32_MIN && v <= static_cast<std::int64_t>(UINT32_MAX); }

bool is_comparison(BinaryOp op) { return op >= BinaryOp::Equal && op <= BinaryOp::GreaterEqual; }

// The operation a word stands for (mod, and, shl, eq, ...), if any.
std::optional<BinaryOp> word_operator(std::string_view word, bool relations) {
  if (word.size() < 2 || word.size() > 3) return std::nullopt;
  if (word_equals(word, "mod")) return BinaryOp::Remainder;
  if (word_equals(word, "and")) return BinaryOp::And;
  if (word_equals(word, "or")) return BinaryOp::Or;
  if (word_equals(word, "xor")) return BinaryOp::Xor;
  if (word_equals(word, "shl")) return BinaryOp::ShiftLeft;
  if (word_equals(word, "shr")) return BinaryOp::ShiftRight;
  if (!relations) return std::nullopt;
  if (word_equals(word, "eq")) return BinaryOp::Equal;
  if (word_equals(word, "ne")) return BinaryOp::NotEqual;
  if (word_equals(word, "lt")) return BinaryOp::Less;
  if (word_equals(word, "le")) return BinaryOp::LessEqual;
  if (word_equals(word, "gt")) return BinaryOp::Greater;
  if (word_equals(word, "ge")) return BinaryOp::GreaterEqual;
  return std::nullopt;
}

const char* op_text(BinaryOp op) {
  static constexpr const char* kTexts[] = {"|", "^", "&", "||", "!!", "&&", "=", "<>", "<", "<=", ">", ">=",
                                           "<<", ">>", "+", "-", "*", "/", "mod", "^", "><"};
  return kTexts[static_cast<int>(op)];
}

class Parser {
 public:
  Parser(std::span<const Token> tokens, SymbolSource& symbols)
      : tokens_(tokens),
        symbols_(symbols),
        rules_(symbols.convention()),
        operators_(rules_.operators.empty() ? std::span<const BinaryOperator>(kEngineOperators) : rules_.operators) {}

  Evaluation run() {
    Evaluation result;
    if (tokens_.empty()) {
      fail(message(kBadExpression, "Wert fehlt"));
    } else if (tokens_.size() == 1) {
      result.value = primary();  // the common case: one number or name
    } else {
      result.value = rules_.whole_prefixes ? whole_expression() : ranked(kLoosest);
      if (error_.empty() && pos_ < tokens_.size()) fail(message(kBadExpression, tokens_[pos_].text));
    }
    result.error = std::move(error_);
    result.undefined = undefined_;
    return result;
  }

 private:
  struct Found {
    BinaryOp op;
    int rank;
  };

  void fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
  }

  const Token* peek() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }

  bool is_op(const Token* t, std::string_view op) const {
    return t && t->kind == TokenKind::Operator && t->text == op;
  }

  // The binary operator at the current token, with its rank.
  std::optional<Found> binary_op() const {
    const Token* t = peek();
    if (!t) return std::nullopt;
    if (t->kind == TokenKind::Operator) {
      for (const BinaryOperator& row : operators_)
        if (row.text == t->text) return Found{row.op, row.rank};
      return std::nullopt;
    }
    if (t->kind != TokenKind::Name) return std::nullopt;
    const auto op = word_operator(t->text, rules_.word_relations);
    if (!op) return std::nullopt;
    for (const BinaryOperator& row : operators_)
      if (row.op == *op) return Found{row.op, row.rank};
    return std::nullopt;
  }

  // Operators of rank up to `limit`, lower ranks first, equal ranks left to right.
  std::int32_t ranked(int limit) {
    std::int32_t left = 0;
    const Found minus = {BinaryOp::Subtract, minus_rank()};
    if (rules_.minus_as_binary && is_op(peek(), "-") && minus.rank <= limit) {
      ++pos_;  // a leading minus is binary minus with nothing before it
      left = apply(minus.op, 0, ranked(minus.rank - 1));
    } else {
      left = unary();
    }
    for (auto found = binary_op(); found && found->rank <= limit && error_.empty(); found = binary_op()) {
      ++pos_;
      const std::int32_t right = ranked(found->rank - 1);
      left = apply(found->op, left, right);
    }
    return left;
  }

  int minus_rank() const {
    for (const BinaryOperator& row : operators_)
      if (row.op == BinaryOp::Subtract) return row.rank;
    return 0;
  }

  // ~ and the byte selectors in front of an expression take all of it.
  std::int32_t whole_expression() {
    const Token* t = peek();
    const int shift = is_op(t, "#") ? 0 : is_op(t, "/") ? 8 : is_op(t, "=") ? 16 : is_op(t, "\\") ? 24 : -1;
    if (shift >= 0 || is_op(t, "~")) {
      ++pos_;
      const U value = static_cast<U>(ranked(kLoosest));
      return shift < 0 ? wrap(~value) : wrap((value >> shift) & 0xFFu);
    }
    return ranked(kLoosest);
  }

  std::int32_t apply(BinaryOp op, std::int32_t a, std::int32_t b) {
    const std::int32_t result = apply_op(op, a, b);
    // Conventions whose comparisons give -1 for true.
    if (rules_.true_is_minus_one && result == 1 && is_comparison(op)) return -1;
    return result;
  }

  std::int32_t apply_op(BinaryOp op, std::int32_t a, std::int32_t b) {
    const U ua = static_cast<U>(a);
    const U ub = static_cast<U>(b);
    const bool no_sign = rules_.unsigned_values;
    switch (op) {
      case BinaryOp::Or: return wrap(ua | ub);
      case BinaryOp::Xor: return wrap(ua ^ ub);
      case BinaryOp::And: return wrap(ua & ub);
      case BinaryOp::LogicalOr: return a || b;
      case BinaryOp::LogicalXor: return (a != 0) != (b != 0);
      case BinaryOp::LogicalAnd: return a && b;
      case BinaryOp::Equal: return a == b;
      case BinaryOp::NotEqual: return a != b;
      case BinaryOp::Less: return no_sign ? ua < ub : a < b;
      case BinaryOp::LessEqual: return no_sign ? ua <= ub : a <= b;
      case BinaryOp::Greater: return no_sign ? ua > ub : a > b;
      case BinaryOp::GreaterEqual: return no_sign ? ua >= ub : a >= b;
      case BinaryOp::ShiftRight: return (b < 0 || b > 31) ? (a < 0 ? -1 : 0) : (a >> b);
      case BinaryOp::Mirror: return mirror(a, b);
      case BinaryOp::Power: return power(a, b);
      case BinaryOp::ShiftLeft:
      case BinaryOp::Add:
      case BinaryOp::Subtract:
      case BinaryOp::Multiply: {
        const std::int64_t wide_a = a;
        const std::int64_t wide_b = b;
        std::int64_t wide = 0;
        if (op == BinaryOp::ShiftLeft) {
          // A shift by 32 or more keeps nothing of a value but 0.
          if (b < 0 || (b > 31 && a != 0)) return overflow(op, a, b);
          wide = b > 31 ? 0 : wide_a * (std::int64_t{1} << b);
        } else {
          wide = op == BinaryOp::Add ? wide_a + wide_b : op == BinaryOp::Subtract ? wide_a - wide_b : wide_a * wide_b;
        }
        if (!fits(wide)) return overflow(op, a, b);
        return wrap(static_cast<U>(wide));
      }
      case BinaryOp::Divide:
      case BinaryOp::Remainder: break;
    }
    if (b == 0) {
      fail(std::string(kDivisionByZero));
      return 0;
    }
    if (no_sign) return wrap(op == BinaryOp::Divide ? ua / ub : ua % ub);
    const std::int64_t wide_a = a;
    const std::int64_t wide_b = b;
    return wrap(static_cast<U>(op == BinaryOp::Divide ? wide_a / wide_b : wide_a % wide_b));
  }

  // a >< n: the lowest n bits of a in the reverse order, the bits above them kept.
  std::int32_t mirror(std::int32_t a, std::int32_t n) {
    if (n < 1 || n > 32) return overflow(BinaryOp::Mirror, a, n);
    U bits = static_cast<U>(a);
    U mirrored = 0;
    for (int i = 0; i < n; ++i, bits >>= 1) mirrored = (mirrored << 1) | (bits & 1u);
    const U kept = n == 32 ? 0u : static_cast<U>(a) & ~((U{1} << n) - 1u);
    return wrap(kept | mirrored);
  }

  std::int32_t power(std::int32_t base, std::int32_t exponent) {
    if (exponent < 0) return overflow(BinaryOp::Power, base, exponent);
    if (exponent == 0 || base == 1) return 1;
    if (base == 0) return 0;
    if (base == -1) return exponent % 2 == 0 ? 1 : -1;
    std::int64_t result = 1;  // |base| >= 2: past 32 steps it no longer fits
    for (std::int32_t i = 0; i < exponent; ++i) {
      result *= base;
      if (!fits(result)) return overflow(BinaryOp::Power, base, exponent);
    }
    return wrap(static_cast<U>(result));
  }

  std::int32_t overflow(BinaryOp op, std::int32_t a, std::int32_t b) {
    fail(message(kOverflow, std::to_string(a) + " " + op_text(op) + " " + std::to_string(b)));
    return 0;
  }

  std::int32_t inner_expression() { return ranked(kLoosest); }

  std::int32_t unary() {
    if (++depth_ > kMaxDepth) {
      fail(message(kBadExpression, "zu tief verschachtelt"));
      return 0;
    }
    const std::int32_t value = unary_inner();
    --depth_;
    return value;
  }

  std::int32_t unary_inner() {
    const Token* t = peek();
    if (is_op(t, "-")) return ++pos_, wrap(U{0} - static_cast<U>(unary()));
    if (is_op(t, "+")) return ++pos_, unary();
    if (is_op(t, "~")) return ++pos_, wrap(~static_cast<U>(unary()));
    if (is_op(t, "!") || is_op(t, "~~")) return ++pos_, unary() == 0;
    if (rules_.hash_in_expression && is_op(t, "#")) return ++pos_, unary();
    if (t && t->kind == TokenKind::Name && word_equals(t->text, "not")) return ++pos_, wrap(~static_cast<U>(unary()));
    if (rules_.byte_prefixes && is_op(t, "<")) return ++pos_, unary() & 0xFF;
    if (rules_.byte_prefixes && is_op(t, ">")) return ++pos_, (unary() >> 8) & 0xFF;
    return primary();
  }

  std::int32_t parenthesised() {
    if (!is_op(peek(), "(")) {
      fail(message(kBadExpression, "( fehlt"));
      return 0;
    }
    ++pos_;
    const std::int32_t value = inner_expression();
    if (!is_op(peek(), ")")) {
      fail(message(kBadExpression, ") fehlt"));
      return 0;
    }
    ++pos_;
    return value;
  }

  // hi, lo, high and low work as operators where an operand follows them:
  // "(" always, any operand where the convention writes HIGH x. Without one
  // (a label called hi, "jmp hi") they are names like any other.
  bool operand_after(std::size_t at) const {
    if (at >= tokens_.size()) return false;
    const Token* next = &tokens_[at];
    if (is_op(next, "(")) return true;
    if (!rules_.bare_high_low) return false;
    return next->kind != TokenKind::Operator || is_op(next, "-") || is_op(next, "+") || is_op(next, "~") ||
           is_op(next, "!") || is_op(next, "<") || is_op(next, ">");
  }

  std::int32_t name_value(const Token& t) {
    const bool low = word_equals(t.text, "lo") || word_equals(t.text, "low");
    if ((low || word_equals(t.text, "hi") || word_equals(t.text, "high")) && operand_after(pos_ + 1)) {
      ++pos_;
      // HIGH x without parentheses where the convention allows it.
      const std::int32_t v = rules_.bare_high_low && !is_op(peek(), "(") ? unary() : parenthesised();
      return low ? v & 0xFF : (v >> 8) & 0xFF;
    }
    if (rules_.dot_location && t.text == ".") return ++pos_, symbols_.location();
    ++pos_;
    if (const auto value = symbols_.value_of(t.text)) return *value;
    // "FFh" is a number in the plain notation; a defined name wins.
    const FoldedName name(t.text.back() == 'h' || t.text.back() == 'H' ? t.text : std::string_view{});
    const std::string_view folded = name;
    std::int32_t number = 0;
    bool too_wide = false;
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "0" + text.
    std::string with_zero = "0";
    if (folded.size() > 1 && folded.back() == 'h' &&
        folded.find_first_not_of("0123456789abcdef", 0) == folded.size() - 1 &&
        read_number(with_zero.append(folded), number, &too_wide)) {
      if (too_wide) fail(message(kNumberTooWide, t.text));
      return number;
    }
    if (undefined_.empty()) undefined_ = t.text;
    return 0;
  }

  std::int32_t primary() {
    const Token* t = peek();
    if (!t) {
      fail(message(kBadExpression, "Wert fehlt"));
      return 0;
    }
    switch (t->kind) {
      case TokenKind::Number:
        if (t->malformed) fail(message(kBadNumber, t->text));
        if (t->too_wide) fail(message(kNumberTooWide, t->text));
        return ++pos_, t->value;
      case TokenKind::Name:
        return name_value(*t);
      case TokenKind::String:
        if (t->chars_size != 1) {
          fail(message(kStringInExpression, t->text));
          return 0;
        }
        return ++pos_, t->value;
      case TokenKind::Operator:
        if (t->text == "$" || (t->text == "*" && rules_.star_location)) return ++pos_, symbols_.location();
        if (t->text == "(") return parenthesised();
        break;
      case TokenKind::Bad:
        break;
    }
    fail(message(kBadExpression, t->text));
    return 0;
  }

  std::span<const Token> tokens_;
  SymbolSource& symbols_;
  const Convention& rules_;
  std::span<const BinaryOperator> operators_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::string error_;
  std::string_view undefined_;
};

}  // namespace

Evaluation evaluate(std::span<const Token> tokens, SymbolSource& symbols) { return Parser(tokens, symbols).run(); }

}  // namespace zorvin::asm48::ext
