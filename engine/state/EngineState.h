// The playing state that the UI thread and the engine threads share. The engine object owns it;
// the UI thread writes the controls (speed, pause, seek time, switches, windows), the source and
// the video thread read them between chunks and frames. Every field is atomic, and the crop and
// the on-screen text settings are read and written whole under a lock, so any thread may read or
// write any of them; requests that must run on a particular thread are flags that the thread
// takes and carries out itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "engine/clock/AvClock.h"
#include "engine/state/OsdSettings.h"
#include "engine/clock/PlayClock.h"
#include "platform/Geometry.h"
#include "platform/Message.h"

// Messages the engine sends to its notify window; wParam is the engine.
constexpr UINT WM_PLAYER_VIDEOSIZE = 0x49A;   // a picture of a new size; lParam the channel
constexpr UINT WM_PLAYER_SENSORDATA = 0x5F4;  // new sensor data or job progress; lParam 0
constexpr UINT WM_PLAYER_END = 0x49B;         // end of a job (lParam -1) or of a play (the channel)

class CEngineState {
 public:
  // Controls, written by the UI thread.
  std::atomic<bool> open{false};           // a play or job runs
  std::atomic<double> speed{1.0};          // negative = backward
  std::atomic<int> pause{0};
  std::atomic<std::int64_t> seekTime{0};   // seconds since 1970; 0 = none
  // Set before the seek time of a seek to another place: the video thread forgets the picture
  // shown, which a single step counts from. A turn of direction seeks to the picture shown and
  // keeps it.
  std::atomic<bool> seekElsewhere{false};
  std::atomic<bool> videoEnabled{true};    // the channel's video switch
  std::atomic<bool> audioEnabled{true};    // the channel's sound switch
  std::atomic<bool> exportDecode{false};   // a job's frames go through the decoders
  std::atomic<HWND> notifyWnd{nullptr};
  std::atomic<HWND> videoWnd{nullptr};
  std::atomic<bool> dxva2Enabled{false};   // decode on the graphics card (from the next play on)
  std::atomic<bool> keepProportion{false};  // present the whole picture between black bars
  // The volume the channel's sound output plays at, in hundredths of a decibel (0 full,
  // plat::kVolumeSilent silence); the engine hands each change, and the value at each new play,
  // to the audio thread.
  std::atomic<std::int32_t> outputVolume{0};
  std::atomic<std::int64_t> timeZoneOffset{0};  // seconds, for the side files of an export
  // Export words: the request (cleared by the source at the end of a job), one file per channel,
  // and whether the channel and its sound are exported.
  std::atomic<bool> exportActive{false};
  std::atomic<bool> exportPerChannel{false};
  std::atomic<bool> exportChannel{true};
  std::atomic<bool> exportAudio{true};
  std::atomic<bool> exportReady{false};  // the channel's picture is ready for the exporter
  // The hand-over at the end of an export with decoding: once the source has queued its last
  // frames, the engine raises the flag of each decoding thread that runs; the thread lowers it
  // when it finds its queue empty, everything queued before having gone to the recorder.
  std::atomic<bool> videoHandOver{false};
  std::atomic<bool> audioHandOver{false};
  // The mode word of a GPS text export (0: none); a job's end clears a mode of 1.
  std::atomic<int> rawExportMode{0};

  // Written by the engine threads.
  CPlayClock playClock;
  std::atomic<std::int64_t> frameTime{0};      // seconds of the picture shown last; 0 = none
  std::atomic<std::uint64_t> bytesRead{0};     // the channel's byte counter
  std::atomic<std::uint64_t> bytesLastSecond{0};
  std::atomic<std::uint32_t> picturesShown{0};  // pictures presented since the last play-clock step
  std::atomic<std::uint32_t> picturesLastSecond{0};
  std::atomic<bool> channelHidden{false};      // the source hid the video window
  std::atomic<bool> redrawRequest{false};      // the video thread is to present its last picture again
  std::atomic<bool> pacerResetRequest{false};  // the video thread is to restart its pacer

  // The audio clock and the start delay the audio thread adds to the tick when it anchors it.
  CAvClock avClock;
  std::atomic<std::int32_t> audioStartDelay{0};
  std::atomic<std::int32_t> audioPreviousDelay{0};
  std::atomic<std::int64_t> audioTime{0};      // stamp (µs) the audio clock is to start from
  std::atomic<bool> audioResync{false};        // the audio thread anchors at its next sound frame

  // Requests from the UI thread, carried out by the source thread between chunks.
  void RequestResync() { resyncRequest_.store(true); }
  bool TakeResyncRequest() { return resyncRequest_.exchange(false); }
  // A seek or a pause change: the next sound frame starts the audio clock with the start delay
  // that suits it.
  void NoteSeek() { seekMark_.store(true); }
  void NotePauseChange() { pauseMark_.store(true); }
  bool TakeSeekMark() { return seekMark_.exchange(false); }
  bool TakePauseMark() { return pauseMark_.exchange(false); }
  // A seek: the audio thread starts its output over at its next pass.
  void RequestAudioReset() { audioResetRequest_.store(true); }
  bool TakeAudioResetRequest() { return audioResetRequest_.exchange(false); }

  // The play clock step of the video thread, once per shown picture: once a second of wall time
  // has passed, the clock moves a second in the direction of play and the per-second counters
  // take what was counted in that second. True when the clock moved.
  bool TickPlayClock(std::int64_t nowMs);
  // Back to idle after a play: normal speed, no seek, no pause, no play time or frame time, no
  // request left over for the next play.
  void ResetPlayState();

  // The crop rectangle of the channel: left and top margins (0 or more) and, in right and bottom,
  // the right and bottom margins (0 or less). Read whole.
  void SetCrop(const CRect& crop);
  CRect Crop() const;
  // The on-screen text settings. The video thread draws with a copy; a change is made whole.
  void EditOsd(const std::function<void(OsdSettings&)>& edit);
  OsdSettings Osd() const;

  // The audio clock is to start from this stamp: the audio thread anchors it when it takes its
  // next sound frame.
  void SetAudioTime(std::int64_t stamp);
  // The audio clock is to start again at the next sound frame, that frame heard after the delay.
  void RestartAudioClock(std::int32_t delayMs);
  // Anchors the audio clock: `stamp` is heard at nowMs plus the start delay, which is then used
  // up (kept as the previous delay); from there the media time runs at `speed`.
  void StartAudioClock(std::int64_t stamp, std::int64_t nowMs, double speed);

 private:
  std::atomic<bool> resyncRequest_{false};
  std::atomic<bool> seekMark_{false};
  std::atomic<bool> pauseMark_{false};
  std::atomic<bool> audioResetRequest_{false};

  mutable std::mutex settingsLock_;
  CRect crop_{0, 0, 0, 0};
  OsdSettings osd_;
};
