// CEdit: a single-line edit control (a Qt line edit). Typing arrives as WM_CHAR, editing and
// caret keys as WM_KEYDOWN, so that a subclass sees and may keep every key; what it passes on
// edits the text. WM_PASTE takes text from the clipboard service.
#pragma once

#include "platform/wnd/Wnd.h"

class CEdit : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Selects from start to end (end -1: to the end; start -1: no selection, caret kept); positions
  // beyond the text go to its end.
  void SetSel(int start, int end, BOOL noScroll = FALSE);
  // Start in the low and end in the high 16 bits (-1 = 0xFFFF each puts the caret at the end).
  void SetSel(DWORD selection, BOOL noScroll = FALSE);
  void GetSel(int& start, int& end) const;
  DWORD GetSel() const;
  void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE);
  void SetLimitText(UINT maxChars);
  BOOL SetReadOnly(BOOL readOnly = TRUE);
  void Copy();
  void Cut();
  void Paste();
  void Clear();
};
