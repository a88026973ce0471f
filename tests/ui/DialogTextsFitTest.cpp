// The translated texts of every small dialog, and the calendar's weekday names, in each of the
// languages: each label holds its text in the lines it has room for, each button its text on one
// line, and no weekday name reaches the edge of its column.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cardtools/FilePad.h"
#include "cardtools/FormatDlg.h"
#include "config/DeviceSettings.h"
#include "config/dialogs/TabConfigDlg.h"
#include "config/dialogs/WiFiConfigDlg.h"
#include "controls/MonthCalCtrlEx.h"
#include "platform/wnd/PaintDC.h"
#include "settings/LanguageTable.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/support/TestHarness.h"
#include "ui/GenGMapKey.h"
#include "ui/VersionInfo.h"
#include "users/ConfirmDlg.h"

namespace {

// A push button keeps this much of its width around its text.
constexpr int kButtonMargins = 8;

enum class Kind { kLabel, kButton };

struct TextControl {
  int id;
  Kind kind;
};

struct DialogCase {
  const char* name;
  std::function<std::unique_ptr<CDialog>(CWnd* parent)> make;
  std::vector<TextControl> controls;
};

template <class Dialog, class... Args>
std::function<std::unique_ptr<CDialog>(CWnd*)> Make(Args... args) {
  return [=](CWnd* parent) -> std::unique_ptr<CDialog> {
    auto dlg = std::make_unique<Dialog>(args..., parent);
    if (!dlg->Create(Dialog::kTemplate, parent)) return nullptr;
    return dlg;
  };
}

// What the control's text needs beyond its room, as "id (needed > room)"; empty when it fits. A
// label wraps at its width as it draws; a button's text stays on one line.
std::string Overflow(CWnd& item, Kind kind) {
  const CString text = item.GetWindowText();
  CRect room;
  item.GetClientRect(&room);
  if (kind == Kind::kButton) room.DeflateRect(kButtonMargins / 2, 0);
  CClientDC dc(&item);
  CFont* old = dc.SelectObject(item.GetFont());
  CRect need(0, 0, room.Width(), 0);
  dc.DrawText(text, &need, DT_CALCRECT | (kind == Kind::kLabel ? DT_WORDBREAK : DT_SINGLELINE));
  dc.SelectObject(old);
  if (need.Width() <= room.Width() && need.Height() <= room.Height()) return "";
  return std::to_string(item.GetDlgCtrlID()) + " \"" + text.ToUtf8() + "\" (" + std::to_string(need.Width()) + "x" +
         std::to_string(need.Height()) + " > " + std::to_string(room.Width()) + "x" + std::to_string(room.Height()) +
         ") ";
}

// The weekday columns whose name reaches the first or last pixel column of its cell, where it is
// cut or runs into its neighbour (the calendar's frame is its outermost pixel columns).
std::string WeekdayEdges(const CMonthCalCtrlEx& calendar, int width, int cellWidth, int top, int bottom) {
  const COLORREF background = plat::test::Pixel(&calendar, 1, top);
  std::string touched;
  for (int column = 0; column < 7; ++column) {
    for (int x : {std::max(column * cellWidth, 1), std::min((column + 1) * cellWidth - 1, width - 2)}) {
      for (int y = top; y < bottom; ++y) {
        if (plat::test::Pixel(&calendar, x, y) != background) {
          touched += std::to_string(column) + " ";
          break;
        }
      }
    }
  }
  return touched;
}

}  // namespace

TEST(DialogTextsFitTest, EveryDialogsTextsAndTheWeekdayNamesFitInEveryLanguage) {
  plat::test::Reset();
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  DeviceSettings settings;
  const std::vector<DialogCase> dialogs = {
      {"map key", Make<CGenGMapKey>(), {{1112, Kind::kLabel}, {IDOK, Kind::kButton}, {IDCANCEL, Kind::kButton}}},
      {"version", Make<CVersionInfo>(), {{1120, Kind::kLabel}, {1121, Kind::kLabel}}},
      {"password", Make<CConfirmDlg>(),
       {{1003, Kind::kLabel}, {1004, Kind::kLabel}, {IDOK, Kind::kButton}, {IDCANCEL, Kind::kButton}}},
      {"file pad", Make<FilePad>(), {{1001, Kind::kLabel}}},
      {"configuration", Make<TabConfigDlg>(),
       {{1003, Kind::kLabel}, {1004, Kind::kLabel}, {1005, Kind::kLabel}, {IDOK, Kind::kButton}, {IDCANCEL, Kind::kButton}}},
      {"wi-fi", Make<CWiFiConfigDlg>(&settings), {{1001, Kind::kLabel}, {IDOK, Kind::kButton}}},
      {"format", Make<CFormatDlg>(), {{1003, Kind::kLabel}, {1006, Kind::kLabel}, {1004, Kind::kLabel}, {IDCANCEL, Kind::kButton}}},
  };
  // The calendar panel's calendar: cells of 27 pixels, the header between its title and grid.
  constexpr int kCalendarWidth = 190, kCellWidth = 27, kHeaderTop = 28, kHeaderBottom = 43;
  for (const LanguageRow& row : LanguageTable) {
    const LanguageFolder language(row.code);
    const std::string code = WideToUtf8(row.code);
    for (const DialogCase& c : dialogs) {
      const std::unique_ptr<CDialog> dlg = c.make(&main);
      ASSERT_TRUE(dlg) << c.name;
      std::string cut;
      for (const TextControl& control : c.controls) cut += Overflow(*dlg->GetDlgItem(control.id), control.kind);
      EXPECT_EQ(cut, "") << code << " " << c.name;
      dlg->DestroyWindow();
    }
    CMonthCalCtrlEx calendar;
    ASSERT_TRUE(calendar.Create(L"MFCMonthCalCtrlEx", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, kCalendarWidth, 195),
                                &main, 1000));
    plat::test::Pump();
    EXPECT_EQ(WeekdayEdges(calendar, kCalendarWidth, kCellWidth, kHeaderTop, kHeaderBottom), "") << code;
    if (row.code == std::wstring(L"jp_JP") || row.code == std::wstring(L"ar_AE")) {
      plat::test::SavePng(plat::test::Grab(&calendar), QString("calendar-") + code.c_str());
    }
    calendar.DestroyWindow();
  }
}
