// The SQLite side of the event-log reader: the rows of the table "q58_log" of a log file, read
// without ever writing to the file or beside it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

using EventLogRowTexts = std::vector<std::string_view>;

// Calls `onRow` with the texts of each row, in the table's order (a NULL value is an empty text).
// False, with no row given, when the file is not a regular file (refused without waiting on it), not
// a SQLite database, or its "q58_log" is not a table of the recorder's 32 or 33 columns.
bool ReadEventLogTable(const std::string& path, const std::function<void(const EventLogRowTexts&)>& onRow);

// The recorder's column names, in order; the last one only in the 33-column form.
const std::vector<std::string_view>& EventLogColumnNames();
