// Helpers of the video thread tests: test streams cut into queue items as the demultiplexer cuts
// them, a producer that queues them, a presenter that notes the time of each present, a message
// log, and a rig that holds a video thread with its engine state and queue.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/state/EngineState.h"
#include "engine/stream/VBuffer2.h"
#include "engine/video/VideoCtx.h"
#include "platform/Message.h"
#include "platform/Time.h"
#include "platform/video/OffscreenPresenter.h"
#include "testdata/TestStream.h"
#include "tests/support/FakeClock.h"

namespace playtest {

using fixtures::kBgraArgs;

constexpr std::int64_t kStart = 1709280750;  // seconds since 1970 of the first picture
constexpr std::uint64_t kFirstStampUs = 5000000;

// One queue item of a test play, as the demultiplexer queues it.
struct TestUnit {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;  // with its 4-byte frame header or start code
  int picture = -1;                 // the picture it belongs to
};

// A test stream cut into items: for each picture a time frame, then its NAL units (SPS, PPS and
// IDR as separate key-frame items), with ffmpeg's 32-bit picture hashes of exactly those units.
struct TestPlay {
  fixtures::StreamFormat format;
  std::vector<TestUnit> units;
  std::vector<std::string> hashes;
  // The units of pictures [first, last).
  std::vector<TestUnit> Pictures(int first, int last) const;
  // The second of recording time of a picture.
  std::int32_t SecondOf(int picture) const;
};
TestPlay MakePlay(const fixtures::StreamFormat& format, int pictures, const std::string& name);

// A time frame: the frame header and 16 digit bytes, one per hexadecimal digit of the stamp.
std::vector<std::uint8_t> TimeFrame(std::uint64_t stampUs);

// Messages posted by the engine, with the test clock's time at posting.
class PostLog : public plat::IMessageRouter {
 public:
  struct Record {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::uint64_t atMs;
  };
  explicit PostLog(const plat::IClock& clock);
  ~PostLog() override;
  bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT Send(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  bool Show(HWND, int) override { return true; }
  std::vector<Record> Of(UINT msg) const;

 private:
  const plat::IClock& clock_;
  plat::IMessageRouter* previous_;
  mutable std::mutex mutex_;
  std::vector<Record> posts_;
};

// An offscreen presenter that notes the test clock's time of every present and can be told to
// refuse the next back buffers.
class TestPresenter : public plat::IVideoPresenter {
 public:
  explicit TestPresenter(const plat::IClock& clock) : clock_(clock) {}
  bool Reset(int width, int height) override;
  void Release() override { inner.Release(); }
  bool HasSurface() const override { return inner.HasSurface(); }
  int Width() const override { return inner.Width(); }
  int Height() const override { return inner.Height(); }
  bool SetPicture(const AVFrame& picture) override { return inner.SetPicture(picture); }
  void SetOverlay(std::vector<plat::OverlayText> texts) override { inner.SetOverlay(std::move(texts)); }
  void Clear() override { inner.Clear(); }
  bool Present(const CRect& crop, bool letterbox) override;
  bool ReadBack(plat::PictureCopy& out, int timeoutMs) override { return inner.ReadBack(out, timeoutMs); }
  void SetVisible(bool visible) override { inner.SetVisible(visible); }

  std::vector<std::string> Hashes() const;
  std::vector<std::uint64_t> Times() const;
  // The engine's frame time (the second of the picture's chunk) at each present.
  std::vector<std::int64_t> Seconds() const;

  plat::OffscreenPresenter inner;
  std::atomic<int> refuseResets{0};
  const CEngineState* state = nullptr;

 private:
  const plat::IClock& clock_;
  mutable std::mutex mutex_;
  std::vector<std::uint64_t> times_;
  std::vector<std::int64_t> seconds_;
};

// A video thread on channel 0 with its engine state, a queue of the engine's size, a presenter
// for the video window and a message log, on a fake clock unless told otherwise. The queue is
// filled straight, as the demultiplexer fills it.
class VideoRig : public plat::IPresenterProvider {
 public:
  explicit VideoRig(plat::IClock* clock = nullptr);
  ~VideoRig() override;
  std::shared_ptr<plat::IVideoPresenter> PresenterFor(HWND window) override;

  // Queues units produced at the given speed (negative: read backward).
  void Put(const std::vector<TestUnit>& units, double speed, const TestPlay& play);
  void PutItem(QueueItem item, std::uint32_t length = 0, const std::uint8_t* bytes = nullptr);
  void PutEnd(double speed);
  // Waits until the thread has taken everything and idles; false after a generous bound.
  bool WaitUntilDrained();
  // Waits until the thread has moved the fake clock on by longer than any wait (it sleeps while
  // idle or paused); false after a generous bound.
  bool LetTimePass();
  // Waits until the condition holds; false after twenty seconds or so.
  static bool Eventually(const std::function<bool()>& condition);

  plat::test::FakeClock fakeClock;
  plat::IClock& clock;
  CEngineState state;
  CVBuffer2 queue{16 * 99};
  PostLog log{clock};
  std::shared_ptr<TestPresenter> presenter;
  std::unique_ptr<CVideoCtx> video;

 private:
  QueueItem write_;
  plat::IPresenterProvider* previousProvider_;
};

// The engine pointer the messages carry.
CIbpCtrl* Engine();
HWND NotifyWindow();
HWND VideoWindow();

}  // namespace playtest
