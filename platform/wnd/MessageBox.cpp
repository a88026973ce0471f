#include "platform/wnd/MessageBox.h"

#include <QMessageBox>
#include <QPointer>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

QMessageBox::StandardButtons ButtonsOf(UINT type) {
  switch (type & 0xF) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int ResultOf(int button) {
  switch (button) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Retry: return IDRETRY;
    default: return IDOK;
  }
}

class QtMessageBoxes : public IMessageBoxes {
 public:
  int Show(HWND owner, const CString& text, const CString& caption, UINT type) override {
    Window* w = WindowOf(owner);
    const QPointer<QWidget> ownerWidget = w ? w->TopLevel()->widget.data() : nullptr;
    QMessageBox box(IconOf(type), ToQString(caption), ToQString(text), ButtonsOf(type), ownerWidget.data());
    const QMessageBox::StandardButtons buttons = ButtonsOf(type);
    if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    const int result = box.exec();
    // The owner takes the keyboard back, as it had it before the box: without a window manager
    // nothing else gives it back, and what the user types next would go nowhere.
    if (ownerWidget && ownerWidget->isVisible()) ownerWidget->activateWindow();
    return ResultOf(result);
  }
};

IMessageBoxes* g_boxes = nullptr;
CString g_appName;

}  // namespace

IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes) {
  IMessageBoxes* old = g_boxes;
  g_boxes = boxes;
  return old;
}

void SetAppName(const CString& name) { g_appName = name; }

}  // namespace plat

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  static plat::QtMessageBoxes qtBoxes;
  plat::IMessageBoxes& boxes = plat::g_boxes ? *plat::g_boxes : qtBoxes;
  return boxes.Show(owner, CString(text), CString(caption), type);
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  const CWnd* focus = CWnd::GetFocus();
  plat::Window* w = focus ? focus->Impl() : nullptr;
  return MessageBox(w ? w->TopLevel()->handle : nullptr, text, plat::g_appName, type);
}

LPCWSTR AfxGetAppName() { return plat::g_appName; }
