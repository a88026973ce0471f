// A C++ source as tokens, enough to follow texts from literals to calls: identifiers, string
// literals with their values (adjacent ones joined), other literals and punctuation. Comments and
// preprocessor lines are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace langcheck {

struct Token {
  enum Kind { kIdent, kWide, kNarrow, kOther, kPunct };
  Kind kind;
  std::string text;    // identifier, punctuation or other literal as written
  std::wstring value;  // a string literal's value, escapes resolved
  int line;
};

std::vector<Token> Tokenize(std::string_view source);

// For each opening bracket ( [ { the index of its closing one; the token count for any other
// token and for a bracket left open.
std::vector<size_t> MatchBrackets(const std::vector<Token>& tokens);

}  // namespace langcheck
