// CTitleTip: a borderless pop-up that shows the whole text of a cell whose text is cut off, over
// the cell, while the mouse stays over the cell. It holds the mouse while shown and hands every
// click and key on to the window underneath, so that it never stands in the user's way.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Wnd.h"

class CTitleTip : public CWnd {
 public:
  // Registers the window class "ZTitleTip" when there is none yet.
  CTitleTip();

  static constexpr const wchar_t* kWindowClass = L"ZTitleTip";

  // The window the tip belongs to (the grid), whose client coordinates Show takes.
  void SetParentWnd(CWnd* parent) { m_pParentWnd = parent; }
  CWnd* GetParentWnd() const { return m_pParentWnd; }
  // Makes the tip's window (a top-level pop-up on top of every other window); TRUE at once when
  // it exists.
  BOOL Create(CWnd* parent);
  // Shows " text " (a space on each side) at the title rectangle's place, moved right by the x
  // offset, when it is wider than the rectangle; nothing when the rectangle is empty, the tip is
  // shown already or no window of the program has the focus. The tip stays while the mouse is
  // inside the hover rectangle (the title rectangle when none is given), both rectangles in the
  // parent's client coordinates with inclusive right and bottom edges. The font and the colours
  // default (null, CLR_DEFAULT) to the parent's font and the tip class's colours.
  void Show(CRect rectTitle, LPCTSTR text, int xoffset = 0, LPCRECT lpHoverRect = nullptr,
            const LOGFONT* lpLogFont = nullptr, COLORREF crTextClr = CLR_DEFAULT, COLORREF crBackClr = CLR_DEFAULT);
  void Hide();

  BOOL DestroyWindow() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnMouseMove(WPARAM keys, CPoint point);
  void OnPaint();
  // A button press on the tip goes to the window under it; false when there is none.
  bool ForwardButton(const MSG& msg, bool doubleClick);
  // The window under a screen point, the parent standing in for the tip itself.
  CWnd* WindowUnder(CPoint screen);
  CFont* TextFont();

  CWnd* m_pParentWnd = nullptr;
  CRect m_rectHover;  // the tip's client coordinates, exclusive edges
  DWORD m_dwLastLButtonDown = 0;
  bool m_bPressedBefore = false;
  DWORD m_dwDblClickMsecs;
  BOOL m_bCreated = FALSE;

  // What the tip shows.
  CString m_strText;
  CFont m_Font;
  bool m_bOwnFont = false;
  COLORREF m_crText = CLR_DEFAULT;
  COLORREF m_crBack = CLR_DEFAULT;
};
