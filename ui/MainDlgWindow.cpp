// The main window's own handling: minimise and restore, the wheel zoom, size, paint with the last
// snapshot, the mouse, and the version dialog.
#include <algorithm>

#include <QFileInfo>
#include <QImage>

#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "platform/gdi/GdiQt.h"
#include "platform/wnd/PaintDC.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// The window keeps its size; a size this much smaller than the window is a passing one.
constexpr int kSizeSlack = 14;
// A zoom point is given in millionths of the picture, measured from its centre.
constexpr std::int64_t kHalfMillion = 500000;

// The line that says why nothing plays.
constexpr int kNoticeFontHeight = 26;
constexpr int kNoticeBandHeight = 48;
constexpr int kNoticeMargin = 12;
constexpr COLORREF kNoticeBand = 0x000000;
constexpr COLORREF kNoticeText = 0xFFFFFF;

bool StrictlyInside(const CRect& r, CPoint p) { return p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom; }

}  // namespace

void CMainDlg::OnBnClickedMinimize() { ShowWindow(SW_MINIMIZE); }

void CMainDlg::OnBnClickedRestore() {
  ShowItem(mainid::kRestore, false);
  ShowItem(mainid::kMenu, true);
  MoveWindow(&storedWindowRect_);
}

// The wheel over the video zooms the picture in or out about the point under the mouse.
void CMainDlg::OnMouseWheel(UINT, int delta, CPoint screen) {
  if (engine_ == nullptr || delta == 0 || !channelWindow_.GetSafeHwnd() || !channelWindow_.IsWindowVisible()) return;
  CRect channel;
  channelWindow_.GetWindowRect(&channel);
  if (!StrictlyInside(channel, screen)) return;
  const CPoint p = ToChannelPoint(channel, screen);
  engine_->Zoom(channelWindow_.GetChannel(), p.x, p.y, delta < 0 ? -1 : 1);
}

CPoint CMainDlg::ToChannelPoint(const CRect& channel, CPoint point) const {
  if (channel.Width() <= 0 || channel.Height() <= 0) return CPoint(0, 0);
  const auto share = [](std::int64_t offset, std::int64_t length) {
    return static_cast<int>((2 * offset - length) * kHalfMillion / length);
  };
  return CPoint(share(point.x - channel.left, channel.Width()), share(point.y - channel.top, channel.Height()));
}

// The sliding panels are placed again, also at the same size: the video control panel asks for
// that when it is shifted to the other side.
void CMainDlg::OnSize(UINT type, int cx, int cy) {
  CRect window;
  GetWindowRect(&window);
  if (cx < window.Width() - kSizeSlack || cy < window.Height() - kSizeSlack) return;
  if (CSize(cx, cy) != storedSize_) {
    storedSize_ = CSize(cx, cy);
    storedSizeType_ = type;
    firstSize_ = false;
  }
  if (panelsShown_) PlaceSlidePanels();
}

// The dynamic part of the window over its background: the G-sensor curve, the speed and the last
// snapshot.
void CMainDlg::OnPaint() {
  CClientDC dc(this);
  DrawGsensorGraph(dc);
  DrawSpeed(dc);
  DrawLastSnapshot(dc);
  DrawNotice(dc);
}

void CMainDlg::ShowNotice(const CString& key) { ShowNoticeText(key.IsEmpty() ? CString() : LoadLanguageString(key)); }

void CMainDlg::ShowNoticeText(const CString& text) {
  if (text == notice_) return;
  notice_ = text;
  if (!GetSafeHwnd()) return;
  const CRect& video = videoRect_[static_cast<size_t>(uiMode_)];
  InvalidateRect(&video);
}

// White on a black band across the middle of the video area, which shows no picture then. A
// notice too long for one line (a path and why it did not open) breaks into more lines rather than
// losing its end; a path is shown as it is, '&' included.
void CMainDlg::DrawNotice(CDC& dc) {
  if (notice_.IsEmpty() || playing_) return;
  if (!noticeFont_.GetSafeHandle()) {
    noticeFont_.CreateFont(kNoticeFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"");
  }
  const CRect& video = videoRect_[static_cast<size_t>(uiMode_)];
  CFont* old = dc.SelectObject(&noticeFont_);
  constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  CRect measured(video.left + kNoticeMargin, 0, video.right - kNoticeMargin, 0);
  const int textHeight = dc.DrawText(notice_, &measured, kFormat | DT_CALCRECT);
  const int height = std::max(kNoticeBandHeight, textHeight + kNoticeMargin);
  const int top = video.CenterPoint().y - height / 2;
  CRect band(video.left, top, video.right, top + height);
  dc.FillSolidRect(&band, kNoticeBand);
  CRect text(video.left + kNoticeMargin, top + (height - textHeight) / 2, video.right - kNoticeMargin, band.bottom);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kNoticeText);
  dc.DrawText(notice_, &text, kFormat);
  if (old != nullptr) dc.SelectObject(old);
}

void CMainDlg::ShowSnapshot(const CString& path) {
  lastSnapshot_ = path;
  snapshotShown_ = true;
  snapshotPicture_.DeleteObject();
  const ui::LayoutRect& area = ui::AreaRect(ui::Area::kSnapshot, uiMode_);
  const CRect r(area.left, area.top, area.right, area.bottom);
  InvalidateRect(&r);
}

// The last snapshot, scaled into the mode's snapshot area with its shape kept; a file that is
// gone, or not a picture, takes it away.
void CMainDlg::DrawLastSnapshot(CDC& dc) {
  if (!snapshotShown_) return;
  const ui::LayoutRect& area = ui::AreaRect(ui::Area::kSnapshot, uiMode_);
  if (!QFileInfo::exists(plat::ToQString(lastSnapshot_)) || !LoadSnapshotPicture(CSize(area.Width(), area.Height()))) {
    snapshotShown_ = false;
    snapshotPicture_.DeleteObject();
    return;
  }
  BITMAP bm{};
  if (!snapshotPicture_.GetBitmap(&bm)) return;
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap* old = memory.SelectObject(&snapshotPicture_);
  dc.BitBlt(area.left + (area.Width() - bm.bmWidth) / 2, area.top + (area.Height() - bm.bmHeight) / 2, bm.bmWidth,
            bm.bmHeight, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}

// Read once per snapshot, at the size it is drawn.
bool CMainDlg::LoadSnapshotPicture(CSize size) {
  if (snapshotPicture_.GetSafeHandle()) return true;
  const QImage picture(plat::ToQString(lastSnapshot_));
  return !picture.isNull() &&
         plat::CreateBitmapFromImage(
             snapshotPicture_, picture.scaled(size.cx, size.cy, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void CMainDlg::OnMouseMove(UINT, CPoint) {
  for (CSidePanel* panel : {static_cast<CSidePanel*>(&speedDlg_), static_cast<CSidePanel*>(&volumeDlg_)}) {
    if (panel->GetSafeHwnd() && panel->IsWindowVisible()) panel->Toggle(0);
  }
}

void CMainDlg::OnMouseLeave() {
  if (gsensorPanel_.GetSafeHwnd()) gsensorPanel_.SendMessage(WM_MOUSELEAVE);
}

// Restored from the task bar: the next channel-visibility pass runs without its first wait.
void CMainDlg::OnQueryOpen() { visibilityWaitFirst_ = false; }

LRESULT CMainDlg::OnEventLogLoaded(WPARAM read) {
  if (diskDlg_.TakeEventLog(read)) ShowEventLog();
  if (diskDlg_.GetSafeHwnd()) diskDlg_.UpdateBackupProgress();
  return 1;
}

void CMainDlg::OnUserActivity() {
  lastActivity_ = GetTickCount();
  RefreshCaptionPanel();
}

void CMainDlg::ToggleVersionInfo() { versionInfo_.Toggle(-1); }
