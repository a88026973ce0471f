// The 1-second position timer, the recordings of the open source and the slider messages.
#include "ui/MainDlg.h"

void CMainDlg::OnTimer(UINT_PTR) {}

int CMainDlg::FindCurrentRecord() const { return -1; }

bool CMainDlg::SelectRecord(int, bool) { return false; }

bool CMainDlg::PlayRecord(int) { return false; }

bool CMainDlg::StartRecord(IndexEntry*, std::int64_t, std::int64_t) { return false; }

void CMainDlg::OnBnClickedPrevFile() {}

void CMainDlg::OnBnClickedNextFile() {}

LRESULT CMainDlg::OnSliderPressed(WPARAM, LPARAM) { return 0; }

LRESULT CMainDlg::OnPanelCommand(WPARAM, LPARAM) { return 0; }

LRESULT CMainDlg::OnSliderDragged(WPARAM, LPARAM) { return 0; }

LRESULT CMainDlg::OnPlayNextRequest() { return 0; }

void CMainDlg::OnBnClickedRangeStart() {}

void CMainDlg::OnBnClickedRangeEnd() {}

void CMainDlg::HighlightCurrentRecordRow() {}

bool CMainDlg::GetRecordingTimeRange(std::int64_t&, std::int64_t&) const { return false; }

void CMainDlg::SeekMapTime(std::int64_t) {}
