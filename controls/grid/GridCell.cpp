// Cell attributes, their fall-back to the default cells, and the default cells' own font and size.
#include "controls/grid/GridCell.h"

#include "controls/grid/GridCtrl.h"
#include "controls/grid/InPlaceEdit.h"
#include "platform/wnd/Input.h"

namespace {

// A stored copy of a logical font whose face name always ends within its 32 characters, so that
// a name that fills them is never read on past its end.
void StoreFont(std::unique_ptr<LOGFONT>& stored, const LOGFONT& font) {
  if (!stored) stored = std::make_unique<LOGFONT>();
  *stored = font;
  stored->lfFaceName[LF_FACESIZE - 1] = L'\0';
}

}  // namespace

CGridCellBase& CGridCellBase::operator=(const CGridCellBase& source) {
  if (this == &source) return *this;
  SetGrid(source.GetGrid());
  SetText(source.GetText());
  SetImage(source.GetImage());
  SetData(source.GetData());
  SetState(source.GetState());
  SetFormat(source.GetFormat());
  SetTextClr(source.GetTextClr());
  SetBackClr(source.GetBackClr());
  SetFont(source.IsDefaultFont() ? nullptr : source.GetFont());
  SetMargin(source.GetMargin());
  return *this;
}

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
  CGridCtrl* grid = GetGrid();
  return grid ? grid->GetDefaultCell(IsFixedRow(), IsFixedCol()) : nullptr;
}

void CGridCellBase::Reset() { m_nState = 0; }

BOOL CGridCellBase::OnSetCursor() {
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  return TRUE;
}

CGridCell::CGridCell() = default;

CGridCell::~CGridCell() = default;

void CGridCell::SetFont(const LOGFONT* font) {
  m_pFontObject.reset();
  if (font) {
    StoreFont(m_plfFont, *font);
  } else {
    m_plfFont.reset();
  }
}

const CGridDefaultCell* CGridCell::FallBack() const {
  const CGridDefaultCell* def = GetDefaultCell();
  return def == this ? nullptr : def;
}

DWORD CGridCell::GetFormat() const {
  if (m_nFormat != GRID_FORMAT_DEFAULT) return m_nFormat;
  const CGridDefaultCell* def = FallBack();
  return def ? def->GetFormat() : 0;
}

UINT CGridCell::GetMargin() const {
  if (m_nMargin != GRID_MARGIN_DEFAULT) return m_nMargin;
  const CGridDefaultCell* def = FallBack();
  return def ? def->GetMargin() : 0;
}

const LOGFONT* CGridCell::GetFont() const {
  if (m_plfFont) return m_plfFont.get();
  const CGridDefaultCell* def = FallBack();
  return def ? def->GetFont() : nullptr;
}

CFont* CGridCell::GetFontObject() const {
  if (m_plfFont) {
    if (!m_pFontObject) {
      m_pFontObject = std::make_unique<CFont>();
      m_pFontObject->CreateFontIndirect(m_plfFont.get());
    }
    return m_pFontObject.get();
  }
  const CGridDefaultCell* def = FallBack();
  return def ? def->GetFontObject() : nullptr;
}

void CGridCell::Reset() {
  CGridCellBase::Reset();
  m_strText.Empty();
  m_nImage = -1;
  m_lParam = 0;
  m_bEditing = FALSE;
  m_pGrid = nullptr;
  m_hEditWnd = nullptr;
  m_nFormat = GRID_FORMAT_DEFAULT;
  m_crFgClr = CLR_DEFAULT;
  m_crBkClr = CLR_DEFAULT;
  m_nMargin = GRID_MARGIN_DEFAULT;
  SetFont(nullptr);
}

CInPlaceEdit* CGridCell::GetEditWnd() const { return dynamic_cast<CInPlaceEdit*>(CWnd::FromHandle(m_hEditWnd)); }

BOOL CGridCell::Edit(int nRow, int nCol, CRect rect, CPoint, UINT nID, UINT nChar) {
  if (IsEditing()) {
    GetEditWnd()->SendMessage(WM_CHAR, nChar);
    return TRUE;
  }
  CGridCtrl* grid = GetGrid();
  if (!grid || !grid->GetSafeHwnd()) return FALSE;
  const DWORD format = GetFormat();
  const DWORD style = (format & DT_RIGHT) ? ES_RIGHT : (format & DT_CENTER) ? ES_CENTER : ES_LEFT;
  auto* editor = new CInPlaceEdit(grid, rect, style, nID, nRow, nCol, GetText(), nChar);
  if (!editor->GetSafeHwnd()) {
    delete editor;
    return FALSE;
  }
  m_hEditWnd = editor->GetSafeHwnd();
  m_bEditing = TRUE;
  return TRUE;
}

void CGridCell::EndEdit() {
  if (CInPlaceEdit* editor = GetEditWnd()) editor->EndEdit();
}

void CGridCell::OnEndEdit() {
  m_bEditing = FALSE;
  m_hEditWnd = nullptr;
}

CGridDefaultCell::CGridDefaultCell() {
  m_nFormat = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
  const LOGFONTW messageFont = plat::MessageFont();
  SetFont(&messageFont);
}

void CGridDefaultCell::SetFont(const LOGFONT* font) {
  if (!font) return;
  CGridCell::SetFont(font);
  m_Font.DeleteObject();
  m_Font.CreateFontIndirect(m_plfFont.get());

  // The margin is one space and the default size fits twelve X between two spaces, one and a
  // half lines high, as the screen shows the font; a screen that cannot measure text gets fixed
  // sizes.
  CDC screen;
  TEXTMETRIC metrics;
  if (!screen.CreateCompatibleDC(nullptr) || !screen.GetTextMetrics(&metrics)) {
    SetMargin(3);
    m_Size = CSize(40, 16);
    return;
  }
  CFont* previous = screen.SelectObject(&m_Font);
  SetMargin(static_cast<UINT>(screen.GetTextExtent(L" ", 1).cx));
  m_Size = screen.GetTextExtent(L" XXXXXXXXXXXX ", 14);
  m_Size.cy = (m_Size.cy * 3) / 2;
  screen.SelectObject(previous);
}
