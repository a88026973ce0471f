// The main window in other languages: every text that it and its panels ask for while they start
// and run their commands is a key of the English language file; its lists' texts fit their
// columns; and, in German, Japanese, Arabic and Russian, a picture of it under test-output with
// its panels and the card dialog over it.
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QTreeWidget>

#include "settings/LanguageTable.h"
#include "testdata/StoreBuilder.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/support/LanguageKeyRecorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr int kFirstControlId = 1000;
constexpr int kLastControlId = 2200;
// Commands that open a modal dialog; Escape ends it.
constexpr int kModalCommands[] = {mainid::kConfiguration, mainid::kFormat, mainid::kWifi, mainid::kMapKey};

std::string Lines(const std::vector<std::wstring>& texts) {
  std::string all;
  for (const std::wstring& t : texts) all += WideToUtf8(t) + "\n";
  return all;
}

// A click on each button that the window shows; the window stays shown, the window's own Close
// and Minimize buttons come last.
void ClickEveryButton(CWnd& window, const std::function<void()>& show) {
  show();
  for (int id = kFirstControlId; id <= kLastControlId; ++id) {
    auto* button = dynamic_cast<CButton*>(window.GetDlgItem(id));
    if (button == nullptr || !button->IsWindowVisible() || id == mainid::kClose || id == mainid::kMinimize) continue;
    if (std::ranges::find(kModalCommands, id) != std::end(kModalCommands)) {
      plat::test::WhileModal([] { plat::test::Key(WM_KEYDOWN, VK_ESCAPE); });
    }
    CRect r;
    button->GetClientRect(&r);
    plat::test::Mouse(button, WM_LBUTTONDOWN, r.CenterPoint());
    plat::test::Mouse(button, WM_LBUTTONUP, r.CenterPoint());
    plat::test::Pump();
    show();
  }
}

}  // namespace

// In each mode, on a backup that plays: every button of the window and of each panel clicked.
TEST_F(MainWindowTest, EveryTextTheWindowAndItsPanelsAskForIsInTheEnglishFile) {
  const LanguageFolder russian(L"ru_RU");
  const std::string backup = russian.Dir().File("two.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0), backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));
  g_appConfig.WriteConfigInt(L"AutoPlayFirstRecord", 1);
  const LanguageKeyRecorder recorder;
  for (const auto& [width, height] : {std::pair{1920, 1080}, {1440, 900}, {1024, 600}}) {
    CMainDlg& dlg = Start(width, height, {L"-f", CString(backup)});
    const auto showMain = [&] { dlg.ShowWindow(SW_SHOW); };
    ClickEveryButton(dlg, showMain);
    CSidePanel* panels[] = {&dlg.GetVideoCtrlPanel(), &dlg.GetGsensorPanel(), &dlg.GetCalendarPanel(),
                            &dlg.GetCompassPanel(),   &dlg.GetSpeedDlg(),     &dlg.GetVolumeDlg(),
                            &dlg.GetCtrlPanel(),      &dlg.GetClosePanel(),   &dlg.GetCarDataPanel()};
    for (CSidePanel* panel : panels) ClickEveryButton(*panel, [&] { showMain(); panel->Toggle(5); });
    for (int id : {mainid::kMinimize, mainid::kClose}) dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }
  EXPECT_FALSE(CallsNamed("Play").empty());
  const std::set<std::wstring> keys = recorder.Keys();
  for (const wchar_t* key : {L"Dravik2 Player", L"Restart Record", L"Sound Off", L"Mark Save", L"Compass Button",
                             L"Volume Panel", L"RECORD TIME", L"Car Type", L"Input Google Map Key", L"Time zone"}) {
    EXPECT_TRUE(keys.contains(key)) << WideToUtf8(key);
  }
  EXPECT_TRUE(recorder.MissingFromEnglishFile().empty()) << Lines(recorder.MissingFromEnglishFile());
  dlg_.reset();
}

namespace {

// The window as the screen shows it, with the windows over it (panels, dialogs) drawn at their
// places in the order given.
QImage WithWindowsOver(const CWnd& main, const std::vector<const CWnd*>& over) {
  QImage image = plat::test::Grab(&main);
  CPoint origin(0, 0);
  main.ClientToScreen(&origin);
  QPainter painter(&image);
  for (const CWnd* wnd : over) {
    if (!wnd->IsWindowVisible()) continue;
    CPoint at(0, 0);
    wnd->ClientToScreen(&at);
    painter.drawImage(QPoint(at.x - origin.x, at.y - origin.y), plat::test::Grab(wnd));
  }
  return image;
}

constexpr int kShiftRight = 1757;

}  // namespace

TEST_F(MainWindowTest, TheWindowWithItsPanelsAndTheCardDialogInGermanJapaneseArabicAndRussian) {
  ScopedEnvironment zone("TZ", "UTC0");
  const std::string backup = dir_.File("trip.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 40.0), backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));
  for (const wchar_t* code : {L"de_DE", L"jp_JP", L"ar_AE", L"ru_RU"}) {
    const LanguageFolder language(code);
    CMainDlg& dlg = Start(1920, 1080, {L"-f", CString(backup)});
    dlg.ShowWindow(SW_SHOW);
    for (int id : {mainid::kSettingsTab, mainid::kSlidePanel, mainid::kGsensorPanel, mainid::kCalendarPanel,
                   mainid::kCompassPanel}) {
      dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    // The video control panel moves to the right, clear of the settings list.
    dlg.GetVideoCtrlPanel().SendMessage(WM_COMMAND, MAKEWPARAM(kShiftRight, BN_CLICKED), 0);
    CDiskDlg& disk = dlg.GetDiskDlg();
    EXPECT_TRUE(disk.IsWindowVisible() && dlg.GetDlgItem(mainid::kSettingsList)->IsWindowVisible());
    const auto* settings = dynamic_cast<const QTreeWidget*>(dlg.GetDlgItem(mainid::kSettingsList)->Widget());
    EXPECT_EQ(settings->headerItem()->text(0).toStdWString(), LoadLanguageString(L"Setting").str());
    EXPECT_NE(settings->topLevelItem(0)->text(0), "Video Format") << WideToUtf8(code);
    const QImage shot = WithWindowsOver(dlg, {&dlg.GetVideoCtrlPanel(), &dlg.GetCtrlPanel(), &dlg.GetGsensorPanel(),
                                              &dlg.GetCalendarPanel(), &dlg.GetCompassPanel(), &disk});
    EXPECT_FALSE(plat::test::SavePng(shot, "i18n-main-window-" + QString::fromStdWString(code)).isEmpty());
    dlg_.reset();
  }
}

namespace {

// A list's cell keeps this much of its column's width around its text.
constexpr int kCellMargins = 8;

// The headings and first-column texts of a list wider than their column's room.
std::string CutListTexts(const CWnd& list) {
  const auto* tree = dynamic_cast<const QTreeWidget*>(list.Widget());
  if (tree == nullptr) return "no list";
  std::string cut;
  const auto check = [&](const QString& text, const QFont& font, int column) {
    const int width = QFontMetrics(font).horizontalAdvance(text);
    const int room = tree->columnWidth(column) - kCellMargins;
    if (width > room) cut += text.toStdString() + " (" + std::to_string(width) + " > " + std::to_string(room) + ") ";
  };
  for (int c = 0; c < tree->columnCount(); ++c) check(tree->headerItem()->text(c), tree->header()->font(), c);
  for (int r = 0; r < tree->topLevelItemCount(); ++r) check(tree->topLevelItem(r)->text(0), tree->font(), 0);
  return cut;
}

}  // namespace

TEST_F(MainWindowTest, TheHeadingsAndRowsOfTheWindowsListsFitTheirColumnsInEveryLanguage) {
  for (const LanguageRow& row : LanguageTable) {
    const LanguageFolder language(row.code);
    CMainDlg& dlg = Start(1920, 1080);
    for (const CWnd* list : {dlg.GetDlgItem(mainid::kRecordList), dlg.GetDlgItem(mainid::kSettingsList),
                             static_cast<CWnd*>(&dlg.GetDiskDlg().RecordList())}) {
      EXPECT_EQ(CutListTexts(*list), "") << WideToUtf8(row.code) << " " << list->GetDlgCtrlID();
    }
    dlg_.reset();
  }
}
