// The SQLite side of the event-log reader: the rows of the table "q58_log" of a log file, read
// without ever writing to the file or beside it.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using EventLogRowTexts = std::vector<std::string_view>;

// A read is bounded far beyond what a recorder writes, so that no file can make it run for
// minutes or fill the memory: a recorder writes one row a second while it records, and its
// values are numbers, flags and one position sentence (at most 82 characters).
constexpr int kMaxEventLogRows = 36000;          // ten hours at one row a second
constexpr int kMaxEventLogValueBytes = 16384;    // a value, and the table's own statement

enum class EventLogRead {
  kRead,           // every row was given
  kNotAnEventLog,  // not the recorder's table, or a value past the bound
  kTooManyRows,    // the recorder's table, with more rows than the bound
  kCancelled,
};

// Calls `onRow` with the texts of each row, in the table's order (a NULL value is an empty text).
// Anything but kRead comes with fewer rows given than the table holds: the file is not a regular
// file (refused without waiting on it), not a SQLite database, its "q58_log" is not a plain table
// of the recorder's 32 or 33 columns (no generated ones), it holds more rows or longer values
// than the bounds above, or `cancel` was set meanwhile.
EventLogRead ReadEventLogTable(const std::string& path, const std::atomic<bool>& cancel,
                               const std::function<void(const EventLogRowTexts&)>& onRow);

// The recorder's column names, in order; the last one only in the 33-column form.
const std::vector<std::string_view>& EventLogColumnNames();
