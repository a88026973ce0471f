// CGridDropTarget: the drop target of a grid. It hands the drags over the grid's window to the
// grid's own drag handlers and refuses drags over any other window.
#pragma once

#include "platform/wnd/DragDrop.h"

class CGridCtrl;

class CGridDropTarget : public COleDropTarget {
 public:
  // FALSE when registered already, while another registration runs, or when the window is not a
  // grid; else registers with the window and remembers the result.
  BOOL Register(CWnd* wnd);
  void Revoke() override;
  BOOL IsRegistered() const { return m_bRegistered; }

  DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
  DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
  void OnDragLeave(CWnd* wnd) override;
  BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point) override;
  // Copy with Ctrl held, else move, over the grid; nothing over another window.
  DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point) override;

 private:
  bool IsGrid(const CWnd* wnd) const;

  CGridCtrl* m_pGridCtrl = nullptr;
  BOOL m_bRegistered = FALSE;
};
