// The engine's messages: sensor data, picture size and the end of a run; the graph area's drawing.
#include "ui/MainDlg.h"

LRESULT CMainDlg::OnGsensorData(WPARAM, LPARAM) { return 0; }

LRESULT CMainDlg::OnVideoSize(WPARAM, LPARAM) { return 0; }

LRESULT CMainDlg::OnPlayerEnd(WPARAM, LPARAM) { return 0; }

void CMainDlg::OnBackupDone() {}

void CMainDlg::OnMapUpdated() {}

void CMainDlg::DrawGsensorGraph(CDC&) {}

void CMainDlg::DrawGsensorCurve(CDC&, int, COLORREF) {}

void CMainDlg::DrawPositionText(CDC&) {}

void CMainDlg::DrawSpeed(CDC&) {}
