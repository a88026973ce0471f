// The grid's text on the clipboard and in drags: copying, cutting and pasting the selected cells
// as lines of tab-separated fields, dragging text to and from other windows, and reordering the
// grid's own columns (and, in virtual mode, rows) by dragging.
//
// The clipboard text is UTF-8 under CF_TEXT, so that no character is lost, with one NUL at the
// end; the same text goes under CF_UNICODETEXT, which other programs read as plain text. A paste
// takes CF_UNICODETEXT when it is offered (plain text from other programs always is) and else
// CF_TEXT, each read no further than its data reaches.
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "controls/grid/GridCtrl.h"
#include "controls/grid/InPlaceEdit.h"
#include "platform/gdi/ImageList.h"

namespace {

// The text of the data, up to its first NUL or to the end of its bytes.
std::wstring TextOf(const COleDataObject& data) {
  if (const auto wide = data.GetGlobalData(CF_UNICODETEXT)) return Utf16LeToWide(plat::UpToNul(*wide, 2));
  const auto narrow = data.GetGlobalData(CF_TEXT);
  return narrow ? Utf8ToWide(plat::UpToNul(*narrow, 1)) : std::wstring();
}

std::wstring Trimmed(std::wstring_view field) {
  const auto blank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  return std::wstring(field);
}

}  // namespace

std::unique_ptr<COleDataSource> CGridCtrl::CopyTextFromGrid() {
  const CCellRange selection = GetSelectedCellRange();
  if (!IsValid(selection)) return nullptr;
  if (m_bVirtualMode) SendCacheHintToParent(selection);
  // Separators go only between the lines and fields given: hidden rows and columns give neither.
  std::wstring text;
  bool firstLine = true;
  for (int row = selection.GetMinRow(); row <= selection.GetMaxRow(); ++row) {
    if (GetRowHeight(row) == 0) continue;
    if (!firstLine) text += L"\r\n";
    firstLine = false;
    bool firstField = true;
    for (int col = selection.GetMinCol(); col <= selection.GetMaxCol(); ++col) {
      if (GetColumnWidth(col) == 0) continue;
      if (!firstField) text += L'\t';
      firstField = false;
      const CGridCellBase* cell = GetCell(row, col);
      if (cell && (cell->GetState() & GCS_SELECTED)) text += cell->GetText();
    }
  }
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange());
  auto source = std::make_unique<COleDataSource>();
  source->CacheGlobalData(CF_TEXT, plat::NulEnded(WideToUtf8(text), 1));
  source->CacheGlobalData(CF_UNICODETEXT, plat::NulEnded(WideToUtf16Le(text), 2));
  return source;
}

void CGridCtrl::OnEditCopy() {
  std::unique_ptr<COleDataSource> source = CopyTextFromGrid();
  if (!source) return;
  m_pClipboardSource = source.get();
  source.release()->SetClipboard();
}

void CGridCtrl::OnEditCut() {
  if (!m_bEditable) return;
  std::unique_ptr<COleDataSource> source = CopyTextFromGrid();
  if (!source) return;
  m_pClipboardSource = source.get();
  source.release()->SetClipboard();
  CutSelectedText();
}

void CGridCtrl::CutSelectedText() {
  if (!m_bEditable) return;
  // The owner hears of every cell and may change the selection meanwhile: the cells are taken
  // first, in order.
  std::vector<CCellID> cells;
  for (const auto& [key, cell] : m_SelectedCellMap) cells.push_back(cell);
  std::sort(cells.begin(), cells.end(),
            [](const CCellID& a, const CCellID& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
  const HWND self = m_hWnd;
  for (const CCellID& cell : cells) {
    ValidateAndModifyCellContents(cell.row, cell.col, L"");
    if (!Alive(self)) return;
  }
}

void CGridCtrl::OnEditPaste() {
  if (!m_bEditable) return;
  CCellID target = GetSelectedCellRange().GetTopLeft();
  if (!IsValid(target)) target = m_idCurrentCell;
  if (!IsValid(target)) target = GetTopleftNonFixedCell();
  if (!IsValid(target)) return;
  if (const CGridCellBase* cell = GetCell(target.row, target.col); cell && cell->IsEditing()) {
    cell->GetEditWnd()->SendMessage(WM_PASTE);
    return;
  }
  COleDataObject data;
  if (data.AttachClipboard()) PasteTextToGrid(target, &data, TRUE);
}

BOOL CGridCtrl::PasteTextToGrid(CCellID cell, COleDataObject* pDataObject, BOOL bSelectPastedCells) {
  if (!IsValid(cell) || !IsCellEditable(cell.row, cell.col) || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT)) {
    return FALSE;
  }
  const std::wstring text = TextOf(*pDataObject);
  CCellRange pasted(cell.row, cell.col, -1, -1);
  std::wstring_view rest = text;
  int row = cell.row;
  for (bool more = true; more; ++row) {
    const size_t lf = rest.find(L'\n');
    more = lf != std::wstring_view::npos;
    const std::wstring_view line = rest.substr(0, lf);
    rest = more ? rest.substr(lf + 1) : std::wstring_view();
    while (row < m_nRows && GetRowHeight(row) == 0) ++row;
    if (!PasteLine(line, row, cell.col, pasted)) return FALSE;
  }
  if (bSelectPastedCells) {
    SetSelectedRange(pasted, TRUE, TRUE);
  } else {
    ResetSelectedRange();
    Refresh();
  }
  return TRUE;
}

// The fields of one line go into the row from the column on, over hidden columns; fields beyond
// the table are dropped. False when the grid's window went away meanwhile.
bool CGridCtrl::PasteLine(std::wstring_view line, int nRow, int nFirstCol, CCellRange& pasted) {
  const HWND self = m_hWnd;
  for (int col = nFirstCol; !line.empty(); ++col) {
    while (GetColumnWidth(col) == 0) ++col;
    const size_t separator = line.find_first_of(L"\t,");
    const std::wstring field = Trimmed(line.substr(0, separator));
    line = separator == std::wstring_view::npos ? std::wstring_view() : line.substr(separator + 1);
    if (!IsValid(nRow, col)) continue;
    ValidateAndModifyCellContents(nRow, col, field.c_str());
    if (!Alive(self)) return false;
    if (IsValid(nRow, col)) SetItemState(nRow, col, GetItemState(nRow, col) & ~GCS_SELECTED);
    pasted.SetMaxRow(std::max(pasted.GetMaxRow(), nRow));
    pasted.SetMaxCol(std::max(pasted.GetMaxCol(), col));
  }
  return true;
}

BOOL CGridCtrl::OnUpdateEditCopy() const { return !m_SelectedCellMap.empty(); }

BOOL CGridCtrl::OnUpdateEditCut() const { return m_bEditable && !m_SelectedCellMap.empty(); }

BOOL CGridCtrl::OnUpdateEditPaste() const {
  return IsValid(m_idCurrentCell) && IsCellEditable(m_idCurrentCell.row, m_idCurrentCell.col) &&
         IsClipboardFormatAvailable(CF_TEXT);
}

BOOL CGridCtrl::OnUpdateEditSelectAll() const { return m_bEnableSelection; }

BOOL CGridCtrl::OnEditCommand(UINT nID) {
  switch (nID) {
    case ID_EDIT_COPY:
      OnEditCopy();
      return TRUE;
    case ID_EDIT_CUT:
      OnEditCut();
      return TRUE;
    case ID_EDIT_PASTE:
      OnEditPaste();
      return TRUE;
    case ID_EDIT_SELECTALL:
      OnEditSelectAll();
      return TRUE;
    default:
      return FALSE;
  }
}

// Dragging starts from a selection (its text) or from a column heading (an empty drag that only
// this grid takes). The text of a move goes away from here unless the drop only reordered this
// grid's columns or rows.
void CGridCtrl::OnBeginDrag() {
  if (!m_bAllowDragAndDrop && m_nDragColumn < 0) return;
  const bool columnDrag = m_nDragColumn >= 0;
  std::unique_ptr<COleDataSource> source = columnDrag ? std::make_unique<COleDataSource>() : CopyTextFromGrid();
  if (!source) return;
  const HWND self = m_hWnd;
  const CCellID corner = GetSelectedCellRange().GetTopLeft();
  SendMessageToParent(corner.row, corner.col, LVN_BEGINDRAG);
  if (!Alive(self)) return;
  m_MouseMode = GMM_DRAGGING;
  m_bLMouseButtonDown = FALSE;
  m_bDragSource = true;
  m_bMovedInside = false;
  const DROPEFFECT effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
  if (!Alive(self)) return;
  m_bDragSource = false;
  // The drag had the mouse: the press that began it is over.
  if (GetCapture() == this) ReleaseCapture();
  if (effect == DROPEFFECT_MOVE && !columnDrag && !m_bMovedInside) CutSelectedText();
}

void CGridCtrl::SetDropHighlight(const CCellID& cell, bool on) {
  if (!IsValid(cell)) return;
  const UINT state = GetItemState(cell.row, cell.col);
  SetItemState(cell.row, cell.col, on ? state | GCS_DROPHILITED : state & ~GCS_DROPHILITED);
  RedrawCell(cell);
}

DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
  const bool columnDrag = m_nDragColumn >= 0;
  const CCellID cell = GetCellFromPt(point, columnDrag);
  m_LastDragOverCell = cell;
  if (columnDrag) {
    if (cell.row >= 0 && cell.row < m_nFixedRows && cell.col >= m_nFixedCols) SetDropHighlight(cell, true);
  } else {
    if (!m_bAllowDragAndDrop || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT) || !IsValid(cell) ||
        !IsCellEditable(cell.row, cell.col)) {
      return DROPEFFECT_NONE;
    }
    SetDropHighlight(cell, true);
  }
  return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CGridCtrl::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
  const bool columnDrag = m_nDragColumn >= 0;
  const bool rowDrag = IsRowDrag();
  const CCellID cell = GetCellFromPt(point, FALSE);
  bool valid = false;
  if (columnDrag) {
    valid = point.y >= 0 && point.y < GetFixedRowHeight() && cell.col >= m_nFixedCols;
  } else if (rowDrag) {
    valid = IsValid(cell);
  } else {
    if (!m_bAllowDragAndDrop || !m_bEditable || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT)) {
      return DROPEFFECT_NONE;
    }
    valid = IsValid(cell);
  }
  if (!valid) {
    OnDragLeave();
    m_LastDragOverCell = CCellID();
    return DROPEFFECT_NONE;
  }
  if (!columnDrag && !rowDrag && !IsCellEditable(cell.row, cell.col)) return DROPEFFECT_NONE;
  if (cell != m_LastDragOverCell) {
    SetDropHighlight(m_LastDragOverCell, false);
    m_LastDragOverCell = cell;
    SetDropHighlight(cell, true);
  }
  return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::OnDragLeave() { SetDropHighlight(m_LastDragOverCell, false); }

BOOL CGridCtrl::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint) {
  m_MouseMode = GMM_NOTHING;
  if (m_nDragColumn >= 0) {
    OnDragLeave();
    return DropColumn();
  }
  const bool rowDrag = IsRowDrag();
  if (!m_bAllowDragAndDrop || (!rowDrag && !IsCellEditable(m_LastDragOverCell.row, m_LastDragOverCell.col))) {
    return FALSE;
  }
  OnDragLeave();
  if (!rowDrag) return PasteTextToGrid(m_LastDragOverCell, pDataObject, FALSE);
  if (!MoveRowInOrder(m_nDragRow, m_LastDragOverCell.row)) return FALSE;
  m_bMovedInside = true;
  Invalidate();
  return TRUE;
}

// A dragged heading dropped on another body column's heading moves its column there.
BOOL CGridCtrl::DropColumn() {
  const int from = m_nDragColumn;
  const int to = m_LastDragOverCell.col;
  if (to == from || m_LastDragOverCell.row >= m_nFixedRows || to < m_nFixedCols || to >= m_nCols ||
      from < m_nFixedCols || from >= m_nCols) {
    return FALSE;
  }
  const int stored = m_arColOrder[static_cast<size_t>(from)];
  m_arColOrder.erase(m_arColOrder.begin() + from);
  m_arColOrder.insert(m_arColOrder.begin() + to, stored);
  m_nDragColumn = -1;
  m_bMovedInside = true;
  Invalidate();
  return TRUE;
}

BOOL CGridCtrl::MoveRowInOrder(int nFromRow, int nToRow) {
  const int end = std::min(m_nRows, static_cast<int>(m_arRowOrder.size()));
  if (!m_bVirtualMode || nFromRow < m_nFixedRows || nFromRow >= end || nToRow < m_nFixedRows || nToRow >= end) {
    return FALSE;
  }
  if (nFromRow == nToRow) return TRUE;
  const int value = m_arRowOrder[static_cast<size_t>(nFromRow)];
  m_arRowOrder.erase(m_arRowOrder.begin() + nFromRow);
  // The row lands just behind row `to`.
  const size_t at = std::min(static_cast<size_t>(nFromRow > nToRow ? nToRow + 1 : nToRow), m_arRowOrder.size());
  m_arRowOrder.insert(m_arRowOrder.begin() + static_cast<std::ptrdiff_t>(at), value);
  return TRUE;
}

std::unique_ptr<CImageList> CGridCtrl::CreateDragImage(CPoint* pHotSpot) {
  CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col);
  CRect rect;
  if (!cell || !GetCellRect(m_idCurrentCell, &rect)) return nullptr;
  CDC* dc = GetDC();
  if (!dc) return nullptr;
  const int width = rect.Width() + 1;
  const int height = rect.Height() + 1;
  if (pHotSpot) *pHotSpot = CPoint(width, height);
  auto list = std::make_unique<CImageList>();
  CDC memory;
  CBitmap bitmap;
  bool made = list->Create(width, height, ILC_MASK, 1, 1) && memory.CreateCompatibleDC(dc) &&
              bitmap.CreateCompatibleBitmap(dc, width, height);
  if (made) {
    CBitmap* previous = memory.SelectObject(&bitmap);
    cell->Draw(&memory, m_idCurrentCell.row, m_idCurrentCell.col, CRect(0, 0, width - 1, height - 1), TRUE);
    memory.SelectObject(previous);
    made = list->Add(&bitmap, m_cellDefault.GetBackClr()) >= 0;
  }
  ReleaseDC(dc);
  return made ? std::move(list) : nullptr;
}
