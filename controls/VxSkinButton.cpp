#include "controls/VxSkinButton.h"

#include <algorithm>
#include <vector>

#include "controls/Messages.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "settings/AppConfig.h"

namespace {

CVxSkinButton::ButtonType TypeOfStyle(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
      return CVxSkinButton::kToggleButton;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return CVxSkinButton::kRadioButton;
    default:
      return CVxSkinButton::kPushButton;
  }
}

POINT ScreenPoint(const CWnd& wnd, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  wnd.ClientToScreen(&p);
  return p;
}

}  // namespace

CVxSkinButton::CVxSkinButton() : textColor_(GetSysColor(COLOR_BTNTEXT)) {}

CVxSkinButton::~CVxSkinButton() = default;

BOOL CVxSkinButton::SetSkin(UINT bitmapId, int stretchStyle, BOOL border, int focusInset, BOOL maskFrame) {
  stretchStyle_ = std::clamp(stretchStyle, 0, 2);
  border_ = border != FALSE;
  focusInset_ = std::max(focusInset, 0);
  maskFrame_ = maskFrame != FALSE;
  skinId_ = bitmapId;
  if (!LoadSkinForSize()) return FALSE;
  // The transparent parts show what the parent drew beneath the button.
  if (maskFrame_ && m_hWnd) ModifyStyleEx(0, WS_EX_TRANSPARENT);
  return TRUE;
}

// The strip made for the button's present size, or the plain one when there is none for it.
bool CVxSkinButton::LoadSkinForSize() {
  CRect client;
  if (m_hWnd) GetClientRect(&client);
  skin_.DeleteObject();
  frame_ = CSize();
  if (!skin_.LoadBitmap(skinId_, client.Width(), client.Height())) return false;
  BITMAP bm{};
  skin_.GetBitmap(&bm);
  frame_ = CSize(bm.bmWidth / (maskFrame_ ? 5 : 4), bm.bmHeight);
  return true;
}

BOOL CVxSkinButton::SetTooltipText(LPCWSTR englishText) {
  if (!m_hWnd) return FALSE;
  plat::SetOwnTip(*this, LoadLanguageString(englishText));
  return TRUE;
}

void CVxSkinButton::PreSubclassWindow() {
  const DWORD style = GetStyle() & 0xFFFF;
  type_ = TypeOfStyle(style);
  CButton::PreSubclassWindow();
  ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
  if (maskFrame_ && HasSkin()) ModifyStyleEx(0, WS_EX_TRANSPARENT);
}

LRESULT CVxSkinButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_SIZE:
      if (HasSkin() && CSize(LOWORD(lParam), HIWORD(lParam)) != frame_) LoadSkinForSize();
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      break;
    case WM_MOUSELEAVE:
      hover_ = false;
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
      return OnLButtonDown(wParam, lParam);
    case WM_LBUTTONUP:
      return OnLButtonUp(wParam, lParam);
    case WM_KEYDOWN:
      OnKeyDown(wParam, lParam);
      break;
    case WM_KILLFOCUS:
      if (GetCapture() == this) {
        ReleaseCapture();
        pressed_ = false;
      }
      break;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      break;
    case BM_GETCHECK:
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      return OnSetCheck(wParam);
    case WM_SKINBUTTON_UNCHECK:
      if (checked_) {
        checked_ = false;
        Invalidate();
      }
      return 0;
    default:
      break;
  }
  return CButton::WindowProc(msg, wParam, lParam);
}

LRESULT CVxSkinButton::OnSetCheck(WPARAM state) {
  checked_ = state != 0 && type_ != kPushButton;
  if (checked_ && type_ == kRadioButton) UncheckGroup();
  Invalidate();
  return 0;
}

// Each control of the group is met at most once, even when the walk skips this button (hidden or
// disabled) and never comes back to it; only skinned buttons hear the private message.
void CVxSkinButton::UncheckGroup() {
  CWnd* parent = GetParent();
  if (!parent) return;
  std::vector<HWND> met{m_hWnd};
  for (CWnd* item = parent->GetNextDlgGroupItem(this); item; item = parent->GetNextDlgGroupItem(item)) {
    if (std::find(met.begin(), met.end(), item->m_hWnd) != met.end()) break;
    met.push_back(item->m_hWnd);
    if (dynamic_cast<CVxSkinButton*>(item)) item->PostMessage(WM_SKINBUTTON_UNCHECK);
  }
}

bool CVxSkinButton::IsUnder(POINT screen) const {
  const CWnd* under = WindowFromPoint(screen);
  return under && under->m_hWnd == m_hWnd;
}

bool CVxSkinButton::SyncPushedWithPointer(POINT screen) {
  const bool over = IsUnder(screen);
  const bool pushed = (GetState() & BST_PUSHED) != 0;
  if (over == pushed) return false;
  SetState(over ? TRUE : FALSE);
  return true;
}

void CVxSkinButton::OnMouseMove(LPARAM lParam) {
  if (pressed_ && GetCapture() == this) {
    SyncPushedWithPointer(ScreenPoint(*this, lParam));
    return;
  }
  if (hover_) return;
  TRACKMOUSEEVENT track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = m_hWnd;
  if (TrackMouseEvent(&track)) {
    hover_ = true;
    Invalidate();
  }
}

// The platform button takes the capture and the focus and shows itself pushed.
LRESULT CVxSkinButton::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  if (hover_) {
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_CANCEL | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    if (TrackMouseEvent(&track)) hover_ = false;
  }
  const LRESULT result = CButton::WindowProc(WM_LBUTTONDOWN, wParam, lParam);
  pressed_ = true;
  return result;
}

// A toggle or radio button changes its check before the parent hears BN_CLICKED, and only for a
// release over it that ends a press that began on it.
LRESULT CVxSkinButton::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  if (pressed_ && IsUnder(ScreenPoint(*this, lParam))) ToggleByUser();
  pressed_ = false;
  return CButton::WindowProc(WM_LBUTTONUP, wParam, lParam);
}

void CVxSkinButton::OnKeyDown(WPARAM key, LPARAM flags) {
  const bool repeat = (flags & (1 << 30)) != 0;
  if (key == VK_SPACE && !repeat) ToggleByUser();
}

void CVxSkinButton::ToggleByUser() {
  if (type_ == kToggleButton) SendMessage(BM_SETCHECK, checked_ ? BST_UNCHECKED : BST_CHECKED);
  if (type_ == kRadioButton) SendMessage(BM_SETCHECK, BST_CHECKED);
}

void CVxSkinButton::DrawItem(LPDRAWITEMSTRUCT item) { DrawSkin(item); }

// While the button holds the capture, the pushed look follows the pointer even when the pointer
// left without a mouse message reaching the button.
bool CVxSkinButton::CorrectPushedState() {
  POINT cursor;
  if (!pressed_ || GetCapture() != this || !GetCursorPos(&cursor)) return false;
  return SyncPushedWithPointer(cursor);
}

bool CVxSkinButton::DrawSkin(LPDRAWITEMSTRUCT item) {
  if (CorrectPushedState()) return false;
  CDC* dc = CDC::FromHandle(item->hDC);
  const CString text = GetWindowText();
  CRect itemRect(item->rcItem);
  const int pad = focusInset_ + 2;
  CRect textRect(itemRect.left + pad, itemRect.top, itemRect.right - pad, itemRect.bottom);
  dc->SetBkMode(TRANSPARENT);
  if (item->itemState & ODS_DISABLED) {
    DrawFrame(*dc, kDisabledFrame, itemRect);
    if (border_) dc->DrawEdge(&itemRect, EDGE_RAISED, BF_RECT);
    DrawEngravedText(*dc, text, textRect);
    return true;
  }
  const bool down = (item->itemState & ODS_SELECTED) || checked_;
  DrawFrame(*dc, down ? kPressedFrame : (hover_ ? kHoverFrame : kNormalFrame), itemRect);
  if (down) textRect.OffsetRect(2, 1);
  if (border_) dc->DrawEdge(&itemRect, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if ((item->itemState & ODS_FOCUS) && focusInset_ > 0) {
    CRect focus = itemRect;
    focus.DeflateRect(focusInset_, focusInset_);
    dc->DrawFocusRect(&focus);
  }
  dc->SetTextColor(textColor_);
  dc->DrawText(text, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  return true;
}

void CVxSkinButton::DrawEngravedText(CDC& dc, const CString& text, const CRect& textRect) const {
  CRect r = textRect;
  dc.SetTextColor(GetSysColor(COLOR_3DHILIGHT));
  dc.DrawText(text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  r.OffsetRect(-1, -1);
  dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
  dc.DrawText(text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CVxSkinButton::CopyFrame(CDC& dest, int x, int y, CDC& skin, int index, DWORD rop) const {
  const int sx = index * frame_.cx;
  if (stretchStyle_ == 0) {
    dest.BitBlt(x, y, frame_.cx, frame_.cy, &skin, sx, 0, rop);
  } else {
    dest.StretchBlt(x, y, frame_.cx, frame_.cy, &skin, sx, 0, frame_.cx, frame_.cy, rop);
  }
}

// The frame at its own size at the item's top-left. With the mask, the image is laid over what
// is already there: background ^ image, & mask, ^ image leaves the background where the mask is
// white and the image where it is black.
void CVxSkinButton::DrawFrame(CDC& dc, int index, const CRect& item) {
  if (!HasSkin()) {
    DrawPlainFrame(dc, index, item);
    return;
  }
  CDC skinDc;
  skinDc.CreateCompatibleDC(&dc);
  CBitmap* oldSkin = skinDc.SelectObject(&skin_);
  if (!maskFrame_) {
    CopyFrame(dc, item.left, item.top, skinDc, index, SRCCOPY);
  } else {
    CDC composeDc;
    composeDc.CreateCompatibleDC(&dc);
    CBitmap composed;
    composed.CreateCompatibleBitmap(&dc, frame_.cx, frame_.cy);
    CBitmap* oldComposed = composeDc.SelectObject(&composed);
    composeDc.BitBlt(0, 0, frame_.cx, frame_.cy, &dc, item.left, item.top, SRCCOPY);
    CopyFrame(composeDc, 0, 0, skinDc, index, SRCINVERT);
    CopyFrame(composeDc, 0, 0, skinDc, kMaskFrame, SRCAND);
    CopyFrame(composeDc, 0, 0, skinDc, index, SRCINVERT);
    dc.BitBlt(item.left, item.top, frame_.cx, frame_.cy, &composeDc, 0, 0, SRCCOPY);
    composeDc.SelectObject(oldComposed);
  }
  skinDc.SelectObject(oldSkin);
}

// Without a skin: the button face with a raised edge, sunken while pressed or checked.
void CVxSkinButton::DrawPlainFrame(CDC& dc, int index, const CRect& item) const {
  CRect r = item;
  dc.FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
  dc.DrawEdge(&r, index == kPressedFrame ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}
