#include "controls/grid/InPlaceEdit.h"

#include <algorithm>

#include "controls/grid/GridTypes.h"
#include "platform/gdi/Dc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"

namespace {

// One end of an edit at a time in the whole program: the focus leaving an editor while it
// reports (or while it closes) must not report a second time.
bool g_endingEdit = false;

class EndingGuard {
 public:
  EndingGuard() { g_endingEdit = true; }
  ~EndingGuard() { g_endingEdit = false; }
  EndingGuard(const EndingGuard&) = delete;
  EndingGuard& operator=(const EndingGuard&) = delete;
};

}  // namespace

CInPlaceEdit::CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD style, UINT id, int row, int col,
                           const CString& initText, UINT firstChar)
    : m_nRow(row), m_nColumn(col), m_sInitText(initText), m_bExitOnArrows(firstChar != VK_LBUTTON), m_Rect(rect) {
  if (!parent || !Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect, parent, id)) return;
  SetFont(parent->GetFont());
  SetWindowText(initText);
  SetFocus();
  StartWith(firstChar);
}

void CInPlaceEdit::StartWith(UINT firstChar) {
  const int end = GetWindowTextLength();
  switch (firstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
      SetSel(end, end);
      return;
    case VK_BACK:
      SetSel(end, end);
      break;
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      SetSel(0, -1);
      return;
    default:
      SetSel(0, -1);
      break;
  }
  // Typed as if the key had gone to the editor: it replaces the selection or extends the text.
  PostMessage(firstChar >= 128 ? WM_IME_CHAR : WM_CHAR, firstChar, 0);
}

bool CInPlaceEdit::EndsEditing(UINT key) const {
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return m_bExitOnArrows || GetKeyState(VK_CONTROL) < 0;
    default:
      return false;
  }
}

void CInPlaceEdit::Leave(UINT key) {
  m_nLastChar = key;
  if (CWnd* grid = GetParent()) grid->SetFocus();
}

LRESULT CInPlaceEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      if (EndsEditing(static_cast<UINT>(wParam))) {
        Leave(static_cast<UINT>(wParam));
        return 0;
      }
      break;
    case WM_CHAR:
      return OnChar(wParam, lParam);
    case WM_KILLFOCUS: {
      const LRESULT result = CEdit::WindowProc(msg, wParam, lParam);
      EndEdit();
      return result;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    default:
      break;
  }
  return CEdit::WindowProc(msg, wParam, lParam);
}

LRESULT CInPlaceEdit::OnChar(WPARAM ch, LPARAM lParam) {
  switch (ch) {
    case VK_TAB:
    case VK_RETURN:
      Leave(static_cast<UINT>(ch));
      return 0;
    case VK_ESCAPE:
      SetWindowText(m_sInitText);
      Leave(static_cast<UINT>(ch));
      return 0;
    default:
      break;
  }
  const LRESULT result = CEdit::WindowProc(WM_CHAR, ch, lParam);
  GrowToText();
  return result;
}

// Text that no longer fits widens the editor to the text and two spaces, as far as the grid's
// client area reaches.
void CInPlaceEdit::GrowToText() {
  CWnd* grid = GetParent();
  if (!grid) return;
  CClientDC dc(this);
  CFont* font = GetFont();
  CFont* previous = font ? dc.SelectObject(font) : nullptr;
  const CSize size = dc.GetTextExtent(GetWindowText() + L"  ");
  if (font) dc.SelectObject(previous);
  if (size.cx <= m_Rect.Width()) return;
  CRect client;
  grid->GetClientRect(&client);
  m_Rect.right = std::min<LONG>(m_Rect.left + size.cx, client.right);
  MoveWindow(&m_Rect, TRUE);
}

void CInPlaceEdit::EndEdit() {
  if (g_endingEdit || !m_hWnd) return;
  const EndingGuard guard;
  // The owner may destroy this editor (and with it this object) while it handles the report;
  // from then on only the handle is used, to see whether the window is still there.
  const HWND self = m_hWnd;
  GridDispInfo info;
  info.hdr.hwndFrom = self;
  info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  info.hdr.code = static_cast<UINT>(LVN_ENDLABELEDITW);
  info.item.mask = GIF_TEXT | GIF_PARAM;
  info.item.row = m_nRow;
  info.item.col = m_nColumn;
  info.item.strText = GetWindowText();
  info.item.lParam = static_cast<LPARAM>(m_nLastChar);
  if (CWnd* owner = GetOwner()) owner->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  if (IsWindow(self)) ::SendMessage(self, WM_CLOSE, 0, 0);
}

BOOL CInPlaceEdit::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_SYSCHAR) return TRUE;
  return CEdit::PreTranslateMessage(msg);
}

void CInPlaceEdit::PostNcDestroy() { delete this; }
