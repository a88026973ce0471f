// GsensorBar: the G-sensor timeline of a recording, a strip of pixel columns, one per slice of the
// recording's time range, on which the X, Y and Z curves are drawn from the left up to the column
// reached so far. It is not a window: it draws into the device context that the window showing it
// hands over.
//
// Bars form a chain through their next bar, which the owner links. A chained operation reaches
// the next bar first (so the last bar of the chain acts first), then this one.
//
// Samples are kept per second of the range as a minimum and a maximum record; each column shows
// the signed spread of the seconds it covers (the sign tells which extreme dominates).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Types.h"

class CDC;

// One sample or one drawn column: three axes and an index (a time, a record or a column number);
// index -1 means empty.
struct GsensorSample {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  std::int32_t index = -1;

  // Axis by axis; the index is this record's.
  GsensorSample operator-(const GsensorSample& other) const {
    return {x - other.x, y - other.y, z - other.z, index};
  }
  bool IsZero() const { return x == 0 && y == 0 && z == 0; }
  // True when any axis of this record is greater than the same axis of the other.
  bool Exceeds(const GsensorSample& other) const {
    return x > other.x || y > other.y || z > other.z;
  }
};
static_assert(sizeof(GsensorSample) == 16);

// The events of a stretch of columns: twelve event-flag bytes (0 or 1) and whether it is marked.
struct GsensorSegmentMark {
  static constexpr int kFlagCount = 12;
  std::array<BYTE, kFlagCount> flags{};
  BYTE marked = 0;
};
static_assert(sizeof(GsensorSegmentMark) == 13);

class GsensorBar {
 public:
  static constexpr int kLeftMargin = 32;
  static constexpr int kRightMargin = 42;
  static constexpr int kMaxSpan = 3800;      // seconds
  static constexpr int kMinWindow = 4;       // seconds per column at least
  static constexpr int kLimit = 1024;        // larger samples are kept as (0, 0, 0)
  static constexpr int kTrackingHold = 15;   // cursor updates that keep a pointed-at cursor
  static constexpr int kFarTime = 0x7FFFFFFF;

  GsensorBar() = default;
  virtual ~GsensorBar() = default;
  GsensorBar(const GsensorBar&) = delete;
  GsensorBar& operator=(const GsensorBar&) = delete;

  void SetNext(GsensorBar* next) { next_ = next; }
  GsensorBar* GetNext() const { return next_; }

  // Chained: the next bar gets the same rectangle with offsets 0, scale -1 and x origin 0. A bar
  // narrower than the margins has no columns, and then every operation leaves the columns alone.
  // Scale -1 takes a tenth of the height; the three owner values are kept for the owner.
  void SetLayout(int left, int top, int right, int bottom, int xOffset, int yOffset, int scale,
                 int xOrigin, int ownerValue1 = 0, int ownerValue2 = 0, int ownerValue3 = 0);
  // One empty column record, mark and value per column.
  void AllocColumns();
  // Chained. The span is limited to 1..3800 seconds; all samples are dropped and progress restarts.
  void SetTimeRange(int start, int span);
  // Empties the second records, values and marks of the current span.
  void ResetSamples();

  // Chained unless frozen: a frozen bar passes nothing on. Stored as (0, 0, 0) when any axis
  // exceeds the limit; moves the reached column unless the clock does.
  void AddSample(int x, int y, int z, int time);
  // Chained: the largest value of the second and of the columns it covers; `realValue`, when not
  // 0.0, stands in for a second that has no value yet.
  void SetValueAt(int value, double realValue, int time);
  // Chained: ORs the flags into the marks of the columns that follow the time's column.
  void MarkSegments(const GsensorSegmentMark& flags, int time);
  // Chained: the column records from the second records.
  void ReloadSamples();
  // Chained: while the clock follows, the columns up to the time count as reached; a time past the
  // range reaches beyond the last column.
  void SetClockTime(int time);
  void ResetProgress();     // chained: nothing reached
  void ResetCursorState();  // chained
  void SetFrozen(bool frozen);  // chained
  bool IsFrozen() const { return frozen_ != 0; }
  void SetHold(bool hold);  // chained
  bool GetHold() const { return hold_ != 0; }

  // Turning tracking off without hold forgets the remembered cursor.
  void SetTracking(bool tracking);
  // Needs a target context (a Draw has happened) and an x other than -1.
  bool SetCursorX(int x);
  // `x` is relative to the x origin unless absolute; an absolute x while tracking is a column.
  void UpdateCursor(int x, bool absolute);
  bool CanDraw() const { return true; }
  // Draws the reached columns' curves and the starts of their marked segments into `dc`; a frozen
  // bar (a loaded event log) shows all its columns. Always false.
  bool Draw(CDC* dc);

  // The time a client x stands for on a graph laid over `client` with the owner's margins, within
  // [rangeMin, rangeMax]; the minimum when the client is too narrow to tell.
  static int XToTime(int x, const RECT& client, int leftMargin, int rightMargin, int rangeMin,
                     int rangeMax);

  int ColumnX(int column) const { return left_ + column + leftMargin_ + xOffset_ + xOrigin_; }
  int ValueY(int pixels) const { return middle_ + yOffset_ - pixels; }
  CRect GetRect() const { return {left_, top_, right_, bottom_}; }
  int Columns() const { return columns_; }
  int Span() const { return span_; }
  int Start() const { return start_; }
  int Window() const { return window_; }
  int Middle() const { return middle_; }
  int Scale() const { return scale_; }
  int ReachedColumn() const { return reached_; }
  int CurrentColumn() const { return currentColumn_; }
  bool ClockFollows() const { return clockFollows_ != 0; }
  int CursorX() const { return cursorX_; }
  int RememberedCursor() const { return rememberedCursor_; }
  const std::array<int, 3>& OwnerValues() const { return ownerValues_; }
  const std::vector<GsensorSample>& SecondRecords() const { return secondRecords_; }
  const std::vector<GsensorSample>& ColumnRecords() const { return columnRecords_; }
  const std::vector<int>& SecondValues() const { return secondValues_; }
  const std::vector<int>& ColumnValues() const { return columnValues_; }
  const std::vector<GsensorSegmentMark>& Marks() const { return marks_; }
  // Samples whose second lies beyond the span: the newest of them, at most kMostLateSamples. A
  // play that runs on into the next recordings gives the bar of one recording samples without end.
  static constexpr std::size_t kMostLateSamples = 4096;
  const std::vector<GsensorSample>& LateSamples() const { return lateSamples_; }

 private:
  void StoreSample(const GsensorSample& sample);
  void MarkOwnSegments(const GsensorSegmentMark& flags, int time);
  void SetOwnValue(int value, double realValue, int time);
  void MoveReached(std::int64_t sinceStart);
  GsensorSample ColumnValue(int column) const;
  // The second record whose window a column's value ends at; columns of one second share it.
  std::int64_t SecondRecordOf(int column) const;
  int ScaleAmplitude(int amplitude) const;
  void DrawCurves(CDC& dc);
  void DrawCurve(CDC& dc, int axis);
  void DrawMarks(CDC& dc);

  CDC* targetDc_ = nullptr;
  GsensorBar* next_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  int columns_ = 0;
  int span_ = 0;
  int start_ = 0;
  int reached_ = 0;
  std::vector<GsensorSample> secondRecords_;
  std::vector<GsensorSample> columnRecords_;
  std::vector<int> secondValues_;
  std::vector<int> columnValues_;
  int window_ = kMinWindow;
  std::array<COLORREF, 3> penColors_{0x0000FF, 0x00FF00, 0xFF4000};
  BYTE frozen_ = 0;
  std::vector<GsensorSegmentMark> marks_;
  BYTE hold_ = 1;
  int cursorX_ = 0;
  int holdCountdown_ = 0;
  int xOrigin_ = 0;
  BYTE tracking_ = 0;
  int currentColumn_ = 0;
  int rememberedCursor_ = -1;
  GsensorSample thresholds_{0, 0, 0, 0};
  GsensorSample lastSample_;  // index = its time; -1 = none
  int limit_ = kLimit;
  int middle_ = 0;
  int xOffset_ = 0;
  int yOffset_ = 0;
  int scale_ = 0;
  int leftMargin_ = kLeftMargin;
  int rightMargin_ = kRightMargin;
  BYTE clockFollows_ = 0;
  std::vector<GsensorSample> lateSamples_;
  std::array<int, 3> ownerValues_{};
};
