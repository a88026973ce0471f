// Where the main window's views, pop-up panels and card dialog lie, and which of its controls lie
// above the picture: whatever is shown leaves the transport buttons, the snapshot area and the
// position slider free, stays on the screen, and never traps the user in a view.
#include <algorithm>

#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// Kept while the full-video view hides the rest, so that the view can be left, the window closed
// or minimised, and the recording driven.
constexpr int kFullVideoControls[] = {
    mainid::kFullVideo,  mainid::kFullVideoSwap, mainid::kMinimize,      mainid::kClose,
    mainid::kPrevFile,   mainid::kPrevFrame,     mainid::kBackward,      mainid::kPause,
    mainid::kStop,       mainid::kPlay,          mainid::kNextFrame,     mainid::kNextFile,
    mainid::kRestartRecord, mainid::kBackupSelected};

// The full-video view's small picture: 390 x 213 (the 1280 x 800 shape) at the largest mode's top
// right, 30 pixels in; the smaller modes scale it with the window's width.
constexpr int kSmallViewMargin = 30;
constexpr int kSmallViewWidth = 390;
constexpr int kSmallViewHeight = 213;
constexpr int kLargestWidth = 1920;
// The pictures of the view stand this far clear of the caption buttons and the transport row.
constexpr int kFullVideoGap = 6;
// The side panels stand this far inside the video area's corners.
constexpr int kSidePanelInset = 8;

}  // namespace

bool CMainDlg::IsFullVideoControl(int id) {
  return std::find(std::begin(kFullVideoControls), std::end(kFullVideoControls), id) != std::end(kFullVideoControls);
}

// The full-video buttons, Close and Minimise lie above the picture, which takes their place.
void CMainDlg::RaiseFullVideoControls() {
  for (int id : kFullVideoControls) {
    if (CWnd* control = GetDlgItem(id)) {
      control->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

// The map page docks inside the video area: a rectangle that reaches out of it is moved in, and
// cut where it is larger.
void CMainDlg::DockMapPage(const CRect& rect) {
  if (!mapDlg_.GetSafeHwnd()) return;
  const CRect video = videoRect_[static_cast<size_t>(uiMode_)];
  CRect r = rect;
  r.OffsetRect(std::min<int>(0, video.right - r.right), std::min<int>(0, video.bottom - r.bottom));
  r.OffsetRect(std::max<int>(0, video.left - r.left), std::max<int>(0, video.top - r.top));
  mapDlg_.SetDockedRect(r & video);
}

// The speed and volume panels open below their buttons.
void CMainDlg::ShowPanelBelowButton(CSidePanel& panel, int buttonId) {
  CWnd* button = GetDlgItem(buttonId);
  if (button == nullptr) {
    panel.Toggle(CSidePanel::kShown);
    return;
  }
  CRect anchor;
  button->GetWindowRect(&anchor);
  panel.ShowBelow(anchor);
}

// The card dialog lies over the picture, clear of the tool bar above and the transport buttons
// below.
CRect CMainDlg::GetCardDialogArea() const {
  CRect area = videoRect_[static_cast<size_t>(uiMode_)];
  ClientToScreen(&area);
  return area;
}

// The full-video view's two places: the whole window between the caption buttons and the transport
// row (clear of the view buttons at the left edge, as far in from the right), and the small
// picture at the top right below the caption buttons. Neither lies under a control kept shown, so
// the on-screen text and the controls stay whole.
CRect CMainDlg::FullVideoRect(bool large) const {
  CRect client;
  GetClientRect(&client);
  const size_t mode = static_cast<size_t>(uiMode_);
  const int top = ui::FindMainControl(mainid::kClose)->rect[mode].bottom + kFullVideoGap;
  if (large) {
    const int side = videoRect_[mode].left;
    const int bottom = ui::FindMainControl(mainid::kPause)->rect[mode].top - kFullVideoGap;
    return CRect(client.left + side, top, client.right - side, bottom);
  }
  const auto scaled = [&](int length) { return length * client.Width() / kLargestWidth; };
  const int right = client.right - scaled(kSmallViewMargin);
  return CRect(right - scaled(kSmallViewWidth), top, right, top + scaled(kSmallViewHeight));
}

// The side panels first appear in corners of their own over the video area right of the record
// list's column, clear of the list, of the view buttons at the top right (below which the speed
// and volume panels open) and of each other: the calendar at the top left, the G-sensor panel at
// the bottom left, the compass at the bottom right, standing on the transport row. In the smallest
// mode no two of them fit there apart, and they take turns.
void CMainDlg::PlaceSidePanels() {
  const size_t mode = static_cast<size_t>(uiMode_);
  const CRect video = BesideListRect();
  const int transportTop = ui::FindMainControl(mainid::kPause)->rect[mode].top;
  const auto place = [&](CWnd& panel, bool right, int bottom) {
    if (!panel.GetSafeHwnd()) return;
    CRect r;
    panel.GetWindowRect(&r);
    CPoint at(right ? video.right - kSidePanelInset - r.Width() : video.left + kSidePanelInset,
              bottom < 0 ? video.top + kSidePanelInset : bottom - r.Height());
    ClientToScreen(&at);
    panel.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(calendarPanel_, false, -1);
  place(gsensorPanel_, false, video.bottom - kSidePanelInset);
  place(compassPanel_, true, transportTop - kFullVideoGap);
}

