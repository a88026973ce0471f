#include "platform/wnd/ComboBox.h"

#include <QComboBox>

#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

using Combo = ControlWidget<QComboBox>;

class ComboProc : public ControlProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    combo_ = Adopt(new Combo(w, parent));
    combo_->setEditable((w.style & 3) == CBS_DROPDOWN);
    const HWND h = w.handle;
    QObject::connect(combo_, &QComboBox::activated, combo_, [h] {
      if (Window* win = WindowOf(h)) NotifyParent(*win, CBN_SELCHANGE);
    });
    return combo_;
  }

  // The window rectangle includes the height of the dropped list; the widget is the closed box.
  QRect WidgetGeometry(Window&, const QRect& r) override {
    return QRect(r.topLeft(), QSize(r.width(), std::min(r.height(), combo_->sizeHint().height())));
  }

  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_NCHITTEST:
        // Below the closed box lies what the window's height keeps for the list: the mouse there
        // belongs to whatever is beneath.
        if (w.ScreenToClient(QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))).y() >= combo_->height()) return HTTRANSPARENT;
        return ControlProc::Proc(w, msg, wParam, lParam);
      case CB_ADDSTRING:
        return Insert(w, -1, reinterpret_cast<LPCWSTR>(lParam));
      case CB_INSERTSTRING:
        return Insert(w, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam));
      case CB_DELETESTRING:
        if (wParam >= static_cast<WPARAM>(combo_->count())) return CB_ERR;
        combo_->removeItem(static_cast<int>(wParam));
        return combo_->count();
      case CB_RESETCONTENT:
        combo_->clear();
        return 0;
      case CB_GETCOUNT:
        return combo_->count();
      case CB_GETCURSEL:
        return combo_->currentIndex();
      case CB_SETCURSEL:
        return SetCurrent(static_cast<int>(wParam));
      case CB_GETLBTEXT:
        return CopyItem(static_cast<int>(wParam), reinterpret_cast<LPWSTR>(lParam));
      case CB_GETLBTEXTLEN:
        return Valid(static_cast<int>(wParam)) ? combo_->itemText(static_cast<int>(wParam)).size() : CB_ERR;
      case CB_GETITEMDATA:
        return Valid(static_cast<int>(wParam)) ? combo_->itemData(static_cast<int>(wParam)).value<qlonglong>() : CB_ERR;
      case CB_SETITEMDATA:
        if (!Valid(static_cast<int>(wParam))) return CB_ERR;
        combo_->setItemData(static_cast<int>(wParam), QVariant::fromValue<qlonglong>(lParam));
        return 0;
      case WM_SETTEXT:
        if (combo_->isEditable()) combo_->setEditText(ToQString(reinterpret_cast<LPCWSTR>(lParam)));
        return TRUE;
      case WM_GETTEXTLENGTH:
        return combo_->currentText().size();
      case WM_GETTEXT:
        w.text = FromQString(combo_->currentText());
        return DefaultProc(w, msg, wParam, lParam);
      default:
        return ControlProc::Proc(w, msg, wParam, lParam);
    }
  }

 private:
  bool Valid(int i) const { return i >= 0 && i < combo_->count(); }

  LRESULT Insert(Window& w, int index, LPCWSTR text) {
    const QString s = ToQString(text);
    int at = index < 0 || index > combo_->count() ? combo_->count() : index;
    if (index < 0 && (w.style & CBS_SORT)) {
      at = 0;
      while (at < combo_->count() && QString::compare(combo_->itemText(at), s, Qt::CaseInsensitive) <= 0) ++at;
    }
    const int current = combo_->currentIndex();
    const QSignalBlocker block(combo_);
    combo_->insertItem(at, s);
    // Adding an entry never selects it: the selection stays where it was.
    combo_->setCurrentIndex(current < 0 ? -1 : (at <= current ? current + 1 : current));
    return at;
  }

  LRESULT SetCurrent(int index) {
    if (index >= combo_->count() || index < -1) return CB_ERR;
    const QSignalBlocker block(combo_);
    combo_->setCurrentIndex(index);
    return index < 0 ? CB_ERR : index;
  }

  LRESULT CopyItem(int index, LPWSTR out) const {
    if (!Valid(index)) return CB_ERR;
    const std::wstring s = FromQString(combo_->itemText(index)).str();
    if (out) std::copy(s.c_str(), s.c_str() + s.size() + 1, out);
    return static_cast<LRESULT>(s.size());
  }

  Combo* combo_ = nullptr;
};

}  // namespace

WindowClass ComboBoxClass() { return StandardClass<ComboProc, CComboBox>(L"ComboBox"); }

}  // namespace plat

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"ComboBox", L"", style, rect, parent, id);
}

int CComboBox::AddString(LPCWSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }

int CComboBox::InsertString(int index, LPCWSTR text) {
  return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

int CComboBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }

void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }

int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }

int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }

int CComboBox::GetLBText(int index, CString& text) const {
  const int len = GetLBTextLen(index);
  if (len < 0) return CB_ERR;
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(len));
  text = CString(buf);
  return len;
}

int CComboBox::GetLBTextLen(int index) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index))); }

DWORD_PTR CComboBox::GetItemData(int index) const {
  return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
  return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}
