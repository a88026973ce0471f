// CGridCtrl: a child window showing a table of cells, with fixed rows at the top and fixed
// columns at the left that never scroll, and a body that scrolls by whole rows and columns.
// The grid stores its cells (or, in virtual mode, asks its owner for them), lays them out in
// pixels, keeps a selection, a focus cell and a marked cell, tells its owner of what happens
// through WM_NOTIFY, paints itself and prints itself on pages.
//
// Cell rectangles are inclusive: right = left + width - 1, bottom = top + height - 1. A row of
// height 0 or a column of width 0 is hidden. Column indexes are displayed columns; the column
// order maps each to the stored column.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controls/grid/CellRange.h"
#include "controls/grid/GridCell.h"
#include "controls/grid/GridDropTarget.h"
#include "controls/grid/GridTypes.h"
#include "controls/grid/TitleTip.h"
#include "platform/gdi/Printer.h"
#include "platform/wnd/Clipboard.h"
#include "platform/wnd/DragDrop.h"
#include "platform/wnd/Wnd.h"

class CImageList;

class CGridCtrl : public CWnd {
 public:
  explicit CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
  ~CGridCtrl() override;

  // The window class "MFCGridCtrl"; the constructor registers it.
  static BOOL RegisterWindowClass();
  static constexpr const wchar_t* kWindowClass = L"MFCGridCtrl";
  // The control id of the in-place editor, a child of the grid.
  static constexpr UINT kInPlaceEditId = 8;

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void PreSubclassWindow() override;

  // --- table shape (FALSE for a negative count or when memory ran out)
  BOOL SetRowCount(int nRows);
  BOOL SetColumnCount(int nCols);
  BOOL SetFixedRowCount(int nFixedRows);
  BOOL SetFixedColumnCount(int nFixedCols);
  BOOL DeleteAllItems();
  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int GetFixedRowCount() const { return m_nFixedRows; }
  int GetFixedColumnCount() const { return m_nFixedCols; }

  // --- sizes (-1 for an index out of range; the setters refuse a negative size)
  int GetRowHeight(int nRow) const;
  int GetColumnWidth(int nCol) const;
  BOOL SetRowHeight(int nRow, int height);
  BOOL SetColumnWidth(int nCol, int width);

  // --- cells
  // In virtual mode one cell object shared by every grid, filled anew on each call: a pointer is
  // good only until the next lookup.
  CGridCellBase* GetCell(int nRow, int nCol) const;
  BOOL IsValid(int nRow, int nCol) const;
  BOOL IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
  BOOL IsValid(const CCellRange& range) const;
  BOOL SetItem(const GridItemRecord* pItem);
  BOOL SetItemText(int nRow, int nCol, LPCTSTR text);
  CString GetItemText(int nRow, int nCol) const;
  UINT GetItemState(int nRow, int nCol) const;
  // Keeps the selected-cell map in step with the selected bit; FALSE in virtual mode (where the
  // map is the only record of the selection) or for a missing cell.
  BOOL SetItemState(int nRow, int nCol, UINT state);
  BOOL SetItemBkColour(int nRow, int nCol, COLORREF colour);
  BOOL SetItemFgColour(int nRow, int nCol, COLORREF colour);
  COLORREF GetItemBkColour(int nRow, int nCol) const;
  BOOL IsCellEditable(int nRow, int nCol) const;
  BOOL IsItemEditing(int nRow, int nCol) const;
  void SetModified(BOOL bModified = TRUE, int nRow = -1, int nCol = -1);
  BOOL GetModified() const { return m_bModified; }
  // The cells the grid makes; null makes none.
  void SetCellFactory(GridCellFactory factory) { m_pfnCellFactory = factory; }
  GridCellFactory GetCellFactory() const { return m_pfnCellFactory; }
  CGridDefaultCell* GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol);
  const CGridDefaultCell* GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol) const;

  // --- in-place editing
  // Opens the cell's editor (point (-1, -1): started from the keyboard; nChar VK_LBUTTON: by the
  // mouse) when the cell is editable, can be brought into view and the owner does not refuse.
  virtual void OnEditCell(int nRow, int nCol, CPoint point, UINT nChar);
  // An edited text: stored when it differs, kept when the cell and the owner accept it.
  virtual void OnEndEditCell(int nRow, int nCol, const CString& text);
  virtual BOOL ValidateEdit(int nRow, int nCol, LPCTSTR text);
  // Ends the in-place editing of the focus cell, if any.
  virtual void EndEditing();

  // --- clipboard and drag-and-drop. The text is lines of tab-separated fields ended by CR LF,
  // UTF-8 under CF_TEXT with one NUL at the end, and the same text under CF_UNICODETEXT.
  virtual void CutSelectedText();
  // The selected cells' text in a new data source; null when nothing is selected.
  virtual std::unique_ptr<COleDataSource> CopyTextFromGrid();
  // Pastes the text (fields split at tabs and commas, lines at line feeds) from the cell on; FALSE
  // for an invalid or read-only cell or data without text.
  virtual BOOL PasteTextToGrid(CCellID cell, COleDataObject* pDataObject, BOOL bSelectPastedCells = TRUE);
  virtual void OnBeginDrag();
  virtual DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual void OnDragLeave();
  virtual BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
  virtual void OnEditCut();
  virtual void OnEditCopy();
  virtual void OnEditPaste();
  // A picture of the focus cell, the hot spot set to its size; null without one.
  virtual std::unique_ptr<CImageList> CreateDragImage(CPoint* pHotSpot);
  // Whether each edit command can run now.
  BOOL OnUpdateEditCopy() const;
  BOOL OnUpdateEditCut() const;
  BOOL OnUpdateEditPaste() const;
  BOOL OnUpdateEditSelectAll() const;
  // Stores the text when the cell is editable and the owner lets it begin an edit; it stays when
  // the cell's validation and the owner accept it.
  void ValidateAndModifyCellContents(int nRow, int nCol, LPCTSTR text);
  // Moves a displayed row behind another in the row order: virtual mode and body rows only;
  // FALSE when refused.
  BOOL MoveRowInOrder(int nFromRow, int nToRow);

  // --- geometry
  int GetFixedColumnWidth() const;
  int GetFixedRowHeight() const;
  int GetVirtualWidth() const;
  int GetVirtualHeight() const;
  CCellID GetTopleftNonFixedCell(BOOL bForceRecalculation = FALSE);
  BOOL GetCellOrigin(int nRow, int nCol, LPPOINT p);
  BOOL GetCellOrigin(const CCellID& cell, LPPOINT p) { return GetCellOrigin(cell.row, cell.col, p); }
  BOOL GetCellRect(int nRow, int nCol, LPRECT pRect);
  BOOL GetCellRect(const CCellID& cell, LPRECT pRect) { return GetCellRect(cell.row, cell.col, pRect); }
  CPoint GetCellRelativePoint(int nRow, int nCol, CPoint point);
  CCellID GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck = TRUE);
  CCellRange GetVisibleNonFixedCellRange(LPRECT pRect = nullptr, BOOL bForceRecalculation = FALSE);
  CCellRange GetVisibleFixedCellRange(LPRECT pRect = nullptr, BOOL bForceRecalculation = FALSE);
  BOOL IsCellVisible(int nRow, int nCol);
  BOOL IsCellVisible(const CCellID& cell) { return IsCellVisible(cell.row, cell.col); }
  BOOL InvalidateCellRect(int nRow, int nCol);
  BOOL InvalidateCellRect(const CCellID& cell) { return InvalidateCellRect(cell.row, cell.col); }
  void EnsureVisible(int nRow, int nCol);
  void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
  BOOL IsOverColumnDivide(CPoint point);
  BOOL IsOverRowDivide(CPoint point);

  // --- scrolling
  void ResetScrollBars();
  // bar: SB_HORZ, SB_VERT or SB_BOTH.
  void EnableScrollBars(int nBar, BOOL bEnable = TRUE);
  BOOL SetScrollPos32(int nBar, int nPos, BOOL bRedraw = TRUE);
  int GetScrollPos32(int nBar, BOOL bGetTrackPos = FALSE) const;
  int GetVScrollMax() const { return m_nVScrollMax; }
  int GetHScrollMax() const { return m_nHScrollMax; }
  // Bit 0: the horizontal bar is shown; bit 1: the vertical one.
  int GetScrollBarState() const { return m_nBarState; }

  // --- auto-sizing (style 0: the grid's auto-size style)
  BOOL AutoSizeRow(int nRow, BOOL bResetScroll = TRUE);
  BOOL AutoSizeColumn(int nCol, int nAutoSizeStyle = 0, BOOL bResetScroll = TRUE);
  void AutoSizeColumns(int nAutoSizeStyle = 0);

  BOOL Initialise();
  static int GetMouseScrollLines();
  void Refresh();

  // --- selection, focus and the marked cell
  BOOL IsCellSelected(int nRow, int nCol) const;
  BOOL IsCellSelected(const CCellID& cell) const { return IsCellSelected(cell.row, cell.col); }
  CCellRange GetSelectedCellRange() const;
  size_t GetSelectedCount() const { return m_SelectedCellMap.size(); }
  void SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint = FALSE,
                        BOOL bSelectCells = TRUE);
  void SetSelectedRange(const CCellRange& range, BOOL bForceRepaint = FALSE, BOOL bSelectCells = TRUE);
  void SelectCells(CCellID cell, BOOL bForceRepaint = FALSE, BOOL bSelectCells = TRUE);
  void SelectRows(CCellID cell, BOOL bForceRepaint = FALSE, BOOL bSelectCells = TRUE);
  void SelectColumns(CCellID cell, BOOL bForceRepaint = FALSE, BOOL bSelectCells = TRUE);
  void SelectAllCells();
  void OnSelecting(const CCellID& cell);
  void ResetSelectedRange();
  void EnableSelection(BOOL bEnable = TRUE);
  BOOL IsSelectable() const { return m_bEnableSelection; }
  virtual void OnEditSelectAll();
  // Both return the previous cell. (-1, -1) changes nothing; a row or column inside the fixed
  // ones moves to the first body row or column.
  CCellID SetFocusCell(int nRow, int nCol);
  CCellID SetFocusCell(const CCellID& cell) { return SetFocusCell(cell.row, cell.col); }
  CCellID GetFocusCell() const { return m_idCurrentCell; }
  CCellID SetMarkedCell(int nRow, int nCol);
  CCellID SetMarkedCell(const CCellID& cell) { return SetMarkedCell(cell.row, cell.col); }
  CCellID GetMarkedCell() const { return m_idMarkedCell; }
  void SetTrackFocusCell(BOOL bTrack) { m_bTrackFocusCell = bTrack; }
  BOOL GetTrackFocusCell() const { return m_bTrackFocusCell; }
  virtual void OnFixedColumnClick(const CCellID& cell);
  virtual void OnFixedRowClick(const CCellID& cell);

  // --- notifications to the owner (the window's owner, else its parent); the owner's answer
  LRESULT SendMessageToParent(int nRow, int nCol, int nMessage) const;
  LRESULT SendDisplayRequestToParent(GridDispInfo* pDisplayInfo) const;
  LRESULT SendCacheHintToParent(const CCellRange& range) const;

  // --- painting
  virtual void OnDraw(CDC* pDC);
  void EraseBkgnd(CDC* pDC);
  // Draws one cell at once (with the window's own context when none is given), its grid lines
  // and, for the marked cell, the mark.
  BOOL RedrawCell(int nRow, int nCol, CDC* pDC = nullptr);
  BOOL RedrawCell(const CCellID& cell, CDC* pDC = nullptr) { return RedrawCell(cell.row, cell.col, pDC); }

  // --- printing: the caller owns the printer context and calls begin, print for pages 1 to the
  // maximum page, then end.
  virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
  // Each value above -1 replaces the stored one: header and footer height, top and bottom margin
  // and the gap in lines, left and right margin in characters.
  void SetPrintMarginInfo(int nHeaderHeight, int nFooterHeight, int nLeftMargin, int nRightMargin, int nTopMargin,
                          int nBottomMargin, int nGap);

  // --- sorting and the row order of virtual mode
  // By the texts of the column (or the compare function when one is set), all body rows.
  BOOL SortItems(int nCol, BOOL bAscending, LPARAM data = 0);
  BOOL SortItems(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data = 0);
  // Rows low..high (high -1: the last row); FALSE for a column outside the table or high <= low.
  // In virtual mode the row order of all body rows is sorted with the virtual compare function.
  BOOL SortItems(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data, int low, int high);
  // Case-sensitive, by UTF-16 code unit; a missing cell equals every cell.
  static int CompareCellText(const CGridCellBase* cell1, const CGridCellBase* cell2, LPARAM data);
  // Virtual mode, after the owner put a row in at `nRow` (delta > 0: the entries from the row on
  // move up by delta and the row is put in at that position) or took one out (delta < 1: the
  // entries above it move by delta and the position is taken out); a row outside the order
  // changes nothing.
  virtual void ShiftRowOrder(int nRow, int nDelta);
  void ResetRowOrder();
  const std::vector<int>& GetRowOrder() const { return m_arRowOrder; }
  const std::vector<int>& GetColumnOrder() const { return m_arColOrder; }
  // The stored column that a virtual-mode sort orders by, for the owner's compare function.
  int GetVirtualSortColumn() const { return m_nVirtualSortColumn; }
  void SetSortColumn(int nCol);
  int GetSortColumn() const { return m_nSortColumn; }
  void SetSortAscending(BOOL bAscending) { m_bAscending = bAscending; }
  BOOL GetSortAscending() const { return m_bAscending; }
  void SetCompareFunction(GridCompareFunc compare) { m_pfnCompare = compare; }
  GridCompareFunc GetCompareFunction() const { return m_pfnCompare; }
  void SetVirtualCompare(GridVirtualCompareFunc compare) { m_pfnVirtualCompare = compare; }
  GridVirtualCompareFunc GetVirtualCompare() const { return m_pfnVirtualCompare; }

  // --- switches
  void SetVirtualMode(BOOL bVirtual) { m_bVirtualMode = bVirtual; }
  BOOL GetVirtualMode() const { return m_bVirtualMode; }
  void SetCallbackFunc(GridCallback callback, LPARAM lParam) {
    m_pfnCallback = callback;
    m_lParamCallback = lParam;
  }
  GridCallback GetCallbackFunc() const { return m_pfnCallback; }
  LPARAM GetCallbackParam() const { return m_lParamCallback; }
  void SetGridLines(int nWhichLines) { m_nGridLines = nWhichLines; }
  int GetGridLines() const { return m_nGridLines; }
  void SetEditable(BOOL bEditable) { m_bEditable = bEditable; }
  BOOL IsEditable() const { return m_bEditable; }
  void EnableDragAndDrop(BOOL bAllow) { m_bAllowDragAndDrop = bAllow; }
  BOOL GetDragAndDrop() const { return m_bAllowDragAndDrop; }
  void SetListMode(BOOL bListMode) { m_bListMode = bListMode; }
  BOOL GetListMode() const { return m_bListMode; }
  void SetSingleRowSelection(BOOL bSingle) { m_bSingleRowSelection = bSingle; }
  BOOL GetSingleRowSelection() const { return m_bSingleRowSelection; }
  void SetSingleColSelection(BOOL bSingle) { m_bSingleColSelection = bSingle; }
  BOOL GetSingleColSelection() const { return m_bSingleColSelection; }
  // Off: no drawing and no invalidation at all.
  void SetAllowDraw(BOOL bAllow) { m_bAllowDraw = bAllow; }
  BOOL GetAllowDraw() const { return m_bAllowDraw; }
  void SetFixedColumnSelection(BOOL bSelect) { m_bFixedColumnSelection = bSelect; }
  BOOL GetFixedColumnSelection() const { return m_bFixedColumnSelection; }
  void SetFixedRowSelection(BOOL bSelect) { m_bFixedRowSelection = bSelect; }
  BOOL GetFixedRowSelection() const { return m_bFixedRowSelection; }
  void SetSortOnClick(BOOL bSort) { m_bSortOnClick = bSort; }
  BOOL GetSortOnClick() const { return m_bSortOnClick; }
  void SetHandleTabKey(BOOL bHandle) { m_bHandleTabKey = bHandle; }
  BOOL GetHandleTabKey() const { return m_bHandleTabKey; }
  void SetDoubleBuffering(BOOL bBuffer) { m_bDoubleBuffer = bBuffer; }
  BOOL GetDoubleBuffering() const { return m_bDoubleBuffer; }
  void EnableTitleTips(BOOL bEnable) { m_bTitleTips = bEnable; }
  BOOL GetTitleTips() const { return m_bTitleTips; }
  void SetWysiwygPrinting(BOOL bWysiwyg) { m_bWysiwygPrinting = bWysiwyg; }
  BOOL GetWysiwygPrinting() const { return m_bWysiwygPrinting; }
  void SetShadedPrintOut(BOOL bShaded) { m_bShadedPrintOut = bShaded; }
  BOOL GetShadedPrintOut() const { return m_bShadedPrintOut; }
  void EnableHiddenColUnhide(BOOL bEnable) { m_bHiddenColUnhide = bEnable; }
  BOOL GetHiddenColUnhide() const { return m_bHiddenColUnhide; }
  void EnableHiddenRowUnhide(BOOL bEnable) { m_bHiddenRowUnhide = bEnable; }
  BOOL GetHiddenRowUnhide() const { return m_bHiddenRowUnhide; }
  void EnableColumnHide(BOOL bEnable) { m_bAllowColHide = bEnable; }
  BOOL GetColumnHide() const { return m_bAllowColHide; }
  void EnableRowHide(BOOL bEnable) { m_bAllowRowHide = bEnable; }
  BOOL GetRowHide() const { return m_bAllowRowHide; }
  void SetFrameFocusCell(BOOL bFrame) { m_bFrameFocus = bFrame; }
  BOOL GetFrameFocusCell() const { return m_bFrameFocus; }
  void SetAutoSizeStyle(int nStyle) { m_nAutoSizeColumnStyle = nStyle; }
  int GetAutoSizeStyle() const { return m_nAutoSizeColumnStyle; }
  void SetImageList(CImageList* pList) { m_pImageList = pList; }
  CImageList* GetImageList() const { return m_pImageList; }
  void SetDragRowMode(BOOL bDragRow) { m_bDragRowMode = bDragRow; }
  BOOL GetDragRowMode() const { return m_bDragRowMode; }
  void SetAllowColumnReorder(BOOL bAllow) { m_bAllowColumnReorder = bAllow; }
  BOOL GetAllowColumnReorder() const { return m_bAllowColumnReorder; }
  void SetQuitFocusOnTab(BOOL bQuit) { m_bQuitFocusOnTab = bQuit; }
  BOOL GetQuitFocusOnTab() const { return m_bQuitFocusOnTab; }
  void SetAllowSelectRowInFixedCol(BOOL bAllow) { m_bAllowSelectRowInFixedCol = bAllow; }
  BOOL GetAllowSelectRowInFixedCol() const { return m_bAllowSelectRowInFixedCol; }
  void SetRowResize(BOOL bResize) { m_bAllowRowResize = bResize; }
  BOOL GetRowResize() const { return m_bAllowRowResize; }
  void SetColumnResize(BOOL bResize) { m_bAllowColumnResize = bResize; }
  BOOL GetColumnResize() const { return m_bAllowColumnResize; }
  // Rows scrolled per wheel notch; UINT_MAX scrolls a page per notch.
  void SetWheelLines(UINT nLines) { m_nRowsPerWheelNotch = nLines; }
  UINT GetWheelLines() const { return m_nRowsPerWheelNotch; }

  // --- colours
  void SetGridBkColor(COLORREF colour) { m_crGridBkColour = colour; }
  COLORREF GetGridBkColor() const { return m_crGridBkColour; }
  void SetGridLineColor(COLORREF colour) { m_crGridLineColour = colour; }
  COLORREF GetGridLineColor() const { return m_crGridLineColour; }
  void SetMarkColor(COLORREF colour) { m_crMarkColour = colour; }
  COLORREF GetMarkColor() const { return m_crMarkColour; }
  void SetTitleTipTextClr(COLORREF colour) { m_crTTipTextClr = colour; }
  COLORREF GetTitleTipTextClr() const { return m_crTTipTextClr; }
  void SetTitleTipBackClr(COLORREF colour) { m_crTTipBackClr = colour; }
  COLORREF GetTitleTipBackClr() const { return m_crTTipBackClr; }
  CTitleTip& GetTitleTip() { return m_TitleTip; }

 protected:
  using GridRow = std::vector<std::unique_ptr<CGridCellBase>>;
  // The selected-cell maps key a cell by its full row and column.
  using CellMap = std::unordered_map<std::uint64_t, CCellID>;
  static std::uint64_t CellKey(int nRow, int nCol) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(nRow)) << 32) | static_cast<std::uint32_t>(nCol);
  }

  virtual std::unique_ptr<CGridCellBase> CreateCell(int nRow, int nCol);
  virtual void DestroyCell(int nRow, int nCol);

  // Printing, one part of a page each.
  virtual void PrintFixedRowCells(int nStartColumn, int nStopColumn, int nRow, CRect& rect, CDC* pDC, BOOL& bFirst);
  virtual void PrintColumnHeadings(CDC* pDC, CPrintInfo* pInfo);
  virtual void PrintHeader(CDC* pDC, CPrintInfo* pInfo);
  virtual void PrintFooter(CDC* pDC, CPrintInfo* pInfo);
  virtual void PrintRowButtons(CDC* pDC, CPrintInfo* pInfo);

  // Message handlers.
  void OnPaint();
  void OnSize();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  void OnRButtonUp(UINT nFlags, CPoint point);
  void OnTimer(UINT_PTR nIDEvent);
  BOOL OnSetCursor(UINT nHitTest);
  void OnCaptureChanged(HWND newCapture);
  void OnKeyDown(UINT nChar);
  void OnChar(UINT nChar);
  void OnImeChar(UINT nChar);
  LRESULT OnGetDlgCode();
  LRESULT OnEndInPlaceEdit(const GridDispInfo* pInfo);
  BOOL OnEditCommand(UINT nID);
  // WM_HSCROLL (bar SB_HORZ) and WM_VSCROLL (SB_VERT).
  void OnScroll(int nBar, UINT nSBCode);
  void OnMouseWheel(short zDelta);
  LRESULT OnSetFont(WPARAM font);
  LRESULT OnGetFont();
  void OnSysColorChange();

  // --- table
  int m_nRows = 0;
  int m_nFixedRows = 0;
  int m_nCols = 0;
  int m_nFixedCols = 0;
  std::vector<UINT> m_arRowHeights;
  std::vector<UINT> m_arColWidths;  // by stored column
  std::vector<int> m_arColOrder;    // displayed column -> stored column
  std::vector<int> m_arRowOrder;    // displayed row -> the owner's row, virtual mode only
  std::vector<std::unique_ptr<GridRow>> m_RowData;
  CGridDefaultCell m_cellDefault;
  CGridDefaultCell m_cellFixedColDef;
  CGridDefaultCell m_cellFixedRowDef;
  CGridDefaultCell m_cellFixedRowColDef;
  GridCellFactory m_pfnCellFactory = &MakeGridCell<CGridCell>;

  // --- colours
  COLORREF m_crWindowText = 0;
  COLORREF m_crWindowColour = 0;
  COLORREF m_cr3DFace = 0;
  COLORREF m_crShadow = 0;
  COLORREF m_crGridBkColour = 0;
  COLORREF m_crGridLineColour = RGB(192, 192, 192);
  COLORREF m_crMarkColour = RGB(0, 0, 192);
  COLORREF m_crTTipBackClr = CLR_DEFAULT;
  COLORREF m_crTTipTextClr = CLR_DEFAULT;

  // --- switches
  BOOL m_bVirtualMode = FALSE;
  GridCallback m_pfnCallback = nullptr;
  LPARAM m_lParamCallback = 0;
  int m_nGridLines = GGL_BOTH;
  BOOL m_bEditable = TRUE;
  BOOL m_bModified = FALSE;
  BOOL m_bAllowDragAndDrop = FALSE;
  BOOL m_bListMode = FALSE;
  BOOL m_bSingleRowSelection = FALSE;
  BOOL m_bSingleColSelection = FALSE;
  BOOL m_bAllowDraw = TRUE;
  BOOL m_bEnableSelection = TRUE;
  BOOL m_bFixedColumnSelection = TRUE;
  BOOL m_bFixedRowSelection = TRUE;
  BOOL m_bSortOnClick = FALSE;
  BOOL m_bHandleTabKey = TRUE;
  BOOL m_bDoubleBuffer = TRUE;
  BOOL m_bTitleTips = TRUE;
  int m_nBarState = 0;
  BOOL m_bWysiwygPrinting = FALSE;
  BOOL m_bShadedPrintOut = TRUE;
  BOOL m_bHiddenColUnhide = TRUE;
  BOOL m_bHiddenRowUnhide = TRUE;
  BOOL m_bAllowColHide = TRUE;
  BOOL m_bAllowRowHide = TRUE;
  BOOL m_bTrackFocusCell = TRUE;
  BOOL m_bFrameFocus = TRUE;
  int m_nAutoSizeColumnStyle = GAS_ALL_ROWS;
  CImageList* m_pImageList = nullptr;
  BOOL m_bAscending = TRUE;
  int m_nSortColumn = -1;
  GridCompareFunc m_pfnCompare = nullptr;
  GridVirtualCompareFunc m_pfnVirtualCompare = nullptr;
  BOOL m_bDragRowMode = TRUE;
  BOOL m_bAllowColumnReorder = FALSE;
  BOOL m_bQuitFocusOnTab = FALSE;
  BOOL m_bAllowSelectRowInFixedCol = FALSE;
  BOOL m_bInDestructor = FALSE;
  int m_MouseMode = GMM_NOTHING;
  BOOL m_bLMouseButtonDown = FALSE;
  BOOL m_bRMouseButtonDown = FALSE;
  CPoint m_LeftClickDownPoint;
  CPoint m_LastMousePoint;
  UINT_PTR m_nTimerID = 0;
  int m_nResizeIndex = -1;  // the column or row that the mouse is sizing
  int m_nDragColumn = -1;   // the displayed column whose heading is dragged
  int m_nDragRow = -1;      // the row under the last left-button press
  UINT m_nTimerInterval = 25;
  int m_nResizeCaptureRange = 3;
  BOOL m_bAllowRowResize = TRUE;
  BOOL m_bAllowColumnResize = TRUE;
  UINT m_nRowsPerWheelNotch = 3;

  // --- current cells and the selection
  CCellID m_LeftClickDownCell;
  CCellID m_SelectionStartCell;
  CCellID m_idCurrentCell;
  CCellID m_idTopLeftCell;
  CCellID m_idMarkedCell;
  CCellID m_LastDragOverCell;
  CellMap m_SelectedCellMap;
  CellMap m_PrevSelectedCellMap;

  // --- the title tip, drag-and-drop and the clipboard
  CTitleTip m_TitleTip;
  CGridDropTarget m_DropTarget;
  bool m_bDragSource = false;    // the drag loop of this grid runs
  bool m_bMovedInside = false;   // the drop reordered this grid's columns or rows
  const COleDataSource* m_pClipboardSource = nullptr;  // what this grid last put on the clipboard

  // --- virtual mode
  int m_nVirtualSortColumn = -1;
  mutable bool m_bInDisplayRequest = false;

  // --- scrolling
  int m_nVScrollMax = 0;
  int m_nHScrollMax = 0;

  // --- printing
  CFont m_PrinterFont;
  CSize m_CharSize;
  CSize m_PaperSize;
  CSize m_LogicalPageSize;
  int m_nPageHeight = 0;
  int m_nPageWidth = 0;
  int m_nNumPages = 0;
  int m_nPageMultiplier = 1;
  int m_nCurrPrintRow = 0;
  int m_nPrintColumn = 0;
  int m_nHeaderHeight = 2;
  int m_nFooterHeight = 2;
  int m_nTopMargin = 1;
  int m_nBottomMargin = 1;
  int m_nLeftMargin = 4;
  int m_nRightMargin = 4;
  int m_nGap = 1;

 private:
  std::array<CGridDefaultCell*, 4> DefaultCells() {
    return {&m_cellDefault, &m_cellFixedColDef, &m_cellFixedRowDef, &m_cellFixedRowColDef};
  }
  void SetupDefaultCells();
  void ResetColumnOrder();
  void SetFixedCellState(int nRow, int nCol, UINT lineBit, bool fixed, bool fixedOtherwise);
  void ClearModifiedBits();
  int ScrollLine(int nBar, UINT nSBCode);
  // Moves a running span (inclusive edges) on past a row or column of the given size; false, and
  // the span unchanged, for a hidden one.
  static bool NextSpan(int size, LONG& first, LONG& last) {
    if (size <= 0) return false;
    first = last + 1;
    last = first + size - 1;
    return true;
  }
  LRESULT NotifyOwner(NMHDR& header, int nCode) const;
  void RedrawOrInvalidate(const CCellID& cell, CDC* pDC);
  void RedrawTrackedFixedCells(const CCellID& cell, const CCellID& other);
  void DrawCellPasses(CDC* pDC, const CRect& clip, const CCellRange& visible);
  void DrawGridLines(CDC* pDC, const CCellRange& visible, const CRect& visibleRect);
  void DrawMark(CDC* pDC, const CRect& rect);
  int NextPrintBand(int nFirstRow) const;
  int NextPrintColumnPage(int nFirstCol) const;
  void PrintBody(CDC* pDC);
  void PrintCellLines(CDC* pDC, const CRect& rect, int overlapX, int overlapY, int topY, int leftX);

  // Whether the grid outlived what its owner did while it handled a notification: `self` is the
  // grid's window before the notification (null: the grid had none, so no owner heard of it).
  static bool Alive(HWND self) { return !self || IsWindow(self); }
  bool IsBodyCell(const CCellID& cell) const { return cell.row >= m_nFixedRows && cell.col >= m_nFixedCols; }
  bool IsPointInTextArea(const CCellID& cell, CPoint point);

  // Mouse: sizing rows (columns false) and columns with a tracker.
  int LineSize(bool columns, int index) const { return columns ? GetColumnWidth(index) : GetRowHeight(index); }
  bool LineOrigin(bool columns, int index, int* start);
  void StartSizing(CPoint point, bool columns);
  bool FinishSizing(CPoint point, bool columns);
  void InvertTracker(bool columns, int pos);
  void AutoSizeAtDivider(const CCellID& cell, CPoint point, bool columns);
  void SelectOnButtonDown(UINT nFlags);
  bool ReleaseClick(CPoint point);
  void ShowTitleTip(CPoint point);
  void StopSelectionTimer();

  // Keyboard.
  struct KeyStep {
    CCellID next;
    bool wrapped = false;
    bool hScrolled = false;
    bool vScrolled = false;
  };
  void RunEditShortcut(UINT nChar, bool ctrl, bool shift);
  bool StepForKey(UINT nChar, bool ctrl, bool shift, KeyStep& step);
  void StepRight(bool tab, KeyStep& step);
  void StepLeft(bool tab, KeyStep& step);
  void StepPage(bool down, KeyStep& step);
  void StepHomeEnd(bool home, bool ctrl, KeyStep& step);
  void MoveFocusByKey(UINT nChar, bool shift, KeyStep& step);
  int NextVisibleRow(int row) const;
  int PreviousVisibleRow(int row) const;

  // Editing, pasting and dropping: the text is tried in the cell and kept when accepted; false
  // when the grid's window went away meanwhile.
  bool StoreCheckedText(int nRow, int nCol, const CString& text);
  bool PasteLine(std::wstring_view line, int nRow, int nFirstCol, CCellRange& pasted);
  BOOL DropColumn();
  bool IsRowDrag() const { return m_bDragRowMode && m_bDragSource && m_nDragColumn < 0; }
  void SetDropHighlight(const CCellID& cell, bool on);

  // Sorting and virtual mode.
  CGridCellBase* VirtualCell(int nRow, int nCol) const;
  void QuickSortRows(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data, int low, int high);
  void SwapRows(int row1, int row2);

  // The ends (exclusive) of the page being printed: its band of rows and its column page.
  int m_nPrintBandEnd = 0;
  int m_nPrintColumnEnd = 0;
};
