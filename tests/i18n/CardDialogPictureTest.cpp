// The card dialog in every language: every label, button and radio text as wide as its control
// at most; and in German, Japanese, Arabic and Russian with a backup's recordings listed, each
// written as a picture under test-output, with caption and controls in the language.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QWidget>

#include "settings/LanguageTable.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/cardtools/CardToolsTestSupport.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"

namespace {

constexpr int kTextControls[] = {1050, 1051, 1052, 1056, 1071, 1072, 1073, 1074, 1075, 1076, 1113};
// A radio button's or check box's mark and the gap after it.
constexpr int kMarkWidth = 22;

// The controls whose text is wider than the room the control gives it.
std::string CutTexts(CDiskDlg& dlg) {
  std::string cut;
  for (int id : kTextControls) {
    const CWnd* item = dlg.GetDlgItem(id);
    CRect rect;
    item->GetClientRect(&rect);
    const bool radio = (item->GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    const int room = rect.Width() - (radio ? kMarkWidth : 0);
    const int width =
        QFontMetrics(item->Widget()->font()).horizontalAdvance(QString::fromStdWString(item->GetWindowText().str()));
    if (width > room) cut += std::to_string(id) + " (" + std::to_string(width) + " > " + std::to_string(room) + ") ";
  }
  return cut;
}

}  // namespace

TEST(CardDialogPictureTest, TheCardDialogInGermanJapaneseArabicAndRussian) {
  plat::test::Reset();
  ScopedEnvironment zone("TZ", "UTC0");
  fixtures::ScratchDir dir("i18n-card");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 1.0), dir.File("trip.sd"));
  ASSERT_TRUE(sd);
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  for (const wchar_t* code : {L"de_DE", L"jp_JP", L"ar_AE", L"ru_RU"}) {
    const LanguageFolder language(code);
    FakeOwner owner;
    CDiskDlg dlg(owner, &main);
    owner.dialog = &dlg;
    ASSERT_TRUE(dlg.Create(CDiskDlg::kTemplate, &main));
    ASSERT_TRUE(dlg.OpenSdFile(CString(sd->path)));
    dlg.ShowForTask(CDiskDlg::kBackupTask);
    EXPECT_EQ(dlg.GetWindowText(), LoadLanguageString(L"Backup"));
    EXPECT_NE(dlg.GetWindowText(), L"Backup") << WideToUtf8(code);
    EXPECT_NE(dlg.GetDlgItem(CDiskDlg::kRemovableRadio)->GetWindowText(), L"Removable Storage") << WideToUtf8(code);
    dlg.RecordList().SetCheck(1);
    dlg.SetProgress(40);
    plat::test::Pump();
    EXPECT_FALSE(
        plat::test::SavePng(plat::test::Grab(&dlg), "i18n-card-dialog-" + QString::fromStdWString(code)).isEmpty());
    dlg.DestroyWindow();
  }
}

TEST(CardDialogPictureTest, EveryTextOfTheCardDialogFitsItsControlInEveryLanguage) {
  plat::test::Reset();
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  for (const LanguageRow& row : LanguageTable) {
    const LanguageFolder language(row.code);
    FakeOwner owner;
    CDiskDlg dlg(owner, &main);
    ASSERT_TRUE(dlg.Create(CDiskDlg::kTemplate, &main));
    EXPECT_EQ(CutTexts(dlg), "") << WideToUtf8(row.code);
    dlg.DestroyWindow();
  }
}
