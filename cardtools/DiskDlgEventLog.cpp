// The card dialog's event log: a recorder's ".log" read, listed in colour in place of the
// recordings, its track handed on and its records plotted onto the owner's G-sensor bars.
#include <cstring>
#include <limits>

#include "cardtools/DiskDlg.h"
#include "engine/gps/GpsTrack.h"
#include "settings/AppConfig.h"

namespace {

enum EventColumn { kTimeColumn, kSpeedColumn, kGsensorColumn, kEventsColumn, kPositionColumn };

// The rows are drawn left-aligned; the event column shows a bar in each of its eleven parts.
struct ColumnLook {
  const wchar_t* title;
  int width;
};
constexpr ColumnLook kEventColumns[] = {
    {L"RECORD TIME", 145}, {L"Speed", 50}, {L"G-sensor", 75}, {L"Events", 88}, {L"Location", 150}};

// The mark byte of each event flag 1 to 12: flags 1 to 4 go to bytes 0, 2, 3 and 1, flags 5 to
// 12 to bytes 4 to 11.
constexpr int kMarkByteOfFlag[kEventFlagCount] = {-1, 0, 2, 3, 1, 4, 5, 6, 7, 8, 9, 10, 11};

EventMarkBytes MarkBytesOf(const EventLogRow& row) {
  EventMarkBytes bytes{};
  for (int flag = 1; flag < kEventFlagCount; ++flag) {
    bytes[static_cast<size_t>(kMarkByteOfFlag[flag])] = row.GetFlag(flag) ? 1 : 0;
  }
  return bytes;
}

std::string_view PositionText(const EventLogRow& row) {
  return {row.position, strnlen(row.position, kEventPositionSize)};
}

CString Number(int value) {
  CString text;
  text.Format(L"%d", value);
  return text;
}

CString GsensorText(const EventLogRow& row) {
  CString text;
  text.Format(L"%d / %d", static_cast<int>(row.gsensorX), static_cast<int>(row.gsensorY));
  return text;
}

CString FixText(const GpsFix& fix) {
  CString text;
  text.Format(L"%.5f, %.5f", fix.latitude, fix.longitude);
  return text;
}

bool FitsInt(std::int64_t value) {
  return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

}  // namespace

void CDiskDlg::LoadEventLog(const CString& path) { eventLog_.StartLoad(path); }

bool CDiskDlg::TakeEventLog(WPARAM read) { return eventLog_.TakeLoad(read) == CEventLogDb::LoadResult::kLoaded; }

void CDiskDlg::InitEventList() {
  eventList_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const ColumnLook& column : kEventColumns) {
    eventList_.InsertColumn(index++, LoadLanguageString(column.title), LVCFMT_LEFT, column.width);
  }
  eventList_.SetEventColumn(kEventsColumn);
  ShowEventList(false);
}

// The list of recordings and the list of a log's records share their place.
void CDiskDlg::ShowEventList(bool show) {
  eventList_.ShowWindow(show ? SW_SHOW : SW_HIDE);
  recordList_.ShowWindow(show ? SW_HIDE : SW_SHOW);
}

void CDiskDlg::FillEventLogList(IEventLogView& view) {
  const std::vector<EventLogRow>& rows = eventLog_.Rows();
  const app::DisplayZone zone = owner_.GetDisplayZone();
  GpsTrack track;
  eventList_.DeleteAllItems();
  for (const EventLogRow& row : rows) {
    track.SetRecorderTime(row.time);
    const int item = eventList_.InsertItem(eventList_.GetItemCount(), app::DisplayTimeText(row.time, zone));
    eventList_.SetItemText(item, kSpeedColumn, Number(row.speed));
    eventList_.SetItemText(item, kGsensorColumn, GsensorText(row));
    if (!track.AddSentence(PositionText(row))) continue;
    eventList_.SetItemText(item, kPositionColumn, FixText(track.CurrentFix()));
  }
  eventList_.SetRows(rows);
  ShowEventList(true);
  view.ShowTrack(track);
}

// Records whose time cannot be placed on a bar (outside 32 bits) are left out.
bool CDiskDlg::PlotEventLog(IEventLogView& view) {
  const std::vector<EventLogRow>& rows = eventLog_.Rows();
  const std::int64_t offset = owner_.GetTimeZoneOffset();
  for (const EventLogRow& row : rows) {
    const std::int64_t barTime = row.time - offset;
    if (barTime < view.PlotStart() || !FitsInt(barTime)) continue;
    const int time = static_cast<int>(barTime);
    view.AddSample(row.gsensorX, row.gsensorY, 0, time);
    view.SetValueAt(row.speed, 0.0, time);
    view.MarkSegments(MarkBytesOf(row), time);
  }
  if (!rows.empty()) view.ReloadSamples();
  return true;
}
