// Tools, Config.ini toggles, panel toggles, the main area's views, and mouse, wheel, size and paint.
#include "ui/MainDlg.h"

void CMainDlg::OnBnClickedSnapShot() {}

void CMainDlg::OnBnClickedFormat() {}

void CMainDlg::OnBnClickedConfiguration() {}

void CMainDlg::OnBnClickedWifi() {}

void CMainDlg::OnBnClickedCarType() {}

void CMainDlg::OnBnClickedPassengerMode() {}

void CMainDlg::OnBnClickedBrakesMode() {}

void CMainDlg::OnBnClickedMapKey() {}

void CMainDlg::OnBnClickedFileManager() {}

void CMainDlg::OnBnClickedFilePad() {}

void CMainDlg::OnBnClickedBackupSelected() {}

void CMainDlg::OnBnClickedRestartRecord() {}

void CMainDlg::OnBnClickedGsensorPanel() {}

void CMainDlg::OnBnClickedCalendarPanel() {}

void CMainDlg::OnBnClickedCompassPanel() {}

void CMainDlg::OnBnClickedMapPage() {}

void CMainDlg::OnBnClickedCarDataPanel() {}

void CMainDlg::OnBnClickedSlidePanel() {}

void CMainDlg::ShowRecordListArea() {}

void CMainDlg::ShowMapArea() {}

void CMainDlg::ShowSettingsArea() {}

void CMainDlg::OnBnClickedSpeedView() {}

void CMainDlg::OnBnClickedRecordView() {}

void CMainDlg::ToggleMapView() {}

void CMainDlg::OnBnClickedFullVideo(bool) {}

void CMainDlg::OnBnClickedSwapViews() {}

void CMainDlg::OnBnClickedShowSpeedPanel() {}

void CMainDlg::OnBnClickedShowVolumePanel() {}

void CMainDlg::OnBnClickedMinimize() {}

void CMainDlg::OnBnClickedMenu() {}

void CMainDlg::OnBnClickedRestore() {}

void CMainDlg::ResetCardDefaults() {}

void CMainDlg::ToggleFullVideo(bool, bool) {}

void CMainDlg::ShowControls(bool) {}

void CMainDlg::ToggleVersionInfo() {}

void CMainDlg::OnMouseWheel(UINT, int, CPoint) {}

CPoint CMainDlg::ToChannelPoint(const CRect&, CPoint point) const { return point; }

void CMainDlg::OnSize(UINT, int, int) {}

void CMainDlg::OnPaint() {}

void CMainDlg::OnMouseMove(UINT, CPoint) {}

void CMainDlg::OnMouseLeave() {}

void CMainDlg::OnQueryOpen() {}

LRESULT CMainDlg::OnEventLogLoaded() { return 1; }

void CMainDlg::OnUserActivity() {}
