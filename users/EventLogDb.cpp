#include "users/EventLogDb.h"

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/Time.h"
#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"
#include "users/EventLogTable.h"

namespace {

enum Column {
  kStime = 3, kGps = 6, kVsp = 7, kGsensorX = 8, kGsensorY = 9, kTaxi = 10, kDirection = 11, kBrakes = 12,
  kOtherExternal = 13, kMobileLdws = 15, kMobileHw1 = 16, kMobileFcw = 18, kEvent = 24, kGsensorTrigger = 28,
  kOverspeedTrigger = 29, kIdleTrigger = 30,
};

// The headway warning of the mobile eye unit is the value 49 (the character '1').
constexpr double kHeadwayWarning = 49.0;

char FirstOf(std::string_view text) { return text.empty() ? '\0' : text.front(); }

double NumberOf(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  return end != copy.c_str() && std::isfinite(value) ? value : 0.0;
}

// Truncated toward zero; values beyond what 32 bits hold are clamped.
std::int32_t Truncated(std::string_view text) {
  const double value = std::trunc(NumberOf(text));
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(value);
}

// The six numbers of a date and time: separated by any non-digits ("2024-03-01 08:12:30"), or
// one run of 14 digits ("20240301081230").
bool SplitDateTime(std::string_view text, int parts[6]) {
  std::vector<std::string> runs(1);
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      runs.back() += c;
    } else if (!runs.back().empty()) {
      runs.emplace_back();
    }
  }
  if (runs.back().empty()) runs.pop_back();
  if (runs.size() == 1 && runs[0].size() == 14) {
    const std::string d = runs[0];
    runs = {d.substr(0, 4), d.substr(4, 2), d.substr(6, 2), d.substr(8, 2), d.substr(10, 2), d.substr(12, 2)};
  }
  if (runs.size() != 6) return false;
  for (int i = 0; i < 6; ++i) {
    if (runs[static_cast<size_t>(i)].size() > 4) return false;
    parts[i] = std::atoi(runs[static_cast<size_t>(i)].c_str());
  }
  return true;
}

// The record's local time; -1 when the text is not a valid date and time.
std::int64_t RecordTime(std::string_view stime) {
  int p[6] = {};
  if (!SplitDateTime(stime, p)) return -1;
  const bool valid = p[0] >= 1900 && p[1] >= 1 && p[1] <= 12 && p[2] >= 1 && p[2] <= 31 && p[3] <= 23 &&
                     p[4] <= 59 && p[5] <= 59;
  return valid ? plat::LocalToEpoch(p[0], p[1], p[2], p[3], p[4], p[5]) : -1;
}

int DirectionOf(std::string_view text) {
  const char c = FirstOf(text);
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

int BrakesBit(char brakes, int polarity) { return brakes == (polarity == 1 ? '1' : '0') ? 1 : 0; }

EventLogRow DecodeRowWith(const std::vector<std::string_view>& c, int polarity) {
  EventLogRow row;
  const int count = static_cast<int>(c.size());
  if (count != CEventLogDb::kColumns && count != CEventLogDb::kColumnsWithHeadway) return row;
  const std::int64_t time = RecordTime(c[kStime]);
  if (time < 0) return row;
  row.time = time;
  row.time32 = static_cast<std::int32_t>(time);
  row.gsensorX = Truncated(c[kGsensorX]);
  row.gsensorY = Truncated(c[kGsensorY]);
  row.gsensorZ = 0;
  row.speed = Truncated(c[kVsp]);
  row.SetPosition(c[kGps]);
  row.taxi = FirstOf(c[kTaxi]) == '1';
  row.kind = DirectionOf(c[kDirection]) + 4 * BrakesBit(FirstOf(c[kBrakes]), polarity);
  EventLogTriggers triggers;
  triggers.event = c[kEvent];
  triggers.gSensorTrigger = c[kGsensorTrigger];
  triggers.overspeedTrigger = c[kOverspeedTrigger];
  triggers.idleTrigger = c[kIdleTrigger];
  triggers.otherExternal = c[kOtherExternal];
  triggers.mobileLdws = c[kMobileLdws];
  triggers.mobileFcw = c[kMobileFcw];
  triggers.headwayWarning = NumberOf(c[kMobileHw1]) == kHeadwayWarning;
  row.SetEventFlags(triggers);
  return row;
}

}  // namespace

// What a reader thread gives its owner. The thread writes it until it posts its message; the
// owner reads it after joining the thread.
struct CEventLogDb::Read {
  std::atomic<bool> cancel{false};
  int polarity = 0;  // the brakes polarity the rows were decoded with
  EventLogRead outcome = EventLogRead::kNotAnEventLog;
  std::vector<EventLogRow> rows;
  std::vector<char> brakes;
};

EventLogRow CEventLogDb::DecodeRow(const std::vector<std::string_view>& columns) const {
  return DecodeRowWith(columns, brakesMode_);
}

CEventLogDb::~CEventLogDb() { StopRead(); }

void CEventLogDb::StopRead() {
  if (read_) read_->cancel = true;
  if (reader_.joinable()) reader_.join();
}

WPARAM CEventLogDb::StartLoad(const CString& path) {
  StopRead();
  read_ = std::make_shared<Read>();
  read_->polarity = brakesMode_;
  const WPARAM number = ++readNumber_;
  reader_ = std::thread([read = read_, path = path.ToUtf8(), owner = owner_, number] {
    read->outcome = ReadEventLogTable(path, read->cancel, [&read](const EventLogRowTexts& texts) {
      read->rows.push_back(DecodeRowWith(texts, read->polarity));
      read->brakes.push_back(read->rows.back().time != 0 ? FirstOf(texts[kBrakes]) : '\0');
    });
    if (read->cancel.load()) return;
    const bool ok = read->outcome == EventLogRead::kRead;
    ::PostMessage(owner, WM_EVENTLOG_LOADED, number, ok ? static_cast<LPARAM>(read->rows.size()) : -1);
  });
  return number;
}

CEventLogDb::LoadResult CEventLogDb::TakeLoad(WPARAM read) {
  if (read != readNumber_ || !read_) return LoadResult::kSuperseded;
  if (reader_.joinable()) reader_.join();
  const std::shared_ptr<Read> done = std::move(read_);
  rows_.clear();
  brakes_.clear();
  if (done->outcome == EventLogRead::kTooManyRows) {
    AfxMessageBox(LoadLanguageString(L"This event log has too many records for the program to show"),
                  MB_OK | MB_ICONWARNING);
    return LoadResult::kTooManyRecords;
  }
  if (done->outcome != EventLogRead::kRead) {
    AfxMessageBox(LoadLanguageString(L"This file is not an event log of the recorder"), MB_OK | MB_ICONWARNING);
    return LoadResult::kNotAnEventLog;
  }
  rows_ = std::move(done->rows);
  brakes_ = std::move(done->brakes);
  const int wanted = brakesMode_;
  brakesMode_ = done->polarity;
  SetBrakesMode(wanted);
  return LoadResult::kLoaded;
}

void CEventLogDb::SetBrakesMode(int mode) {
  const int polarity = mode == 1 ? 1 : 0;
  if (polarity == brakesMode_) return;
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i].kind -= 4 * BrakesBit(brakes_[i], brakesMode_);
  brakesMode_ = polarity;
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i].kind += 4 * BrakesBit(brakes_[i], brakesMode_);
}
