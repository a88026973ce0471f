#include "users/EventLogTable.h"

#include <sqlite3.h>
#include <strings.h>

#include <memory>

#include "platform/File.h"

namespace {

struct DbClose {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

// A "file:" address of the path: the characters that an address gives a meaning are escaped.
std::string FileUri(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c < 0x20 || c >= 0x7F) {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + "?immutable=1";
}

// Read-only and immutable: no lock, no journal, no change. Defensive mode and untrusted schema
// keep what the file's own schema holds from reaching functions with side effects.
Db OpenReadOnly(const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(FileUri(path).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  Db db(raw);
  if (opened != SQLITE_OK) return nullptr;
  const int settings[][2] = {{SQLITE_DBCONFIG_DEFENSIVE, 1},    {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                             {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0}, {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
                             {SQLITE_DBCONFIG_ENABLE_FKEY, 0},    {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0}};
  for (const auto& [option, value] : settings) {
    if (sqlite3_db_config(db.get(), option, value, nullptr) != SQLITE_OK) return nullptr;
  }
  return db;
}

// How often a running statement looks at the cancel flag, in virtual machine steps.
constexpr int kStepsBetweenLooks = 1000;

int StopAsked(void* cancel) { return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0; }

// A generated column is worked out at each read by an expression the file brings along; a
// recorder's table has none.
bool HasOnlyStoredColumns(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT count(*) FROM pragma_table_xinfo('q58_log') WHERE hidden != 0", -1, &raw,
                         nullptr) != SQLITE_OK) {
    return false;
  }
  Statement query(raw);
  return sqlite3_step(query.get()) == SQLITE_ROW && sqlite3_column_int(query.get(), 0) == 0;
}

bool IsPlainTable(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT type FROM sqlite_schema WHERE name = 'q58_log'", -1, &raw, nullptr) != SQLITE_OK) {
    return false;
  }
  Statement query(raw);
  if (sqlite3_step(query.get()) != SQLITE_ROW) return false;
  const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
  return type && std::string_view(type) == "table";
}

bool HasRecorderColumns(sqlite3_stmt* rows) {
  const int count = sqlite3_column_count(rows);
  const auto& names = EventLogColumnNames();
  if (count != static_cast<int>(names.size()) && count != static_cast<int>(names.size()) - 1) return false;
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(rows, i);
    if (!name || strcasecmp(name, std::string(names[static_cast<size_t>(i)]).c_str()) != 0) return false;
  }
  return true;
}

std::string_view ColumnText(sqlite3_stmt* rows, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, column));
  if (!text) return {};
  return {text, static_cast<size_t>(sqlite3_column_bytes(rows, column))};
}

}  // namespace

const std::vector<std::string_view>& EventLogColumnNames() {
  static const std::vector<std::string_view> names = {
      "deviceid",          "vehicleid",         "driverid",          "stime",           "g_format",
      "g_install",         "gps",               "vsp",               "gsensorX",        "gsensorY",
      "taxi",              "direction",         "brakes",            "otherExternal",   "optionalExternal",
      "mobileLdws",        "mobileHw1",         "mobileUfcw",        "mobilefcw",       "mobileLdw_trigger",
      "mobileHw1_trigger", "mobileHw1_signal",  "mobilefcw_trigger", "serious_trigger", "event",
      "overspeed",         "idle",              "roadtype",          "g_sensor_trigger", "overspeed_trigger",
      "idle_trigger",      "acc_status",        "headway_valid"};
  return names;
}

EventLogRead ReadEventLogTable(const std::string& path, const std::atomic<bool>& cancel,
                               const std::function<void(const EventLogRowTexts&)>& onRow) {
  constexpr EventLogRead kRefused = EventLogRead::kNotAnEventLog;
  // SQLite opens the path as it is: a FIFO or a device would hold its open, or its first read, for
  // ever. The file is looked at first, without waiting on it.
  if (!plat::File().Open(path, plat::kRead)) return kRefused;
  Db db = OpenReadOnly(path);
  if (!db) return kRefused;
  sqlite3_limit(db.get(), SQLITE_LIMIT_LENGTH, kMaxEventLogValueBytes);
  sqlite3_progress_handler(db.get(), kStepsBetweenLooks, StopAsked, const_cast<std::atomic<bool>*>(&cancel));
  if (!IsPlainTable(db.get()) || !HasOnlyStoredColumns(db.get())) return kRefused;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db.get(), "SELECT * FROM q58_log", -1, &raw, nullptr) != SQLITE_OK) return kRefused;
  Statement rows(raw);
  if (!HasRecorderColumns(rows.get())) return kRefused;
  const int count = sqlite3_column_count(rows.get());
  EventLogRowTexts texts(static_cast<size_t>(count));
  int step = SQLITE_ROW;
  for (int read = 0; (step = sqlite3_step(rows.get())) == SQLITE_ROW; ++read) {
    if (cancel.load()) return EventLogRead::kCancelled;
    if (read == kMaxEventLogRows) return EventLogRead::kTooManyRows;
    for (int i = 0; i < count; ++i) texts[static_cast<size_t>(i)] = ColumnText(rows.get(), i);
    onRow(texts);
  }
  if (cancel.load()) return EventLogRead::kCancelled;
  return step == SQLITE_DONE ? EventLogRead::kRead : kRefused;
}
