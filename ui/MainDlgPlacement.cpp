// Where the main window's views, pop-up panels and card dialog lie, and which of its controls lie
// above the picture: whatever is shown leaves the transport buttons, the snapshot area and the
// position slider free, stays on the screen, and never traps the user in a view.
#include <algorithm>

#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// Kept while the full-video view hides the rest, so that the view can be left and the window
// closed or minimised.
constexpr int kFullVideoControls[] = {mainid::kFullVideo, mainid::kFullVideoSwap, mainid::kMinimize, mainid::kClose};

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
