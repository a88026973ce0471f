// CListCtrl: a report-view list (a Qt tree widget without branches): columns, rows of texts,
// selection and focus states, check boxes (LVS_EX_CHECKBOXES), and owner-drawn rows
// (LVS_OWNERDRAWFIXED: each row is drawn by the object's DrawItem through the parent's
// WM_DRAWITEM). Selection and check changes reach the parent as WM_NOTIFY LVN_ITEMCHANGED, a
// double click on a row as NM_DBLCLK (NMITEMACTIVATE).
#pragma once

#include "platform/wnd/Wnd.h"

constexpr int LVNI_ALL = 0x0000;
constexpr int LVNI_FOCUSED = 0x0001;
constexpr int LVNI_SELECTED = 0x0002;

class CListCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Width -1 sizes the column to its heading. Returns the new column's index, -1 on failure.
  int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1);
  // The column's width in pixels; 0 when there is no such column.
  int GetColumnWidth(int column) const;
  // The width of the text in the list's font, without the margins a cell or a heading adds.
  int GetStringWidth(LPCWSTR text) const;
  // The number of columns, hidden (zero-width) ones included.
  int GetColumnCount() const;
  // Returns the new row's index (at most the row count), -1 on failure.
  int InsertItem(int item, LPCWSTR text);
  BOOL SetItemText(int item, int subItem, LPCWSTR text);
  CString GetItemText(int item, int subItem) const;
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  // The colours of the rows' ground and text. The heading and the scroll bars take the same ground
  // and text, and a selected row keeps the active highlight while the list has no focus, so that a
  // list can wear a dark window's look.
  BOOL SetBkColor(COLORREF color);
  BOOL SetTextColor(COLORREF color);
  COLORREF GetBkColor() const;
  COLORREF GetTextColor() const;
  // Returns the previous extended style.
  DWORD SetExtendedStyle(DWORD style);
  DWORD GetExtendedStyle() const;
  // LVIS_SELECTED and LVIS_FOCUSED; `mask` says which of them change.
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const;
  BOOL SetCheck(int item, BOOL check = TRUE);
  BOOL GetCheck(int item) const;
  // The next row after `start` (-1: from the first) with the states in `flags`; -1 when none.
  int GetNextItem(int start, int flags) const;
  virtual void DrawItem(LPDRAWITEMSTRUCT item);

 protected:
  BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
