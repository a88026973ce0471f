// CardSourceCtrl: the card dialog's owner. It holds what belongs to the open source rather than
// to a window: the engine that reads it, the physical drive of the card, the zone its recording
// times are shown in (the chosen offset and the card's daylight-saving hours) and its recordings,
// which it keeps in the day-view model in list order. What only a window can do (read a card's
// settings and ask its password, list a row, play or stop, lay the dialog over the picture) it
// hands to the window that shows the source.
//
// It works on the UI thread and knows no window itself: a missing engine plays nothing.
#pragma once

#include <cstdint>

#include "cardtools/CardDialogOwner.h"
#include "ui/DayViewModel.h"

// What the card source asks of the window that shows it.
class ICardSourceView {
 public:
  virtual ~ICardSourceView() = default;
  // Opens a card or local disk by its drive text: its settings, recordings and password.
  virtual bool OpenCard(const CString& drivePath) = 0;
  // The n-th span was appended to the model; its row goes to the record list.
  virtual void OnRecordSpanAppended(int n, const RecordRowTexts& row) = 0;
  // Every span was forgotten.
  virtual void OnRecordSpansCleared() = 0;
  virtual void StopPlayback() = 0;
  virtual bool IsPlaying() const = 0;
  virtual bool PlayRecord(int n) = 0;
  virtual void EnableMainControls(bool enable) = 0;
  virtual CRect GetCardDialogArea() const = 0;
};

class CardSourceCtrl final : public ICardDialogOwner {
 public:
  static constexpr int kNoDrive = -1;

  // Both must outlive the controller.
  CardSourceCtrl(DayViewModel& spans, ICardSourceView& view) : spans_(spans), view_(view) {}

  void SetEngine(IIbpCtrl* engine) { engine_ = engine; }
  int GetCardDriveNumber() const { return driveNumber_; }
  void SetTimeZoneOffset(std::int64_t seconds) { timeZoneOffset_ = seconds; }
  void SetDstHours(int hours) { dstHours_ = hours; }
  int GetDstHours() const { return dstHours_; }

  // ---- The card dialog's owner
  IIbpCtrl* GetEngine() override { return engine_; }
  bool OpenCard(const CString& drivePath) override { return view_.OpenCard(drivePath); }
  void SetCardDriveNumber(int driveNo) override { driveNumber_ = driveNo; }
  void AppendRecordSpan(const RecordSpanEntry& span, const RecordRowTexts& row) override;
  void ClearRecordSpans() override;
  void StopPlayback() override { view_.StopPlayback(); }
  bool IsPlaying() const override { return view_.IsPlaying(); }
  bool PlayRecord(int n) override { return view_.PlayRecord(n); }
  CRect GetCardDialogArea() const override { return view_.GetCardDialogArea(); }
  std::int64_t GetTimeZoneOffset() const override { return timeZoneOffset_; }
  // The chosen offset with the card's daylight-saving hours.
  std::int64_t GetUtcOffsetSeconds() const override { return timeZoneOffset_ + dstHours_ * 3600LL; }
  // The chosen offset alone: the windows show recording times without the card's daylight saving.
  app::DisplayZone GetDisplayZone() const override;
  void EnableMainControls(bool enable) override { view_.EnableMainControls(enable); }

 private:
  DayViewModel& spans_;
  ICardSourceView& view_;
  IIbpCtrl* engine_ = nullptr;
  int driveNumber_ = kNoDrive;
  std::int64_t timeZoneOffset_ = 0;
  int dstHours_ = 0;
};
