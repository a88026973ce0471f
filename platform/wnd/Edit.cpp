#include "platform/wnd/Edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include "platform/wnd/Clipboard.h"
#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

using LineEdit = ControlWidget<QLineEdit>;

int SelStart(const QLineEdit& e) { return e.hasSelectedText() ? e.selectionStart() : e.cursorPosition(); }
int SelEnd(const QLineEdit& e) { return e.hasSelectedText() ? e.selectionEnd() : e.cursorPosition(); }

bool EditingKey(int vk) {
  return vk == VK_LEFT || vk == VK_RIGHT || vk == VK_HOME || vk == VK_END || vk == VK_DELETE;
}

class EditProc : public ControlProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    edit_ = Adopt(new LineEdit(w, parent));
    edit_->setFrame((w.style & WS_BORDER) || (w.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)));
    const DWORD align = w.style & 3;
    edit_->setAlignment((align == ES_CENTER ? Qt::AlignHCenter : align == ES_RIGHT ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (w.style & ES_PASSWORD) edit_->setEchoMode(QLineEdit::Password);
    edit_->setReadOnly(w.style & ES_READONLY);
    edit_->setText(ToQString(w.text));
    edit_->setContextMenuPolicy(Qt::NoContextMenu);
    const HWND h = w.handle;
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [h] {
      if (Window* win = WindowOf(h)) NotifyParent(*win, EN_CHANGE);
    });
    return edit_;
  }

  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_SETTEXT:
        edit_->setText(ToQString(reinterpret_cast<LPCWSTR>(lParam)));
        return TRUE;
      case WM_GETTEXTLENGTH:
        return edit_->text().size();
      case WM_GETTEXT:
        w.text = FromQString(edit_->text());
        return DefaultProc(w, msg, wParam, lParam);
      case EM_SETSEL:
        SetSelection(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
      case EM_GETSEL:
        return GetSelection(wParam, lParam);
      case EM_REPLACESEL:
        Insert(ToQString(reinterpret_cast<LPCWSTR>(lParam)));
        return 0;
      case EM_LIMITTEXT:
        edit_->setMaxLength(wParam ? static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFF)) : 0x7FFFFFFF);
        return 0;
      case EM_SETREADONLY:
        edit_->setReadOnly(wParam != 0);
        w.style = wParam ? (w.style | ES_READONLY) : (w.style & ~ES_READONLY);
        return TRUE;
      case WM_CHAR:
      case WM_IME_CHAR:
        return Char(w, static_cast<wchar_t>(wParam));
      case WM_KEYDOWN:
        if (EditingKey(static_cast<int>(wParam))) PressKey(static_cast<int>(wParam));
        return 0;
      case WM_KEYUP:
        return 0;
      case WM_PASTE:
        Paste(w);
        return 0;
      case WM_COPY:
        CopySelection();
        return 0;
      case WM_CUT:
        if (!edit_->isReadOnly()) {
          CopySelection();
          edit_->del();
        }
        return 0;
      case WM_CLEAR:
        if (!edit_->isReadOnly()) edit_->del();
        return 0;
      case WM_SETFOCUS:
        NotifyParent(w, EN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        NotifyParent(w, EN_KILLFOCUS);
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      default:
        return ControlProc::Proc(w, msg, wParam, lParam);
    }
  }

 private:
  void SetSelection(int start, int end) {
    const int len = static_cast<int>(edit_->text().size());
    if (start < 0) {
      edit_->deselect();
      return;
    }
    const int s = std::min(start, len);
    const int e = end < 0 ? len : std::min(end, len);
    if (s == e) {
      edit_->setCursorPosition(s);
    } else {
      edit_->setSelection(s, e - s);
    }
  }

  LRESULT GetSelection(WPARAM startOut, LPARAM endOut) const {
    const int s = SelStart(*edit_);
    const int e = SelEnd(*edit_);
    if (auto* p = reinterpret_cast<DWORD*>(startOut)) *p = static_cast<DWORD>(s);
    if (auto* p = reinterpret_cast<DWORD*>(endOut)) *p = static_cast<DWORD>(e);
    return MAKELONG(static_cast<WORD>(s), static_cast<WORD>(e));
  }

  void Insert(const QString& text) {
    if (edit_->isReadOnly()) return;
    edit_->insert(text);
  }

  LRESULT Char(Window& w, wchar_t c) {
    switch (c) {
      case 0x01: edit_->selectAll(); return 0;
      case 0x03: return Proc(w, WM_COPY, 0, 0);
      case 0x16: return Proc(w, WM_PASTE, 0, 0);
      case 0x18: return Proc(w, WM_CUT, 0, 0);
      case VK_BACK:
        if (!edit_->isReadOnly()) edit_->backspace();
        return 0;
      default: break;
    }
    if (c < 0x20) return 0;
    QString s(QChar(static_cast<char16_t>(c)));
    if ((w.style & ES_NUMBER) && !s[0].isDigit()) return 0;
    if (w.style & ES_UPPERCASE) s = s.toUpper();
    if (w.style & ES_LOWERCASE) s = s.toLower();
    Insert(s);
    return 0;
  }

  // Caret and delete keys go to the line edit as key presses, with the shift state of the message.
  void PressKey(int vk) { edit_->ForwardKey(vk, ModifiersOfKeyState() & Qt::ShiftModifier); }

  void CopySelection() const {
    if (!edit_->hasSelectedText() || edit_->echoMode() != QLineEdit::Normal) return;
    SetClipboardText(FromQString(edit_->selectedText()));
  }

  void Paste(Window&) {
    CString text;
    if (!GetClipboardText(text)) return;
    QString q = ToQString(text);
    const qsizetype stop = q.indexOf(QRegularExpression("[\\r\\n]"));
    if (stop >= 0) q.truncate(stop);
    Insert(q);
  }

  LineEdit* edit_ = nullptr;
};

}  // namespace

WindowClass EditClass() { return StandardClass<EditProc, CEdit>(L"Edit", IDC_IBEAM); }

}  // namespace plat

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"Edit", L"", style, rect, parent, id);
}

void CEdit::SetSel(int start, int end, BOOL) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }

void CEdit::SetSel(DWORD selection, BOOL noScroll) { SetSel(LOWORD(selection), HIWORD(selection), noScroll); }

void CEdit::GetSel(int& start, int& end) const {
  DWORD s = 0;
  DWORD e = 0;
  SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  start = static_cast<int>(s);
  end = static_cast<int>(e);
}

DWORD CEdit::GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }

void CEdit::ReplaceSel(LPCWSTR text, BOOL) { SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text)); }

void CEdit::SetLimitText(UINT maxChars) { SendMessage(EM_LIMITTEXT, maxChars); }

BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }

void CEdit::Copy() { SendMessage(WM_COPY); }

void CEdit::Cut() { SendMessage(WM_CUT); }

void CEdit::Paste() { SendMessage(WM_PASTE); }

void CEdit::Clear() { SendMessage(WM_CLEAR); }
