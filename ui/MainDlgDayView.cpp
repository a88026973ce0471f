// The day view (calendar, hour and minute grids), the record list and the settings list.
#include "app/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr int kRecordColumnWidth = 127;
constexpr int kSettingsColumnWidth = 190;
// The settings list reads from the top in this order.
constexpr const wchar_t* kSettingRows[] = {L"Video Format",         L"Video Quality",
                                           L"Video Frame Rate",     L"Car Type",
                                           L"G-sensor Sensitivity", L"Audio Recording"};

}  // namespace

// Both lists share the mode's list area; the record list's rows come from the card dialog.
void CMainDlg::InitLists() {
  const ui::LayoutRect& area = ui::AreaRect(ui::Area::kRecordList, uiMode_);
  for (CListCtrl* list : {&recordList_, &settingsList_}) {
    list->MoveWindow(area.left, area.top, area.Width(), area.Height(), FALSE);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  }
  settingsList_.InsertColumn(0, LoadLanguageString(L"Setting"), LVCFMT_LEFT, kSettingsColumnWidth);
  settingsList_.InsertColumn(1, LoadLanguageString(L"Value"), LVCFMT_LEFT, kSettingsColumnWidth);
  for (auto row = std::rbegin(kSettingRows); row != std::rend(kSettingRows); ++row) {
    settingsList_.InsertItem(0, LoadLanguageString(*row));
  }
  int column = 0;
  for (const wchar_t* heading : {L"RECORD TIME", L"TIME END", L"Total Times"}) {
    recordList_.InsertColumn(column++, LoadLanguageString(heading), LVCFMT_LEFT, kRecordColumnWidth);
  }
}

void CMainDlg::InitGridsAndCalendar() {
  ClearDayMarks();
  SetupHourGrid(grids_[0], 0);
  SetupHourGrid(grids_[1], 12);
  SetupMinuteGrid(grids_[2], 0);
  SetupMinuteGrid(grids_[3], 30);
  ColourHourGrids();
  ColourMinuteGrids();
  for (CGridCtrl& grid : grids_) grid.ShowWindow(SW_HIDE);
  calendar_.ShowWindow(SW_HIDE);
}

void CMainDlg::ClearDayMarks() {}

void CMainDlg::SetupHourGrid(CGridCtrl&, int) {}

void CMainDlg::SetupMinuteGrid(CGridCtrl&, int) {}

void CMainDlg::FillDay(const COleDateTime&) {}

void CMainDlg::MarkSpanMinutes(int, const COleDateTime&, const COleDateTime&, const COleDateTime&,
                               const COleDateTime&) {}

void CMainDlg::ColourHourGrids() {}

void CMainDlg::ColourMinuteGrids() {}

void CMainDlg::MarkRecordedDays() {}

void CMainDlg::RefreshSelectedDay() {}

void CMainDlg::MoveCalendarTo(std::int64_t) {}

void CMainDlg::PlayAtMinute(const COleDateTime&) {}

void CMainDlg::FocusGridCell(int, int) {}

void CMainDlg::OnHourGridClick(int, NMHDR*) {}

void CMainDlg::OnMinuteGridClick(int, NMHDR*) {}

void CMainDlg::OnCalendarSelect() {}

void CMainDlg::OnRecordListChanged(NMHDR*) {}

int CMainDlg::GetMinuteRecord(int hour, int minute) const {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60) return -1;
  return minuteRecord_[static_cast<size_t>(hour)][static_cast<size_t>(minute)];
}
