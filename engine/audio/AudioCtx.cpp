#include "engine/audio/AudioCtx.h"

#include <algorithm>
#include <cstring>

#include "engine/clock/ClockMath.h"
#include "engine/stream/RecordSink.h"

namespace {

constexpr std::uint32_t kBlockBytes = CSoundCursor::kBlockBytes;
// The source gets a head start before the first block is filled.
constexpr DWORD kStartPauseMs = 200;
constexpr DWORD kLockRetryMs = 10;
// Without a notification a block is written anyway after this long.
constexpr std::uint32_t kNotifyWaitMs = 1000;

// Play clock minus frame time (s): a frame this far ahead waits, this far off either way is lost.
constexpr std::int64_t kWaitFrom = -5;
constexpr std::int64_t kWaitTo = -2;
constexpr std::int64_t kDropAhead = -6;
constexpr std::int64_t kDropBehind = 3;

// Only these frames trim the clock: plain PCM and the recorder's 5-bit ADPCM.
bool TrimsClock(std::uint32_t type) { return type == kItemPcm16 || type == kItemG726Last; }

// A new buffer, silent and stopped at its start; the output keeps its volume.
bool OpenRing(plat::ISoundOutput& output) {
  return output.Open(plat::PcmFormat{}, CSoundCursor::kRingBytes, CSoundCursor::NotifyPositions());
}

}  // namespace

CAudioCtx::CAudioCtx(CEngineState& state, CABuffer2& queue, std::unique_ptr<plat::ISoundOutput> device,
                     plat::IClock& clock)
    : state_(state), queue_(queue), device_(std::move(device)), clock_(clock) {}

CAudioCtx::~CAudioCtx() { Stop(kWaitForever); }

bool CAudioCtx::Init(int channel) {
  if (IsRunning()) return false;
  channel_.store(channel);
  const bool exporting = state_.exportDecode.load();
  const bool audible = state_.audioEnabled.load();
  if (!audible && !exporting) return true;
  if (!decoder_.Open()) return false;
  plat::ISoundOutput* const previous = output_;
  output_ = OpenOutput(audible, exporting);
  if (previous && previous != output_) previous->Close();
  if (!output_) {
    queue_.SetDropOldest(true);
    return true;
  }
  queue_.SetDropOldest(false);
  stopping_.store(false);
  return CMyThread::Start();
}

bool CAudioCtx::Start() { return Init(channel_.load()); }

// The device when it opens; in export-decode mode the null output where it does not.
plat::ISoundOutput* CAudioCtx::OpenOutput(bool useDevice, bool exporting) {
  plat::ISoundOutput* chosen = nullptr;
  if (useDevice && device_ && OpenRing(*device_)) {
    chosen = device_.get();
  } else if (exporting) {
    if (!nullOutput_) nullOutput_ = plat::CreateNullSoundOutput(clock_);
    if (OpenRing(*nullOutput_)) chosen = nullOutput_.get();
  }
  if (chosen) chosen->SetVolume(volume_.load());
  return chosen;
}

bool CAudioCtx::Stop(DWORD timeoutMs) {
  stopping_.store(true);
  if (output_) output_->Wake();
  const bool stopped = CMyThread::Stop(timeoutMs);
  if (output_) {
    output_->Stop();
    output_->SetPosition(0);
  }
  decoder_.Reset();
  return stopped;
}

void CAudioCtx::SetVolume(std::int32_t hundredthsDb) {
  volume_.store(hundredthsDb);
  if (output_) output_->SetVolume(hundredthsDb);
}

void CAudioCtx::Run() {
  SleepWhileRunning(kStartPauseMs);
  BeginPlay();
  trim_ = Trim::kOff;
  while (Running()) {
    if (state_.TakeAudioResetRequest()) ResetOutput();
    std::uint8_t* block = LockBlock();
    if (!block) {
      SleepWhileRunning(kLockRetryMs);
      continue;
    }
    FillBlock(block);
    fillByte_ = block[kBlockBytes - 1];
    output_->Unlock();
    std::uint32_t play = 0, write = 0;
    output_->GetPositions(&play, &write);
    cursor_.Advance(play, write);
    if (!playing_) {
      output_->Play();
      playing_ = true;
    } else {
      output_->WaitNotify(kNotifyWaitMs);
    }
  }
}

// Writing starts over at the buffer's start with no frame in hand.
void CAudioCtx::BeginPlay() {
  cursor_.Rewind();
  fillByte_ = 0;
  playing_ = false;
  item_ = QueueItem{};
  span_ = SoundSpan{};
}

// After a seek: a new, silent buffer at the old volume, and the clock trimmed afresh from the
// next anchoring.
void CAudioCtx::ResetOutput() {
  BeginPlay();
  decoder_.Reset();
  OpenRing(*output_);
  trim_ = Trim::kFirstFrame;
  startTick_ = 0;
}

// One whole block at the write position. A lost device is restored once; any other failure is
// retried by the caller, which looks at the run flag first.
std::uint8_t* CAudioCtx::LockBlock() {
  std::uint8_t* block = output_->Lock(cursor_.Position(), kBlockBytes);
  if (!block && output_->Lost() && output_->Restore()) block = output_->Lock(cursor_.Position(), kBlockBytes);
  return block;
}

// A frame the play clock holds back leaves the rest of the block to the fill byte rather than to
// what the buffer played a round ago, and stays in hand for the next block.
void CAudioCtx::FillBlock(std::uint8_t* block) {
  std::uint32_t done = 0;
  while (kBlockBytes - done > 1) {
    if (decoder_.Finished(span_)) TakeItem();
    const Gate gate = GateOf(item_);
    if (gate == Gate::kWait) {
      std::memset(block + done, fillByte_, kBlockBytes - done);
      return;
    }
    if (gate == Gate::kDrop) span_ = SoundSpan{};
    done += decoder_.Fill(span_, block + done, kBlockBytes - done, fillByte_);
  }
}

void CAudioCtx::TakeItem() {
  // Read before the queue: seen empty after the flag went up, it held nothing queued before.
  const bool handOverAsked = state_.audioHandOver.load();
  if (!queue_.Get(item_)) {
    item_ = QueueItem{};
    if (handOverAsked) state_.audioHandOver = false;
  }
  span_ = SoundSpan{static_cast<int>(item_.type), item_.data, item_.data ? item_.length : 0};
  decoder_.BeginFrame(span_.type);
  if (item_.type == kItemNone) return;
  takenBytes_ += item_.length;
  TrimClock(item_);
  if (state_.exportDecode.load()) HandToRecorder(item_);
}

// The source marks the frame that starts the audio clock; the video thread asks for a new anchor
// when the clock strays. Later frames move the clock toward the wall clock, so that the frame
// being taken is heard the start delay after it was taken.
void CAudioCtx::TrimClock(const QueueItem& item) {
  const auto time = static_cast<std::int64_t>(item.stamp);
  if (time == 0) return;
  state_.audioTime.store(time);
  const std::int64_t now = static_cast<std::int64_t>(clock_.NowMs());
  const bool marked = state_.audioResync.load();
  if (state_.avClock.TakeReanchorRequest() || marked) {
    // A re-anchor the clock asked for keeps the delay of the last anchoring.
    if (!marked) state_.audioStartDelay.store(state_.audioPreviousDelay.load());
    Anchor(time, now);
  }
  if (!TrimsClock(item.type)) return;
  if (startTick_ == 0) startTick_ = now;
  if (trim_ == Trim::kOff) return;
  if (trim_ == Trim::kFirstFrame) {
    trim_ = Trim::kOn;
    startTick_ = 0;
    return;
  }
  const std::int64_t elapsed = now - startTick_;
  const std::int64_t media = WrapSub(time, state_.avClock.GetAnchor().audioBase) / 1000;
  const std::int64_t step = std::clamp(elapsed - media, -kMaxTrimMs, kMaxTrimMs);
  state_.avClock.ShiftAudioBase(-step * 1000);
}

void CAudioCtx::Anchor(std::int64_t time, std::int64_t now) {
  state_.StartAudioClock(time, now, kSoundSpeed);
  trim_ = Trim::kFirstFrame;
}

// The frame's sound goes to the export; what plays is silence in its place.
void CAudioCtx::HandToRecorder(QueueItem& item) {
  if (IRecordSink* recorder = recorder_.load())
    recorder->WriteAudio(item.data, item.length, static_cast<int>(item.type));
  if (item.data) std::memset(item.data, 0, item.length);
}

// The play clock is the sync channel's own time, which it must never disturb; the other channels
// play their frames only near it.
CAudioCtx::Gate CAudioCtx::GateOf(const QueueItem& item) const {
  if (item.type == kItemNone || channel_.load() == kSyncChannel) return Gate::kPlay;
  const std::int64_t d = state_.playClock.Get() - item.chunkTime;
  if (d >= kWaitFrom && d <= kWaitTo) return Gate::kWait;
  if (d >= kDropBehind || d <= kDropAhead) return Gate::kDrop;
  return Gate::kPlay;
}
