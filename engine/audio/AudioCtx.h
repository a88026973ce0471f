// The audio thread of a channel. It takes the sound frames of the channel's audio queue, decodes
// them and streams the samples into the looping sound buffer of its output a block at a time: one
// block at the start, one more at once, then one each time the device passes the middle of a
// block. It anchors the audio clock at the frame the source marks, trims it toward the wall clock
// frame by frame, rebuilds its buffer after a seek, and in export-decode mode hands every frame
// to the recorder.
//
// Threads: Init, Stop, SetVolume, SetRecorder and RequestReset come from the UI thread, one at a
// time; the body runs on the thread. The engine state carries the clock fields that the source
// and the video thread share with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/stream/ABuffer2.h"
#include "engine/state/EngineState.h"
#include "engine/stream/MyThread.h"
#include "engine/stream/QueueItem.h"
#include "engine/audio/SoundCursor.h"
#include "engine/audio/SoundDecoder.h"
#include "platform/Time.h"
#include "platform/sound/SoundOutput.h"

class IRecordSink;

class CAudioCtx : public CMyThread {
 public:
  // The channel whose sound is not held back by the play clock.
  static constexpr int kSyncChannel = 0;
  // The most the audio clock is moved toward the wall clock per sound frame (ms).
  static constexpr std::int64_t kMaxTrimMs = 66;
  // The sound is always heard at the normal speed, whatever the pictures' speed.
  static constexpr double kSoundSpeed = 1.0;

  // `device`: the machine's sound output (null when there is none). The clock gives the ticks at
  // which the audio clock is anchored and trimmed, and paces the null output of export-decode
  // mode.
  CAudioCtx(CEngineState& state, CABuffer2& queue, std::unique_ptr<plat::ISoundOutput> device,
            plat::IClock& clock = plat::SystemClock());
  ~CAudioCtx() override;

  // Starts the thread for the channel. With the channel's sound switched off nothing starts
  // (true). Without a sound device the channel plays without sound: the queue drops its oldest
  // frames so that the source never waits on it, and no thread starts (true). In export-decode
  // mode the thread always runs, on a null output where the device is missing or switched off,
  // so that the export still gets the sound. False when the AAC decoder cannot be opened or the
  // thread cannot be made.
  bool Init(int channel);
  // Init for the channel given last.
  bool Start() override;
  // Ends the thread, even while it waits for the device or retries a lock; then stops the output
  // at position 0 and sets the decoders back.
  bool Stop(DWORD timeoutMs) override;

  // Hundredths of a decibel, 0 = full; applied at once and kept for later outputs and resets.
  void SetVolume(std::int32_t hundredthsDb);
  std::int32_t Volume() const { return volume_.load(); }
  // After a seek: the thread makes a new buffer, writes from its start and anchors the clock
  // afresh at the next marked frame. The request goes through the engine state, where the engine
  // and the video thread ask for it too.
  void RequestReset() { state_.RequestAudioReset(); }
  // The recorder that receives each sound frame in export-decode mode; null: none.
  void SetRecorder(IRecordSink* recorder) { recorder_.store(recorder); }
  // Bytes of the sound frames taken from the queue since construction.
  std::uint64_t TakenBytes() const { return takenBytes_.load(); }

 protected:
  void Run() override;

 private:
  // What the play clock says of a frame of a channel other than the sync channel.
  enum class Gate { kPlay, kWait, kDrop };
  // Where the trimming of the audio clock stands: not started; anchored, the next frame gives
  // the base; running.
  enum class Trim { kOff, kFirstFrame, kOn };

  bool Running() const { return IsRunning() && !stopping_.load(); }
  plat::ISoundOutput* OpenOutput(bool useDevice, bool exporting);
  void BeginPlay();
  void ResetOutput();
  std::uint8_t* LockBlock();
  void FillBlock(std::uint8_t* block);
  void TakeItem();
  void TrimClock(const QueueItem& item);
  void Anchor(std::int64_t time, std::int64_t now);
  void HandToRecorder(QueueItem& item);
  Gate GateOf(const QueueItem& item) const;

  CEngineState& state_;
  CABuffer2& queue_;
  std::unique_ptr<plat::ISoundOutput> device_;
  std::unique_ptr<plat::ISoundOutput> nullOutput_;
  plat::ISoundOutput* output_ = nullptr;  // the one in use; set only while the thread is stopped
  plat::IClock& clock_;
  std::atomic<IRecordSink*> recorder_{nullptr};
  std::atomic<int> channel_{-1};
  std::atomic<std::int32_t> volume_{0};
  std::atomic<std::uint64_t> takenBytes_{0};
  std::atomic<bool> stopping_{false};

  // Thread state.
  CSoundDecoder decoder_;
  CSoundCursor cursor_;
  QueueItem item_;   // the frame being played
  SoundSpan span_;   // what is left of it
  std::uint8_t fillByte_ = 0;
  bool playing_ = false;
  Trim trim_ = Trim::kOff;
  std::int64_t startTick_ = 0;  // the tick the trimming counts from; 0 = not yet
};
