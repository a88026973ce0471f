// What the card dialog asks of the window that owns it (the main window): the engine, the list of
// recordings it shows beside the video and plays, its time-zone offsets, its controls and the
// place for the dialog.
#pragma once

#include <cstdint>

#include "cardtools/RecordSpanEntry.h"
#include "platform/Geometry.h"
#include "platform/String.h"
#include "settings/DisplayTime.h"

class IIbpCtrl;

// The texts of a recording's row in the owner's record list: start, end and length.
struct RecordRowTexts {
  CString start;
  CString end;
  CString length;
};

class ICardDialogOwner {
 public:
  virtual ~ICardDialogOwner() = default;

  // The engine that plays and runs the jobs; null when there is none. It must outlive the dialog's
  // window: the dialog's export worker waits on the engine until the window is destroyed.
  virtual IIbpCtrl* GetEngine() = 0;
  // Opens a card or local disk by its drive text, as the owner does for a card it finds (reading
  // the card's settings, asking its password); true when recordings were listed.
  virtual bool OpenCard(const CString& drivePath) = 0;
  // The physical drive number of the card the dialog opened; -1 for none.
  virtual void SetCardDriveNumber(int driveNo) = 0;
  // One recording the dialog lists: appended to the owner's spans, its row to the record list.
  virtual void AppendRecordSpan(const RecordSpanEntry& span, const RecordRowTexts& row) = 0;
  // Forgets every span and record-list row.
  virtual void ClearRecordSpans() = 0;
  virtual void StopPlayback() = 0;
  virtual bool IsPlaying() const = 0;
  // Plays the n-th recording the dialog listed from its start; false when it could not.
  virtual bool PlayRecord(int n) = 0;
  // Where on the screen the dialog is to lie when it shows: over the owner's picture, clear of its
  // tool bar and transport buttons.
  virtual CRect GetCardDialogArea() const = 0;
  // The chosen time zone's offset in seconds, and that offset with the card's daylight saving:
  // what is added to recording times to show them.
  virtual std::int64_t GetTimeZoneOffset() const = 0;
  virtual std::int64_t GetUtcOffsetSeconds() const = 0;
  // How the owner's windows show recording times; the dialog shows them the same way.
  virtual app::DisplayZone GetDisplayZone() const = 0;
  // Enables or disables the owner's controls while a job runs.
  virtual void EnableMainControls(bool enable) = 0;
};
