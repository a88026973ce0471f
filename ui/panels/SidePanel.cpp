#include "ui/panels/SidePanel.h"

#include <algorithm>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/SysMetrics.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"

CSidePanel::CSidePanel(UINT templateId, CWnd* parent)
    : CVxSkinDialog(templateId, parent), main_(dynamic_cast<CMainDlg*>(parent)) {}

CSidePanel::~CSidePanel() {
  if (main_ != nullptr && transportObserver_ != nullptr) main_->Transport().RemoveObserver(transportObserver_);
}

void CSidePanel::ObserveTransport(ITransportObserver* observer) {
  if (main_ == nullptr) return;
  transportObserver_ = observer;
  main_->Transport().AddObserver(observer);
}

BOOL CSidePanel::OnInitDialog() {
  CVxSkinDialog::OnInitDialog();
  if (tooltip_.Create(this)) tooltip_.Activate(TRUE);
  showState_ = kHidden;
  return TRUE;
}

BOOL CSidePanel::PreTranslateMessage(MSG* msg) {
  if (tooltip_.GetSafeHwnd()) tooltip_.RelayEvent(msg);
  return CVxSkinDialog::PreTranslateMessage(msg);
}

LRESULT CSidePanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && (OnButton(LOWORD(wParam)) || OnLockButton(LOWORD(wParam)))) return 0;
      break;
    case WM_SIZE: {
      const LRESULT result = CVxSkinDialog::WindowProc(msg, wParam, lParam);
      ApplyRegion();
      return result;
    }
    default:
      break;
  }
  return CVxSkinDialog::WindowProc(msg, wParam, lParam);
}

void CSidePanel::TakeSkin(int bitmapId, CSize extra) {
  if (!SetSkin(static_cast<UINT>(bitmapId))) return;
  const CSize size = GetSkinSize() + extra;
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSidePanel::Toggle(int mode) {
  if (locked_) {
    showState_ = kShown;
    HideVideoPanelSliders();
  } else if (mode == -1) {
    showState_ = showState_ == kShown ? kHidden : kShown;
  } else {
    showState_ = mode == 0 ? kHidden : kShown;
  }
  if (m_hWnd && showState_ == kShown) KeepOverMainWindow();
  if (m_hWnd) ShowWindow(showState_ == kShown ? SW_SHOW : SW_HIDE);
}

void CSidePanel::ShowBelow(const CRect& anchor) {
  if (!m_hWnd) return;
  CRect r;
  GetWindowRect(&r);
  const int inset = hasRegion_ ? region_.inset : 0;
  SetWindowPos(nullptr, anchor.CenterPoint().x - r.Width() / 2, anchor.bottom - inset, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Toggle(kShown);
}

void CSidePanel::KeepOverMainWindow() {
  const CRect work = plat::WorkArea();
  CRect bounds = work;
  if (main_ != nullptr && main_->GetSafeHwnd()) {
    CRect window;
    main_->GetWindowRect(&window);
    if (!bounds.IntersectRect(window, work)) bounds = work;
  }
  CRect r;
  GetWindowRect(&r);
  const int x = std::max<int>(bounds.left, std::min<int>(r.left, bounds.right - r.Width()));
  const int y = std::max<int>(bounds.top, std::min<int>(r.top, bounds.bottom - r.Height()));
  if (x != r.left || y != r.top) SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSidePanel::HidePanel() {
  showState_ = kHidden;
  if (m_hWnd) ShowWindow(SW_HIDE);
}

bool CSidePanel::OnLockButton(int id) {
  if (id != kLockButton && id != kUnlockButton) return false;
  locked_ = id == kLockButton;
  ShowButton(kLockButton, !locked_);
  ShowButton(kUnlockButton, locked_);
  NoteActivity();
  return true;
}

void CSidePanel::HideVideoPanelSliders() {
  if (main_ == nullptr) return;
  VideoCtrlPanel& panel = main_->GetVideoCtrlPanel();
  for (CWnd* slider : {static_cast<CWnd*>(&panel.PositionSlider()), static_cast<CWnd*>(&panel.MarkBar())}) {
    if (slider->GetSafeHwnd()) slider->ShowWindow(SW_HIDE);
  }
}

void CSidePanel::PlaceButtons(std::span<const ui::PanelControl> controls, std::initializer_list<int> others) {
  for (const ui::PanelControl& c : controls) {
    if (std::find(others.begin(), others.end(), c.id) == others.end()) AddButton(c);
  }
}

void CSidePanel::AddButton(const ui::PanelControl& design) {
  auto [it, made] = buttons_.try_emplace(design.id);
  if (made && !AttachSkinned(it->second, design)) buttons_.erase(it);
}

bool CSidePanel::AttachSkinned(CVxSkinButton& control, const ui::PanelControl& design) {
  if (!control.SubclassDlgItem(static_cast<UINT>(design.id), this)) return false;
  Place(control, design.rect);
  // Five frames, the last a mask. A strip that is not shipped (the speed units) leaves the
  // control plain.
  if (design.skin != 0 && plat::HasBitmapResource(static_cast<UINT>(design.skin))) {
    control.SetSkin(static_cast<UINT>(design.skin), 0, FALSE, 0, TRUE);
  }
  if (design.tooltip != nullptr && *design.tooltip != L'\0') {
    tooltip_.AddTool(&control, LoadLanguageString(design.tooltip));
  }
  control.ShowWindow(design.hidden ? SW_HIDE : SW_SHOW);
  control.Invalidate();
  return true;
}

const ui::PanelControl* CSidePanel::FindDesign(std::span<const ui::PanelControl> controls, int id) {
  for (const ui::PanelControl& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

void CSidePanel::Place(CWnd& control, const ui::LayoutRect& rect) {
  control.MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), FALSE);
}

CVxSkinButton* CSidePanel::Button(int id) {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : &it->second;
}

void CSidePanel::ShowButton(int id, bool show) {
  if (CVxSkinButton* button = Button(id)) button->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CSidePanel::SetRegionShape(const RegionShape& shape) {
  region_ = shape;
  hasRegion_ = true;
  ApplyRegion();
}

void CSidePanel::ApplyRegion() {
  if (!hasRegion_ || !m_hWnd) return;
  CRect window;
  GetWindowRect(&window);
  CRgn region;
  if (region.CreateRoundRectRgn(region_.inset, region_.inset, window.Width() - region_.farInset,
                                window.Height() - region_.farInset, region_.ellipse, region_.ellipse)) {
    SetWindowRgn(&region, TRUE);
  }
}

COLORREF CSidePanel::PanelSkinColour(int x, int y) {
  CBitmap background;
  if (!background.LoadBitmap(static_cast<UINT>(ui::kVideoPanelBackground))) return GetSysColor(COLOR_3DFACE);
  CClientDC dc(this);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap* old = memory.SelectObject(&background);
  const COLORREF colour = memory.GetPixel(x, y);
  memory.SelectObject(old);
  return colour;
}

void CSidePanel::SetLayeredLook(COLORREF key, BYTE alpha, DWORD flags) {
  if (!m_hWnd) return;
  ModifyStyleEx(0, WS_EX_LAYERED);
  SetLayeredWindowAttributes(key, alpha, flags);
}

IIbpCtrl* CSidePanel::Engine() const { return main_ != nullptr ? main_->GetEngine() : nullptr; }

void CSidePanel::ClickMainButton(int id) const {
  SendToMain(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

LRESULT CSidePanel::SendToMain(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return main_ != nullptr && main_->GetSafeHwnd() ? main_->SendMessage(msg, wParam, lParam) : 0;
}

void CSidePanel::NoteActivity() const {
  if (main_ != nullptr) main_->OnUserActivity();
}

void CSidePanel::HandRangeToMain(CVxSkinSldButton2& markBar) const {
  if (main_ == nullptr) return;
  CVxSkinSldButton2& range = main_->GetTimeRangeSlider();
  const int start = markBar.GetPos(0);
  const int end = markBar.GetPos(1);
  const int active = markBar.GetActiveThumb();
  range.SetPos(0, start);
  range.SetPos(1, end);
  range.SetActiveThumb(active);
  markBar.SetActiveThumb(active);
}
