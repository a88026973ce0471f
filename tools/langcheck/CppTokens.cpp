#include "tools/langcheck/CppTokens.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/String.h"

namespace langcheck {
namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

wchar_t SimpleEscape(char c) {
  switch (c) {
    case 'n': return L'\n';
    case 't': return L'\t';
    case 'r': return L'\r';
    case 'a': return L'\a';
    case 'b': return L'\b';
    case 'f': return L'\f';
    case 'v': return L'\v';
    default: return static_cast<wchar_t>(c);  // \\ \" \' \?
  }
}

// One escape sequence after the backslash at body[i]; moves i to its last character.
wchar_t Escape(std::string_view body, size_t& i) {
  const char c = body[++i];
  const size_t maxDigits = c == 'x' ? 8 : c == 'u' ? 4 : c == 'U' ? 8 : 0;
  const int base = maxDigits ? 16 : 8;
  size_t digits = 0;
  unsigned value = 0;
  size_t at = maxDigits ? i + 1 : i;
  const size_t limit = maxDigits ? maxDigits : 3;
  for (; at < body.size() && digits < limit; ++at, ++digits) {
    const int d = HexValue(body[at]);
    if (d < 0 || d >= base) break;
    value = value * base + static_cast<unsigned>(d);
  }
  if (digits == 0) return SimpleEscape(c);
  i = at - 1;
  return static_cast<wchar_t>(value);
}

std::wstring Unescape(std::string_view body) {
  std::wstring out;
  std::string run;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\' || i + 1 == body.size()) {
      run += body[i];
      continue;
    }
    out += Utf8ToWide(run);
    run.clear();
    out += Escape(body, i);
  }
  return out + Utf8ToWide(run);
}

class Lexer {
 public:
  explicit Lexer(std::string_view source) : s_(source) {}

  std::vector<Token> Run() {
    while (SkipBlanks()) Next();
    return std::move(out_);
  }

 private:
  char At(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

  // Skips white space, comments and preprocessor lines; false at the end.
  bool SkipBlanks() {
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '\n') {
        ++line_;
        lineStart_ = true;
        ++i_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++i_;
      } else if (c == '/' && At(i_ + 1) == '/') {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else if (c == '/' && At(i_ + 1) == '*') {
        SkipBlockComment();
      } else if (c == '#' && lineStart_) {
        SkipDirective();
      } else {
        return true;
      }
    }
    return false;
  }

  void SkipBlockComment() {
    const size_t end = s_.find("*/", i_ + 2);
    const size_t stop = end == std::string_view::npos ? s_.size() : end + 2;
    for (; i_ < stop; ++i_) line_ += s_[i_] == '\n';
  }

  void SkipDirective() {
    while (i_ < s_.size() && s_[i_] != '\n') {
      if (s_[i_] == '\\' && At(i_ + 1) == '\n') {
        ++line_;
        ++i_;
      }
      ++i_;
    }
  }

  void Next() {
    lineStart_ = false;
    const char c = s_[i_];
    if (IsIdentStart(c)) return Word();
    if (c == '"') return Quoted(Token::kNarrow);
    if (c == '\'') return Quoted(Token::kOther);
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && std::isdigit(static_cast<unsigned char>(At(i_ + 1))))) {
      return Number();
    }
    Punct();
  }

  void Word() {
    const size_t start = i_;
    while (i_ < s_.size() && IsIdentChar(s_[i_])) ++i_;
    const std::string word(s_.substr(start, i_ - start));
    const char next = At(i_);
    static constexpr std::array<std::string_view, 9> kPrefixes = {"L", "u", "U", "u8", "R", "LR", "uR", "UR", "u8R"};
    const bool prefix = std::find(kPrefixes.begin(), kPrefixes.end(), word) != kPrefixes.end();
    if (prefix && next == '"')
      return word.back() == 'R' ? Raw(word[0] == 'L') : Quoted(word == "L" ? Token::kWide : Token::kNarrow);
    if (prefix && next == '\'') return Quoted(Token::kOther);
    out_.push_back({Token::kIdent, word, {}, line_});
  }

  void Quoted(Token::Kind kind) {
    const char quote = s_[i_];
    const size_t start = ++i_;
    while (i_ < s_.size() && s_[i_] != quote && s_[i_] != '\n') i_ += s_[i_] == '\\' ? 2 : 1;
    const std::string_view body = s_.substr(start, std::min(i_, s_.size()) - start);
    ++i_;
    AddString(kind, std::string(body), Unescape(body));
  }

  void Raw(bool wide) {
    const size_t open = s_.find('(', i_);
    if (open == std::string_view::npos) {
      i_ = s_.size();
      return;
    }
    const std::string close = ")" + std::string(s_.substr(i_ + 1, open - i_ - 1)) + "\"";
    const size_t end = std::min(s_.find(close, open), s_.size());
    const std::string_view body = s_.substr(open + 1, end - open - 1);
    for (char c : body) line_ += c == '\n';
    i_ = std::min(end + close.size(), s_.size());
    AddString(wide ? Token::kWide : Token::kNarrow, std::string(body), Utf8ToWide(body));
  }

  // Adjacent string literals are one; a wide one makes the whole wide.
  void AddString(Token::Kind kind, std::string text, std::wstring value) {
    const bool isString = kind == Token::kWide || kind == Token::kNarrow;
    Token* last = out_.empty() ? nullptr : &out_.back();
    if (isString && last && (last->kind == Token::kWide || last->kind == Token::kNarrow)) {
      last->value += value;
      if (kind == Token::kWide) last->kind = Token::kWide;
      return;
    }
    out_.push_back({kind, std::move(text), std::move(value), line_});
  }

  void Number() {
    const size_t start = i_;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      const bool sign = (c == '+' || c == '-') && std::string_view("eEpP").find(s_[i_ - 1]) != std::string_view::npos;
      if (!IsIdentChar(c) && c != '.' && c != '\'' && !sign) break;
      ++i_;
    }
    out_.push_back({Token::kOther, std::string(s_.substr(start, i_ - start)), {}, line_});
  }

  void Punct() {
    static constexpr std::array<std::string_view, 8> kPairs = {"::", "->", "==", "!=", "<=", ">=", "+=", "-="};
    const std::string_view two = s_.substr(i_, 2);
    const bool pair = std::find(kPairs.begin(), kPairs.end(), two) != kPairs.end();
    const size_t length = pair ? 2 : 1;
    out_.push_back({Token::kPunct, std::string(s_.substr(i_, length)), {}, line_});
    i_ += length;
  }

  std::string_view s_;
  size_t i_ = 0;
  int line_ = 1;
  bool lineStart_ = true;
  std::vector<Token> out_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view source) { return Lexer(source).Run(); }

std::vector<size_t> MatchBrackets(const std::vector<Token>& tokens) {
  std::vector<size_t> match(tokens.size(), tokens.size());
  std::vector<size_t> open;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kPunct) continue;
    const std::string& t = tokens[i].text;
    if (t == "(" || t == "[" || t == "{") {
      open.push_back(i);
      continue;
    }
    const char opening = t == ")" ? '(' : t == "]" ? '[' : t == "}" ? '{' : '\0';
    if (!opening) continue;
    // A stray closing bracket closes the nearest bracket of its kind and whatever it left open.
    while (!open.empty() && tokens[open.back()].text[0] != opening) open.pop_back();
    if (open.empty()) continue;
    match[open.back()] = i;
    open.pop_back();
  }
  return match;
}

}  // namespace langcheck
