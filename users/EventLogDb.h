// CEventLogDb: reads the recorder's event log, a SQLite database file (".log") whose table
// "q58_log" holds one row of texts per record, and decodes the rows into EventLogRow.
//
// A log comes from outside (a dropped file), so it is opened read-only and as immutable (nothing,
// not even a journal, is ever written beside it), in SQLite's defensive mode with schema code
// untrusted, triggers and views off, and only the table "q58_log" with the recorder's columns is
// read, within the bounds of EventLogTable.h. Any other file is refused with a message.
//
// Reading runs on a thread of its own, so that the window stays responsive whatever the file
// holds; the owner takes the rows on its own thread when told they are ready.
#pragma once

#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "controls/EventLogRow.h"
#include "platform/Message.h"
#include "platform/String.h"

// Posted to the reader's owner when a read ends: wParam is the read's number (StartLoad), lParam
// the number of rows, or -1 when the file is not an event log.
constexpr UINT WM_EVENTLOG_LOADED = 0x658;

class CEventLogDb {
 public:
  // The table's columns, in order; the 33-column form adds "headway_valid".
  static constexpr int kColumns = 32;
  static constexpr int kColumnsWithHeadway = 33;

  enum class LoadResult { kLoaded, kNotAnEventLog, kTooManyRecords, kSuperseded };

  CEventLogDb() = default;
  CEventLogDb(const CEventLogDb&) = delete;
  CEventLogDb& operator=(const CEventLogDb&) = delete;
  // Stops a read in progress and waits for its thread.
  ~CEventLogDb();

  void SetOwner(HWND owner) { owner_ = owner; }

  // Starts reading the log at `path`, stopping a read in progress; the rows held stay until the
  // owner takes the new ones. Returns the read's number.
  WPARAM StartLoad(const CString& path);
  // On the owner's thread, for its WM_EVENTLOG_LOADED: the read's rows replace the rows held; a
  // file that is not a SQLite database, or whose "q58_log" is not the recorder's table, or that
  // holds more records than the program shows, is refused with a message box saying which, and
  // the rows held are emptied. The message of a read that a newer one
  // replaced changes nothing.
  LoadResult TakeLoad(WPARAM read);

  // The brakes polarity (0 or 1): with 1 a "brakes" text of '1' counts as braking, with 0 a text
  // of '0' does. A change re-decodes the brakes part of every row's kind.
  void SetBrakesMode(int mode);
  int GetBrakesMode() const { return brakesMode_; }

  // One row of the table as texts (32 or 33 of them). A row whose "stime" is not a valid date and
  // time stays a freshly reset row.
  EventLogRow DecodeRow(const std::vector<std::string_view>& columns) const;

  const std::vector<EventLogRow>& Rows() const { return rows_; }

 private:
  struct Read;

  void StopRead();

  HWND owner_ = nullptr;
  int brakesMode_ = 0;
  std::vector<EventLogRow> rows_;
  std::vector<char> brakes_;  // each row's "brakes" character, to re-decode on a change of mode
  WPARAM readNumber_ = 0;
  std::shared_ptr<Read> read_;  // the read running or done, until its rows are taken
  std::thread reader_;
};
