#include "controls/DigiStatic.h"

#include "controls/MemDC.h"
#include "platform/wnd/PaintDC.h"

namespace {

// Each channel three parts the segment's colour to one part the background's.
COLORREF Blend(COLORREF segment, COLORREF background) {
  const auto mix = [](int s, int b) { return static_cast<int>(0.75 * s + 0.25 * b); };
  return RGB(mix(GetRValue(segment), GetRValue(background)), mix(GetGValue(segment), GetGValue(background)),
             mix(GetBValue(segment), GetBValue(background)));
}

}  // namespace

CDigiStatic::CDigiStatic() = default;

void CDigiStatic::Redraw() {
  if (m_hWnd) Invalidate(TRUE);
}

void CDigiStatic::SetText(const CString& text) {
  if (text == text_) return;
  text_ = text;
  rebuild_ = true;
  Redraw();
}

void CDigiStatic::SetColor(COLORREF offColor, COLORREF onColor) {
  if (offColor == offColor_ && onColor == onColor_) return;
  offColor_ = offColor;
  onColor_ = onColor;
  Redraw();
}

BOOL CDigiStatic::ModifyDigiStyle(DWORD remove, DWORD add) {
  if (remove & add) return FALSE;
  style_ |= add;
  style_ &= ~remove;
  rebuild_ = true;
  Redraw();
  return TRUE;
}

void CDigiStatic::SetTransparent(BOOL transparent) {
  transparent_ = transparent;
  ModifyStyleEx(transparent ? 0 : WS_EX_TRANSPARENT, transparent ? WS_EX_TRANSPARENT : 0);
}

void CDigiStatic::RebuildCharacters() {
  chars_.clear();
  CString text = text_ == L"?" ? GetWindowText() : text_;
  text.MakeUpper();
  for (int i = 0; i < text.GetLength(); ++i) {
    if (auto ch = MakeDigiChar(text[i], style_)) chars_.push_back(*ch);
  }
  rebuild_ = false;
}

void CDigiStatic::OnPaint() {
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  paint.SetBkColor(background_);
  CMemDC dc(&paint, &client, transparent_ != FALSE);
  const bool blend = (style_ & kDigiBlendOutline) != 0;
  CBrush offBrush(offColor_);
  CBrush onBrush(onColor_);
  CPen offPen(PS_SOLID, 1, blend ? Blend(offColor_, background_) : offColor_);
  CPen onPen(PS_SOLID, 1, blend ? Blend(onColor_, background_) : onColor_);
  if (rebuild_) RebuildCharacters();

  int totalWidth = 0;
  for (const CDigiChar& ch : chars_) totalWidth += ch.GetWidth();
  if (totalWidth == 0 || client.IsRectEmpty()) return;
  double scaleX = static_cast<double>(client.Width()) / totalWidth;
  double scaleY = static_cast<double>(client.Height()) / kDigiDesignHeight;
  double x = 0;
  double y = 0;
  if (style_ & kDigiKeepRatio) {
    scaleX = scaleY = std::min(scaleX, scaleY);
    x = (client.Width() - totalWidth * scaleX) / 2;
    y = (client.Height() - kDigiDesignHeight * scaleY) / 2;
  }

  CPen* oldPen = dc.GetCurrentPen();
  CBrush* oldBrush = dc.GetCurrentBrush();
  for (const CDigiChar& ch : chars_) {
    const DigiRect rc{x, y, x + ch.GetWidth() * scaleX, y + kDigiDesignHeight * scaleY};
    ch.Draw(dc, rc, &offPen, &onPen, &offBrush, &onBrush);
    x += ch.GetWidth() * scaleX;
  }
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

LRESULT CDigiStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return FALSE;
    default:
      return CStatic::WindowProc(msg, wParam, lParam);
  }
}
