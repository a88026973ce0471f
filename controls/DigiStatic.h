// CDigiStatic: a static control that shows its text as lit and unlit segments of 7-segment,
// 14-segment and colon/dot characters, scaled to its client area; the speed and time read-outs.
// Characters it cannot show are left out; the text "?" shows the window's own text.
#pragma once

#include <vector>

#include "controls/DigiChar.h"
#include "platform/wnd/Static.h"

class CDigiStatic : public CStatic {
 public:
  CDigiStatic();

  void SetText(const CString& text);
  // Repaints only when a colour changes.
  void SetColor(COLORREF offColor, COLORREF onColor);
  // FALSE, changing nothing, when the two sets share a bit.
  BOOL ModifyDigiStyle(DWORD remove, DWORD add);
  // The segments over what the parent shows beneath the control. Each paint starts again from
  // those pixels and the control keeps its whole rectangle (no window region), so the segments
  // of an earlier text never stay lit.
  void SetTransparent(BOOL transparent);

  DWORD GetDigiStyle() const { return style_; }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Redraw();
  void RebuildCharacters();
  void OnPaint();

  CString text_ = L"?";
  bool rebuild_ = true;
  std::vector<CDigiChar> chars_;
  COLORREF offColor_ = 0x3400;
  COLORREF onColor_ = 0xFF00;
  COLORREF background_ = 0;
  DWORD style_ = kDigiKeepRatio | kDigiBlendOutline;
  BOOL transparent_ = FALSE;
};
