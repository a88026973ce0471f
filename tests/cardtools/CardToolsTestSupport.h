// The main window as the card dialog sees it, with the real engine: it records what the dialog
// hands it and answers with offsets a test sets.
#pragma once

#include <vector>

#include "cardtools/CardDialogOwner.h"
#include "cardtools/DiskDlg.h"
#include "engine/IIbpCtrl.h"

class FakeOwner : public ICardDialogOwner {
 public:
  FakeOwner() : engine(CreateIbpCtrl()) {}
  ~FakeOwner() override { engine->Destroy(); }

  IIbpCtrl* GetEngine() override { return engine; }
  bool OpenCard(const CString& drivePath) override { return dialog && dialog->OpenCardByPath(drivePath); }
  void SetCardDriveNumber(int driveNo) override { driveNumber = driveNo; }
  void AppendRecordSpan(const RecordSpanEntry& span, const RecordRowTexts& row) override {
    spans.push_back(span);
    rows.push_back(row);
  }
  void ClearRecordSpans() override {
    spans.clear();
    rows.clear();
  }
  // As the main window's Stop: the engine goes back to idle, also after a job.
  void StopPlayback() override { engine->Close(); }
  bool IsPlaying() const override { return playing; }
  bool PlayRecord(int n) override {
    played.push_back(n);
    return true;
  }
  CRect GetCardDialogArea() const override { return dialogArea; }
  std::int64_t GetTimeZoneOffset() const override { return timeZoneOffset; }
  std::int64_t GetUtcOffsetSeconds() const override { return utcOffset; }
  app::DisplayZone GetDisplayZone() const override { return displayZone; }
  void EnableMainControls(bool enable) override { mainEnabled = enable; }

  IIbpCtrl* engine;
  CDiskDlg* dialog = nullptr;
  int driveNumber = -1;
  std::vector<RecordSpanEntry> spans;
  std::vector<RecordRowTexts> rows;
  bool playing = false;
  std::vector<int> played;
  CRect dialogArea;  // none: the dialog lies anywhere on the screen
  std::int64_t timeZoneOffset = 0;
  std::int64_t utcOffset = 0;
  app::DisplayZone displayZone = app::DisplayZone::PcZone();
  bool mainEnabled = true;
};
