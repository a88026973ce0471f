#include "controls/Label.h"

#include <algorithm>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Shell.h"

namespace {

constexpr UINT_PTR kFlashTimer = 1;
constexpr UINT kFlashPeriodMs = 500;
constexpr int kGradientBands = 100;

// A horizontal gradient in bands of equal width (the last takes the rest), the colour stepping in
// 8.8 fixed point from the start colour to the end colour.
void FillGradient(CDC& dc, const CRect& rc, COLORREF start, COLORREF end, int bands) {
  bands = std::min(bands, rc.Width());
  const int divisor = std::max(bands, 1);
  int channel[3] = {GetRValue(start) * 256, GetGValue(start) * 256, GetBValue(start) * 256};
  const int step[3] = {(GetRValue(end) - GetRValue(start)) * 256 / divisor,
                       (GetGValue(end) - GetGValue(start)) * 256 / divisor,
                       (GetBValue(end) - GetBValue(start)) * 256 / divisor};
  const int width = rc.Width() / divisor;
  int left = rc.left;
  for (int i = 0; i < bands; ++i) {
    const int right = i == bands - 1 ? rc.right : left + width;
    dc.FillSolidRect(CRect(left, rc.top, right, rc.bottom), RGB(channel[0] / 256, channel[1] / 256, channel[2] / 256));
    for (int c = 0; c < 3; ++c) channel[c] += step[c];
    left = right;
  }
}

UINT TextFormat(DWORD style, const CString& text) {
  UINT format;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format = DT_LEFT; break;
    default: format = DT_LEFT | DT_WORDBREAK; break;
  }
  if (text.Find(L'\t') >= 0) format |= DT_EXPANDTABS;
  if (style & SS_CENTERIMAGE) {
    format = DT_CENTER;
    if (text.Find(L"\r\n") < 0) format |= DT_VCENTER | DT_SINGLELINE;
  }
  return format;
}

// Links open only web pages: a path or a program name in a label's text or target is never run.
bool IsWebLink(CString target) {
  target.Trim();
  const CString lower = CString(target).MakeLower();
  return lower.Find(L"http://") == 0 || lower.Find(L"https://") == 0;
}

}  // namespace

CLabel::CLabel() : textColor_(GetSysColor(COLOR_WINDOWTEXT)) {
  faceBrush_.CreateSolidBrush(GetSysColor(COLOR_3DFACE));
}

CLabel::~CLabel() {
  font_.DeleteObject();
  faceBrush_.DeleteObject();
  bkBrush_.DeleteObject();
}

void CLabel::PreSubclassWindow() {
  CStatic::PreSubclassWindow();
  const CFont* font = GetFont();
  if (font) {
    font->GetLogFont(&fontDesc_);
  } else {
    CFont system;
    system.CreateStockObject(SYSTEM_FONT);
    system.GetLogFont(&fontDesc_);
  }
  RebuildFont();
}

void CLabel::RebuildFont() {
  font_.DeleteObject();
  font_.CreateFontIndirect(&fontDesc_);
}

void CLabel::Redraw() {
  if (!m_hWnd) return;
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  CWnd* parent = GetParent();
  if (!parent) return;
  CRect rc;
  GetWindowRect(&rc);
  parent->ScreenToClient(&rc);
  parent->InvalidateRect(&rc, TRUE);
  parent->UpdateWindow();
}

CLabel& CLabel::SetBkColor(COLORREF color, COLORREF secondColor, BOOL gradient) {
  bkColor_ = color;
  secondColor_ = secondColor;
  gradient_ = gradient;
  bkBrush_.DeleteObject();
  if (!gradient) bkBrush_.CreateSolidBrush(color);
  Redraw();
  return *this;
}

CLabel& CLabel::SetTextColor(COLORREF color) {
  textColor_ = color;
  Redraw();
  return *this;
}

CLabel& CLabel::SetText(const CString& text) {
  if (m_hWnd) {
    SetWindowText(text);
    Redraw();
  }
  return *this;
}

CLabel& CLabel::SetFontBold(BOOL bold) {
  fontDesc_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetFontName(const CString& face, BYTE charSet) {
  fontDesc_.lfCharSet = charSet;
  std::fill(std::begin(fontDesc_.lfFaceName), std::end(fontDesc_.lfFaceName), L'\0');
  std::copy_n(face.GetString(), std::min(face.GetLength(), LF_FACESIZE - 1), fontDesc_.lfFaceName);
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetFontUnderline(BOOL underline) {
  fontDesc_.lfUnderline = underline ? 1 : 0;
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetFontItalic(BOOL italic) {
  fontDesc_.lfItalic = italic ? 1 : 0;
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetFontSize(int points) {
  CFont sized;
  sized.CreatePointFont(points * 10, plat::FaceNameOf(fontDesc_));
  LOGFONTW lf;
  sized.GetLogFont(&lf);
  fontDesc_.lfHeight = lf.lfHeight;
  fontDesc_.lfWidth = lf.lfWidth;
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetSunken(BOOL sunken) {
  ModifyStyleEx(sunken ? 0 : WS_EX_STATICEDGE, sunken ? WS_EX_STATICEDGE : 0, SWP_FRAMECHANGED);
  return *this;
}

CLabel& CLabel::SetBorder(BOOL border) {
  ModifyStyle(border ? 0 : WS_BORDER, border ? WS_BORDER : 0, SWP_FRAMECHANGED);
  return *this;
}

CLabel& CLabel::SetTransparent(BOOL transparent) {
  transparent_ = transparent;
  ModifyStyleEx(0, WS_EX_TRANSPARENT);
  Redraw();
  return *this;
}

void CLabel::StopFlashTimer() {
  if (!timerRunning_) return;
  KillTimer(kFlashTimer);
  timerRunning_ = FALSE;
}

void CLabel::StartFlash(FlashMode mode) {
  flashState_ = FALSE;
  timerRunning_ = TRUE;
  SetTimer(kFlashTimer, kFlashPeriodMs);
  flashMode_ = mode;
}

CLabel& CLabel::FlashText(BOOL flash) {
  StopFlashTimer();
  if (flash) {
    StartFlash(kFlashText);
  } else {
    flashMode_ = kNoFlash;
  }
  // Shown at once: hidden for the first half second, or back for good when stopped.
  Redraw();
  return *this;
}

CLabel& CLabel::FlashBackground(BOOL flash) {
  StopFlashTimer();
  if (flash) StartFlash(kFlashBackground);
  return *this;
}

void CLabel::SetLinkType(LinkType type, BOOL notify) {
  linkType_ = type;
  notify_ = notify;
  ModifyStyle(type != kNoLink ? 0 : SS_NOTIFY, type != kNoLink ? SS_NOTIFY : 0);
}

CLabel& CLabel::SetLink(BOOL link, BOOL notify) {
  SetLinkType(link ? kWebLink : kNoLink, notify);
  return *this;
}

CLabel& CLabel::SetMailLink(BOOL link, BOOL notify) {
  SetLinkType(link ? kMailLink : kNoLink, notify);
  return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor) {
  linkCursor_ = cursor;
  return *this;
}

CLabel& CLabel::SetLinkTarget(const CString& target) {
  linkTarget_ = target;
  return *this;
}

CLabel& CLabel::SetTextShadow(BOOL shadow, int direction) {
  shadow_ = shadow;
  shadowDirection_ = direction;
  Redraw();
  return *this;
}

CLabel& CLabel::SetShadowColor(COLORREF color) {
  shadowColor_ = color;
  Redraw();
  return *this;
}

CLabel& CLabel::SetRotationAngle(int degrees, BOOL rotated) {
  fontDesc_.lfEscapement = degrees * 10;
  fontDesc_.lfOrientation = degrees * 10;
  rotated_ = rotated;
  RebuildFont();
  Redraw();
  return *this;
}

CLabel& CLabel::SetFont(LOGFONTW font) {
  fontDesc_ = font;
  RebuildFont();
  Redraw();
  return *this;
}

void CLabel::PaintBackground(CDC& dc, const CRect& client) {
  if (gradient_) {
    FillGradient(dc, client, bkColor_, secondColor_, kGradientBands);
  } else {
    dc.FillRect(&client, bkBrush_.GetSafeHandle() ? &bkBrush_ : &faceBrush_);
  }
}

void CLabel::PaintText(CDC& dc, const CRect& client, const CString& text) {
  // A flashing text is off every other tick: nothing of the first print shows then, whatever
  // the background is, rotated or not.
  const bool textOff = flashMode_ == kFlashText && !flashState_;
  if (rotated_) {
    if (textOff) return;
    const UINT oldAlign = dc.SetTextAlign(TA_BASELINE);
    const CPoint oldOrigin = dc.SetViewportOrg(client.Width() / 2, client.Height() / 2);
    dc.TextOut(0, 0, text);
    dc.SetViewportOrg(oldOrigin);
    dc.SetTextAlign(oldAlign);
    return;
  }
  const UINT format = TextFormat(GetStyle(), text);
  CRect rc(client);
  if (!textOff) dc.DrawText(text, &rc, format);
  if (!shadow_) return;
  dc.SetTextColor(shadowColor_);
  rc.OffsetRect(shadowDirection_ == 0 ? -1 : 1, shadowDirection_ == 0 ? -1 : 1);
  dc.DrawText(text, &rc, format);
}

void CLabel::OnPaint() {
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  const CString text = GetWindowText();
  CDC memory;
  CBitmap bitmap;
  CDC* dc = &paint;
  if (!transparent_) {
    memory.CreateCompatibleDC(&paint);
    bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
    memory.SelectObject(&bitmap);
    dc = &memory;
  }
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  const COLORREF oldColor = dc->SetTextColor(textColor_);
  CFont* oldFont = dc->SelectObject(&font_);
  if (!transparent_) PaintBackground(*dc, client);
  PaintText(*dc, client, text);
  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
  dc->SetTextColor(oldColor);
  if (!transparent_) paint.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
}

void CLabel::OnClick() {
  if (notify_) {
    NMHDR nm;
    nm.hwndFrom = m_hWnd;
    nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nm.code = NM_LABEL_CLICK;
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    return;
  }
  if (linkType_ == kWebLink) {
    const CString target = linkTarget_.IsEmpty() ? GetWindowText() : linkTarget_;
    if (IsWebLink(target)) ShellExecute(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNORMAL);
  } else if (linkType_ == kMailLink) {
    // The shell takes everything after "mailto:" as the address, so the text cannot add headers.
    ShellExecute(nullptr, nullptr, CString(L"mailto:") + GetWindowText(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

LRESULT CLabel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_TIMER:
      flashState_ = !flashState_;
      Redraw();
      return Default();
    case WM_SETCURSOR:
      if (!linkCursor_) return Default();
      ::SetCursor(linkCursor_);
      return TRUE;
    case WM_SYSCOLORCHANGE:
      faceBrush_.DeleteObject();
      faceBrush_.CreateSolidBrush(GetSysColor(COLOR_3DFACE));
      Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      OnClick();
      return Default();
    default:
      return CStatic::WindowProc(msg, wParam, lParam);
  }
}
