// Drag and drop: drop targets registered per window, the drag loop of a data source (injectable:
// Qt's drag in the program, a scripted one in tests) and dropped files (WM_DROPFILES).
#pragma once

#include <vector>

#include "platform/wnd/Clipboard.h"
#include "platform/wnd/Wnd.h"

class QMimeData;
class QUrl;

using DROPEFFECT = DWORD;
constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;
constexpr DROPEFFECT DROPEFFECT_MOVE = 2;
constexpr DROPEFFECT DROPEFFECT_LINK = 4;
constexpr DROPEFFECT DROPEFFECT_SCROLL = 0x80000000;

// Receives drags over the window it is registered with. Before each enter and over step the
// target is asked OnDragScroll; an answer with DROPEFFECT_SCROLL stands for that step.
class COleDropTarget {
 public:
  COleDropTarget() = default;
  virtual ~COleDropTarget();
  COleDropTarget(const COleDropTarget&) = delete;
  COleDropTarget& operator=(const COleDropTarget&) = delete;

  // FALSE when the window has a drop target already.
  BOOL Register(CWnd* wnd);
  virtual void Revoke();
  virtual DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
  virtual DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
  virtual void OnDragLeave(CWnd* wnd);
  virtual BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point);
  virtual DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point);

 private:
  friend struct DropTargetAccess;
  HWND wnd_ = nullptr;
};

// Dropped files: the handle of WM_DROPFILES lists the paths until DragFinish releases it.
struct HDROP__;
using HDROP = HDROP__*;
// index 0xFFFFFFFF: the number of files; a null buffer: the path's length; else copies at most
// size - 1 characters and a NUL and returns the number copied.
UINT DragQueryFile(HDROP drop, UINT index, LPWSTR buffer, UINT size);
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
void DragFinish(HDROP drop);

namespace plat {

enum class DragStep { Enter, Over, Leave, Drop };

class IDragLoop {
 public:
  virtual ~IDragLoop() = default;
  // Runs a drag of the data; returns the effect of the drop (DROPEFFECT_NONE when none).
  virtual DROPEFFECT Run(const ClipData& data, DROPEFFECT allowed) = 0;
};

// Installs a drag loop (null: Qt's again); returns the previous one.
IDragLoop* SetDragLoop(IDragLoop* loop);
DROPEFFECT RunDragLoop(const ClipData& data, DROPEFFECT allowed);
// One step of a drag over a window (client coordinates), given to the drop target registered for
// it; returns the target's effect, limited to the allowed ones (none without a target). For a
// drop, `allowed` is the effect the drag proposes.
DROPEFFECT DeliverDragStep(DragStep step, HWND wnd, const ClipData& data, DWORD keyState, POINT client,
                           DROPEFFECT allowed);
// The path of a local file's address as the bytes the system holds, a name that is not UTF-8
// included; empty for an address that is no local file.
CString LocalFilePath(const QUrl& url);
// Sends WM_DROPFILES to a window with WS_EX_ACCEPTFILES; false when it takes no files.
bool DropFiles(HWND wnd, const std::vector<CString>& paths, POINT client);

// Clipboard data as Qt carries it.
QMimeData* MimeDataOf(const ClipData& data);
ClipData ClipDataOf(const QMimeData* mime);

}  // namespace plat
