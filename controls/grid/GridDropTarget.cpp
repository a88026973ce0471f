#include "controls/grid/GridDropTarget.h"

#include "controls/grid/GridCtrl.h"

namespace {

// One registration at a time for all drop targets.
bool g_registering = false;

}  // namespace

BOOL CGridDropTarget::Register(CWnd* wnd) {
  if (m_bRegistered || g_registering) return FALSE;
  auto* grid = dynamic_cast<CGridCtrl*>(wnd);
  if (!grid) return FALSE;
  g_registering = true;
  m_pGridCtrl = grid;
  m_bRegistered = COleDropTarget::Register(wnd);
  g_registering = false;
  return m_bRegistered;
}

void CGridDropTarget::Revoke() {
  m_bRegistered = FALSE;
  COleDropTarget::Revoke();
}

bool CGridDropTarget::IsGrid(const CWnd* wnd) const {
  return m_pGridCtrl && wnd && wnd->GetSafeHwnd() && wnd->GetSafeHwnd() == m_pGridCtrl->GetSafeHwnd();
}

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) {
  return IsGrid(wnd) ? m_pGridCtrl->OnDragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) {
  return IsGrid(wnd) ? m_pGridCtrl->OnDragOver(data, keyState, point) : DROPEFFECT_NONE;
}

void CGridDropTarget::OnDragLeave(CWnd* wnd) {
  if (IsGrid(wnd)) m_pGridCtrl->OnDragLeave();
}

BOOL CGridDropTarget::OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point) {
  return IsGrid(wnd) ? m_pGridCtrl->OnDrop(data, effect, point) : FALSE;
}

DROPEFFECT CGridDropTarget::OnDragScroll(CWnd* wnd, DWORD keyState, CPoint) {
  if (!IsGrid(wnd)) return DROPEFFECT_NONE;
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}
