// The grid and the mouse: clicks and what they select, focus and mark, dragging out selections
// with the timer that keeps selecting past the edges, sizing rows and columns at their dividers,
// double clicks, right clicks, the cursor and the title tip.
#include <algorithm>
#include <cstdlib>

#include "controls/grid/GridCtrl.h"
#include "platform/gdi/Dc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"

bool CGridCtrl::IsPointInTextArea(const CCellID& cell, CPoint point) {
  CGridCellBase* pCell = GetCell(cell.row, cell.col);
  CRect rect;
  if (!pCell || !GetCellRect(cell, &rect) || !pCell->GetTextRect(&rect)) return false;
  return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

void CGridCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  const HWND self = m_hWnd;
  SetFocus();  // an open editor loses the focus and reports to the grid here
  if (!Alive(self)) return;
  m_nDragColumn = -1;
  m_bLMouseButtonDown = TRUE;
  m_LeftClickDownPoint = point;
  m_LeftClickDownCell = GetCellFromPt(point);
  if (!IsValid(m_LeftClickDownCell)) return;
  m_nDragRow = m_LeftClickDownCell.row;
  if (!(nFlags & MK_SHIFT)) {
    m_SelectionStartCell = m_LeftClickDownCell;
  } else if (!IsValid(m_SelectionStartCell)) {
    m_SelectionStartCell = m_idCurrentCell;
  }
  EndEditing();
  if (!Alive(self) || !IsValid(m_LeftClickDownCell)) return;
  const CCellID down = m_LeftClickDownCell;
  if (CGridCellBase* cell = GetCell(down.row, down.col)) cell->OnClickDown(GetCellRelativePoint(down.row, down.col, point));

  // A click into the focus cell's text edits it on release, unless the mouse moves first.
  if (down == m_idCurrentCell && !(nFlags & MK_CONTROL) && IsPointInTextArea(down, point) &&
      IsCellEditable(down.row, down.col)) {
    m_MouseMode = GMM_PREPARE_EDIT;
    return;
  }
  if (IsCellSelected(down)) {
    SetFocusCell(down);
    SetMarkedCell(down);
    if (nFlags & MK_CONTROL) {
      // Ctrl on a selected cell takes it (or the rectangle from the selection start) out.
      if (m_bListMode) {
        SelectRows(down, TRUE, FALSE);
      } else {
        SelectCells(down, TRUE, FALSE);
      }
      return;
    }
    if (m_bAllowDragAndDrop) m_MouseMode = GMM_PREPARE_DRAG;
  } else if (m_MouseMode != GMM_OVER_COL_DIVIDE && m_MouseMode != GMM_OVER_ROW_DIVIDE && IsBodyCell(down)) {
    SetFocusCell(down);
    SetMarkedCell(down);
  }

  SetCapture();
  if (m_MouseMode == GMM_NOTHING) {
    if (m_bAllowColumnResize && IsOverColumnDivide(point)) {
      SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      m_MouseMode = GMM_OVER_COL_DIVIDE;
    } else if (m_bAllowRowResize && IsOverRowDivide(point)) {
      SetCursor(LoadCursor(nullptr, IDC_SIZENS));
      m_MouseMode = GMM_OVER_ROW_DIVIDE;
    }
  }
  if (m_MouseMode == GMM_OVER_COL_DIVIDE || m_MouseMode == GMM_OVER_ROW_DIVIDE) {
    StartSizing(point, m_MouseMode == GMM_OVER_COL_DIVIDE);
  } else if (m_MouseMode != GMM_PREPARE_DRAG) {
    SelectOnButtonDown(nFlags);
    if (!Alive(self)) return;
  }
  m_LastMousePoint = point;
}

// A press that selects: cells in the body, rows or columns from the fixed cells, or a column
// heading that starts to be dragged.
void CGridCtrl::SelectOnButtonDown(UINT nFlags) {
  const HWND self = m_hWnd;
  SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, LVN_ITEMCHANGING);
  if (!Alive(self) || !IsValid(m_LeftClickDownCell)) return;
  m_PrevSelectedCellMap.clear();
  if (nFlags & MK_CONTROL) m_PrevSelectedCellMap = m_SelectedCellMap;
  const CCellID down = m_LeftClickDownCell;
  if (IsBodyCell(down)) {
    m_MouseMode = m_bListMode ? GMM_SELECT_ROW : GMM_SELECT_CELLS;
    OnSelecting(down);
    m_nTimerID = SetTimer(WM_LBUTTONDOWN, m_nTimerInterval);
  } else if (down.col < m_nFixedCols && down.row >= m_nFixedRows) {
    OnFixedColumnClick(down);
  } else if (down.row < m_nFixedRows) {
    OnFixedRowClick(down);
    if (m_bAllowColumnReorder && down.col >= m_nFixedCols) {
      ResetSelectedRange();
      m_MouseMode = GMM_PREPARE_DRAG;
      m_nDragColumn = down.col;
    }
  }
}

bool CGridCtrl::LineOrigin(bool columns, int index, int* start) {
  CPoint origin;
  if (!GetCellOrigin(columns ? 0 : index, columns ? index : 0, &origin)) return false;
  *start = columns ? origin.x : origin.y;
  return true;
}

void CGridCtrl::InvertTracker(bool columns, int pos) {
  CRect client;
  GetClientRect(&client);
  const CRect band = columns ? CRect(pos, client.top, pos + 2, client.bottom) : CRect(client.left, pos, client.right, pos + 2);
  CClientDC dc(this);
  dc.InvertRect(&band);
}

// The press on a divider picks the column (row) to size, which the release then sizes: the last
// one when it is thinner than the capture range and the press is at the body's far edge, the
// nearest visible one before a hidden one when hidden ones may not be pulled open, and the one
// before the divider when the press is at a line's near edge.
void CGridCtrl::StartSizing(CPoint point, bool columns) {
  m_MouseMode = columns ? GMM_SIZING_COL : GMM_SIZING_ROW;
  m_nResizeIndex = -1;
  const int range = m_nResizeCaptureRange;
  const int pos = columns ? point.x : point.y;
  InvertTracker(columns, pos);
  const int last = (columns ? m_nCols : m_nRows) - 1;
  const bool lastIsThin = LineSize(columns, last) < range;
  int line = columns ? m_LeftClickDownCell.col : m_LeftClickDownCell.row;
  CRect body;
  GetVisibleNonFixedCellRange(&body);
  if (lastIsThin && std::abs(pos - (columns ? body.right : body.bottom)) < range) line = last;
  int start = 0;
  if (!LineOrigin(columns, line, &start)) return;
  const bool onLastEdge = line == last && std::abs(start + LineSize(columns, line) - pos) < range;
  if (!(columns ? m_bHiddenColUnhide : m_bHiddenRowUnhide) && !onLastEdge) {
    int shown = pos - start < range ? line - 1 : line;
    while (shown >= 0 && LineSize(columns, shown) <= 0) --shown;
    if (shown < 0 || !LineOrigin(columns, shown, &start)) return;
    line = shown;
  }
  if (pos - start < range && !(line == last && lastIsThin)) {
    if (!LineOrigin(columns, line - 1, &start)) return;
    --line;
  }
  m_nResizeIndex = line;

  // The pointer stays right of (below) the line's start and within one body's size of it.
  CRect client;
  GetClientRect(&client);
  CRect confine = client;
  if (columns) {
    confine.left = start + 1;
    confine.right = confine.left + client.Width() - GetFixedColumnWidth();
  } else {
    confine.top = start + 1;
    confine.bottom = confine.top + client.Height() - GetFixedRowHeight();
  }
  ClientToScreen(&confine);
  ClipCursor(&confine);
}

// False when the sized line has no origin any more.
bool CGridCtrl::FinishSizing(CPoint point, bool columns) {
  InvertTracker(columns, columns ? m_LastMousePoint.x : m_LastMousePoint.y);
  if (point == m_LeftClickDownPoint || point == CPoint(0, 0)) return true;
  int start = 0;
  if (!LineOrigin(columns, m_nResizeIndex, &start)) return false;
  const BOOL allowHide = columns ? m_bAllowColHide : m_bAllowRowHide;
  const int size = std::max((columns ? point.x : point.y) - start, allowHide ? 0 : 1);
  if (columns) {
    SetColumnWidth(m_nResizeIndex, size);
  } else {
    SetRowHeight(m_nResizeIndex, size);
  }
  ResetScrollBars();
  Invalidate();
  return true;
}

void CGridCtrl::OnMouseMove(UINT, CPoint point) {
  CRect client;
  GetClientRect(&client);
  if (!client.PtInRect(point) && m_MouseMode != GMM_DRAGGING) return;
  if (!m_bLMouseButtonDown || m_MouseMode == GMM_NOTHING) {
    ShowTitleTip(point);
    m_LastMousePoint = point;
    return;
  }
  if (!IsValid(m_LeftClickDownCell)) {
    m_LastMousePoint = point;
    return;
  }
  const HWND self = m_hWnd;
  switch (m_MouseMode) {
    case GMM_SELECT_COL:
    case GMM_SELECT_ROW:
    case GMM_SELECT_CELLS: {
      const CCellID cell = GetCellFromPt(point);
      if (!IsValid(cell)) return;
      if (cell != m_idCurrentCell) {
        OnSelecting(cell);
        if (IsBodyCell(cell) || m_MouseMode == GMM_SELECT_COL || m_MouseMode == GMM_SELECT_ROW) SetFocusCell(cell);
      }
      break;
    }
    case GMM_SIZING_ROW:
    case GMM_SIZING_COL: {
      const bool columns = m_MouseMode == GMM_SIZING_COL;
      InvertTracker(columns, columns ? m_LastMousePoint.x : m_LastMousePoint.y);
      InvertTracker(columns, columns ? point.x : point.y);
      break;
    }
    case GMM_PREPARE_EDIT:
    case GMM_PREPARE_DRAG:
      m_MouseMode = GMM_PREPARE_DRAG;
      OnBeginDrag();
      if (!Alive(self)) return;
      break;
    default:
      break;
  }
  m_LastMousePoint = point;
}

// The hover: the cursor over dividers, the cell under the mouse told of it, and the title tip
// over a cell whose text is cut off.
void CGridCtrl::ShowTitleTip(CPoint point) {
  if (m_bAllowColumnResize && IsOverColumnDivide(point)) {
    if (m_MouseMode != GMM_OVER_COL_DIVIDE) {
      SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      m_MouseMode = GMM_OVER_COL_DIVIDE;
    }
  } else if (m_bAllowRowResize && IsOverRowDivide(point)) {
    if (m_MouseMode != GMM_OVER_ROW_DIVIDE) {
      SetCursor(LoadCursor(nullptr, IDC_SIZENS));
      m_MouseMode = GMM_OVER_ROW_DIVIDE;
    }
  } else if (m_MouseMode != GMM_NOTHING) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    m_MouseMode = GMM_NOTHING;
  }
  if (m_MouseMode != GMM_NOTHING || (m_bVirtualMode && !m_bTitleTips)) return;
  const CCellID id = GetCellFromPt(point);
  CGridCellBase* cell = IsValid(id) ? GetCell(id.row, id.col) : nullptr;
  if (!cell) return;
  cell->OnMouseOver();
  const CString tip = cell->GetTipText();
  if (!m_bTitleTips || m_bRMouseButtonDown || tip.IsEmpty() || cell->IsEditing()) return;
  CRect rect;
  if (!GetCellRect(id, &rect)) return;
  CRect text = rect;
  if (!cell->GetTipTextRect(&text)) return;
  m_TitleTip.Show(text, tip, 0, &rect, cell->GetFont(), m_crTTipTextClr, m_crTTipBackClr);
}

void CGridCtrl::StopSelectionTimer() {
  if (m_nTimerID) KillTimer(m_nTimerID);
  m_nTimerID = 0;
}

void CGridCtrl::OnLButtonUp(UINT, CPoint point) {
  Default();
  m_bLMouseButtonDown = FALSE;
  ClipCursor(nullptr);
  if (GetCapture() == this) ReleaseCapture();
  StopSelectionTimer();
  const HWND self = m_hWnd;
  const CCellID focus = m_idCurrentCell;
  switch (m_MouseMode) {
    case GMM_PREPARE_EDIT:
      OnEditCell(focus.row, focus.col, GetCellRelativePoint(focus.row, focus.col, point), VK_LBUTTON);
      break;
    case GMM_SIZING_COL:
    case GMM_SIZING_ROW:
      if (!FinishSizing(point, m_MouseMode == GMM_SIZING_COL)) return;
      break;
    default:
      if (!ReleaseClick(point)) return;
      break;
  }
  if (!Alive(self)) return;
  m_MouseMode = GMM_NOTHING;
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  CWnd* owner = GetOwner();
  if (IsValid(m_LeftClickDownCell) && owner && owner->GetSafeHwnd()) {
    owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hWnd));
  }
}

// The owner hears of a finished click; a click that was getting ready to drag drops the
// selection. False when the grid's window went away meanwhile.
bool CGridCtrl::ReleaseClick(CPoint point) {
  const HWND self = m_hWnd;
  const CCellID focus = m_idCurrentCell;
  const auto clickFocus = [&] {
    if (CGridCellBase* cell = GetCell(focus.row, focus.col)) cell->OnClick(GetCellRelativePoint(focus.row, focus.col, point));
  };
  if (m_MouseMode == GMM_PREPARE_DRAG) {
    clickFocus();
    SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, NM_CLICK);
    if (!Alive(self)) return false;
    SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, LVN_ITEMCHANGING);
    if (!Alive(self)) return false;
    ResetSelectedRange();
    SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, LVN_ITEMCHANGED);
    return Alive(self);
  }
  SendMessageToParent(focus.row, focus.col, LVN_ITEMCHANGED);
  if (!Alive(self)) return false;
  clickFocus();
  SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, NM_CLICK);
  return Alive(self);
}

void CGridCtrl::OnLButtonDblClk(UINT, CPoint point) {
  const CCellID cell = GetCellFromPt(point);
  if (!IsValid(cell)) return;
  if (m_MouseMode == GMM_OVER_COL_DIVIDE || m_MouseMode == GMM_OVER_ROW_DIVIDE) {
    AutoSizeAtDivider(cell, point, m_MouseMode == GMM_OVER_COL_DIVIDE);
  } else if (m_MouseMode == GMM_NOTHING) {
    const HWND self = m_hWnd;
    const CPoint relative = GetCellRelativePoint(cell.row, cell.col, point);
    if (IsBodyCell(cell) && IsPointInTextArea(cell, point) && (IsValid(m_LeftClickDownCell) || m_bListMode)) {
      OnEditCell(cell.row, cell.col, relative, VK_LBUTTON);
      if (!Alive(self)) return;
    }
    if (CGridCellBase* pCell = GetCell(cell.row, cell.col)) pCell->OnDblClick(relative);
    SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    if (!Alive(self)) return;
  }
  Default();
}

// A double click on a divider sizes the visible column (row) before it to its contents.
void CGridCtrl::AutoSizeAtDivider(const CCellID& cell, CPoint point, bool columns) {
  int line = columns ? cell.col : cell.row;
  int start = 0;
  if (!LineOrigin(columns, line, &start)) return;
  if ((columns ? point.x : point.y) - start < m_nResizeCaptureRange) --line;
  while (line >= 0 && LineSize(columns, line) <= 0) --line;
  if (line < 0) return;
  if (columns) {
    AutoSizeColumn(line, m_nAutoSizeColumnStyle, TRUE);
  } else {
    AutoSizeRow(line, TRUE);
  }
  Invalidate();
}

void CGridCtrl::OnRButtonUp(UINT, CPoint point) {
  Default();
  m_bRMouseButtonDown = FALSE;
  const HWND self = m_hWnd;
  EndEditing();
  if (!Alive(self)) return;
  const CCellID cell = GetCellFromPt(point);
  if (!IsValid(cell)) {
    SendMessageToParent(-1, -1, NM_RCLICK);
    return;
  }
  SetFocusCell(cell);
  if (CGridCellBase* pCell = GetCell(cell.row, cell.col)) pCell->OnRClick(GetCellRelativePoint(cell.row, cell.col, point));
  SendMessageToParent(cell.row, cell.col, NM_RCLICK);
}

// While the button is held outside the body the selection goes on growing by a row or a column
// a tick, as the arrow keys move the focus.
void CGridCtrl::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != WM_LBUTTONDOWN) return;
  const HWND self = m_hWnd;
  CPoint cursor;
  GetCursorPos(&cursor);
  ScreenToClient(&cursor);
  CRect client;
  GetClientRect(&client);
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();
  const auto step = [&](UINT key, CPoint at) {
    SendMessage(WM_KEYDOWN, key, 0);
    if (Alive(self)) OnSelecting(GetCellFromPt(at));
    return Alive(self);
  };
  const int x = std::clamp<int>(cursor.x, client.left, client.right);
  const int y = std::clamp<int>(cursor.y, client.top, client.bottom);
  if (cursor.y > client.bottom) {
    if (!step(VK_DOWN, CPoint(x, client.bottom))) return;
  } else if (cursor.y < fixedHeight) {
    if (!step(VK_UP, CPoint(x, fixedHeight + 1))) return;
  }
  if (cursor.x > client.right) {
    step(VK_RIGHT, CPoint(client.right, y));
  } else if (cursor.x < fixedWidth) {
    step(VK_LEFT, CPoint(fixedWidth + 1, y));
  }
}

void CGridCtrl::OnCaptureChanged(HWND newCapture) {
  if (newCapture == m_hWnd) return;
  StopSelectionTimer();
  if (m_MouseMode == GMM_DRAGGING) m_MouseMode = GMM_NOTHING;
}

BOOL CGridCtrl::OnSetCursor(UINT nHitTest) {
  if (nHitTest != HTCLIENT) return static_cast<BOOL>(Default());
  switch (m_MouseMode) {
    case GMM_OVER_ROW_DIVIDE:
      SetCursor(LoadCursor(nullptr, IDC_SIZENS));
      break;
    case GMM_OVER_COL_DIVIDE:
      SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      break;
    case GMM_DRAGGING:
      break;
    default: {
      if (!m_bVirtualMode) {
        CPoint point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        const CCellID id = GetCellFromPt(point);
        if (CGridCellBase* cell = IsValid(id) ? GetCell(id.row, id.col) : nullptr) return cell->OnSetCursor();
      }
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      break;
    }
  }
  return TRUE;
}
