// COleDateTime: a calendar date and time of day held as days since 1899-12-30 in a double (the
// fraction is the time of day), with a validity status, as date pickers and calendars keep it.
#pragma once

#include <cstdint>

class COleDateTime {
 public:
  enum DateTimeStatus { valid = 0, invalid = 1 };

  // 1899-12-30 00:00:00 (0.0), valid.
  COleDateTime() = default;
  COleDateTime(int year, int month, int day, int hour, int minute, int second);
  // Seconds since 1970, shown in local time.
  explicit COleDateTime(std::int64_t time);
  // Now, in local time.
  static COleDateTime GetCurrentTime();

  // Years 100 to 9999; a day beyond its month's length or a time beyond 23:59:59 makes the value
  // invalid. Returns 0 when the value is valid, 1 when not.
  int SetDateTime(int year, int month, int day, int hour, int minute, int second);
  int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
  DateTimeStatus GetStatus() const { return m_status; }

  // The fields of a valid value; -1 for an invalid one.
  int GetYear() const { return Field(&Fields::year); }
  int GetMonth() const { return Field(&Fields::month); }
  int GetDay() const { return Field(&Fields::day); }
  int GetHour() const { return Field(&Fields::hour); }
  int GetMinute() const { return Field(&Fields::minute); }
  int GetSecond() const { return Field(&Fields::second); }
  // 1 for Sunday to 7 for Saturday.
  int GetDayOfWeek() const { return Field(&Fields::dayOfWeek); }

  bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }
  bool operator!=(const COleDateTime& other) const { return !(*this == other); }

  double m_dt = 0.0;
  DateTimeStatus m_status = valid;

 private:
  struct Fields {
    int year, month, day, hour, minute, second, dayOfWeek;
  };
  bool Split(Fields& out) const;
  int Field(int Fields::*field) const {
    Fields f;
    return Split(f) ? f.*field : -1;
  }
};

namespace plat {

// The number of days of the month (1 to 12) in the year, leap years counted; 0 for another month.
int DaysInMonth(int year, int month);

}  // namespace plat
