// CEventLogDb: reads the recorder's event log, a SQLite database file (".log") whose table
// "q58_log" holds one row of texts per record, and decodes the rows into EventLogRow.
//
// A log comes from outside (a dropped file), so it is opened read-only and as immutable (nothing,
// not even a journal, is ever written beside it), in SQLite's defensive mode with schema code
// untrusted, triggers and views off, and only the table "q58_log" with the recorder's columns is
// read. Any other file is refused with a message.
#pragma once

#include <string_view>
#include <vector>

#include "controls/EventLogRow.h"
#include "platform/Message.h"
#include "platform/String.h"

// Posted to the reader's owner when a log's rows are decoded; lParam is the number of rows.
constexpr UINT WM_EVENTLOG_LOADED = 0x658;

class CEventLogDb {
 public:
  // The table's columns, in order; the 33-column form adds "headway_valid".
  static constexpr int kColumns = 32;
  static constexpr int kColumnsWithHeadway = 33;

  enum class LoadResult { kLoaded, kNotAnEventLog };

  void SetOwner(HWND owner) { owner_ = owner; }

  // Reads every row of the log at `path`, replacing the rows held. A file that is not a SQLite
  // database, or whose "q58_log" is not the recorder's table, is refused with a message box; the
  // rows held are then emptied.
  LoadResult Load(const CString& path);

  // The brakes polarity (0 or 1): with 1 a "brakes" text of '1' counts as braking, with 0 a text
  // of '0' does. A change re-decodes the brakes part of every row's kind.
  void SetBrakesMode(int mode);
  int GetBrakesMode() const { return brakesMode_; }

  // One row of the table as texts (32 or 33 of them). A row whose "stime" is not a valid date and
  // time stays a freshly reset row.
  EventLogRow DecodeRow(const std::vector<std::string_view>& columns) const;

  const std::vector<EventLogRow>& Rows() const { return rows_; }

 private:
  int BrakesBit(char brakes) const;

  HWND owner_ = nullptr;
  int brakesMode_ = 0;
  std::vector<EventLogRow> rows_;
  std::vector<char> brakes_;  // each row's "brakes" character, to re-decode on a change of mode
};
