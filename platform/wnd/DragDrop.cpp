#include "platform/wnd/DragDrop.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "platform/wnd/Window.h"

struct HDROP__ {
  std::vector<CString> paths;
  POINT point;
};

struct DropTargetAccess {
  static void Forget(COleDropTarget& t) { t.wnd_ = nullptr; }
};

namespace plat {
namespace {

IDragLoop* g_dragLoop = nullptr;
ClipData g_dragData;  // what the drag in progress over our windows carries

Qt::DropActions ActionsOf(DROPEFFECT e) {
  Qt::DropActions a;
  if (e & DROPEFFECT_COPY) a |= Qt::CopyAction;
  if (e & DROPEFFECT_MOVE) a |= Qt::MoveAction;
  if (e & DROPEFFECT_LINK) a |= Qt::LinkAction;
  return a;
}

DROPEFFECT EffectOf(Qt::DropAction a) {
  switch (a) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

Qt::DropAction ActionOf(DROPEFFECT e) {
  if (e & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (e & DROPEFFECT_COPY) return Qt::CopyAction;
  if (e & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

class QtDragLoop : public IDragLoop {
 public:
  DROPEFFECT Run(const ClipData& data, DROPEFFECT allowed) override {
    Window* from = WindowOf(CaptureWindow());
    if (!from) from = FocusWindow();
    if (!from || !from->widget) return DROPEFFECT_NONE;
    QDrag drag(from->widget);
    drag.setMimeData(MimeDataOf(data));
    return EffectOf(drag.exec(ActionsOf(allowed), ActionOf(allowed)));
  }
};

DWORD KeyStateOf(const QDropEvent& e) {
  DWORD keys = 0;
  if (e.buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
  if (e.buttons() & Qt::RightButton) keys |= MK_RBUTTON;
  if (e.modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (e.modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

std::vector<CString> LocalFiles(const QMimeData* md) {
  std::vector<CString> files;
  if (!md || !md->hasUrls()) return files;
  for (const QUrl& u : md->urls()) {
    if (u.isLocalFile()) files.push_back(LocalFilePath(u));
  }
  return files;
}

bool HandleFiles(Window& w, QEvent* event, POINT client) {
  auto* e = static_cast<QDropEvent*>(event);
  const std::vector<CString> files = LocalFiles(e->mimeData());
  if (files.empty()) return false;
  if (event->type() == QEvent::Drop) DropFiles(w.handle, files, client);
  e->setDropAction(Qt::CopyAction);
  e->accept();
  return true;
}

}  // namespace

IDragLoop* SetDragLoop(IDragLoop* loop) {
  IDragLoop* old = g_dragLoop;
  g_dragLoop = loop;
  return old;
}

DROPEFFECT RunDragLoop(const ClipData& data, DROPEFFECT allowed) {
  static QtDragLoop qtLoop;
  return (g_dragLoop ? g_dragLoop : &qtLoop)->Run(data, allowed);
}

DROPEFFECT DeliverDragStep(DragStep step, HWND wnd, const ClipData& data, DWORD keyState, POINT client,
                           DROPEFFECT allowed) {
  Window* w = WindowOf(wnd);
  COleDropTarget* target = w ? w->dropTarget : nullptr;
  if (!target) return DROPEFFECT_NONE;
  CWnd* obj = w->object;
  COleDataObject object(data);
  const CPoint pt(client);
  if (step == DragStep::Leave) {
    target->OnDragLeave(obj);
    return DROPEFFECT_NONE;
  }
  if (step == DragStep::Drop) return target->OnDrop(obj, &object, allowed, pt) ? allowed : DROPEFFECT_NONE;
  const DROPEFFECT scroll = target->OnDragScroll(obj, keyState, pt);
  if (scroll & DROPEFFECT_SCROLL) return scroll & (allowed | DROPEFFECT_SCROLL);
  const DROPEFFECT e = step == DragStep::Enter ? target->OnDragEnter(obj, &object, keyState, pt)
                                               : target->OnDragOver(obj, &object, keyState, pt);
  return e & allowed;
}

// An address keeps the bytes of a name that is not UTF-8 percent-encoded; its text form does not.
CString LocalFilePath(const QUrl& url) {
  if (!url.isLocalFile()) return CString();
  if (!url.host().isEmpty()) return FromQString(url.toLocalFile());
  return CString(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
}

bool DropFiles(HWND wnd, const std::vector<CString>& paths, POINT client) {
  Window* w = WindowOf(wnd);
  if (!w || !(w->exStyle & WS_EX_ACCEPTFILES)) return false;
  auto* drop = new HDROP__{paths, client};
  w->Send(WM_DROPFILES, reinterpret_cast<WPARAM>(drop));
  return true;
}

bool HandleDropEvent(Window& w, QEvent* event) {
  if (event->type() == QEvent::DragLeave) {
    DeliverDragStep(DragStep::Leave, w.handle, g_dragData, 0, {}, DROPEFFECT_NONE);
    return w.dropTarget != nullptr;
  }
  auto* e = static_cast<QDropEvent*>(event);
  const QPoint c = e->position().toPoint() - w.ClientOrigin();
  const POINT client{c.x(), c.y()};
  if ((w.exStyle & WS_EX_ACCEPTFILES) && HandleFiles(w, event, client)) return true;
  if (!w.dropTarget) return false;
  if (event->type() == QEvent::DragEnter) g_dragData = ClipDataOf(e->mimeData());
  const DROPEFFECT allowed = event->type() == QEvent::Drop ? EffectOf(e->dropAction())
                                                           : (e->possibleActions() & Qt::CopyAction ? DROPEFFECT_COPY : 0) |
                                                                 (e->possibleActions() & Qt::MoveAction ? DROPEFFECT_MOVE : 0);
  const DragStep step = event->type() == QEvent::DragEnter ? DragStep::Enter
                        : event->type() == QEvent::DragMove ? DragStep::Over
                                                            : DragStep::Drop;
  const DROPEFFECT effect = DeliverDragStep(step, w.handle, g_dragData, KeyStateOf(*e), client, allowed);
  e->setDropAction(ActionOf(effect));
  if (effect != DROPEFFECT_NONE || step == DragStep::Enter) {
    e->accept();
  } else {
    e->ignore();
  }
  return true;
}

void ForgetDropTarget(Window& w) {
  if (w.dropTarget) DropTargetAccess::Forget(*w.dropTarget);
  w.dropTarget = nullptr;
}

void FollowDropStyle(Window& w) {
  if (w.widget) w.widget->setAcceptDrops((w.exStyle & WS_EX_ACCEPTFILES) || w.dropTarget);
}

}  // namespace plat

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CWnd* wnd) {
  plat::Window* w = wnd ? wnd->Impl() : nullptr;
  if (!w || w->dropTarget || wnd_) return FALSE;
  w->dropTarget = this;
  wnd_ = w->handle;
  plat::FollowDropStyle(*w);
  return TRUE;
}

void COleDropTarget::Revoke() {
  plat::Window* w = plat::WindowOf(wnd_);
  if (w && w->dropTarget == this) {
    w->dropTarget = nullptr;
    plat::FollowDropStyle(*w);
  }
  wnd_ = nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }

void COleDropTarget::OnDragLeave(CWnd*) {}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }

DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint) { return DROPEFFECT_NONE; }

UINT DragQueryFile(HDROP drop, UINT index, LPWSTR buffer, UINT size) {
  if (!drop) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(drop->paths.size());
  if (index >= drop->paths.size()) return 0;
  const CString& path = drop->paths[index];
  if (!buffer) return static_cast<UINT>(path.GetLength());
  if (size == 0) return 0;
  const UINT n = std::min<UINT>(size - 1, static_cast<UINT>(path.GetLength()));
  std::copy_n(path.GetString(), n, buffer);
  buffer[n] = L'\0';
  return n;
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
  if (!drop || !point) return FALSE;
  *point = drop->point;
  return TRUE;
}

void DragFinish(HDROP drop) { delete drop; }

void CWnd::DragAcceptFiles(BOOL accept) {
  plat::Window* w = Impl();
  if (!w) return;
  w->exStyle = accept ? (w->exStyle | WS_EX_ACCEPTFILES) : (w->exStyle & ~WS_EX_ACCEPTFILES);
  plat::FollowDropStyle(*w);
}
