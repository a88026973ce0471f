// The check of the language files on a small tree of its own: which texts of the sources count as
// translated, and each fault of a language file that it must report.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "testdata/ScratchDir.h"
#include "tools/langcheck/LanguageCheck.h"

namespace {

constexpr const char* kSource = R"(
struct Row { int id; const wchar_t* tip; const wchar_t* name; };
const Row kRows[] = {{1, L"Tip one", L"Not a key"}, {2, L"Tip two", L"Nor this"}};
void Say(LPCWSTR text) { Show(LoadLanguageString(text)); }
void Dialog::Init() {
  SetWindowText(LoadLanguageString(L"Direct"));
  Say(L"Wrapped");
  const wchar_t* caption = busy ? L"Busy" : L"Idle";
  SetWindowText(LoadLanguageString(caption));
  for (const wchar_t* unit : {L"Unit one", L"Unit two"}) list.AddString(LoadLanguageString(unit));
  for (const wchar_t* unit : {L"Untranslated unit"}) list.AddString(unit);
  for (const Row& row : kRows) Button(row.id).SetTip(LoadLanguageString(row.tip));
  const CString text = LoadLanguageString(L"Copy " L"file") + L" to " + path;
  Say(text);
  // LoadLanguageString(L"In a comment")
}
)";

constexpr const char* kEnglish =
    "[Language String]\nDirect=Direct\nCount %d of %s=Count %d of %s\nSame=Same\nPlay=Play\n";

class LangCheckTest : public ::testing::Test {
 protected:
  void Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(dir_.Path()) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::vector<std::string> Check() const {
    return langcheck::CheckLanguageFolder(std::filesystem::path(dir_.Path()) / "rc/Language",
                                          langcheck::FindProgramTexts(dir_.Path()));
  }
  static bool Has(const std::vector<std::string>& problems, const std::string& part) {
    return std::any_of(problems.begin(), problems.end(), [&](const std::string& p) { return p.find(part) != p.npos; });
  }

  fixtures::ScratchDir dir_{"langcheck"};
};

}  // namespace

TEST_F(LangCheckTest, FollowsTextsToLoadLanguageStringAndNoOthers) {
  Write("app/Dialog.cpp", kSource);
  Write("rc/dialogs/7.json",
        R"({"title": "Title", "controls": [{"id": 1, "text": "Label"}, {"id": 2, "text": "..."}]})");
  std::vector<std::wstring> texts;
  for (const langcheck::TextUse& use : langcheck::FindProgramTexts(dir_.Path())) texts.push_back(use.text);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, std::vector<std::wstring>({L"Busy", L"Copy file", L"Direct", L"Idle", L"Label", L"Tip one",
                                              L"Tip two", L"Title", L"Unit one", L"Unit two", L"Wrapped"}));
}

TEST_F(LangCheckTest, ReportsEveryFaultOfTheLanguageFiles) {
  Write("app/Dialog.cpp", "void F() { LoadLanguageString(L\"Direct\"); LoadLanguageString(L\"Absent\"); }");
  Write("rc/Language/en_US.ini", kEnglish);
  Write("rc/Language/de_DE.ini",
        "[Language String]\nDirect=Direkt\nCount %d of %s=%s von %d\nSame=Same\nPlay=Wiedergabe %d\nExtra=Mehr\n"
        "no key here\nDIRECT=Nochmal\n");
  Write("rc/Language/fr_FR.ini", "[Language String]\nDirect=Direct\n[Same As English]\nDirect=\nPlay=\n");
  Write("rc/Language/ru_RU.ini", "[Language String]\nDirect=Prjamo\n");
  Write("rc/Language/el_GR.ini", "[Language String]\nDirect=Прямо\n[Other]\n");
  Write("rc/Language/jp_JP.ini", "[Language String]\nDirect=\xE7\x9B\xB4\xFF\n");
  Write("rc/Language/RU_RU.ini", "[Language String]\n");
  const std::vector<std::string> problems = Check();
  EXPECT_TRUE(Has(problems, "app/Dialog.cpp:1: \"Absent\" is missing from en_US.ini")) << problems.size();
  EXPECT_FALSE(Has(problems, "\"Direct\" is missing from en_US.ini"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:3: \"%s von %d\" does not keep the format specifiers"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:4: \"Same\" is not translated"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:5: \"Wiedergabe %d\" does not keep the format specifiers"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:6: \"Extra\" is no key of en_US.ini"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:7: neither a key nor a section"));
  EXPECT_TRUE(Has(problems, "Language/de_DE.ini:8: \"DIRECT\" is given twice"));
  EXPECT_TRUE(Has(problems, "Language/fr_FR.ini: \"Same\" is missing"));
  EXPECT_TRUE(Has(problems, "Language/fr_FR.ini: \"Play\" is marked the same as English but is no key"));
  EXPECT_FALSE(Has(problems, "fr_FR.ini:2:"));  // marked as the same as English
  EXPECT_TRUE(Has(problems, "Language/ru_RU.ini:2: \"Prjamo\" is not written in Cyrillic"));
  EXPECT_TRUE(Has(problems, "Language/el_GR.ini:2: \"Прямо\" has letters of a script other than Greek"));
  EXPECT_TRUE(Has(problems, "Language/el_GR.ini:3: unknown section [Other]"));
  EXPECT_TRUE(Has(problems, "Language/jp_JP.ini: not UTF-8"));
  EXPECT_TRUE(Has(problems, "Language/zh_CN.ini: missing"));
  EXPECT_TRUE(Has(problems, "RU_RU.ini: no language of the table has this code"));
}
