// The records and constants that the grid shares with its cells, its owner and its helpers: the
// cell-description record, the notification records, the cell state bits and the switch values.
#pragma once

#include "controls/grid/CellRange.h"
#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/wnd/WinMessages.h"

class CGridCellBase;

// Which fields of a GridItemRecord are valid.
constexpr UINT GIF_TEXT = 0x001;
constexpr UINT GIF_IMAGE = 0x002;
constexpr UINT GIF_PARAM = 0x004;
constexpr UINT GIF_STATE = 0x008;
constexpr UINT GIF_BKCLR = 0x010;
constexpr UINT GIF_FGCLR = 0x020;
constexpr UINT GIF_FORMAT = 0x040;
constexpr UINT GIF_FONT = 0x080;
constexpr UINT GIF_MARGIN = 0x100;
constexpr UINT GIF_ALL = 0x1FF;

// Cell state bits.
constexpr UINT GCS_FOCUSED = 0x01;
constexpr UINT GCS_SELECTED = 0x02;
constexpr UINT GCS_DROPHILITED = 0x04;
constexpr UINT GCS_READONLY = 0x08;
constexpr UINT GCS_FIXED = 0x10;
constexpr UINT GCS_FIXEDROW = 0x20;
constexpr UINT GCS_FIXEDCOL = 0x40;
constexpr UINT GCS_MODIFIED = 0x80;

// Grid-line styles.
constexpr int GGL_NONE = 0;
constexpr int GGL_HORZ = 1;
constexpr int GGL_VERT = 2;
constexpr int GGL_BOTH = 3;

// Auto-size styles: which rows a column is measured over.
constexpr int GAS_FIXED_ROWS = 1;
constexpr int GAS_BODY_ROWS = 2;
constexpr int GAS_ALL_ROWS = 3;

// Unset attributes of a cell: its default cell's value shows.
constexpr DWORD GRID_FORMAT_DEFAULT = 0xFFFFFFFFu;
constexpr UINT GRID_MARGIN_DEFAULT = 0xFFFFFFFFu;

// Mouse modes of the grid's input handling.
constexpr int GMM_NOTHING = 0;
constexpr int GMM_SELECT_ALL = 1;
constexpr int GMM_SELECT_COL = 2;
constexpr int GMM_SELECT_ROW = 3;
constexpr int GMM_SELECT_CELLS = 4;
constexpr int GMM_OVER_ROW_DIVIDE = 6;
constexpr int GMM_SIZING_ROW = 7;
constexpr int GMM_OVER_COL_DIVIDE = 8;
constexpr int GMM_SIZING_COL = 9;
constexpr int GMM_PREPARE_EDIT = 10;
constexpr int GMM_PREPARE_DRAG = 11;
constexpr int GMM_DRAGGING = 12;

// One cell described: in SetItem, in the owner's display request and in the end of an edit.
struct GridItemRecord {
  int row = 0;
  int col = 0;
  UINT mask = 0;
  UINT state = 0;
  UINT nFormat = 0;
  int iImage = -1;
  COLORREF crBkClr = CLR_DEFAULT;
  COLORREF crFgClr = CLR_DEFAULT;
  LPARAM lParam = 0;
  LOGFONTW lfFont;
  UINT nMargin = 0;
  CString strText;
};

// WM_NOTIFY records sent to the owner.
struct GridNotify {
  NMHDR hdr;
  int iRow = -1;
  int iColumn = -1;
};
struct GridDispInfo {
  NMHDR hdr;
  GridItemRecord item;
};
struct GridCacheHint {
  NMHDR hdr;
  CCellRange range;
};

// The owner's supplier of cells in virtual mode, used instead of the display request.
using GridCallback = BOOL (*)(GridDispInfo* info, LPARAM lParam);
// Sorting: < 0 when the first cell sorts first, 0 when equal, > 0 otherwise.
using GridCompareFunc = int (*)(const CGridCellBase* cell1, const CGridCellBase* cell2, LPARAM data);
// Sorting in virtual mode: whether the first row (by its row-order value) sorts first.
using GridVirtualCompareFunc = bool (*)(int row1, int row2);
