// CLabel: the static text of the dialogs, with its own text and background colours, a horizontal
// gradient background, a font changed piece by piece, a shadowed second print, rotated text,
// flashing text on a 500 ms timer, and link behaviour (open a web or mail link on a click, or tell
// the parent). Every setter returns the label so that calls can be chained.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Static.h"

// WM_NOTIFY code of a click on a label that notifies its parent.
constexpr UINT NM_LABEL_CLICK = 0x8200;

class CLabel : public CStatic {
 public:
  CLabel();
  ~CLabel() override;

  // A gradient runs from the colour (left) to the second colour (right); without one the label is
  // filled with the colour.
  virtual CLabel& SetBkColor(COLORREF color, COLORREF secondColor = 0, BOOL gradient = FALSE);
  virtual CLabel& SetTextColor(COLORREF color);
  virtual CLabel& SetText(const CString& text);
  virtual CLabel& SetFontBold(BOOL bold);
  virtual CLabel& SetFontName(const CString& face, BYTE charSet = DEFAULT_CHARSET);
  virtual CLabel& SetFontUnderline(BOOL underline);
  virtual CLabel& SetFontItalic(BOOL italic);
  virtual CLabel& SetFontSize(int points);
  virtual CLabel& SetSunken(BOOL sunken);
  virtual CLabel& SetBorder(BOOL border);
  virtual CLabel& SetTransparent(BOOL transparent);
  virtual CLabel& FlashText(BOOL flash);
  virtual CLabel& FlashBackground(BOOL flash);
  // A link opens its target (the window text when the target is empty); with notify the parent is
  // told instead.
  virtual CLabel& SetLink(BOOL link, BOOL notify);
  virtual CLabel& SetLinkCursor(HCURSOR cursor);
  // Direction 0 prints the shadow 1 pixel up and left of the text, any other 1 pixel down and right.
  virtual CLabel& SetTextShadow(BOOL shadow, int direction);
  virtual CLabel& SetRotationAngle(int degrees, BOOL rotated);
  virtual CLabel& SetShadowColor(COLORREF color);
  virtual CLabel& SetFont(LOGFONTW font);
  // A mail link writes to the address in the window text, whatever the link target says.
  virtual CLabel& SetMailLink(BOOL link, BOOL notify);
  virtual CLabel& SetLinkTarget(const CString& target);
  using CStatic::SetFont;

  // The description of the font the label draws with.
  const LOGFONTW& GetFontDescription() const { return fontDesc_; }

  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  enum LinkType { kNoLink = 0, kWebLink = 1, kMailLink = 2 };
  enum FlashMode { kNoFlash = 0, kFlashText = 1, kFlashBackground = 2 };

  void RebuildFont();
  void Redraw();
  void StartFlash(FlashMode mode);
  void StopFlashTimer();
  void SetLinkType(LinkType type, BOOL notify);
  void OnPaint();
  void PaintBackground(CDC& dc, const CRect& client);
  void PaintText(CDC& dc, const CRect& client, const CString& text);
  void OnClick();

  COLORREF textColor_;
  COLORREF shadowColor_ = 0xFFFFFF;
  CBrush faceBrush_;
  CBrush bkBrush_;
  LOGFONTW fontDesc_;
  CFont font_;
  BOOL flashState_ = FALSE;
  BOOL timerRunning_ = FALSE;
  LinkType linkType_ = kNoLink;
  BOOL transparent_ = FALSE;
  BOOL shadow_ = FALSE;
  BOOL notify_ = FALSE;
  BOOL rotated_ = FALSE;
  FlashMode flashMode_ = kNoFlash;
  HCURSOR linkCursor_ = nullptr;
  int shadowDirection_ = 0;
  BOOL gradient_ = FALSE;
  COLORREF secondColor_ = 0;
  COLORREF bkColor_ = 0;
  CString linkTarget_;
};
