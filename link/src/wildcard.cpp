#include "link/wildcard.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace korvel {
namespace {

struct Token {
  enum Kind { kLiteral, kAny, kDigit, kStar, kSet, kEmpty };
  explicit Token(Kind k, char16_t c = 0) : kind(k), literal(c) {}
  Kind kind;
  char16_t literal = 0;
  bool negate = false;
  std::vector<std::pair<char16_t, char16_t>> ranges;

  bool Matches(char16_t c) const {
    switch (kind) {
      case kLiteral:
        return c == literal;
      case kAny:
        return true;
      case kDigit:
        return c >= u'0' && c <= u'9';
      case kSet: {
        bool in = false;
        for (auto [lo, hi] : ranges) in = in || (c >= lo && c <= hi);
        return in != negate;
      }
      default:
        return false;
    }
  }
};

std::vector<Token> Tokenize(std::u16string_view p) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c == u'?') {
      tokens.emplace_back(Token::kAny);
    } else if (c == u'#') {
      tokens.emplace_back(Token::kDigit);
    } else if (c == u'*') {
      if (tokens.empty() || tokens.back().kind != Token::kStar) tokens.emplace_back(Token::kStar);
    } else if (c == u'[' && p.find(u']', i + 1) != std::u16string_view::npos) {
      const std::size_t close = p.find(u']', i + 1);
      std::u16string_view body = p.substr(i + 1, close - i - 1);
      i = close;
      if (body.empty()) {
        tokens.emplace_back(Token::kEmpty);
        continue;
      }
      Token t(Token::kSet);
      if (body.front() == u'!') {
        t.negate = true;
        body.remove_prefix(1);
      }
      for (std::size_t k = 0; k < body.size(); ++k) {
        // "a-z" is a range; a "-" first or last in the list stands for itself.
        if (k + 2 < body.size() && body[k + 1] == u'-') {
          char16_t lo = body[k], hi = body[k + 2];
          if (lo > hi) std::swap(lo, hi);
          t.ranges.emplace_back(lo, hi);
          k += 2;
        } else {
          t.ranges.emplace_back(body[k], body[k]);
        }
      }
      tokens.push_back(std::move(t));
    } else {
      tokens.emplace_back(Token::kLiteral, c);
    }
  }
  return tokens;
}

}  // namespace

bool WildcardPatternValid(std::u16string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != u'[') continue;
    const std::size_t close = pattern.find(u']', i + 1);
    if (close == std::u16string_view::npos) return false;
    std::u16string_view body = pattern.substr(i + 1, close - i - 1);
    if (!body.empty() && body.front() == u'!') body.remove_prefix(1);
    // The same reading of ranges as Tokenize: "a-z" inside, "-" first or last itself.
    for (std::size_t k = 0; k < body.size(); ++k) {
      if (k + 2 < body.size() && body[k + 1] == u'-') {
        if (body[k] > body[k + 2]) return false;
        k += 2;
      }
    }
    i = close;
  }
  return true;
}

bool WildcardMatch(std::u16string_view text, std::u16string_view pattern) {
  const std::vector<Token> tokens = Tokenize(pattern);
  // reach[j]: the first i tokens can match exactly text[0, j).
  std::vector<char> reach(text.size() + 1, 0), next(text.size() + 1, 0);
  reach[0] = 1;
  for (const Token& t : tokens) {
    std::fill(next.begin(), next.end(), 0);
    for (std::size_t j = 0; j <= text.size(); ++j) {
      if (t.kind == Token::kStar) {
        next[j] = reach[j] || (j > 0 && next[j - 1]);
      } else if (t.kind == Token::kEmpty) {
        next[j] = reach[j];
      } else if (j > 0 && reach[j - 1] && t.Matches(text[j - 1])) {
        next[j] = 1;
      }
    }
    reach.swap(next);
  }
  return reach[text.size()] != 0;
}

}  // namespace korvel
