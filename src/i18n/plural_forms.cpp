#include "i18n/plural_forms.h"

#include <cctype>
#include <string>

namespace gd {

// One node of the expression tree: a number, n, or an operator over one to
// three operands.
struct PluralForms::Node {
  enum class Kind { Number, N, Not, Binary, Conditional } kind = Kind::Number;
  std::string op;  // for Binary: * / % + - < <= > >= == != && ||
  unsigned long value = 0;
  std::unique_ptr<Node> a, b, c;
};

namespace {

using Node = PluralForms::Node;

unsigned long Evaluate(const Node& node, unsigned long n) {
  switch (node.kind) {
    case Node::Kind::Number:
      return node.value;
    case Node::Kind::N:
      return n;
    case Node::Kind::Not:
      return Evaluate(*node.a, n) == 0;
    case Node::Kind::Conditional:
      return Evaluate(*node.a, n) != 0 ? Evaluate(*node.b, n) : Evaluate(*node.c, n);
    case Node::Kind::Binary:
      break;
  }
  const std::string& op = node.op;
  const unsigned long left = Evaluate(*node.a, n);
  if (op == "&&") return left != 0 && Evaluate(*node.b, n) != 0;
  if (op == "||") return left != 0 || Evaluate(*node.b, n) != 0;
  const unsigned long right = Evaluate(*node.b, n);
  if (op == "*") return left * right;
  if (op == "/") return right == 0 ? 0 : left / right;  // a broken rule never traps
  if (op == "%") return right == 0 ? 0 : left % right;
  if (op == "+") return left + right;
  if (op == "-") return left - right;
  if (op == "<") return left < right;
  if (op == "<=") return left <= right;
  if (op == ">") return left > right;
  if (op == ">=") return left >= right;
  if (op == "==") return left == right;
  return left != right;  // "!="
}

// Recursive descent over the expression, lowest precedence first.
class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::unique_ptr<Node> ParseAll() {
    std::unique_ptr<Node> node = Conditional();
    Skip();
    return node && pos_ == text_.size() ? std::move(node) : nullptr;
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(pos_, token.size()) != token) return false;
    pos_ += token.size();
    return true;
  }
  static std::unique_ptr<Node> Binary(std::string op, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
    if (!a || !b) return nullptr;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::Binary;
    node->op = std::move(op);
    node->a = std::move(a);
    node->b = std::move(b);
    return node;
  }

  std::unique_ptr<Node> Conditional() {
    std::unique_ptr<Node> condition = Or();
    if (!condition || !Take("?")) return condition;
    std::unique_ptr<Node> then = Conditional();
    if (!then || !Take(":")) return nullptr;
    std::unique_ptr<Node> otherwise = Conditional();
    if (!otherwise) return nullptr;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::Conditional;
    node->a = std::move(condition);
    node->b = std::move(then);
    node->c = std::move(otherwise);
    return node;
  }
  std::unique_ptr<Node> Or() {
    std::unique_ptr<Node> node = And();
    while (node && Take("||")) node = Binary("||", std::move(node), And());
    return node;
  }
  std::unique_ptr<Node> And() {
    std::unique_ptr<Node> node = Equality();
    while (node && Take("&&")) node = Binary("&&", std::move(node), Equality());
    return node;
  }
  std::unique_ptr<Node> Equality() {
    std::unique_ptr<Node> node = Comparison();
    while (node) {
      if (Take("==")) node = Binary("==", std::move(node), Comparison());
      else if (Take("!=")) node = Binary("!=", std::move(node), Comparison());
      else break;
    }
    return node;
  }
  std::unique_ptr<Node> Comparison() {
    std::unique_ptr<Node> node = Sum();
    while (node) {
      if (Take("<=")) node = Binary("<=", std::move(node), Sum());
      else if (Take(">=")) node = Binary(">=", std::move(node), Sum());
      else if (Take("<")) node = Binary("<", std::move(node), Sum());
      else if (Take(">")) node = Binary(">", std::move(node), Sum());
      else break;
    }
    return node;
  }
  std::unique_ptr<Node> Sum() {
    std::unique_ptr<Node> node = Product();
    while (node) {
      if (Take("+")) node = Binary("+", std::move(node), Product());
      else if (Take("-")) node = Binary("-", std::move(node), Product());
      else break;
    }
    return node;
  }
  std::unique_ptr<Node> Product() {
    std::unique_ptr<Node> node = Unary();
    while (node) {
      if (Take("*")) node = Binary("*", std::move(node), Unary());
      else if (Take("/")) node = Binary("/", std::move(node), Unary());
      else if (Take("%")) node = Binary("%", std::move(node), Unary());
      else break;
    }
    return node;
  }
  std::unique_ptr<Node> Unary() {
    Skip();
    // "!=" is an operator, not a negation.
    if (pos_ < text_.size() && text_[pos_] == '!' && text_.substr(pos_, 2) != "!=") {
      ++pos_;
      std::unique_ptr<Node> operand = Unary();
      if (!operand) return nullptr;
      auto node = std::make_unique<Node>();
      node->kind = Node::Kind::Not;
      node->a = std::move(operand);
      return node;
    }
    return Primary();
  }
  std::unique_ptr<Node> Primary() {
    Skip();
    if (pos_ >= text_.size()) return nullptr;
    if (Take("(")) {
      std::unique_ptr<Node> node = Conditional();
      return node && Take(")") ? std::move(node) : nullptr;
    }
    auto node = std::make_unique<Node>();
    if (text_[pos_] == 'n') {
      ++pos_;
      node->kind = Node::Kind::N;
      return node;
    }
    if (!std::isdigit(static_cast<unsigned char>(text_[pos_]))) return nullptr;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
      node->value = node->value * 10 + static_cast<unsigned long>(text_[pos_++] - '0');
    return node;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// The text after "name=" up to the next ';' (or the end).
std::optional<std::string_view> Field(std::string_view value, std::string_view name) {
  size_t at = 0;
  while ((at = value.find(name, at)) != std::string_view::npos) {
    const bool starts = at == 0 || value[at - 1] == ';' || std::isspace(static_cast<unsigned char>(value[at - 1]));
    size_t eq = at + name.size();
    while (eq < value.size() && value[eq] == ' ') ++eq;
    if (starts && eq < value.size() && value[eq] == '=') {
      const size_t end = value.find(';', eq + 1);
      return value.substr(eq + 1, end == std::string_view::npos ? std::string_view::npos : end - eq - 1);
    }
    at += name.size();
  }
  return std::nullopt;
}

}  // namespace

PluralForms::PluralForms() : plural_(Parser("n != 1").ParseAll()) {}
PluralForms::~PluralForms() = default;
PluralForms::PluralForms(PluralForms&&) noexcept = default;
PluralForms& PluralForms::operator=(PluralForms&&) noexcept = default;

std::optional<PluralForms> PluralForms::Parse(std::string_view value) {
  const std::optional<std::string_view> count = Field(value, "nplurals");
  const std::optional<std::string_view> rule = Field(value, "plural");
  if (!count || !rule) return std::nullopt;
  Parser countParser(*count);
  const std::unique_ptr<Node> countNode = countParser.ParseAll();
  if (!countNode || countNode->kind != Node::Kind::Number || countNode->value == 0 || countNode->value > 6)
    return std::nullopt;
  PluralForms forms;
  forms.nplurals_ = countNode->value;
  forms.plural_ = Parser(*rule).ParseAll();
  if (!forms.plural_) return std::nullopt;
  return forms;
}

unsigned long PluralForms::FormFor(unsigned long n) const {
  const unsigned long form = Evaluate(*plural_, n);
  return form < nplurals_ ? form : 0;
}

}  // namespace gd
