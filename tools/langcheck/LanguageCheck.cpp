#include "tools/langcheck/LanguageCheck.h"

#include <algorithm>

#include "platform/String.h"
#include "settings/LanguageTable.h"
#include "tools/langcheck/LanguageFile.h"
#include "tools/langcheck/Scripts.h"
#include "tools/langcheck/TemplateTexts.h"

namespace langcheck {
namespace {

constexpr const char* kLayers[] = {"platform", "recorder", "engine",    "settings", "controls",
                                   "config",   "users",    "cardtools", "ui",       "app"};

std::string Quote(const std::wstring& text) { return "\"" + WideToUtf8(text) + "\""; }

class Checker {
 public:
  explicit Checker(const std::filesystem::path& folder) : folder_(folder), english_(Read(L"en_US")) {}

  void CheckTexts(const std::vector<TextUse>& texts) {
    for (const TextUse& use : texts) {
      if (!HasLetter(use.text)) continue;
      const std::wstring key = FoldKey(use.text);
      if (key.find(L'=') != std::wstring::npos || key[0] == L';' || key[0] == L'[') {
        Add(use.where + ": " + Quote(use.text) + " cannot be a key of a language file");
      } else if (!english_.Find(use.text)) {
        Add(use.where + ": " + Quote(use.text) + " is missing from en_US.ini");
      }
    }
  }

  void CheckLanguages() {
    CheckFolderEntries();
    Collect(english_);
    for (const LanguageText& t : english_.texts) CheckValue(english_, t, Script::kLatin);
    for (UINT row = 1; row < kLanguageCount; ++row) CheckLanguage(LanguageTable[row].code);
  }

  std::vector<std::string> Problems() { return std::move(problems_); }

 private:
  LanguageFile Read(const std::wstring& code) const {
    const std::string name = WideToUtf8(code) + ".ini";
    return ReadLanguageFile(folder_ / name, (folder_.filename() / name).generic_string());
  }

  void Add(std::string problem) { problems_.push_back(std::move(problem)); }
  void Collect(const LanguageFile& f) {
    for (const std::string& p : f.problems) Add(p);
  }
  std::string At(const LanguageFile& f, int line) const { return f.shown + ":" + std::to_string(line) + ": "; }

  // Every .ini file of the folder belongs to a language of the table (letter case counts).
  void CheckFolderEntries() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
      if (entry.path().extension() != ".ini") continue;
      if (!FindLanguageRow(Utf8ToWide(entry.path().stem().string()))) {
        Add(entry.path().filename().string() + ": no language of the table has this code");
      }
    }
  }

  void CheckLanguage(const std::wstring& code) {
    const LanguageFile f = Read(code);
    Collect(f);
    if (!f.found) return;
    for (const LanguageText& t : english_.texts) {
      if (!f.Find(t.key)) Add(f.shown + ": " + Quote(t.key) + " is missing");
    }
    for (const auto& mark : f.sameAsEnglish) CheckSameMark(f, mark.second);
    for (const LanguageText& t : f.texts) {
      const LanguageText* english = english_.Find(t.key);
      if (!english) {
        Add(At(f, t.line) + Quote(t.key) + " is no key of en_US.ini");
      } else if (!f.sameAsEnglish.contains(FoldKey(t.key))) {
        CheckTranslated(f, t, *english, ScriptOfLanguage(code));
      }
    }
  }

  void CheckSameMark(const LanguageFile& f, const std::wstring& key) {
    const LanguageText* t = f.Find(key);
    const LanguageText* english = english_.Find(key);
    if (!t || !english) return Add(f.shown + ": " + Quote(key) + " is marked the same as English but is no key");
    if (t->value != t->key && t->value != english->value) {
      Add(At(f, t->line) + Quote(key) + " is marked the same as English but is translated");
    }
  }

  void CheckTranslated(const LanguageFile& f, const LanguageText& t, const LanguageText& english, Script script) {
    if (HasLetter(t.value) && (t.value == t.key || t.value == english.value)) {
      return Add(At(f, t.line) + Quote(t.key) + " is not translated (list it under [Same As English] if it is right)");
    }
    CheckValue(f, t, script);
  }

  void CheckValue(const LanguageFile& f, const LanguageText& t, Script script) {
    if (FormatConversions(t.value) != FormatConversions(t.key)) {
      Add(At(f, t.line) + Quote(t.value) + " does not keep the format specifiers of " + Quote(t.key));
    }
    bool own = false;
    for (wchar_t c : t.value) {
      const auto u = static_cast<char32_t>(c);
      if (!IsLetter(u)) continue;
      own = own || IsLetterOf(u, script);
      if (!IsLetterOf(u, script) && !IsLetterOf(u, Script::kLatin)) {
        return Add(At(f, t.line) + Quote(t.value) + " has letters of a script other than " + ScriptName(script));
      }
    }
    if (!own && script != Script::kLatin && HasLetter(t.value)) {
      Add(At(f, t.line) + Quote(t.value) + " is not written in " + ScriptName(script));
    }
  }

  std::filesystem::path folder_;
  LanguageFile english_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<TextUse> FindProgramTexts(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> folders;
  for (const char* layer : kLayers) folders.push_back(root / layer);
  std::vector<TextUse> texts = FindSourceTexts(ListSources(folders), root);
  for (TextUse& t : FindTemplateTexts(root / "rc" / "dialogs", root)) texts.push_back(std::move(t));
  return texts;
}

std::vector<std::string> CheckLanguageFolder(const std::filesystem::path& folder, const std::vector<TextUse>& texts) {
  Checker checker(folder);
  checker.CheckTexts(texts);
  checker.CheckLanguages();
  return checker.Problems();
}

}  // namespace langcheck
