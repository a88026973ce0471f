// CComboBox: a drop-down list (CBS_DROPDOWNLIST) or a drop-down with an edit field (CBS_DROPDOWN).
// A choice made by the user reaches the parent as WM_COMMAND CBN_SELCHANGE; choices made by the
// program do not.
#pragma once

#include "platform/wnd/Wnd.h"

class CComboBox : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // The index of the new entry (its sorted place with CBS_SORT).
  int AddString(LPCWSTR text);
  int InsertString(int index, LPCWSTR text);
  int DeleteString(UINT index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  // -1 clears the selection; CB_ERR for an index out of range.
  int SetCurSel(int index);
  int GetLBText(int index, CString& text) const;
  int GetLBTextLen(int index) const;
  DWORD_PTR GetItemData(int index) const;
  int SetItemData(int index, DWORD_PTR data);
};
