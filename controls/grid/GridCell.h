// The cells of the grid. Every cell keeps its text, image, user data, drawing format, colours,
// font and margin, and leaves any of them unset (CLR_DEFAULT, GRID_FORMAT_DEFAULT,
// GRID_MARGIN_DEFAULT, no font) to show its default cell's value instead. The grid owns four
// default cells: for plain cells, for cells of fixed rows, of fixed columns and of both.
#pragma once

#include <memory>

#include "controls/grid/GridTypes.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiObjects.h"

class CGridCtrl;
class CGridDefaultCell;
class CInPlaceEdit;

class CGridCellBase {
 public:
  CGridCellBase() = default;
  virtual ~CGridCellBase() = default;
  CGridCellBase(const CGridCellBase&) = delete;
  // Copies the attributes of another cell through its getters and this cell's setters: grid,
  // text, image, data, state, format, colours, own font and margin.
  CGridCellBase& operator=(const CGridCellBase& source);

  // --- attributes
  virtual void SetText(LPCTSTR text) = 0;
  virtual void SetImage(int image) = 0;
  virtual void SetData(LPARAM data) = 0;
  virtual void SetState(DWORD state) { m_nState = state; }
  virtual void SetFormat(DWORD format) = 0;
  virtual void SetTextClr(COLORREF colour) = 0;
  virtual void SetBackClr(COLORREF colour) = 0;
  // Null forgets the cell's own font.
  virtual void SetFont(const LOGFONT* font) = 0;
  virtual void SetMargin(UINT margin) = 0;
  virtual void SetGrid(CGridCtrl* grid) = 0;
  virtual void SetCoords(int, int) {}

  virtual LPCTSTR GetText() const = 0;
  virtual LPCTSTR GetTipText() const { return GetText(); }
  virtual int GetImage() const = 0;
  virtual LPARAM GetData() const = 0;
  virtual DWORD GetState() const { return m_nState; }
  // The format, font, font object and margin fall back to the default cell's; the colours do not
  // (CLR_DEFAULT is returned as it is, and drawing takes the default cell's colour for it).
  virtual DWORD GetFormat() const = 0;
  virtual COLORREF GetTextClr() const = 0;
  virtual COLORREF GetBackClr() const = 0;
  virtual const LOGFONT* GetFont() const = 0;
  virtual CFont* GetFontObject() const = 0;
  virtual CGridCtrl* GetGrid() const = 0;
  virtual CInPlaceEdit* GetEditWnd() const = 0;
  virtual UINT GetMargin() const = 0;
  // The grid's default cell for this cell's kind (fixed row, fixed column); null without a grid.
  virtual CGridDefaultCell* GetDefaultCell() const;
  virtual BOOL IsDefaultFont() const = 0;
  virtual BOOL IsEditing() const = 0;

  BOOL IsFocused() const { return (GetState() & GCS_FOCUSED) != 0; }
  BOOL IsFixed() const { return (GetState() & GCS_FIXED) != 0; }
  BOOL IsFixedCol() const { return (GetState() & GCS_FIXEDCOL) != 0; }
  BOOL IsFixedRow() const { return (GetState() & GCS_FIXEDROW) != 0; }
  BOOL IsSelected() const { return (GetState() & GCS_SELECTED) != 0; }
  BOOL IsReadOnly() const { return (GetState() & GCS_READONLY) != 0; }
  BOOL IsModified() const { return (GetState() & GCS_MODIFIED) != 0; }
  BOOL IsDropHighlighted() const { return (GetState() & GCS_DROPHILITED) != 0; }

  // Back to the state in which every attribute comes from the default cell.
  virtual void Reset();

  // --- drawing and measuring
  // Draws the cell into the rectangle (inclusive right and bottom edges, as the grid lays cells
  // out); FALSE and nothing drawn without a grid, a default cell or an empty rectangle.
  virtual BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd = TRUE);
  // Moves the rectangle's left edge past the cell's image.
  virtual BOOL GetTextRect(LPRECT pRect) const;
  virtual BOOL GetTipTextRect(LPRECT pRect) const { return GetTextRect(pRect); }
  // The text's size in the cell's font with the margins; with no device context the grid's.
  virtual CSize GetTextExtent(LPCTSTR text, CDC* pDC = nullptr) const;
  virtual CSize GetCellExtent(CDC* pDC) const;
  virtual BOOL PrintCell(CDC* pDC, int nRow, int nCol, CRect rect);

  // --- in-place editing (a cell that edits its text overrides these)
  virtual BOOL Edit(int, int, CRect, CPoint, UINT, UINT) { return FALSE; }
  virtual BOOL ValidateEdit(LPCTSTR) { return TRUE; }
  virtual void EndEdit() {}
  virtual void OnEndEdit() {}

  // --- the mouse over the cell
  virtual void OnMouseOver() {}
  virtual void OnClick(CPoint) {}
  virtual void OnClickDown(CPoint) {}
  virtual void OnRClick(CPoint) {}
  virtual void OnDblClick(CPoint) {}
  // Shows the arrow cursor; TRUE.
  virtual BOOL OnSetCursor();

 protected:
  DWORD m_nState = 0;

 private:
  void DrawBackground(CDC* pDC, CRect& rect, BOOL bEraseBkgnd, const CGridDefaultCell& def);
  void DrawFixedEdge(CDC* pDC, int nRow, int nCol, CRect& rect);
  void DrawImage(CDC* pDC, const CRect& rect, bool fitOnly) const;
  void DrawSortArrow(CDC* pDC, const CRect& rect) const;
};

class CGridCell : public CGridCellBase {
 public:
  CGridCell();
  ~CGridCell() override;
  using CGridCellBase::operator=;
  CGridCell& operator=(const CGridCell& source) {
    CGridCellBase::operator=(source);
    return *this;
  }

  void SetText(LPCTSTR text) override { m_strText = text; }
  void SetImage(int image) override { m_nImage = image; }
  void SetData(LPARAM data) override { m_lParam = data; }
  void SetFormat(DWORD format) override { m_nFormat = format; }
  void SetTextClr(COLORREF colour) override { m_crFgClr = colour; }
  void SetBackClr(COLORREF colour) override { m_crBkClr = colour; }
  void SetFont(const LOGFONT* font) override;
  void SetMargin(UINT margin) override { m_nMargin = margin; }
  void SetGrid(CGridCtrl* grid) override { m_pGrid = grid; }

  LPCTSTR GetText() const override { return m_strText.GetString(); }
  int GetImage() const override { return m_nImage; }
  LPARAM GetData() const override { return m_lParam; }
  DWORD GetFormat() const override;
  COLORREF GetTextClr() const override { return m_crFgClr; }
  COLORREF GetBackClr() const override { return m_crBkClr; }
  const LOGFONT* GetFont() const override;
  CFont* GetFontObject() const override;
  CGridCtrl* GetGrid() const override { return m_pGrid; }
  // The open editor; null when there is none or its window has gone.
  CInPlaceEdit* GetEditWnd() const override;
  UINT GetMargin() const override;
  BOOL IsDefaultFont() const override { return m_plfFont == nullptr; }
  // Editing lasts while the editor's window does.
  BOOL IsEditing() const override { return m_bEditing && GetEditWnd() != nullptr; }

  void Reset() override;
  // Opens an editor over the rectangle (aligned as the text is drawn) and counts as editing once
  // its window exists; FALSE when none could be made. While editing, the character is only typed
  // into the open editor.
  BOOL Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) override;
  // Asks the open editor to report its text and close.
  void EndEdit() override;
  // Forgets the editor, which has reported its text and closed.
  void OnEndEdit() override;

 protected:
  // The default cell that stands in for an unset attribute; null when there is none, or when
  // this cell is that default cell itself.
  const CGridDefaultCell* FallBack() const;

  CString m_strText;
  LPARAM m_lParam = 0;
  int m_nImage = -1;
  DWORD m_nFormat = GRID_FORMAT_DEFAULT;
  COLORREF m_crFgClr = CLR_DEFAULT;
  COLORREF m_crBkClr = CLR_DEFAULT;
  std::unique_ptr<LOGFONT> m_plfFont;
  UINT m_nMargin = GRID_MARGIN_DEFAULT;
  BOOL m_bEditing = FALSE;
  CGridCtrl* m_pGrid = nullptr;
  // The editor by its window, so that an editor that is gone is never reached.
  HWND m_hEditWnd = nullptr;

 private:
  // The font object of the cell's own font, made when first asked for and kept until the font
  // changes, so that a context may keep it selected.
  mutable std::unique_ptr<CFont> m_pFontObject;
};

class CGridDefaultCell : public CGridCell {
 public:
  CGridDefaultCell();
  using CGridCell::operator=;

  // Default cells are always read-only.
  DWORD GetState() const override { return m_nState | GCS_READONLY; }
  // Also remakes the font object and measures the default size and margin with it; a null font
  // changes nothing.
  void SetFont(const LOGFONT* font) override;
  const LOGFONT* GetFont() const override { return m_plfFont.get(); }
  CFont* GetFontObject() const override { return &m_Font; }

  int GetWidth() const { return m_Size.cx; }
  int GetHeight() const { return m_Size.cy; }
  void SetWidth(int width) { m_Size.cx = width; }
  void SetHeight(int height) { m_Size.cy = height; }

 private:
  CSize m_Size{30, 10};
  mutable CFont m_Font;
};

// Makes the plain cells of a grid; a grid can be given another maker of cells of its own class.
using GridCellFactory = std::unique_ptr<CGridCellBase> (*)();
template <class Cell>
std::unique_ptr<CGridCellBase> MakeGridCell() {
  return std::make_unique<Cell>();
}
