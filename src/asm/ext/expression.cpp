#include "asm/ext/expression.h"

#include "asm/ext/folded_name.h"
#include "asm/ext/messages.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

constexpr int kMaxDepth = 64;

enum class Level { Or, Xor, And, Equality, Relation, Shift, Sum, Product };
constexpr int kLevels = 8;

using U = std::uint32_t;

std::int32_t wrap(U v) { return static_cast<std::int32_t>(v); }

// A result fits when it is a 32-bit value, signed or unsigned (0FFFFFFFFh
// and -1 are the same bits).
bool fits(std::int64_t v) { return v >= INT32_MIN && v <= static_cast<std::int64_t>(UINT32_MAX); }

class Parser {
 public:
  Parser(std::span<const Token> tokens, SymbolSource& symbols)
      : tokens_(tokens), symbols_(symbols), rules_(symbols.convention()) {}

  Evaluation run() {
    Evaluation result;
    if (tokens_.empty()) {
      fail(message(kBadExpression, "Wert fehlt"));
    } else if (tokens_.size() == 1) {
      result.value = primary();  // the common case: one number or name
    } else {
      result.value = rules_.left_to_right ? left_to_right() : binary(0);
      if (error_.empty() && pos_ < tokens_.size()) fail(message(kBadExpression, tokens_[pos_].text));
    }
    result.error = std::move(error_);
    result.undefined = undefined_;
    return result;
  }

 private:
  void fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
  }

  const Token* peek() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }

  bool is_op(const Token* t, std::string_view op) const {
    return t && t->kind == TokenKind::Operator && t->text == op;
  }

  // Operator of the given level at the current token, as a short code.
  std::string_view binary_op(int level) const {
    const Token* t = peek();
    if (!t) return {};
    std::string_view op = t->text;
    if (t->kind == TokenKind::Name) {
      if (word_equals(op, "mod")) op = "%";
      else if (word_equals(op, "and")) op = "&";
      else if (word_equals(op, "or")) op = "|";
      else if (word_equals(op, "xor")) op = "^";
      else if (word_equals(op, "shl")) op = "<<";
      else if (word_equals(op, "shr")) op = ">>";
      else if (!rules_.word_relations) return {};
      else if (word_equals(op, "eq")) op = "==";
      else if (word_equals(op, "ne")) op = "<>";
      else if (word_equals(op, "lt")) op = "<";
      else if (word_equals(op, "le")) op = "<=";
      else if (word_equals(op, "gt")) op = ">";
      else if (word_equals(op, "ge")) op = ">=";
      else return {};
    } else if (t->kind != TokenKind::Operator) {
      return {};
    } else if (op == "!" && rules_.bang_xor) {
      op = "^";
    } else if (op == "^" && rules_.caret_or) {
      op = "|";
    } else if (op == "\\" && rules_.backslash_mod) {
      op = "%";
    }
    if (level < 0) {  // any level: the conventions read left to right
      for (int any = 0; any < kLevels; ++any)
        if (!binary_op_at(op, any).empty()) return op;
      return {};
    }
    return binary_op_at(op, level);
  }

  static std::string_view binary_op_at(std::string_view op, int level) {
    switch (static_cast<Level>(level)) {
      case Level::Or: return (op == "|" || op == "||") ? op : std::string_view{};
      case Level::Xor: return op == "^" ? op : std::string_view{};
      case Level::And: return (op == "&" || op == "&&") ? op : std::string_view{};
      case Level::Equality: return (op == "=" || op == "==" || op == "<>" || op == "!=") ? op : std::string_view{};
      case Level::Relation: return (op == "<" || op == "<=" || op == ">" || op == ">=") ? op : std::string_view{};
      case Level::Shift: return (op == "<<" || op == ">>") ? op : std::string_view{};
      case Level::Sum: return (op == "+" || op == "-") ? op : std::string_view{};
      case Level::Product: return (op == "*" || op == "/" || op == "%") ? op : std::string_view{};
    }
    return {};
  }

  std::int32_t apply(std::string_view op, std::int32_t a, std::int32_t b) {
    const std::int32_t result = apply_op(op, a, b);
    // Conventions whose comparisons give -1 for true.
    if (rules_.true_is_minus_one && result == 1 && is_comparison(op)) return -1;
    return result;
  }

  static bool is_comparison(std::string_view op) {
    return op == "=" || op == "==" || op == "<>" || op == "!=" || op == "<" || op == "<=" || op == ">" || op == ">=";
  }

  std::int32_t apply_op(std::string_view op, std::int32_t a, std::int32_t b) {
    const U ua = static_cast<U>(a);
    const U ub = static_cast<U>(b);
    if (op == "|" || op == "||") return op == "|" ? wrap(ua | ub) : (a || b);
    if (op == "^") return wrap(ua ^ ub);
    if (op == "&" || op == "&&") return op == "&" ? wrap(ua & ub) : (a && b);
    if (op == "=" || op == "==") return a == b;
    if (op == "<>" || op == "!=") return a != b;
    if (op == "<") return a < b;
    if (op == "<=") return a <= b;
    if (op == ">") return a > b;
    if (op == ">=") return a >= b;
    if (op == ">>") return (b < 0 || b > 31) ? (a < 0 ? -1 : 0) : (a >> b);
    if (op == "<<" || op == "+" || op == "-" || op == "*") {
      const std::int64_t wide_a = a;
      const std::int64_t wide_b = b;
      std::int64_t wide = 0;
      if (op == "<<") {
        // A shift by 32 or more keeps nothing of a value but 0.
        if (b < 0 || (b > 31 && a != 0)) return overflow(op, a, b);
        wide = b > 31 ? 0 : wide_a * (std::int64_t{1} << b);
      } else {
        wide = op == "+" ? wide_a + wide_b : op == "-" ? wide_a - wide_b : wide_a * wide_b;
      }
      if (!fits(wide)) return overflow(op, a, b);
      return wrap(static_cast<U>(wide));
    }
    if (b == 0) {
      fail(std::string(kDivisionByZero));
      return 0;
    }
    const std::int64_t wide_a = a;
    const std::int64_t wide_b = b;
    return wrap(static_cast<U>(op == "/" ? wide_a / wide_b : wide_a % wide_b));
  }

  std::int32_t overflow(std::string_view op, std::int32_t a, std::int32_t b) {
    fail(message(kOverflow, std::to_string(a) + " " + std::string(op) + " " + std::to_string(b)));
    return 0;
  }

  std::int32_t binary(int level) {
    if (level == kLevels) return unary();
    std::int32_t left = binary(level + 1);
    for (std::string_view op = binary_op(level); !op.empty() && error_.empty(); op = binary_op(level)) {
      ++pos_;
      const std::int32_t right = binary(level + 1);
      left = apply(op, left, right);
    }
    return left;
  }

  // Operators without precedence, one after the other.
  std::int32_t left_to_right() {
    std::int32_t left = unary();
    for (std::string_view op = binary_op(-1); !op.empty() && error_.empty(); op = binary_op(-1)) {
      ++pos_;
      left = apply(op, left, unary());
    }
    return left;
  }

  std::int32_t inner_expression() { return rules_.left_to_right ? left_to_right() : binary(0); }

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
    if (is_op(t, "!")) return ++pos_, unary() == 0;
    if (t && t->kind == TokenKind::Name && word_equals(t->text, "not")) return ++pos_, wrap(~static_cast<U>(unary()));
    if (rules_.byte_prefixes && is_op(t, "<")) return ++pos_, unary() & 0xFF;
    if (rules_.byte_prefixes && is_op(t, ">")) return ++pos_, (unary() >> 8) & 0xFF;
    if (rules_.slash_high && is_op(t, "/")) return ++pos_, (unary() >> 8) & 0xFF;
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
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::string error_;
  std::string_view undefined_;
};

}  // namespace

Evaluation evaluate(std::span<const Token> tokens, SymbolSource& symbols) { return Parser(tokens, symbols).run(); }

}  // namespace zorvin::asm48::ext
