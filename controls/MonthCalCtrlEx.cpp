#include "controls/MonthCalCtrlEx.h"

#include <algorithm>
#include <cwchar>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"
#include "settings/AppConfig.h"

namespace {

constexpr wchar_t kClassName[] = L"MFCMonthCalCtrlEx";
// The calendar's own face; fontconfig gives the bundled family where it is missing.
constexpr wchar_t kFontFace[] = L"\u51BC\u6781";
constexpr int kFontPoints10 = 90;
constexpr int kColumns = 7;
constexpr int kRows = 6;
constexpr int kMinCellWidth = 20;
constexpr int kMinCellHeight = 12;
constexpr int kLeftArrow = 0;
constexpr int kRightArrow = 1;
constexpr int kYearsAround = 5;

constexpr COLORREF kBackground = 0x303030;
constexpr COLORREF kTitle = 0x191919;
constexpr COLORREF kHeader = 0x303030;
constexpr COLORREF kSeparator = 0xFFFFFF;
constexpr COLORREF kArrowFill = 0x1E97E4;
constexpr COLORREF kArrowOutline = 0x380601;
constexpr COLORREF kArrowHovered = 0xFFFFFF;
constexpr COLORREF kAdjacentText = 0xB3B885;
constexpr COLORREF kSelectionFill = 0x00FFFF;
constexpr COLORREF kSelectedText = 0x0000FF;
constexpr COLORREF kMark = 0x0000FF;

struct WeekdayName {
  const wchar_t* name;
  COLORREF color;
};
// The names are keys of the language files; the English file turns the old "Wen" into "Wed".
constexpr WeekdayName kWeekdays[kColumns] = {{L"Sun", 0x0000FF}, {L"Mon", 0xFFFFFF}, {L"Tue", 0xFFFFFF},
                                             {L"Wen", 0xFFFFFF}, {L"Thu", 0xFFFFFF}, {L"Fri", 0xFFFFFF},
                                             {L"Sat", 0xFF0000}};

bool SameDay(const COleDateTime& a, const COleDateTime& b) {
  return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
}

// The date `delta` months from the date, its day limited to the new month's length.
COleDateTime AddMonths(const COleDateTime& date, int delta) {
  int year = date.GetYear();
  int month = date.GetMonth() + delta;
  if (month < 1) {
    month = 12;
    --year;
  } else if (month > 12) {
    month = 1;
    ++year;
  }
  return COleDateTime(year, month, std::min(date.GetDay(), plat::DaysInMonth(year, month)), 0, 0, 0);
}

// A whole decimal number, nothing else; false for an empty or garbled text.
bool ParseNumber(const CString& text, int& value) {
  if (text.IsEmpty() || text.GetLength() > 6) return false;
  wchar_t* end = nullptr;
  const long v = std::wcstol(text.GetString(), &end, 10);
  if (end == text.GetString() || *end != L'\0') return false;
  value = static_cast<int>(v);
  return true;
}

// The crossing rule: a ray to the right of the point crosses the polygon's edges an odd number of
// times; an edge counts when the point's y lies in [lower y, higher y) of the edge.
bool InsidePolygon(const POINT* points, int count, CPoint p) {
  bool inside = false;
  for (int i = 0, j = count - 1; i < count; j = i++) {
    const POINT& a = points[i];
    const POINT& b = points[j];
    const int low = std::min(a.y, b.y);
    const int high = std::max(a.y, b.y);
    if (p.y < low || p.y >= high) continue;
    const double x = a.x + static_cast<double>(p.y - a.y) * (b.x - a.x) / (b.y - a.y);
    if (p.x < x) inside = !inside;
  }
  return inside;
}

}  // namespace

CMonthCalCtrlEx::CMonthCalCtrlEx() : cellBorder_(GetSysColor(COLOR_BTNSHADOW)) {
  // Registering again once the class exists changes nothing.
  WNDCLASSW cls;
  cls.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = COLOR_BTNFACE + 1;
  cls.lpszClassName = kClassName;
  RegisterClass(&cls);
  font_.CreatePointFont(kFontPoints10, kFontFace);
  shownDate_ = COleDateTime::GetCurrentTime();
}

CMonthCalCtrlEx::~CMonthCalCtrlEx() {
  if (m_hWnd) DestroyWindow();
}

const CMonthCalCtrlEx::DayCell* CMonthCalCtrlEx::GetDayCell(int index) const {
  return index >= 0 && index < kCellCount ? &cells_[index] : nullptr;
}

void CMonthCalCtrlEx::PreSubclassWindow() {
  CWnd::PreSubclassWindow();
  Initialise();
}

void CMonthCalCtrlEx::Initialise() {
  BuildMonth(startToday_ ? COleDateTime::GetCurrentTime() : COleDateTime(1970, 1, 1, 0, 0, 0), false);
  if (yearList_.m_hWnd) return;
  ComputeSizes();
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
  yearList_.Create(style, CRect(), this, kYearListId);
  monthList_.Create(style, CRect(), this, kMonthListId);
  PlaceLists();
  yearList_.SetFont(&font_);
  monthList_.SetFont(&font_);
  FillYearList(shownDate_.GetYear());
  for (int m = 1; m <= 12; ++m) {
    CString text;
    text.Format(L"%d", m);
    monthList_.AddString(text);
  }
  monthList_.SetCurSel(shownDate_.GetMonth() - 1);
}

void CMonthCalCtrlEx::ComputeSizes() {
  CRect client;
  GetClientRect(&client);
  cellWidth_ = std::max((client.Width() - 2 * margin_) / kColumns, kMinCellWidth);
  headerCellWidth_ = cellWidth_;
  cellHeight_ = std::max((client.Height() - headerHeight_ - separatorHeight_ - titleHeight_) / kRows, kMinCellHeight);
}

void CMonthCalCtrlEx::PlaceLists() {
  if (!yearList_.m_hWnd || !monthList_.m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  const int middle = client.Width() / 2;
  yearList_.MoveWindow(CRect(middle - 70, 4, middle, 200));
  monthList_.MoveWindow(CRect(middle + 20, 4, middle + 70, 200));
}

void CMonthCalCtrlEx::FillYearList(int year) {
  yearFilled_ = year;
  if (!yearList_.m_hWnd) return;
  yearList_.ResetContent();
  for (int y = year - kYearsAround; y <= year + kYearsAround; ++y) {
    CString text;
    text.Format(L"%d", y);
    yearList_.AddString(text);
  }
  yearList_.SetCurSel(kYearsAround);
}

bool CMonthCalCtrlEx::IsMarked(const COleDateTime& date) const {
  return std::any_of(marked_.begin(), marked_.end(), [&](const COleDateTime& m) { return SameDay(m, date); });
}

// Takes the date by value: it may be a cell's date, which the building overwrites.
void CMonthCalCtrlEx::BuildMonth(COleDateTime date, bool redraw) {
  if (date.GetStatus() != COleDateTime::valid) return;
  const int year = date.GetYear();
  const int month = date.GetMonth();
  const int days = plat::DaysInMonth(year, month);
  const int prevYear = month == 1 ? year - 1 : year;
  const int prevMonth = month == 1 ? 12 : month - 1;
  const int nextYear = month == 12 ? year + 1 : year;
  const int nextMonth = month == 12 ? 1 : month + 1;
  const int previous = plat::DaysInMonth(prevYear, prevMonth);
  const int weekday = COleDateTime(year, month, 1, 0, 0, 0).GetDayOfWeek() - 1;
  const int lead = weekday == 0 ? (showAdjacent_ ? kColumns : 0) : weekday;
  for (int i = 0; i < kCellCount; ++i) {
    DayCell& cell = cells_[i];
    int day;
    if (i < lead) {
      day = previous - (lead - 1 - i);
      cell.date = COleDateTime(prevYear, prevMonth, day, 0, 0, 0);
      cell.monthFlag = -1;
    } else if (i < lead + days) {
      day = i - lead + 1;
      cell.date = COleDateTime(year, month, day, 0, 0, 0);
      cell.monthFlag = 0;
    } else {
      day = i - lead - days + 1;
      cell.date = COleDateTime(nextYear, nextMonth, day, 0, 0, 0);
      cell.monthFlag = 1;
    }
    cell.text.Format(L"%d", day);
    cell.marked = IsMarked(cell.date) ? 1 : 0;
  }
  selected_ = lead + date.GetDay() - 1;
  shownDate_ = date;
  if (year != yearFilled_) FillYearList(year);
  if (monthList_.m_hWnd && monthList_.GetCurSel() != month - 1) monthList_.SetCurSel(month - 1);
  if (redraw) Invalidate(FALSE);
}

void CMonthCalCtrlEx::SetCurrentDate(const COleDateTime& date) {
  BuildMonth(COleDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), date.GetHour(), date.GetMinute(),
                          date.GetSecond()),
             false);
}

void CMonthCalCtrlEx::SetToday(BOOL today) {
  startToday_ = today;
  BuildMonth(today ? COleDateTime::GetCurrentTime() : COleDateTime(1970, 1, 1, 0, 0, 0), true);
}

void CMonthCalCtrlEx::SetShowAdjacentDays(BOOL show) {
  showAdjacent_ = show;
  BuildMonth(shownDate_, true);
}

void CMonthCalCtrlEx::AddMarkedDate(const COleDateTime& date) {
  if (IsMarked(date)) return;
  marked_.push_back(date);
  for (int i = 0; i < kCellCount; ++i) {
    if (cells_[i].marked || !SameDay(cells_[i].date, date)) continue;
    cells_[i].marked = 1;
    InvalidateCell(i);
  }
}

void CMonthCalCtrlEx::ClearMarkedDates() {
  marked_.clear();
  for (DayCell& cell : cells_) cell.marked = 0;
  if (m_hWnd) Invalidate(FALSE);
}

void CMonthCalCtrlEx::Notify() {
  CWnd* parent = GetParent();
  if (!parent) return;
  NMHDR nm;
  nm.hwndFrom = m_hWnd;
  nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  nm.code = static_cast<UINT>(NM_MONTHCAL_DATECHANGE);
  parent->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
}

CRect CMonthCalCtrlEx::TitleRect() const {
  CRect client;
  GetClientRect(&client);
  return CRect(client.left, client.top, client.right, client.top + titleHeight_);
}

void CMonthCalCtrlEx::ArrowPoints(int arrow, POINT out[3]) const {
  const CRect t = TitleRect();
  const int middle = t.top + t.Height() / 2;
  if (arrow == kLeftArrow) {
    out[0] = {t.left + 24, t.top + 7};
    out[1] = {t.left + 24, t.bottom - 7};
    out[2] = {t.left + 10, middle};
  } else {
    out[0] = {t.right - 24, t.top + 7};
    out[1] = {t.right - 24, t.bottom - 7};
    out[2] = {t.right - 10, middle};
  }
}

// The arrow's bounding box with its outline.
CRect CMonthCalCtrlEx::ArrowRect(int arrow) const {
  POINT p[3];
  ArrowPoints(arrow, p);
  const auto [minX, maxX] = std::minmax({p[0].x, p[1].x, p[2].x});
  const auto [minY, maxY] = std::minmax({p[0].y, p[1].y, p[2].y});
  return CRect(minX, minY, maxX + 1, maxY + 1);
}

CRect CMonthCalCtrlEx::HeaderCellRect(int index) const {
  const int x = index * headerCellWidth_ + margin_;
  const int y = margin_ + titleHeight_;
  return CRect(x, y, x + headerCellWidth_, y + headerHeight_);
}

CRect CMonthCalCtrlEx::CellRect(int index) const {
  const int x = (index % kColumns) * cellWidth_ + margin_;
  const int y = headerHeight_ + separatorHeight_ + (index / kColumns) * cellHeight_ + margin_ + titleHeight_;
  return CRect(x, y, x + cellWidth_, y + cellHeight_);
}

int CMonthCalCtrlEx::HitCell(CPoint point) const {
  const int dx = point.x - margin_;
  const int dy = point.y - margin_ - headerHeight_ - separatorHeight_ - titleHeight_;
  if (dx < 0 || dy < 0) return -1;
  const int column = dx / cellWidth_;
  const int row = dy / cellHeight_;
  if (column >= kColumns || row >= kRows) return -1;
  const int index = row * kColumns + column;
  if (!showAdjacent_ && cells_[index].monthFlag != 0) return -1;
  return index;
}

int CMonthCalCtrlEx::HitArrow(CPoint point) const {
  for (int arrow : {kLeftArrow, kRightArrow}) {
    POINT p[3];
    ArrowPoints(arrow, p);
    if (InsidePolygon(p, 3, point)) return arrow;
  }
  return -1;
}

void CMonthCalCtrlEx::InvalidateCell(int index) {
  if (index < 0 || index >= kCellCount || !m_hWnd) return;
  const CRect rc = CellRect(index);
  InvalidateRect(&rc, FALSE);
}

void CMonthCalCtrlEx::DrawArrow(CDC& dc, int arrow) const {
  POINT p[3];
  ArrowPoints(arrow, p);
  CPen pen(PS_SOLID, 1, hoveredArrow_ == arrow ? kArrowHovered : kArrowOutline);
  CBrush brush(kArrowFill);
  CPen* oldPen = dc.SelectObject(&pen);
  CBrush* oldBrush = dc.SelectObject(&brush);
  dc.Polygon(p, 3);
  dc.SelectObject(oldBrush);
  dc.SelectObject(oldPen);
}

void CMonthCalCtrlEx::DrawHeader(CDC& dc) const {
  int column = 0;
  for (const WeekdayName& day : kWeekdays) {
    CRect rc = HeaderCellRect(column++);
    dc.SetTextColor(day.color);
    dc.DrawText(LoadLanguageString(day.name), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void CMonthCalCtrlEx::DrawCell(CDC& dc, int index) const {
  const DayCell& cell = cells_[index];
  CRect rc = CellRect(index);
  if (cell.marked) {
    CPen mark(PS_SOLID, 1, kMark);
    CPen* old = dc.SelectObject(&mark);
    dc.MoveTo(rc.left + 1, rc.top + 1);
    dc.LineTo(rc.right - 2, rc.top + 1);
    dc.LineTo(rc.right - 2, rc.bottom - 2);
    dc.LineTo(rc.left + 1, rc.bottom - 2);
    dc.LineTo(rc.left + 1, rc.top + 1);
    dc.SelectObject(old);
  }
  const bool selected = index == selected_;
  if (selected) dc.FillSolidRect(CRect(rc.left + 1, rc.top + 1, rc.right, rc.bottom), kSelectionFill);
  if (!showAdjacent_ && cell.monthFlag != 0) return;
  dc.SetTextColor(selected ? kSelectedText : cell.monthFlag != 0 ? kAdjacentText : cell.color);
  dc.DrawText(cell.text, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CMonthCalCtrlEx::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, kBackground);
  const CRect title = TitleRect();
  dc.FillSolidRect(&title, kTitle);
  DrawArrow(dc, kLeftArrow);
  DrawArrow(dc, kRightArrow);
  const int headerTop = title.bottom;
  dc.FillSolidRect(CRect(client.left, headerTop, client.right, headerTop + headerHeight_), kHeader);
  const int separatorTop = headerTop + headerHeight_;
  dc.FillSolidRect(CRect(client.left, separatorTop, client.right, separatorTop + separatorHeight_), kSeparator);
  CFont* oldFont = dc.SelectObject(&font_);
  dc.SetBkMode(TRANSPARENT);
  DrawHeader(dc);
  for (int i = 0; i < kCellCount; ++i) DrawCell(dc, i);
  CPen border(PS_SOLID, 1, cellBorder_);
  CPen* oldPen = dc.SelectObject(&border);
  dc.MoveTo(client.left, client.top);
  dc.LineTo(client.right - 1, client.top);
  dc.LineTo(client.right - 1, client.bottom - 1);
  dc.LineTo(client.left, client.bottom - 1);
  dc.LineTo(client.left, client.top);
  dc.SelectObject(oldPen);
  dc.SelectObject(oldFont);
}

void CMonthCalCtrlEx::OnMouseMove(UINT keys, CPoint point) {
  if (!leaveArmed_) {
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    leaveArmed_ = TrackMouseEvent(&track);
  }
  leftHeld_ = keys == MK_LBUTTON;
  const int arrow = HitArrow(point);
  if (arrow != hoveredArrow_) {
    hoveredArrow_ = arrow;
    for (int a : {kLeftArrow, kRightArrow}) {
      const CRect rc = ArrowRect(a);
      InvalidateRect(&rc, FALSE);
    }
  }
  const int cell = HitCell(point);
  if (cell != hovered_ && leftHeld_) {
    const int old = hovered_;
    hovered_ = cell;
    InvalidateCell(old);
    InvalidateCell(cell);
  }
}

void CMonthCalCtrlEx::OnLButtonDown(UINT keys, CPoint point) {
  leftHeld_ = keys == MK_LBUTTON;
  const int cell = HitCell(point);
  if (cell == hovered_ || !leftHeld_) return;
  if (onPress_) onPress_();
  const int old = hovered_;
  hovered_ = cell;
  InvalidateCell(old);
  InvalidateCell(cell);
}

// An arrow steps from the chosen day (the shown date before any day is chosen) to the same day of
// the month before or after, limited to that month's length.
void CMonthCalCtrlEx::StepMonth(int arrow) {
  const COleDateTime from = selected_ >= 0 && selected_ < kCellCount ? cells_[selected_].date : shownDate_;
  const COleDateTime to = AddMonths(from, arrow == kLeftArrow ? -1 : 1);
  if (to.GetStatus() != COleDateTime::valid || to == shownDate_) return;
  BuildMonth(to, true);
  Notify();
}

void CMonthCalCtrlEx::OnLButtonUp() {
  if (hoveredArrow_ >= 0) StepMonth(hoveredArrow_);
  if (hovered_ < 0) return;
  const int old = selected_;
  selected_ = hovered_;
  hovered_ = -1;
  InvalidateCell(old);
  InvalidateCell(selected_);
  const DayCell& cell = cells_[selected_];
  if (cell.date != shownDate_) BuildMonth(cell.date, cell.monthFlag != 0);
  Notify();
}

void CMonthCalCtrlEx::OnMouseLeave() {
  leaveArmed_ = FALSE;
  const int old = hovered_;
  hovered_ = -1;
  InvalidateCell(old);
}

// A choice in the year or month list shows the same day of the chosen month (limited to its
// length). A list without a choice, or a text that is no year or month of the list, changes nothing.
void CMonthCalCtrlEx::OnListChange(UINT id) {
  CComboBox& list = id == kYearListId ? yearList_ : monthList_;
  const int sel = list.GetCurSel();
  CString text;
  int value = 0;
  if (sel < 0 || list.GetLBText(sel, text) == CB_ERR || !ParseNumber(text, value)) return;
  int year = shownDate_.GetYear();
  int month = shownDate_.GetMonth();
  if (id == kYearListId) {
    if (value < yearFilled_ - kYearsAround || value > yearFilled_ + kYearsAround) return;
    year = value;
  } else {
    if (value < 1 || value > 12) return;
    month = value;
  }
  const COleDateTime date(year, month, std::min(shownDate_.GetDay(), plat::DaysInMonth(year, month)), 0, 0, 0);
  if (date.GetStatus() != COleDateTime::valid || date == shownDate_) return;
  BuildMonth(date, true);
  Notify();
}

LRESULT CMonthCalCtrlEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SIZE:
      Default();
      ComputeSizes();
      PlaceLists();
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<UINT>(wParam), point);
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(static_cast<UINT>(wParam), point);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp();
      return Default();
    case WM_COMMAND:
      if (HIWORD(wParam) == CBN_SELCHANGE && (LOWORD(wParam) == kYearListId || LOWORD(wParam) == kMonthListId)) {
        OnListChange(LOWORD(wParam));
        return 0;
      }
      return CWnd::WindowProc(msg, wParam, lParam);
    default:
      return CWnd::WindowProc(msg, wParam, lParam);
  }
}
