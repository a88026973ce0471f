// The grid and the keyboard: the edit shortcuts, moving the focus cell (with the selection) by
// the arrow, Tab, page, Home and End keys, and editing a cell in place: starting the editor from
// a key, a click or F2, and taking its text back when it ends.
#include <algorithm>

#include "controls/grid/GridCtrl.h"
#include "controls/grid/InPlaceEdit.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/Input.h"

LRESULT CGridCtrl::OnGetDlgCode() {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (m_bHandleTabKey && GetKeyState(VK_CONTROL) >= 0) code |= DLGC_WANTTAB;
  return code;
}

void CGridCtrl::OnChar(UINT nChar) {
  if (GetKeyState(VK_CONTROL) >= 0 && m_MouseMode == GMM_NOTHING && nChar != VK_ESCAPE &&
      !(m_bHandleTabKey && nChar == VK_TAB)) {
    const HWND self = m_hWnd;
    OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nChar);
    if (!Alive(self)) return;
  }
  Default();
}

void CGridCtrl::OnImeChar(UINT nChar) {
  if (GetKeyState(VK_CONTROL) >= 0 && m_MouseMode == GMM_NOTHING && nChar != VK_ESCAPE) {
    OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nChar);
  }
}

void CGridCtrl::RunEditShortcut(UINT nChar, bool ctrl, bool shift) {
  if (ctrl) {
    switch (nChar) {
      case VK_INSERT:
      case 'C':
        OnEditCopy();
        break;
      case 'A':
        OnEditSelectAll();
        break;
      case 'V':
        OnEditPaste();
        break;
      case 'X':
        OnEditCut();
        break;
      case VK_ADD:
        AutoSizeColumns(0);
        Invalidate();
        break;
      default:
        break;
    }
  } else if (shift && nChar == VK_INSERT) {
    OnEditPaste();
  }
}

void CGridCtrl::OnKeyDown(UINT nChar) {
  if (!IsValid(m_idCurrentCell)) {
    DefWindowProc(WM_KEYDOWN, nChar, 0);
    return;
  }
  const HWND self = m_hWnd;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  RunEditShortcut(nChar, ctrl, shift);
  if (!Alive(self) || !IsValid(m_idCurrentCell)) return;
  KeyStep step;
  step.next = m_idCurrentCell;
  if (!StepForKey(nChar, ctrl, shift, step)) return;
  if (step.next != m_idCurrentCell) MoveFocusByKey(nChar, shift, step);
}

int CGridCtrl::NextVisibleRow(int row) const {
  for (int next = row + 1; next < m_nRows; ++next) {
    if (GetRowHeight(next) > 0) return next;
  }
  return row;
}

int CGridCtrl::PreviousVisibleRow(int row) const {
  for (int previous = row - 1; previous >= m_nFixedRows; --previous) {
    if (GetRowHeight(previous) > 0) return previous;
  }
  return row;
}

// Where the key moves the focus to; false when the key moves nothing (it may have done something
// else: cut, started an edit, gone to the next control or to the default processing).
bool CGridCtrl::StepForKey(UINT nChar, bool ctrl, bool shift, KeyStep& step) {
  switch (nChar) {
    case VK_DELETE:
      CutSelectedText();
      return false;
    case VK_F2:
      OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), VK_LBUTTON);
      return false;
    case VK_DOWN:
      step.next.row = NextVisibleRow(step.next.row);
      return true;
    case VK_UP:
      step.next.row = PreviousVisibleRow(step.next.row);
      return true;
    case VK_TAB:
      if (!shift && m_bQuitFocusOnTab) {
        if (auto* dialog = dynamic_cast<CDialog*>(GetParent())) dialog->NextDlgCtrl();
        return false;
      }
      if (shift) {
        StepLeft(true, step);
      } else {
        StepRight(true, step);
      }
      if (!step.wrapped) DefWindowProc(WM_KEYDOWN, nChar, 0);
      return true;
    case VK_RIGHT:
      StepRight(false, step);
      return true;
    case VK_LEFT:
      StepLeft(false, step);
      return true;
    case VK_NEXT:
    case VK_PRIOR:
      StepPage(nChar == VK_NEXT, step);
      return true;
    case VK_HOME:
    case VK_END:
      StepHomeEnd(nChar == VK_HOME, ctrl, step);
      return true;
    default:
      DefWindowProc(WM_KEYDOWN, nChar, 0);
      return false;
  }
}

// One column right, over hidden ones; a Tab past the last column wraps to the first body column
// of the next visible row.
void CGridCtrl::StepRight(bool tab, KeyStep& step) {
  const int from = step.next.col;
  int col = from + 1;
  if (tab && col >= m_nCols && step.next.row < m_nRows - 1) {
    const int row = NextVisibleRow(step.next.row);
    if (row != step.next.row) {
      step.next.row = row;
      col = m_nFixedCols;
      step.wrapped = true;
    }
  }
  while (col < m_nCols && GetColumnWidth(col) <= 0) ++col;
  step.next.col = col < m_nCols ? col : from;
}

// One column left, over hidden ones and never into the fixed columns; a Shift+Tab before the
// first body column wraps to the last column of the previous visible row.
void CGridCtrl::StepLeft(bool tab, KeyStep& step) {
  const int from = step.next.col;
  int col = from - 1;
  if (tab && col < m_nFixedCols && step.next.row > m_nFixedRows) {
    const int row = PreviousVisibleRow(step.next.row);
    if (row != step.next.row) {
      step.next.row = row;
      col = m_nCols - 1;
      step.wrapped = true;
    }
  }
  while (col >= m_nFixedCols && GetColumnWidth(col) <= 0) --col;
  step.next.col = col >= m_nFixedCols ? col : from;
}

// A page scrolls the body and the focus goes as many rows as the body moved; at the end of the
// scrolling it goes to the last (first) row.
void CGridCtrl::StepPage(bool down, KeyStep& step) {
  const int before = GetTopleftNonFixedCell().row;
  SendMessage(WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
  step.vScrolled = true;
  const int moved = GetTopleftNonFixedCell().row - before;
  if (moved == 0) {
    step.next.row = down ? m_nRows - 1 : m_nFixedRows;
  } else {
    step.next.row = std::clamp(step.next.row + moved, m_nFixedRows, m_nRows - 1);
  }
}

void CGridCtrl::StepHomeEnd(bool home, bool ctrl, KeyStep& step) {
  if (ctrl) {
    SendMessage(WM_VSCROLL, home ? SB_TOP : SB_BOTTOM, 0);
    step.vScrolled = true;
    step.next.row = home ? m_nFixedRows : m_nRows - 1;
  }
  SendMessage(WM_HSCROLL, home ? SB_LEFT : SB_RIGHT, 0);
  step.hScrolled = true;
  step.next.col = home ? m_nFixedCols : m_nCols - 1;
  if (home) {
    while (step.next.col < m_nCols - 1 && GetColumnWidth(step.next.col) <= 0) ++step.next.col;
    while (step.next.row < m_nRows - 1 && GetRowHeight(step.next.row) <= 0) ++step.next.row;
  } else {
    while (step.next.col > m_nFixedCols + 1 && GetColumnWidth(step.next.col) <= 0) --step.next.col;
    while (step.next.row > m_nFixedRows + 1 && GetRowHeight(step.next.row) <= 0) --step.next.row;
  }
}

// The focus goes to the new cell, which (without Shift) starts a new selection or (with Shift)
// stretches the selection to it, and the body scrolls to show it.
void CGridCtrl::MoveFocusByKey(UINT nChar, bool shift, KeyStep& step) {
  const HWND self = m_hWnd;
  const CCellID next = step.next;
  if (m_MouseMode == GMM_NOTHING) {
    m_PrevSelectedCellMap.clear();
    m_MouseMode = m_bListMode ? GMM_SELECT_ROW : GMM_SELECT_CELLS;
    if (!shift || nChar == VK_TAB) m_SelectionStartCell = next;
    SendMessageToParent(next.row, next.col, LVN_ITEMCHANGING);
    if (!Alive(self)) return;
    OnSelecting(next);
    SendMessageToParent(next.row, next.col, LVN_ITEMCHANGED);
    if (!Alive(self)) return;
    m_MouseMode = GMM_NOTHING;
  }
  SetFocusCell(next);
  if (!IsCellVisible(next)) {
    const auto scroll = [&](bool vertical, UINT code) {
      SendMessage(vertical ? WM_VSCROLL : WM_HSCROLL, code, 0);
      (vertical ? step.vScrolled : step.hScrolled) = true;
    };
    switch (nChar) {
      case VK_TAB:
        if (step.wrapped) {
          scroll(true, shift ? SB_LINEUP : SB_LINEDOWN);
          SetScrollPos32(SB_HORZ, shift ? m_nHScrollMax : 0);
        } else {
          scroll(false, shift ? SB_LINELEFT : SB_LINERIGHT);
        }
        break;
      case VK_LEFT:
        scroll(false, SB_LINELEFT);
        break;
      case VK_RIGHT:
        scroll(false, SB_LINERIGHT);
        break;
      case VK_UP:
        scroll(true, SB_LINEUP);
        break;
      case VK_DOWN:
        scroll(true, SB_LINEDOWN);
        break;
      default:
        break;
    }
    EnsureVisible(next);
    Invalidate();
  }
  EnsureVisible(next);
  if (step.hScrolled) SendMessage(WM_HSCROLL, SB_ENDSCROLL, 0);
  if (step.vScrolled) SendMessage(WM_VSCROLL, SB_ENDSCROLL, 0);
}

void CGridCtrl::OnEditCell(int nRow, int nCol, CPoint point, UINT nChar) {
  m_TitleTip.Hide();
  if (!IsValid(nRow, nCol) || !IsCellEditable(nRow, nCol)) return;
  EnsureVisible(nRow, nCol);
  CRect rect;
  if (!IsCellVisible(nRow, nCol) || !GetCellRect(nRow, nCol, &rect)) return;
  const HWND self = m_hWnd;
  const LRESULT answer = SendMessageToParent(nRow, nCol, LVN_BEGINLABELEDITW);
  if (!Alive(self) || answer < 0 || !IsValid(nRow, nCol)) return;
  if (CGridCellBase* cell = GetCell(nRow, nCol)) cell->Edit(nRow, nCol, rect, point, kInPlaceEditId, nChar);
}

void CGridCtrl::EndEditing() {
  if (CGridCellBase* cell = IsValid(m_idCurrentCell) ? GetCell(m_idCurrentCell.row, m_idCurrentCell.col) : nullptr) {
    cell->EndEdit();
  }
}

BOOL CGridCtrl::ValidateEdit(int nRow, int nCol, LPCTSTR text) {
  CGridCellBase* cell = GetCell(nRow, nCol);
  return cell ? cell->ValidateEdit(text) : TRUE;
}

// The editor has ended: its text goes into the cell and the key that ended it may move on to the
// next cell and edit that one.
LRESULT CGridCtrl::OnEndInPlaceEdit(const GridDispInfo* pInfo) {
  if (!pInfo || m_bInDestructor) return 0;
  const GridItemRecord item = pInfo->item;
  const HWND self = m_hWnd;
  if (self) OnEndEditCell(item.row, item.col, item.strText);
  if (!Alive(self)) return 0;
  const auto key = static_cast<UINT>(item.lParam);
  if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
    OnKeyDown(key);
    if (!Alive(self)) return 0;
    OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), key);
  }
  return 0;
}

void CGridCtrl::OnEndEditCell(int nRow, int nCol, const CString& text) {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  if (!cell) return;
  if (text != CString(cell->GetText()) && !StoreCheckedText(nRow, nCol, text)) return;
  if (CGridCellBase* edited = GetCell(nRow, nCol)) edited->OnEndEdit();
}

bool CGridCtrl::StoreCheckedText(int nRow, int nCol, const CString& text) {
  CGridCellBase* cell = GetCell(nRow, nCol);
  if (!cell) return true;
  const CString old = cell->GetText();
  cell->SetText(text);
  const HWND self = m_hWnd;
  const bool accepted = ValidateEdit(nRow, nCol, text) && SendMessageToParent(nRow, nCol, LVN_ENDLABELEDITW) >= 0;
  if (!Alive(self)) return false;
  if (accepted) {
    SetModified(TRUE, nRow, nCol);
    RedrawCell(nRow, nCol);
  } else if (CGridCellBase* again = GetCell(nRow, nCol)) {
    again->SetText(old);
  }
  return true;
}

void CGridCtrl::ValidateAndModifyCellContents(int nRow, int nCol, LPCTSTR text) {
  if (!IsCellEditable(nRow, nCol)) return;
  const HWND self = m_hWnd;
  const LRESULT answer = SendMessageToParent(nRow, nCol, LVN_BEGINLABELEDITW);
  if (!Alive(self) || answer < 0) return;
  const CGridCellBase* cell = GetCell(nRow, nCol);
  const CString newText(text);
  if (!cell || newText == CString(cell->GetText())) return;
  StoreCheckedText(nRow, nCol, newText);
}
