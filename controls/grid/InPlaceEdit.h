// CInPlaceEdit: the edit control that a grid cell opens over itself to edit its text. Editing
// ends on Tab, Enter and Escape, on the arrow and page keys when they may leave the editor, and
// when the editor loses the focus. The editor then tells its owner, the grid, the text and the
// key that ended it (WM_NOTIFY LVN_ENDLABELEDITW carrying a GridDispInfo with the text and, as
// param, the key) and closes; the object deletes itself once its window is gone.
#pragma once

#include "platform/Geometry.h"
#include "platform/String.h"
#include "platform/wnd/Edit.h"

class CInPlaceEdit : public CEdit {
 public:
  // Made with new. Creates the editor window over `rect` (the parent's client coordinates) with
  // the style plus WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, in the parent's font,
  // with the text and the focus, and handles the character that started the edit: VK_LBUTTON (a
  // click) and Enter put the caret at the end; Backspace does too and is then typed; Tab, space,
  // the page, Home, End and arrow keys select the text; any other character selects the text and
  // is typed over it. When no window could be made the caller deletes the object.
  CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD style, UINT id, int row, int col, const CString& initText,
               UINT firstChar);

  // Reports the text to the owner and closes. Runs once: an end that starts while another is
  // running (the focus leaving during the report) does nothing.
  void EndEdit();

  int GetRow() const { return m_nRow; }
  int GetColumn() const { return m_nColumn; }

  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void PostNcDestroy() override;

 private:
  void StartWith(UINT firstChar);
  bool EndsEditing(UINT key) const;
  // The key becomes the one that ended editing and the focus goes back to the grid, which ends
  // the edit; the object may be gone afterwards.
  void Leave(UINT key);
  LRESULT OnChar(WPARAM ch, LPARAM lParam);
  void GrowToText();

  int m_nRow;
  int m_nColumn;
  CString m_sInitText;
  UINT m_nLastChar = 0;
  BOOL m_bExitOnArrows;
  CRect m_Rect;
};
