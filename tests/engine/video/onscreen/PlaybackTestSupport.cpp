#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

#include <cstring>

#include <gtest/gtest.h>

#include "engine/stream/StreamGrammar.h"
#include "tests/support/Eventually.h"

namespace playtest {

namespace {

constexpr std::size_t kArea = 16777216;
constexpr std::size_t kMargin = 1048576;
constexpr std::uint8_t kNalTypeMask = 0x1F;
constexpr std::uint8_t kNalSei = 6;

// The NAL units of an Annex B access unit, each without its start code and trailing zeros.
std::vector<std::vector<std::uint8_t>> NalUnits(const std::vector<std::uint8_t>& unit) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i + 2 < unit.size(); ++i) {
    if (unit[i] == 0 && unit[i + 1] == 0 && unit[i + 2] == 1) {
      starts.push_back(i + 3);
      i += 2;
    }
  }
  std::vector<std::vector<std::uint8_t>> nals;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    std::size_t end = k + 1 < starts.size() ? starts[k + 1] - 3 : unit.size();
    while (end > starts[k] && unit[end - 1] == 0) --end;
    nals.emplace_back(unit.begin() + static_cast<std::ptrdiff_t>(starts[k]), unit.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return nals;
}

std::uint64_t StampOf(const fixtures::StreamFormat& format, int picture) {
  return kFirstStampUs + static_cast<std::uint64_t>(picture) * 1000000u / static_cast<std::uint64_t>(format.fps);
}

}  // namespace

std::vector<std::uint8_t> TimeFrame(std::uint64_t stampUs) {
  std::vector<std::uint8_t> frame = {0, 0, 0, kFrameTime};
  for (int shift = 60; shift >= 0; shift -= 4) frame.push_back(static_cast<std::uint8_t>(0x30 | ((stampUs >> shift) & 0xF)));
  return frame;
}

TestPlay MakePlay(const fixtures::StreamFormat& format, int pictures, const std::string& name) {
  const fixtures::ReferenceStream stream = fixtures::EncodeWithReference(format, pictures, name, kBgraArgs);
  TestPlay play;
  play.format = format;
  play.hashes = stream.hashes;
  EXPECT_EQ(play.hashes.size(), static_cast<std::size_t>(pictures)) << name;
  for (std::size_t i = 0; i < stream.units.size(); ++i) {
    const int picture = static_cast<int>(i);
    play.units.push_back({kItemTimeFrame, TimeFrame(StampOf(format, picture)), picture});
    for (const std::vector<std::uint8_t>& nal : NalUnits(stream.units[i].bytes)) {
      // The recorder writes no SEI; what else it writes is queued by its NAL header byte.
      const std::uint32_t type = nal.empty() ? kItemNone : H264ItemType(nal[0], false);
      if (type == kItemNone || (nal[0] & kNalTypeMask) == kNalSei) continue;
      TestUnit unit{type, {0, 0, 0, 1}, picture};
      unit.bytes.insert(unit.bytes.end(), nal.begin(), nal.end());
      play.units.push_back(std::move(unit));
    }
  }
  return play;
}

std::vector<TestUnit> TestPlay::Pictures(int first, int last) const {
  std::vector<TestUnit> out;
  for (const TestUnit& u : units) {
    if (u.picture >= first && u.picture < last) out.push_back(u);
  }
  return out;
}

std::int32_t TestPlay::SecondOf(int picture) const {
  return static_cast<std::int32_t>(kStart + picture / format.fps);
}

PostLog::PostLog(const plat::IClock& clock) : clock_(clock), previous_(plat::SetMessageRouter(this)) {}

PostLog::~PostLog() { plat::SetMessageRouter(previous_); }

bool PostLog::Post(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(mutex_);
  posts_.push_back({msg, wParam, lParam, clock_.NowMs()});
  return true;
}

std::vector<PostLog::Record> PostLog::Of(UINT msg) const {
  std::lock_guard lock(mutex_);
  std::vector<Record> out;
  for (const Record& p : posts_) {
    if (p.msg == msg) out.push_back(p);
  }
  return out;
}

bool TestPresenter::Reset(int width, int height) {
  if (refuseResets.load() > 0) {
    --refuseResets;
    return false;
  }
  return inner.Reset(width, height);
}

bool TestPresenter::Present(const CRect& crop, bool letterbox) {
  {
    std::lock_guard lock(mutex_);
    times_.push_back(clock_.NowMs());
    seconds_.push_back(state ? state->frameTime.load() : 0);
  }
  return inner.Present(crop, letterbox);
}

std::vector<std::string> TestPresenter::Hashes() const {
  std::vector<std::string> out;
  for (const plat::PresentRecord& r : inner.Presents()) out.push_back(r.hash);
  return out;
}

std::vector<std::uint64_t> TestPresenter::Times() const {
  std::lock_guard lock(mutex_);
  return times_;
}

std::vector<std::int64_t> TestPresenter::Seconds() const {
  std::lock_guard lock(mutex_);
  return seconds_;
}

HWND NotifyWindow() { return reinterpret_cast<HWND>(std::uintptr_t{0x51}); }
HWND VideoWindow() { return reinterpret_cast<HWND>(std::uintptr_t{0x52}); }

VideoRig::VideoRig(plat::IClock* otherClock)
    : fakeClock(0), clock(otherClock ? *otherClock : fakeClock), presenter(std::make_shared<TestPresenter>(clock)) {
  EXPECT_TRUE(queue.Create(kArea, kMargin, true));
  write_.data = queue.AreaBase();
  presenter->state = &state;
  state.notifyWnd = NotifyWindow();
  state.videoWnd = VideoWindow();
  previousProvider_ = plat::SetPresenterProvider(this);
  video = std::make_unique<CVideoCtx>(Engine(), 0, state, queue, clock);
}

VideoRig::~VideoRig() {
  video.reset();
  plat::SetPresenterProvider(previousProvider_);
}

std::shared_ptr<plat::IVideoPresenter> VideoRig::PresenterFor(HWND window) {
  return window == VideoWindow() ? presenter : nullptr;
}

void VideoRig::Put(const std::vector<TestUnit>& units, double speed, const TestPlay& play) {
  for (const TestUnit& u : units) {
    QueueItem item;
    item.type = u.type;
    item.speed = speed;
    item.chunkTime = play.SecondOf(u.picture);
    item.aux = static_cast<std::uint32_t>(play.format.fps);
    item.seq = static_cast<std::uint32_t>(u.picture);
    item.stamp = StampOf(play.format, u.picture);
    PutItem(item, static_cast<std::uint32_t>(u.bytes.size()), u.bytes.data());
  }
}

void VideoRig::PutItem(QueueItem item, std::uint32_t length, const std::uint8_t* bytes) {
  if (ItemTakesRoom(item.type)) {
    if (length > 0) std::memcpy(write_.data, bytes, length);
    item.data = write_.data;
    item.length = length;
  }
  ASSERT_TRUE(queue.Put(item, nullptr));
  if (ItemTakesRoom(item.type)) write_.data = item.data;
}

void VideoRig::PutEnd(double speed) {
  QueueItem end;
  end.type = kItemEnd;
  end.speed = speed;
  PutItem(end);
}

bool VideoRig::Eventually(const std::function<bool()>& condition) { return plat::test::Eventually(condition); }

namespace {
constexpr std::uint64_t kQuietMs = 3000;
}

// The thread has nothing left when the queue holds no more than the item it took last and the
// clock has gone on for longer than any wait while it stayed so.
bool VideoRig::WaitUntilDrained() {
  std::uint64_t since = 0;
  bool empty = false;
  return Eventually([&] {
    const bool nowEmpty = queue.Count() + queue.MarkerCount() <= 1;
    if (nowEmpty && !empty) since = clock.NowMs();
    empty = nowEmpty;
    return empty && clock.NowMs() > since + kQuietMs;
  });
}

bool VideoRig::LetTimePass() {
  const std::uint64_t since = clock.NowMs();
  return Eventually([&] { return clock.NowMs() > since + kQuietMs; });
}

CIbpCtrl* Engine() { return reinterpret_cast<CIbpCtrl*>(std::uintptr_t{0xE0}); }

}  // namespace playtest
