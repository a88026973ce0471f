#include "platform/wnd/ForeignWidget.h"

#include <QChildEvent>
#include <QWidget>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

bool IsInput(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return true;
    default:
      return false;
  }
}

bool IsMouse(QEvent::Type t) { return t != QEvent::KeyPress && t != QEvent::KeyRelease; }

// Watches a widget that handles its own input and every widget it comes to hold (a web view
// makes its inner widgets as it goes).
class OwnInputFilter : public QObject {
 public:
  OwnInputFilter(HWND wnd, QWidget* widget) : QObject(widget), wnd_(wnd) { Watch(widget); }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) {
      if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(e)->child())) Watch(child);
      return false;
    }
    Window* w = WindowOf(wnd_);
    if (!w || !IsInput(e->type()) || !watched->isWidgetType()) return false;
    if (IsMouse(e->type()) && CaptureWindow()) {
      OnQtMouse(e);
      return true;
    }
    return PreTranslateForeignInput(*w, e);
  }

 private:
  void Watch(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
  }

  HWND wnd_;
};

}  // namespace

void PlaceEmbedded(Window& wnd) {
  std::erase_if(wnd.embedded, [](const QPointer<QWidget>& p) { return p.isNull(); });
  const CRect client = wnd.ClientRect();
  for (const QPointer<QWidget>& widget : wnd.embedded) {
    widget->setGeometry(QRect(wnd.ClientOrigin(), QSize(client.Width(), client.Height())));
    widget->lower();
  }
}

bool EmbedWidget(HWND wnd, QWidget* widget, ForeignInput input) {
  RequireUiThread("plat::EmbedWidget");
  Window* w = WindowOf(wnd);
  if (!w || !w->widget || !widget) return false;
  widget->setParent(w->widget);
  if (input == ForeignInput::kWindow) {
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
  } else {
    new OwnInputFilter(wnd, widget);
  }
  w->embedded.push_back(widget);
  PlaceEmbedded(*w);
  widget->show();
  return true;
}

}  // namespace plat
