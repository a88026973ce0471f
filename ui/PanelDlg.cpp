#include "ui/PanelDlg.h"

#include "engine/IIbpCtrl.h"
#include "platform/wnd/Icon.h"
#include "platform/wnd/SysMetrics.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"

namespace {

constexpr DWORD kFloatingFrame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
// The pause sign: two white bars on a black square, a little in from the picture's corner.
constexpr int kMarkSize = 36;
constexpr int kMarkInset = 12;
constexpr int kBarWidth = 8;
constexpr int kBarGap = 8;
constexpr int kBarInset = 8;

}  // namespace

CPanelDlg::CPanelDlg() : CDialog(kTemplate, nullptr) {}

CString CPanelDlg::CaptionOf(int channel, int width, int height) {
  CString caption;
  caption.Format(LoadLanguageFormat(L"Channel-%.2d %dx%d"), channel + 1, width, height);
  return caption;
}

void CPanelDlg::SetPictureSize(CSize picture) {
  SetWindowText(CaptionOf(channel_, picture.cx, picture.cy));
  if (picture.cx > 0 && picture.cy > 0) lastPicture_ = picture;
}

void CPanelDlg::SetEmbeddedRect(const CRect& rect) {
  embeddedRect_ = rect;
  if (m_hWnd && mode_ == kEmbedded) MoveWindow(&embeddedRect_, TRUE);
}

void CPanelDlg::ShowPausedMark(bool show) {
  if (!m_hWnd) return;
  if (!pausedMark_.GetSafeHwnd()) {
    if (!show) return;
    pausedPicture_.CreateBitmap(kMarkSize, kMarkSize, 1, 32, nullptr);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&pausedPicture_);
    const int left = (kMarkSize - 2 * kBarWidth - kBarGap) / 2;
    for (int bar = 0; bar < 2; ++bar) {
      dc.FillSolidRect(left + bar * (kBarWidth + kBarGap), kBarInset, kBarWidth, kMarkSize - 2 * kBarInset, 0xFFFFFF);
    }
    dc.SelectObject(old);
    const CRect at(kMarkInset, kMarkInset, kMarkInset + kMarkSize, kMarkInset + kMarkSize);
    if (!pausedMark_.Create(L"", WS_CHILD | SS_BITMAP, at, this)) return;
    pausedMark_.SetBitmap(pausedPicture_);
  }
  pausedMark_.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

BOOL CPanelDlg::CreateEmbedded() { return Create(kTemplate, main_); }

BOOL CPanelDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const HICON icon = LoadIcon(nullptr, kProgramIcon);
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  Embed();
  return TRUE;
}

void CPanelDlg::Embed() {
  mode_ = kEmbedded;
  ModifyStyle(WS_POPUP | kFloatingFrame, WS_CHILD);
  if (main_ != nullptr) SetParent(main_);
  MoveWindow(&embeddedRect_, TRUE);
}

void CPanelDlg::OnCancel() { Embed(); }

void CPanelDlg::SwitchMode() {
  switch (mode_) {
    case kEmbedded:
      Float();
      break;
    case kFloating:
      CoverScreen();
      break;
    default:
      Embed();
      break;
  }
}

// A captioned window with the picture's size as its client area, centred over the main window
// and kept above it.
// While the engine tells no size (it may not for a moment, as the window changes parents, or once
// it has closed) the last picture's size stands; before any picture, the size it had embedded.
// The window is hidden while it changes parent and size and shown once placed: a window manager
// may keep the size a window had when it was first mapped and drop a resize that comes right after.
void CPanelDlg::Float() {
  mode_ = kFloating;
  const bool shown = IsWindowVisible();
  ShowWindow(SW_HIDE);
  ModifyStyle(WS_CHILD, WS_POPUP | kFloatingFrame);
  const CSize known = PictureSize();
  if (known.cx > 0 && known.cy > 0) lastPicture_ = known;
  const CSize picture = lastPicture_.cx > 0 && lastPicture_.cy > 0 ? lastPicture_ : embeddedRect_.Size();
  SetWindowText(CaptionOf(channel_, picture.cx, picture.cy));
  // Owned by the main window, as a popup: a window manager keeps it above the main window, so
  // that a click on the main window does not send the picture behind it.
  SetParent(main_);
  const CSize frame = FrameSize();
  SetWindowPos(nullptr, 0, 0, picture.cx + frame.cx, picture.cy + frame.cy, SWP_NOZORDER | SWP_FRAMECHANGED);
  CenterWindow(main_);
  if (shown) ShowWindow(SW_SHOW);
  // The keys go to the window the user just brought out, so that Escape puts it back.
  SetFocus();
}

void CPanelDlg::CoverScreen() {
  mode_ = kFullScreen;
  ModifyStyle(kFloatingFrame, 0);
  SetWindowPos(nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_NOZORDER | SWP_FRAMECHANGED);
}

IIbpCtrl* CPanelDlg::Engine() const { return main_ != nullptr ? main_->GetEngine() : nullptr; }

// The channel's picture size; 0 x 0 before the engine knows one.
CSize CPanelDlg::PictureSize() const {
  const IIbpCtrl* engine = Engine();
  if (engine == nullptr || channel_ < 0) return CSize(0, 0);
  return CSize(engine->GetVideoWidth(channel_), engine->GetVideoHeight(channel_));
}

// What the frame adds to the client area, across and down.
CSize CPanelDlg::FrameSize() const {
  CRect window;
  CRect client;
  GetWindowRect(&window);
  GetClientRect(&client);
  return window.Size() - client.Size();
}

// Floating, the press moves this window; embedded, it moves the main window.
void CPanelDlg::OnLButtonDown() {
  if (mode_ == kFloating) {
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, 0);
  } else if (mode_ == kEmbedded && main_ != nullptr) {
    main_->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }
}

// The height follows the proposed width in the picture's proportion.
void CPanelDlg::KeepRatio(RECT& proposed) const {
  if (mode_ != kFloating || g_appConfig.ReadConfigInt(L"KeepRatio", 1) == 0) return;
  const CSize picture = PictureSize();
  if (picture.cx <= 0 || picture.cy <= 0) return;
  const CSize frame = FrameSize();
  const long width = proposed.right - proposed.left - frame.cx;
  proposed.bottom = proposed.top + static_cast<long>(static_cast<long long>(width) * picture.cy / picture.cx) + frame.cy;
}

LRESULT CPanelDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      SwitchMode();
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown();
      break;
    case WM_SIZING:
      KeepRatio(*reinterpret_cast<RECT*>(lParam));
      break;
    case WM_ERASEBKGND:
      // The engine's last picture is the window's background.
      if (IIbpCtrl* engine = Engine()) engine->RedrawVideo();
      return TRUE;
    default:
      break;
  }
  return CDialog::WindowProc(msg, wParam, lParam);
}
