// Event logs made here with SQLite in both of the recorder's column forms, read back by the
// reader; and files that are no event log, which are refused without a byte written.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"
#include "users/EventLogDb.h"
#include "users/EventLogTable.h"

namespace {

using Row = std::vector<std::string>;

// A row with every column empty but those given (by column name).
Row MakeRow(size_t columns, std::initializer_list<std::pair<std::string_view, std::string>> values) {
  Row row(columns);
  const auto& names = EventLogColumnNames();
  for (const auto& [name, value] : values) {
    row[static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin())] = value;
  }
  return row;
}

bool Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// A log file whose table has the first `columns` recorder columns (all text) and the rows.
void WriteLog(const std::string& path, size_t columns, const std::vector<Row>& rows) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  std::string create = "CREATE TABLE q58_log (";
  for (size_t i = 0; i < columns; ++i) create += (i ? ", " : "") + std::string(EventLogColumnNames()[i]) + " TEXT";
  ASSERT_TRUE(Exec(db, create + ")"));
  for (const Row& row : rows) {
    std::string insert = "INSERT INTO q58_log VALUES (";
    for (size_t i = 0; i < row.size(); ++i) insert += (i ? ", '" : "'") + row[i] + "'";
    ASSERT_TRUE(Exec(db, insert + ")"));
  }
  sqlite3_close(db);
}

// Reads the log as its owner does: starts the read, waits for the owner's message and takes it.
CEventLogDb::LoadResult LoadAsOwner(CEventLogDb& log, plat::test::SpyWnd& owner, const std::string& path) {
  owner.Clear();
  const WPARAM read = log.StartLoad(CString(path));
  EXPECT_TRUE(plat::test::PumpUntil([&] { return !owner.Of(WM_EVENTLOG_LOADED).empty(); })) << path;
  return log.TakeLoad(read);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(EventLogDbTest, BothColumnFormsDecodeAndBrakesModeFlipsEveryRow) {
  plat::test::Reset();
  ScopedEnvironment zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  fixtures::ScratchDir dir("eventlog");
  const std::string gps = "$GPRMC,081230.00,A,2232.1,N,11403.2,E,12.5,90.0,010324,,,A*00";
  WriteLog(dir.File("a.log"), 32,
           {MakeRow(32, {{"stime", "2024-03-01 08:12:30"}, {"gsensorX", "-12.7"}, {"gsensorY", "3.9"}, {"vsp", "45.9"},
                         {"gps", gps}, {"taxi", "1"}, {"direction", "2"}, {"brakes", "0"}, {"event", "100"}}),
            MakeRow(32, {{"stime", "20240701120000"}, {"brakes", "1"}, {"direction", "1"}, {"mobileHw1", "49.0"},
                         {"g_sensor_trigger", "1"}, {"mobilefcw", "2"}}),
            MakeRow(32, {{"stime", "2024-02-30 25:00:00"}, {"gsensorX", "300"}, {"brakes", "0"}})});
  WriteLog(dir.File("b.log"), 33, {MakeRow(33, {{"stime", "2024-03-01 08:12:31"}, {"vsp", "-0.5"}, {"headway_valid", "1"}})});
  const std::vector<std::string> before = FolderEntries(dir.Path());
  const std::vector<std::uint8_t> bytes = fixtures::ReadFileBytes(dir.File("a.log"));

  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 100, 100)));
  CEventLogDb log;
  log.SetOwner(owner.GetSafeHwnd());
  ASSERT_EQ(LoadAsOwner(log, owner, dir.File("a.log")), CEventLogDb::LoadResult::kLoaded);
  ASSERT_EQ(owner.Of(WM_EVENTLOG_LOADED).size(), 1u);
  EXPECT_EQ(owner.Of(WM_EVENTLOG_LOADED)[0].lParam, 3);
  const auto& rows = log.Rows();
  ASSERT_EQ(rows.size(), 3u);
  // Local times: winter (UTC+1) and summer (UTC+2); values truncated; kind 2 + 4, as brakes '0'
  // counts while the polarity is 0.
  const EventLogRow& r = rows[0];
  EXPECT_EQ(std::vector<std::int64_t>({r.time, r.time32, r.gsensorX, r.gsensorY, r.gsensorZ, r.speed, r.taxi, r.kind}),
            std::vector<std::int64_t>({1709277150, 1709277150, -12, 3, 0, 45, 1, 6}));
  EXPECT_EQ(std::string(r.position), gps.substr(0, 79));
  EXPECT_EQ(std::vector<int>(std::begin(r.flags), std::end(r.flags)), (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rows[1].time, 1719828000);
  EXPECT_EQ(rows[1].kind, 1);
  EXPECT_EQ(std::vector<int>(std::begin(rows[1].flags), std::end(rows[1].flags)),
            (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1}));
  // No such date: the row stays as freshly reset.
  EXPECT_EQ(std::vector<std::int64_t>({rows[2].time, rows[2].gsensorX, rows[2].kind, rows[2].flags[0]}),
            std::vector<std::int64_t>({0, 0, 0, 1}));

  log.SetBrakesMode(1);
  log.SetBrakesMode(1);  // no change, no second flip
  EXPECT_EQ(std::vector<int>({rows[0].kind, rows[1].kind, rows[2].kind}), std::vector<int>({2, 5, 0}));
  log.SetBrakesMode(0);
  EXPECT_EQ(std::vector<int>({rows[0].kind, rows[1].kind, rows[2].kind}), std::vector<int>({6, 1, 0}));

  ASSERT_EQ(LoadAsOwner(log, owner, dir.File("b.log")), CEventLogDb::LoadResult::kLoaded);
  ASSERT_EQ(log.Rows().size(), 1u);
  EXPECT_EQ(log.Rows()[0].time, 1709277151);
  EXPECT_EQ(log.Rows()[0].speed, 0);  // -0.5 truncated toward zero
  EXPECT_TRUE(plat::test::MessageBoxes().empty());
  // Reading wrote nothing: no journal beside the logs, the bytes as they were.
  EXPECT_EQ(FolderEntries(dir.Path()), before);
  EXPECT_EQ(fixtures::ReadFileBytes(dir.File("a.log")), bytes);
}

TEST(EventLogDbTest, FilesThatAreNoEventLogAreRefusedWithAMessageAndLeftUntouched) {
  plat::test::Reset();
  fixtures::ScratchDir dir("notalog");
  std::vector<std::uint8_t> noise(8192);
  std::mt19937 random(7);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("noise.log"), noise));
  WriteLog(dir.File("short.log"), 5, {MakeRow(5, {{"stime", "2024-03-01 08:12:30"}})});
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("view.log").c_str(), &db), SQLITE_OK);
    ASSERT_TRUE(Exec(db, "CREATE TABLE other (x TEXT); CREATE VIEW q58_log AS SELECT x FROM other"));
    ASSERT_TRUE(Exec(db, "CREATE TABLE elsewhere (stime TEXT)"));
    sqlite3_close(db);
  }
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("empty.log"), {}));
  const std::vector<std::string> before = FolderEntries(dir.Path());
  std::vector<std::vector<std::uint8_t>> contents;
  for (const std::string& name : before) contents.push_back(fixtures::ReadFileBytes(dir.File(name)));

  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 100, 100)));
  CEventLogDb log;
  log.SetOwner(owner.GetSafeHwnd());
  for (const char* name : {"noise.log", "short.log", "view.log", "empty.log", "missing.log"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadAsOwner(log, owner, dir.File(name)), CEventLogDb::LoadResult::kNotAnEventLog);
    EXPECT_EQ(owner.Of(WM_EVENTLOG_LOADED).at(0).lParam, -1);
    EXPECT_TRUE(log.Rows().empty());
  }
  const auto boxes = plat::test::MessageBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, L"This file is not an event log of the recorder");
  EXPECT_EQ(FolderEntries(dir.Path()), before);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(fixtures::ReadFileBytes(dir.File(before[i])), contents[i]) << before[i];
}

// Logs beyond what a recorder writes are refused: more rows than the bound (told as a log too long
// to show), a value longer than the bound, a column worked out at each read (here a value of 100 MB),
// and a FIFO, without waiting for a writer. The rows of a read that a newer one replaced are never
// taken.
TEST(EventLogDbTest, LogsBeyondWhatARecorderWritesAreRefused) {
  plat::test::Reset();
  fixtures::ScratchDir dir("biglog");
  std::string columns;
  for (size_t i = 0; i < CEventLogDb::kColumns; ++i) columns += (i ? ", " : "") + std::string(EventLogColumnNames()[i]) + " TEXT";
  const auto make = [&](const std::string& name, const std::string& table, const std::string& rows, int count) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File(name).c_str(), &db), SQLITE_OK);
    ASSERT_TRUE(Exec(db, "CREATE TABLE q58_log (" + table + "); INSERT INTO q58_log (stime, deviceid) WITH RECURSIVE n(i) AS "
                         "(SELECT 1 UNION ALL SELECT i + 1 FROM n LIMIT " + std::to_string(count) + ") SELECT " + rows + " FROM n"));
    sqlite3_close(db);
  };
  make("many.log", columns, "'2024-03-01 08:12:30', 'x'", kMaxEventLogRows + 1);
  make("most.log", columns, "'2024-03-01 08:12:30', 'x'", kMaxEventLogRows);
  make("long.log", columns, "'2024-03-01 08:12:30', printf('%.*c', " + std::to_string(kMaxEventLogValueBytes + 1) + ", 'x')", 1);
  std::string generated = columns;
  generated.replace(generated.find("gps TEXT"), 8, "gps TEXT GENERATED ALWAYS AS (printf('%.*c', 100000000, 'x'))");
  make("generated.log", generated, "'2024-03-01 08:12:30', NULL", 1);
  ASSERT_EQ(::mkfifo(dir.File("pipe.log").c_str(), 0600), 0);

  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 100, 100)));
  CEventLogDb log;
  log.SetOwner(owner.GetSafeHwnd());
  // A log of the recorder's own form with more rows than the bound is one, too long to show.
  EXPECT_EQ(LoadAsOwner(log, owner, dir.File("many.log")), CEventLogDb::LoadResult::kTooManyRecords);
  ASSERT_EQ(plat::test::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::test::MessageBoxes()[0].text, L"This event log has too many records for the program to show");
  for (const char* name : {"long.log", "generated.log", "pipe.log"}) {
    EXPECT_EQ(LoadAsOwner(log, owner, dir.File(name)), CEventLogDb::LoadResult::kNotAnEventLog) << name;
    EXPECT_EQ(plat::test::MessageBoxes().back().text, L"This file is not an event log of the recorder") << name;
  }
  ASSERT_EQ(LoadAsOwner(log, owner, dir.File("most.log")), CEventLogDb::LoadResult::kLoaded);
  EXPECT_EQ(log.Rows().size(), static_cast<size_t>(kMaxEventLogRows));

  owner.Clear();
  const WPARAM replaced = log.StartLoad(CString(dir.File("many.log")));
  const WPARAM latest = log.StartLoad(CString(dir.File("long.log")));
  ASSERT_TRUE(plat::test::PumpUntil([&] { return !owner.Of(WM_EVENTLOG_LOADED).empty(); }));
  EXPECT_EQ(log.TakeLoad(replaced), CEventLogDb::LoadResult::kSuperseded);
  EXPECT_EQ(log.Rows().size(), static_cast<size_t>(kMaxEventLogRows));
  EXPECT_EQ(log.TakeLoad(latest), CEventLogDb::LoadResult::kNotAnEventLog);
  EXPECT_TRUE(log.Rows().empty());
  EXPECT_EQ(plat::test::MessageBoxes().size(), 5u);
}
