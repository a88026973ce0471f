#include "engine/video/VideoCtx.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/clock/ClockMath.h"
#include "engine/stream/ChunkDemux.h"
#include "engine/store/IndexBlock.h"
#include "engine/stream/StreamGrammar.h"

namespace {
// A car-data record this many seconds away from the pictures is no longer shown.
constexpr std::int64_t kCarDataStaleSeconds = 5;
// A wait that only a ring ends.
constexpr std::uint32_t kForeverMs = 0xFFFFFFFFu;
}  // namespace

CVideoCtx::CVideoCtx(CIbpCtrl* engine, int channel, CEngineState& state, CVBuffer2& queue, plat::IClock& clock)
    : engine_(engine),
      channel_(channel),
      state_(state),
      queue_(queue),
      clock_(clock),
      pacer_(CFpsCtrl::kDefaultRate, channel) {}

CVideoCtx::~CVideoCtx() {
  Stop(kWaitForever);
  backward_.Reset();
  if (presenter_) presenter_->Release();
}

void CVideoCtx::SetExport(IRecordSink* recorder, bool perChannel) {
  recorder_ = recorder;
  exportPerChannel_ = perChannel;
}

bool CVideoCtx::Start() {
  if (IsRunning()) return false;
  quit_ = false;
  AttachPresenter();
  decoderOpen_ = decoder_.Setup(state_.dxva2Enabled.load());
  // A new play starts from a key frame: nothing of the last one is kept.
  decoder_.Flush();
  backward_.Reset();
  return CMyThread::Start();
}

bool CVideoCtx::Stop(DWORD timeoutMs) {
  // The flag first: a wait that the wake ends sees it at once, and a wait that begins after the
  // wake returns at once since the signal is kept.
  quit_ = true;
  pacer_.Wake();
  queue_.RingConsumer();
  const bool inTime = CMyThread::Stop(timeoutMs);
  carData_ = {};
  PublishCarData();
  frameTime_ = 0;
  streamStamp_ = 0;
  return inTime;
}

// Only a stop ends the rest early; what else rang meanwhile is looked at when the thread goes on.
void CVideoCtx::Rest(std::uint32_t ms) {
  const std::int64_t until = Now() + ms;
  for (std::int64_t left = ms; left > 0 && Runs(); left = until - Now()) {
    queue_.WaitForConsumerRing(clock_, static_cast<std::uint32_t>(left));
  }
}

void CVideoCtx::Post(UINT msg, LPARAM lParam) const {
  PostMessage(state_.notifyWnd.load(), msg, reinterpret_cast<WPARAM>(engine_), lParam);
}

void CVideoCtx::Run() {
  lastRate_ = pacer_.GetRate();
  clock_.SleepMs(kStartRestMs);
  pacer_.StampTick(Now());
  DropWhileVideoOff();
  policy_.Reset();
  resetPacer_ = true;
  noVideo_ = true;
  shownStamp_ = 0;
  while (Runs()) Pass();
  backward_.Reset();
}

// With the channel's video switched off at the start, what is queued is taken and dropped.
void CVideoCtx::DropWhileVideoOff() {
  QueueItem item;
  while (Runs() && !state_.videoEnabled.load()) {
    if (!queue_.Get(item)) queue_.WaitForConsumerRing(clock_, kForeverMs);
  }
}

void CVideoCtx::Pass() {
  TickPlayClock();
  if (state_.redrawRequest.exchange(false)) repaint_ = true;
  if (state_.pacerResetRequest.exchange(false)) resetPacer_ = true;
  Repaint();
  // Read before the queue: seen empty after the flag went up, it held nothing queued before.
  const bool handOverAsked = state_.videoHandOver.load();
  QueueItem item;
  if (TakePendingSeek()) {
    Idle();
    return;
  }
  if (!queue_.Get(item)) {
    if (handOverAsked) state_.videoHandOver = false;
    Idle();
    return;
  }
  HandleItem(item);
}

// The play clock moves a second for every second of wall time; the figures of the last second
// roll with it.
void CVideoCtx::TickPlayClock() {
  if (!state_.playClock.Tick(Now(), state_.speed.load())) return;
  bytesLastSecond_ = static_cast<std::int64_t>(state_.bytesRead.exchange(0));
  const std::uint64_t presented = presented_.load();
  picturesLastSecond_ = static_cast<int>(presented - presentedAtSecond_);
  presentedAtSecond_ = presented;
}

// While a seek is pending the source has not yet read from its new position: whatever is queued
// or held belongs to the old one. The source clears the seek when it has carried it out and then
// queues at once, so the queue is flushed only while the seek is still seen pending. The item
// held goes too: the thread takes nothing while the seek is pending, and a frame it held would
// keep the source from putting what it must put before it looks at the seek (the end of the
// data read backward, a group near the frame).
bool CVideoCtx::TakePendingSeek() {
  const std::int64_t seek = state_.seekTime.load();
  if (seek == 0) return false;
  resetPacer_ = true;
  if (state_.seekElsewhere.exchange(false)) shownStamp_ = 0;
  state_.frameTime = seek;
  backward_.Reset();
  decoder_.Flush();
  if (state_.seekTime.load() != 0) queue_.FlushAll();
  return true;
}

// Nothing to take: the thread waits for a put or a ring, and for the play clock's next step, which
// it moves also while nothing comes.
void CVideoCtx::Idle() {
  queue_.WaitForConsumerRing(clock_, static_cast<std::uint32_t>(state_.playClock.MsToNextStep(Now())));
  pacer_.StampTick(Now());
}

void CVideoCtx::HandleItem(const QueueItem& item) {
  const double speed = state_.speed.load();
  if (!Admits(item, speed)) return;
  switch (item.type) {
    case kItemNone:
    case kItemStart:
      return;
    case kItemEnd:
      EndOfData(item, speed);
      return;
    case kItemTimeFrame:
      TakeTimeFrame(item);
      return;
    case kItemCarData:
      if (ParseCarDataFrame(item.data, item.length, item.chunkTime, carData_)) PublishCarData();
      return;
    case kItemMarker:
      TakeMarker(item, speed);
      return;
    default:
      if (!DecodesKind(item, speed)) return;
      if (item.speed < 0) {
        TakeBackward(item);
      } else if (decoder_.Decode(item.data, item.length, item.chunk)) {
        ShowPicture(item, speed);
      }
  }
}

// Items of the other direction than the speed's are left over from before a change.
bool CVideoCtx::Admits(const QueueItem& item, double speed) {
  const bool backward = item.speed < 0;
  if ((speed < 0) != backward) return false;
  if (backward != backwardItems_) {
    backwardItems_ = backward;
    decoder_.Flush();
    backward_.Reset();
  }
  const bool stale = backward ? item.chunkTime + kCarDataStaleSeconds < carData_.time
                              : carData_.time + kCarDataStaleSeconds < item.chunkTime;
  if (stale && carData_.time != 0) {
    carData_.time = 0;
    PublishCarData();
  }
  return true;
}

void CVideoCtx::PublishCarData() {
  std::lock_guard lock(carDataLock_);
  sharedCarData_ = carData_;
}

CarDataRecord CVideoCtx::CarData() const {
  std::lock_guard lock(carDataLock_);
  return sharedCarData_;
}

bool CVideoCtx::DecodesKind(const QueueItem& item, double speed) {
  if (item.type == kItemKeyFrame) {
    std::int32_t gop = gopLength_.load();
    const bool decode = policy_.TakeKeyFrame(item.data, item.length, speed, gop);
    gopLength_ = gop;
    return decode;
  }
  if (item.type == kItemInterFrame) return policy_.TakeInterFrame(speed);
  return true;
}

void CVideoCtx::TakeTimeFrame(const QueueItem& item) {
  if (!item.data || item.length < kTimeFrameSize) return;
  streamStamp_ = DecodeTimeStamp(item.data);
  if (item.speed >= 0) frameTime_ = streamStamp_;
  if (resetPacer_) pacer_.Reset();
}

void CVideoCtx::TakeMarker(const QueueItem& item, double speed) {
  if (!sensors_ || !policy_.WantsSensorMarker(speed)) return;
  IndexBlockA5 block;
  if (sensors_->TakeMarker(item, block.bytes.data())) Post(WM_PLAYER_SENSORDATA, 0);
}

// The end of the data: the play is over once what was shown last has had its time. Backward, the
// earliest group is shown first; forward, a picture the decoder still holds.
void CVideoCtx::EndOfData(const QueueItem& item, double speed) {
  if (item.speed < 0) {
    backward_.Finish();
    ShowDueBackward();
  }
  if (state_.open.load()) {
    Rest(kEndNoticeMs);
    if (!Runs()) return;
    Post(WM_PLAYER_END, channel_);
  }
  if (item.speed < 0 || !decoder_.Drain()) return;
  ShowPicture(item, speed);
}

// An export with decoding takes every picture decoded forward, also where none can be shown: a
// card tool's job may run without a window.
void CVideoCtx::ShowPicture(const QueueItem& item, double speed) {
  const AVFrame* picture = decoder_.Picture();
  if (!picture || StepSkips(item, speed)) return;
  if (PresentFrame(*picture)) {
    AfterPicture(item, speed, *picture);
  } else if (state_.exportDecode.load()) {
    HandToRecorder(item, *picture);
  }
}

// Backward a unit goes to the group it belongs to, decoded when its pictures are due, and the
// pictures due now are shown.
void CVideoCtx::TakeBackward(const QueueItem& item) {
  backward_.Add(item, streamStamp_);
  ShowDueBackward();
}

// Each picture is presented before the next is converted, and the play clock ticked, as a pass
// does: at the end of the data a whole group is shown in one go. A seek or a turn leaves the
// cached pictures to be dropped with the next item.
void CVideoCtx::ShowDueBackward() {
  for (;;) {
    TickPlayClock();
    Repaint();
    const double speed = state_.speed.load();
    if (!Runs() || speed >= 0 || state_.seekTime.load() != 0 || !backward_.Work(decoder_)) return;
    const CBackwardGroup::Picture* due = backward_.Next();
    if (!due) return;
    frameTime_ = due->stamp;
    if (!StepSkips(due->item, speed) && PresentFrame(*due->frame)) AfterPicture(due->item, speed, *due->frame);
  }
}

// A single step shows the picture next to the one shown, in the step's direction. Reading starts
// again at the second shown, or at its key picture, so the pictures between that point and the
// one shown are decoded and passed over. Without stamps every picture counts as the next.
bool CVideoCtx::StepSkips(const QueueItem& item, double speed) const {
  const std::uint64_t stamp = StampOf(item);
  if (shownStamp_ == 0 || stamp == 0) return false;
  if (speed == kStepForward) return stamp <= shownStamp_;
  if (speed == kStepBack) return stamp >= shownStamp_;
  return false;
}

// A picture's own stamp: read backward, or from a transport stream, the item carries it; read
// forward, it is that of the time frame before the picture.
std::uint64_t CVideoCtx::StampOf(const QueueItem& item) const { return item.stamp != 0 ? item.stamp : frameTime_; }

void CVideoCtx::AfterPicture(const QueueItem& item, double speed, const AVFrame& shown) {
  noVideo_ = false;
  repaint_ = true;
  shownStamp_ = StampOf(item);
  state_.frameTime = item.chunkTime;
  // The chunk came through the decoder with the picture, so a picture of an earlier group shown
  // in backward play names its own chunk.
  shownChunk_ = shown.pts >= 0 ? shown.pts : kNoChunk;
  ++presented_;
  if (shown.key_frame) ++presentedKeys_;
  DrawOsd(speed);
  if (state_.exportDecode.load()) HandToRecorder(item, shown);
  if (item.aux != 0) {
    const double rate = std::abs(speed) * item.aux;
    if (rate != lastRate_) {
      lastRate_ = rate;
      pacer_.SetFps(rate, Now());
    }
  }
  double pacedSpeed = speed;
  if (speed == kStepForward || speed == kStepBack) {
    pacedSpeed = 0.0;
    state_.pause = 1;
  }
  if (state_.pause.load() == 0 && pacedSpeed != 0.0) {
    Pace(item, pacedSpeed);
  } else {
    WaitWhilePaused();
  }
}

// While the engine writes an export the pictures go as fast as the recorder takes them.
void CVideoCtx::Pace(const QueueItem& item, double speed) {
  if (state_.exportDecode.load()) return;
  resetPacer_ = false;
  state_.avClock.SetClockSpeed(speed);
  // Backward the rate is negative; frameTime_ then holds the stamp of the picture shown.
  const auto rate = static_cast<std::int32_t>(item.aux);
  state_.avClock.SyncClock(pacer_, static_cast<std::int64_t>(frameTime_), TruncWhole(speed) < 0 ? -rate : rate, Now());
  pacer_.Wait(clock_);
}

// Pause: repaint requests are served until the pause ends. The end of the pause, a repaint
// request and a stop each ring the queue.
void CVideoCtx::WaitWhilePaused() {
  while (Runs() && state_.pause.load() != 0) {
    if (state_.redrawRequest.exchange(false)) repaint_ = true;
    Repaint();
    queue_.WaitForConsumerRing(clock_, kForeverMs);
  }
  if (!Runs()) return;
  if (state_.speed.load() == 1.0 && channel_ == 0) ResumeAtNormalSpeed();
  pacer_.StampTick(Now());
  if (channel_ == 0) state_.playClock.Set(state_.frameTime.load());
}

// A card source goes on a second after the picture shown, where the sound can start cleanly: a
// seek, for which the sound output starts over as for any other. A transport stream's reader is
// moved only by the engine's Seek: its pictures go on from the one shown, none lost, and the
// sound output starts over at its next frame.
void CVideoCtx::ResumeAtNormalSpeed() {
  if (resumeSeeks_) {
    const std::int64_t seek = state_.seekTime.load();
    state_.seekTime = (seek != 0 ? seek : state_.frameTime.load()) + 1;
    state_.NoteSeek();
    queue_.RingProducer();  // a source that waits at the end of the data reads again
  } else {
    state_.RestartAudioClock(kAudioDelayPause);
  }
  state_.RequestAudioReset();
}
