// The program's own language files: complete against the texts its code translates, copied
// beside the programs, chosen and read at run time for every language of the table, and drawn
// with the fonts the machine has.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGlyphRun>
#include <QTextLayout>
#include <filesystem>
#include <fstream>

#include "settings/AppConfig.h"
#include "settings/LanguageTable.h"
#include "tests/i18n/LanguageFolder.h"
#include "tools/langcheck/LanguageCheck.h"
#include "tools/langcheck/LanguageFile.h"

namespace {

const std::filesystem::path kRoot = PLAYER_SOURCE_DIR;
const std::filesystem::path kLanguages = kRoot / "rc" / "Language";

std::string Lines(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

langcheck::LanguageFile ReadLanguage(const wchar_t* code) {
  return langcheck::ReadLanguageFile(kLanguages / (WideToUtf8(code) + ".ini"), WideToUtf8(code));
}

// Whether every character has a glyph in the font or in one that the font falls back to.
bool DrawsEveryCharacter(const QString& text, const QFont& font) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QList<quint32> glyphs = run.glyphIndexes();
    if (std::find(glyphs.begin(), glyphs.end(), 0u) != glyphs.end()) return false;
  }
  return true;
}

}  // namespace

TEST(LanguageFilesTest, EveryTextThatTheProgramTranslatesIsInEveryLanguage) {
  const std::vector<langcheck::TextUse> texts = langcheck::FindProgramTexts(kRoot);
  // One text of each way that leads to LoadLanguageString: a literal, a function that passes its
  // text on, a variable, a loop over texts and a dialog template.
  for (const wchar_t* text : {L"RECORD TIME", L"The end time must be later than the start time",
                              L"Open an existing file", L"knots", L"Removable Storage"}) {
    const bool found = std::any_of(texts.begin(), texts.end(), [&](const auto& use) { return use.text == text; });
    EXPECT_TRUE(found) << WideToUtf8(text);
  }
  const std::vector<std::string> problems = langcheck::CheckLanguageFolder(kLanguages, texts);
  EXPECT_TRUE(problems.empty()) << Lines(problems);
}

TEST(LanguageFilesTest, TheBuildCopiesEveryLanguageFileBesideThePrograms) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kLanguages)) {
    ++files;
    EXPECT_EQ(Bytes(std::filesystem::path(PLAYER_LANGUAGE_COPY) / entry.path().filename()), Bytes(entry.path()))
        << entry.path().filename();
  }
  EXPECT_EQ(files, kLanguageCount);
}

TEST(LanguageFilesTest, EveryLanguageOfTheTableIsChosenAndTranslatesAtRunTime) {
  for (UINT row = 0; row < kLanguageCount; ++row) {
    const wchar_t* code = LanguageTable[row].code;
    const LanguageFolder folder(code);
    EXPECT_EQ(g_appConfig.GetCurrentLanguage(), row) << WideToUtf8(code);
    const langcheck::LanguageFile file = ReadLanguage(code);
    ASSERT_NE(file.Find(L"PrevFile"), nullptr) << WideToUtf8(code);
    EXPECT_EQ(LoadLanguageString(L"PrevFile"), CString(file.Find(L"PrevFile")->value)) << WideToUtf8(code);
    EXPECT_NE(LoadLanguageString(L"PrevFile"), L"PrevFile") << WideToUtf8(code);
  }
}

TEST(LanguageFilesTest, EveryTranslationDrawsWithTheInstalledFonts) {
  for (UINT row = 0; row < kLanguageCount; ++row) {
    const langcheck::LanguageFile file = ReadLanguage(LanguageTable[row].code);
    for (const langcheck::LanguageText& t : file.texts) {
      EXPECT_TRUE(DrawsEveryCharacter(QString::fromStdWString(t.value), QApplication::font()))
          << file.shown << ":" << t.line << ": no glyph for a character of " << WideToUtf8(t.value);
    }
  }
}
