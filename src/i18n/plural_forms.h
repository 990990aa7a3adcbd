// The plural rule of a message catalogue: the "Plural-Forms" line of its
// header, for example
//   nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);
// The expression is the C subset the gettext tools accept: the variable n,
// decimal numbers, parentheses, ! * / % + - < <= > >= == != && || and ?:.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

namespace gd {

class PluralForms {
 public:
  // English: two forms, the first for exactly one.
  PluralForms();
  ~PluralForms();
  PluralForms(PluralForms&&) noexcept;
  PluralForms& operator=(PluralForms&&) noexcept;

  // Reads the value of a Plural-Forms line ("nplurals=...; plural=...;").
  // Nothing when it cannot be read: a catalogue with such a line is unusable
  // for plurals, and its user keeps the English rule.
  static std::optional<PluralForms> Parse(std::string_view value);

  unsigned long Count() const { return nplurals_; }
  // The form for the number n, always below Count().
  unsigned long FormFor(unsigned long n) const;

  struct Node;

 private:
  unsigned long nplurals_ = 2;
  std::unique_ptr<Node> plural_;
};

}  // namespace gd
