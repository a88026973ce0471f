#include "tools/langcheck/SourceTexts.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "tools/langcheck/CppTokens.h"

namespace langcheck {
namespace {

struct Range {
  size_t begin;
  size_t end;  // one past the last token
};

struct Source {
  std::string name;
  std::vector<Token> tokens;
  std::vector<size_t> match;

  bool Is(size_t i, std::string_view text) const {
    return i < tokens.size() && (tokens[i].kind == Token::kPunct || tokens[i].kind == Token::kIdent) &&
           tokens[i].text == text;
  }
  bool IsIdent(size_t i) const { return i < tokens.size() && tokens[i].kind == Token::kIdent; }
  bool IsOpen(size_t i) const { return Is(i, "(") || Is(i, "[") || Is(i, "{"); }
  // The index after a bracketed group that starts at i, or i + 1.
  size_t Skip(size_t i) const { return IsOpen(i) ? std::min(match[i], tokens.size() - 1) + 1 : i + 1; }
  // The inside of the group opened at i.
  Range Inside(size_t open) const { return {open + 1, std::min(match[open], tokens.size())}; }
};

const std::set<std::string, std::less<>> kStatementWords = {"if",     "for",    "while",    "switch",        "catch",
                                                            "return", "sizeof", "decltype", "static_assert", "alignof"};
const std::set<std::string, std::less<>> kTextTypes = {"LPCWSTR", "LPCTSTR", "LPWSTR",      "wchar_t",
                                                       "CString", "wstring", "wstring_view"};
const std::set<std::string, std::less<>> kTrailingWords = {"const", "override", "final", "noexcept", "mutable"};

// The pieces of a range split at a separator outside brackets.
std::vector<Range> Split(const Source& s, Range r, std::string_view separator) {
  std::vector<Range> pieces;
  size_t start = r.begin;
  for (size_t k = r.begin; k < r.end; k = s.Skip(k)) {
    if (!s.Is(k, separator)) continue;
    pieces.push_back({start, k});
    start = k + 1;
  }
  if (start < r.end) pieces.push_back({start, r.end});
  return pieces;
}

// The body of a function defined with its name at i, or nothing.
std::optional<Range> FunctionBody(const Source& s, size_t i) {
  if (!s.IsIdent(i) || !s.Is(i + 1, "(") || kStatementWords.contains(s.tokens[i].text)) return std::nullopt;
  size_t j = s.Skip(i + 1);
  while (s.IsIdent(j) && kTrailingWords.contains(s.tokens[j].text)) ++j;
  if (!s.Is(j, "{")) return std::nullopt;
  return s.Inside(j);
}

// The names of the text parameters of the parameter list opened at `open`.
std::vector<std::string> TextParameters(const Source& s, size_t open) {
  std::vector<std::string> names;
  for (const Range& p : Split(s, s.Inside(open), ",")) {
    bool text = false;
    std::string name;
    for (size_t k = p.begin; k < p.end && !s.Is(k, "="); ++k) {
      if (!s.IsIdent(k)) continue;
      text = text || kTextTypes.contains(s.tokens[k].text);
      name = s.tokens[k].text;
    }
    if (text) names.push_back(name);
  }
  return names;
}

bool IsTranslatingCall(const Source& s, size_t k, const std::set<std::string>& translators) {
  return s.IsIdent(k) && translators.contains(s.tokens[k].text) && s.Is(k + 1, "(");
}

// Whether the body hands the parameter, as it is, to a translating function.
bool PassesOn(const Source& s, Range body, const std::string& parameter, const std::set<std::string>& translators) {
  for (size_t k = body.begin; k < body.end; ++k) {
    if (IsTranslatingCall(s, k, translators) && s.Is(k + 2, parameter) && s.Is(k + 3, ")")) return true;
  }
  return false;
}

void AddWrappers(const Source& s, std::set<std::string>& translators) {
  for (size_t i = 0; i + 1 < s.tokens.size(); ++i) {
    const std::optional<Range> body = FunctionBody(s, i);
    if (!body) continue;
    for (const std::string& p : TextParameters(s, i + 1)) {
      if (PassesOn(s, *body, p, translators)) translators.insert(s.tokens[i].text);
    }
  }
}

// What an argument names: a variable, or a field of a variable or of a table's row.
struct Reference {
  std::string base;
  std::string field;
  bool indexed = false;
};

std::optional<Reference> ReferenceOf(const Source& s, Range arg) {
  if (arg.begin >= arg.end || !s.IsIdent(arg.begin) || s.Is(arg.begin, "this")) return std::nullopt;
  Reference ref{s.tokens[arg.begin].text, {}};
  for (size_t k = arg.begin + 1; k < arg.end;) {
    if ((s.Is(k, ".") || s.Is(k, "->")) && s.IsIdent(k + 1)) {
      ref.field = s.tokens[k + 1].text;
      k += 2;
    } else if (s.Is(k, "[")) {
      ref.indexed = true;
      k = s.Skip(k);
    } else {
      return std::nullopt;
    }
  }
  return ref;
}

constexpr size_t kNoCall = static_cast<size_t>(-1);

bool IsMemberName(const std::string& name) { return name.ends_with('_') || name.starts_with("m_"); }

class Finder {
 public:
  explicit Finder(std::vector<Source> sources) : sources_(std::move(sources)) {
    for (size_t before = 0; before != translators_.size();) {
      before = translators_.size();
      for (const Source& s : sources_) AddWrappers(s, translators_);
    }
  }

  std::vector<TextUse> Run() {
    for (const Source& s : sources_) {
      for (size_t i = 0; i < s.tokens.size(); ++i) {
        if (!IsTranslatingCall(s, i, translators_)) continue;
        for (const Range& arg : Split(s, s.Inside(i + 1), ",")) UseArgument(s, i, arg);
      }
    }
    return std::move(uses_);
  }

 private:
  void Emit(const Source& s, size_t k) {
    uses_.push_back({s.tokens[k].value, s.name + ":" + std::to_string(s.tokens[k].line)});
  }

  // The wide literals of a range; with `nested` also those inside brackets.
  bool EmitLiterals(const Source& s, Range r, bool nested) {
    bool found = false;
    for (size_t k = r.begin; k < r.end; k = nested ? k + 1 : s.Skip(k)) {
      if (s.tokens[k].kind != Token::kWide) continue;
      Emit(s, k);
      found = true;
    }
    return found;
  }

  void UseArgument(const Source& s, size_t call, Range arg) {
    EmitLiterals(s, arg, false);
    const std::optional<Reference> ref = ReferenceOf(s, arg);
    if (!ref) return;
    const std::optional<Range> function = EnclosingFunction(s, call);
    if (function && EmitDefinitions(s, *function, *ref, call)) return;
    if (EmitDefinitions(s, {0, s.tokens.size()}, *ref)) return;
    if (ref->indexed) EmitTableAnywhere(s, ref->base, ref->field);
  }

  // The outermost function body around token i.
  static std::optional<Range> EnclosingFunction(const Source& s, size_t i) {
    for (size_t k = 0; k < i; ++k) {
      if (!s.Is(k, "{") || s.match[k] < i) continue;
      const bool function = s.Is(k - 1, ")") || (s.IsIdent(k - 1) && kTrailingWords.contains(s.tokens[k - 1].text));
      if (function) return s.Inside(k);
    }
    return std::nullopt;
  }

  // Texts given to the variable in the scope: by assignment or initialisation, or as the loop
  // variable of a range-for around the call. Without a call (a search of the whole file) only
  // namespace-scope definitions and members count.
  bool EmitDefinitions(const Source& s, Range scope, const Reference& ref, size_t call = kNoCall) {
    bool found = false;
    for (size_t k = scope.begin; k < scope.end; ++k) {
      if (!s.Is(k, ref.base) || s.Is(k - 1, ".") || s.Is(k - 1, "->")) continue;
      if (call == kNoCall && !IsMemberName(ref.base) && EnclosingFunction(s, k)) continue;
      size_t j = k + 1;
      while (s.Is(j, "[")) j = s.Skip(j);
      if (s.Is(j, "=")) ++j;
      if (s.Is(j, "{")) {
        found = EmitRows(s, j, ref.field) || found;
      } else if (j > k + 1 && s.Is(j - 1, "=")) {
        found = EmitExpression(s, j) || found;
      } else if (s.Is(k + 1, ":") && LoopAround(s, k, call)) {
        found = EmitLoopRange(s, k + 2, ref.field) || found;
      }
    }
    return found;
  }

  // The literals of an expression of literals only (a condition may choose between them); a
  // composed or computed text is no key.
  bool EmitExpression(const Source& s, size_t from) {
    size_t end = from;
    while (end < s.tokens.size() && !s.Is(end, ";") && !s.Is(end, ",") && !s.Is(end, ")") && !s.Is(end, "}")) {
      if (s.Is(end, "+") || s.Is(end, "(")) return false;
      end = s.Skip(end);
    }
    return EmitLiterals(s, {from, end}, false);
  }

  // Whether the loop variable at k belongs to a range-for whose statement holds the call.
  static bool LoopAround(const Source& s, size_t k, size_t call) {
    for (size_t j = k; j-- > 0;) {
      if (s.Is(j, ";") || s.Is(j, "{") || s.Is(j, "}")) return false;
      if (!s.Is(j, "(") || s.match[j] < k) continue;
      if (!s.Is(j - 1, "for")) return false;
      return call == kNoCall || (call > s.match[j] && call < StatementEnd(s, s.match[j] + 1));
    }
    return false;
  }

  static size_t StatementEnd(const Source& s, size_t from) {
    if (s.Is(from, "{")) return s.Skip(from);
    size_t k = from;
    while (k < s.tokens.size() && !s.Is(k, ";")) k = s.Skip(k);
    return k;
  }

  bool EmitLoopRange(const Source& s, size_t k, const std::string& field) {
    if (s.Is(k, "{")) return EmitRows(s, k, field);
    if (!s.IsIdent(k)) return false;
    return EmitTableAnywhere(s, s.tokens[k].text, field);
  }

  // A table defined in this file, else in any other.
  bool EmitTableAnywhere(const Source& here, const std::string& name, const std::string& field) {
    const Reference table{name, field, true};
    if (EmitDefinitions(here, {0, here.tokens.size()}, table)) return true;
    bool found = false;
    for (const Source& s : sources_) {
      if (&s != &here) found = EmitDefinitions(s, {0, s.tokens.size()}, table) || found;
    }
    return found;
  }

  // The texts of a braced initialiser: of each row the named field's cell, or every literal of the
  // row when the field's place is not known; a list without rows gives all its literals.
  bool EmitRows(const Source& s, size_t open, const std::string& field) {
    std::vector<Range> cells = Split(s, s.Inside(open), ",");
    if (cells.size() == 1 && s.Is(cells[0].begin, "{") && s.Skip(cells[0].begin) == cells[0].end &&
        s.Is(cells[0].begin + 1, "{")) {
      return EmitRows(s, cells[0].begin, field);  // the extra braces of a std::array
    }
    const bool rows = std::all_of(cells.begin(), cells.end(), [&](const Range& c) { return s.Is(c.begin, "{"); });
    if (!rows || cells.empty()) return EmitLiterals(s, s.Inside(open), true);
    const std::optional<size_t> index = field.empty() ? std::nullopt : FieldIndex(field);
    bool found = false;
    for (const Range& row : cells) {
      const std::vector<Range> parts = Split(s, s.Inside(row.begin), ",");
      const Range part = index && *index < parts.size() ? parts[*index] : s.Inside(row.begin);
      found = EmitLiterals(s, part, true) || found;
    }
    return found;
  }

  // The place of a data member among the members of the struct or class that declares it.
  std::optional<size_t> FieldIndex(const std::string& field) {
    if (const auto known = fieldIndex_.find(field); known != fieldIndex_.end()) return known->second;
    std::optional<size_t> index;
    for (const Source& s : sources_) {
      for (size_t k = 0; k + 1 < s.tokens.size() && !index; ++k) {
        if (s.Is(k, "struct") || s.Is(k, "class")) index = FieldIndexIn(s, k + 1, field);
      }
    }
    fieldIndex_[field] = index;
    return index;
  }

  static std::optional<size_t> FieldIndexIn(const Source& s, size_t name, const std::string& field) {
    size_t open = name;
    while (open < s.tokens.size() && !s.Is(open, "{") && !s.Is(open, ";") && !s.Is(open, "(")) ++open;
    if (!s.Is(open, "{")) return std::nullopt;
    size_t index = 0;
    for (Range decl : Split(s, s.Inside(open), ";")) {
      if (s.Is(decl.begin + 1, ":") && s.IsIdent(decl.begin)) decl.begin += 2;  // public: and the like
      if (!IsDataMember(s, decl)) continue;
      for (const Range& declarator : Split(s, decl, ",")) {
        if (DeclaredName(s, declarator) == field) return index;
        ++index;
      }
    }
    return std::nullopt;
  }

  static bool IsDataMember(const Source& s, Range decl) {
    if (decl.begin >= decl.end) return false;
    for (const char* word : {"static", "using", "typedef", "friend", "enum", "struct", "class", "template"}) {
      if (s.Is(decl.begin, word)) return false;
    }
    for (size_t k = decl.begin; k < decl.end; k = s.Skip(k)) {
      if (s.Is(k, "(")) return false;
    }
    return true;
  }

  static std::string DeclaredName(const Source& s, Range declarator) {
    std::string name;
    for (size_t k = declarator.begin; k < declarator.end; ++k) {
      if (s.Is(k, "=") || s.Is(k, "{") || s.Is(k, "[") || s.Is(k, ":")) break;
      if (s.IsIdent(k)) name = s.tokens[k].text;
    }
    return name;
  }

  std::vector<Source> sources_;
  std::set<std::string> translators_{"LoadLanguageString"};
  std::map<std::string, std::optional<size_t>> fieldIndex_;
  std::vector<TextUse> uses_;
};

Source ReadSource(const std::filesystem::path& file, const std::filesystem::path& root) {
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Source s{std::filesystem::relative(file, root).generic_string(), Tokenize(text), {}};
  s.match = MatchBrackets(s.tokens);
  return s;
}

}  // namespace

std::vector<TextUse> FindSourceTexts(const std::vector<std::filesystem::path>& files,
                                     const std::filesystem::path& root) {
  std::vector<Source> sources;
  for (const auto& file : files) sources.push_back(ReadSource(file, root));
  return Finder(std::move(sources)).Run();
}

std::vector<std::filesystem::path> ListSources(const std::vector<std::filesystem::path>& folders) {
  std::vector<std::filesystem::path> files;
  for (const auto& folder : folders) {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      const std::string ext = it->path().extension().string();
      if (it->is_regular_file() && (ext == ".cpp" || ext == ".h")) files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace langcheck
