// The grid's life: construction with its defaults, its window class, the messages it answers,
// its font and the system colours it follows.
#include "controls/grid/GridCtrl.h"

#include "platform/wnd/Input.h"

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols) {
  RegisterWindowClass();
  m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
  m_crWindowColour = GetSysColor(COLOR_WINDOW);
  m_cr3DFace = GetSysColor(COLOR_3DFACE);
  m_crShadow = GetSysColor(COLOR_3DSHADOW);
  m_nRowsPerWheelNotch = static_cast<UINT>(GetMouseScrollLines());
  SetupDefaultCells();
  m_crGridBkColour = m_crShadow;
  SetRowCount(nRows);
  SetColumnCount(nCols);
  SetFixedRowCount(nFixedRows);
  SetFixedColumnCount(nFixedCols);
  SetPrintMarginInfo(2, 2, 4, 4, 1, 1, 1);
}

CGridCtrl::~CGridCtrl() {
  m_bInDestructor = TRUE;
  DeleteAllItems();
  if (m_bTitleTips && IsWindow(m_TitleTip.GetSafeHwnd())) m_TitleTip.DestroyWindow();
  DestroyWindow();
  // Text this grid put on the clipboard stays there for other programs after the grid is gone.
  if (m_pClipboardSource && COleDataSource::GetClipboardOwner() == m_pClipboardSource) COleDataSource::FlushClipboard();
}

BOOL CGridCtrl::RegisterWindowClass() {
  WNDCLASSW cls;
  if (GetClassInfo(kWindowClass, &cls)) return TRUE;
  cls.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = COLOR_3DFACE + 1;
  cls.lpszClassName = kWindowClass;
  return RegisterClass(&cls);
}

void CGridCtrl::SetupDefaultCells() {
  for (CGridDefaultCell* def : DefaultCells()) {
    def->SetGrid(this);
    def->SetTextClr(m_crWindowText);
    def->SetBackClr(def == &m_cellDefault ? m_crWindowColour : m_cr3DFace);
  }
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol) {
  return const_cast<CGridDefaultCell*>(static_cast<const CGridCtrl*>(this)->GetDefaultCell(bFixedRow, bFixedCol));
}

const CGridDefaultCell* CGridCtrl::GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol) const {
  if (bFixedRow && bFixedCol) return &m_cellFixedRowColDef;
  if (bFixedRow) return &m_cellFixedRowDef;
  if (bFixedCol) return &m_cellFixedColDef;
  return &m_cellDefault;
}

void CGridCtrl::PreSubclassWindow() {
  CWnd::PreSubclassWindow();
  Initialise();
}

namespace {

CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

}  // namespace

LRESULT CGridCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto flags = static_cast<UINT>(wParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
      OnLButtonDown(flags, PointOf(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(flags, PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(flags, PointOf(lParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(flags, PointOf(lParam));
      return 0;
    case WM_RBUTTONUP:
      OnRButtonUp(flags, PointOf(lParam));
      return 0;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_SETCURSOR:
      return OnSetCursor(LOWORD(static_cast<DWORD_PTR>(lParam)));
    case WM_CAPTURECHANGED:
      OnCaptureChanged(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(flags);
      return 0;
    case WM_CHAR:
      OnChar(flags);
      return 0;
    case WM_IME_CHAR:
      OnImeChar(flags);
      return 0;
    case WM_GETDLGCODE:
      return OnGetDlgCode();
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->idFrom == kInPlaceEditId && static_cast<int>(header->code) == LVN_ENDLABELEDITW) {
        return OnEndInPlaceEdit(reinterpret_cast<const GridDispInfo*>(lParam));
      }
      break;
    }
    case WM_DESTROY:
      m_TitleTip.Hide();
      m_DropTarget.Revoke();
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the full redraw fills the background itself
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      break;
    case WM_SETFONT:
      return OnSetFont(wParam);
    case WM_GETFONT:
      return OnGetFont();
    case WM_SYSCOLORCHANGE:
      OnSysColorChange();
      return 0;
    case WM_COMMAND:
      if (lParam == 0 && OnEditCommand(LOWORD(static_cast<DWORD_PTR>(wParam)))) return 0;
      break;
    default:
      break;
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}

// The font a WM_SETFONT carries becomes the default cells' font.
LRESULT CGridCtrl::OnSetFont(WPARAM font) {
  const LRESULT result = Default();
  const auto* given = reinterpret_cast<const CFont*>(font);
  LOGFONT lf;
  if (given && given->GetLogFont(&lf) > 0) {
    for (CGridDefaultCell* def : DefaultCells()) def->SetFont(&lf);
    Refresh();
  }
  return result;
}

LRESULT CGridCtrl::OnGetFont() { return reinterpret_cast<LRESULT>(m_cellDefault.GetFontObject()); }

// Default cells that showed the system colours follow them; colours set by the program stay.
void CGridCtrl::OnSysColorChange() {
  Default();
  const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  for (CGridDefaultCell* def : DefaultCells()) {
    if (def->GetTextClr() == m_crWindowText) def->SetTextClr(windowText);
    if (def->GetBackClr() == m_crWindowColour) def->SetBackClr(window);
  }
  if (m_crGridBkColour == m_crShadow) m_crGridBkColour = GetSysColor(COLOR_3DSHADOW);
  m_crWindowText = windowText;
  m_crWindowColour = window;
  m_cr3DFace = GetSysColor(COLOR_3DFACE);
  m_crShadow = GetSysColor(COLOR_3DSHADOW);
}
