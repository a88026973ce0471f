// The video thread of a channel. It takes the items of the channel's video queue, decodes the
// pictures, hands each to the channel window's presenter with its on-screen text, presents it
// at the start of the next pass and paces the pictures by their time
// stamps and the audio/video clock. It carries out pause, single steps, backward play and seeks
// as the engine state asks, hands each chunk's sensor block on to the main window, and in an
// export with decoding hands every picture to the recorder.
//
// Threads: the engine links the thread to the sensor data, the on-screen text and the recorder
// while the thread does not run. The crop, the keep-proportion switch and the hardware-decoding
// switch are the engine state's, read as the thread goes; the getters may be read from any
// thread. Snapshot runs on the UI thread against the presenter the thread draws into.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/video/BackwardGroup.h"
#include "engine/gps/CarDataFrame.h"
#include "engine/video/DecodePolicy.h"
#include "engine/state/EngineState.h"
#include "engine/video/ExportPicture.h"
#include "engine/video/FfmpegVideoDecoder.h"
#include "engine/clock/FpsCtrl.h"
#include "engine/stream/MyThread.h"
#include "engine/video/OsdLayout.h"
#include "engine/stream/SensorMarkers.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Time.h"
#include "platform/video/VideoPresenter.h"

class CIbpCtrl;
class IRecordSink;

// What the on-screen text needs from outside the video thread, asked on the video thread for
// each converted picture.
class IOsdSource {
 public:
  virtual ~IOsdSource() = default;
  // A copy of the settings as they are now.
  virtual OsdSettings Settings() const = 0;
  // Fills in the sound's figures of the diagnostic lines: its time stamp, its queue, its last
  // start delay.
  virtual void AddSoundFigures(OsdFigures& figures) const = 0;
};

class CVideoCtx : public CMyThread {
 public:
  // The single-step speeds: one picture, then the engine pauses.
  static constexpr double kStepForward = 1.1;
  static constexpr double kStepBack = -1.1;
  // The rest before the first pass.
  static constexpr std::uint32_t kStartRestMs = 10;
  // The end of the data is announced this long after its item arrived.
  static constexpr std::uint32_t kEndNoticeMs = 1000;
  // How long a snapshot waits for the back buffer.
  static constexpr int kSnapshotWaitMs = 100;

  // `engine` goes with every message as its wParam. The clock gives the time for pacing, the
  // play clock and the thread's waits. While it has nothing to take, or is paused, the thread
  // waits for its queue to ring: every put rings it, and whoever changes what it waits for (pause,
  // speed, a seek, a redraw, the video switch, a hand-over, a stop) rings it with RingConsumer.
  CVideoCtx(CIbpCtrl* engine, int channel, CEngineState& state, CVBuffer2& queue,
            plat::IClock& clock = plat::TickClock());
  ~CVideoCtx() override;

  // Links, set while the thread does not run; each may be null. The objects must outlive the
  // thread's run.
  // The source's sensor blocks, which the sensor markers name.
  void SetSensorData(ISensorMarkers* sensors) { sensors_ = sensors; }
  // Without a source no on-screen text is drawn.
  void SetOsdSource(const IOsdSource* osd) { osd_ = osd; }
  // The recorder of an export with decoding, and whether it takes the channel's picture alone or
  // the joined mosaic.
  void SetExport(IRecordSink* recorder, bool perChannel);
  // Whether the source reads again from the engine's seek time (a card source; the default), so
  // that resuming at the normal speed seeks a second on; a transport stream's reader goes on with
  // what it has queued.
  void SetResumeSeeks(bool seeks) { resumeSeeks_ = seeks; }

  // Takes the presenter of the engine's video window (a back buffer kept from an earlier play is
  // cleared to black), opens the decoder (on the graphics card where the state allows it and it
  // can) and starts the thread. False when the thread runs already or cannot be made.
  bool Start() override;
  // Stops the thread, ending a pacing wait at once, and waits for it however long it takes; false
  // when it overran the time-out. The car data and the time stamp are forgotten.
  bool Stop(DWORD timeoutMs) override;

  // A copy of the back buffer (the picture with its on-screen text) for a snapshot; false when
  // there is no picture or the back buffer stayed busy.
  bool Snapshot(plat::PictureCopy& out) const;

  // The size of the pictures being shown; 0 x 0 before the first picture and after a presenter
  // could not be made for a size.
  int Width() const { return width_.load(); }
  int Height() const { return height_.load(); }
  // No picture converted since Start.
  bool IsNoVideo() const { return noVideo_.load(); }
  bool IsDecoderOpen() const { return decoderOpen_.load(); }
  // The chunk of the picture converted last, forward or backward; kNoChunk before the first
  // picture since Start and for a source without chunks.
  std::int64_t ShownChunk() const { return shownChunk_.load(); }
  // Pictures converted since construction, and how many of them were key pictures.
  std::uint64_t PresentedPictures() const { return presented_.load(); }
  std::uint64_t PresentedKeyPictures() const { return presentedKeys_.load(); }
  // Inter frames between the last two key frames that started with a sequence parameter set.
  std::int32_t GopLength() const { return gopLength_.load(); }
  // A copy of the car data of the picture shown (time 0: no car-data frame is current).
  CarDataRecord CarData() const;

 protected:
  void Run() override;

 private:
  bool Runs() const { return IsRunning() && !quit_.load(); }
  std::int64_t Now() const { return static_cast<std::int64_t>(clock_.NowMs()); }
  // Lets the time pass, unless the thread is stopped first.
  void Rest(std::uint32_t ms);
  void Post(UINT msg, LPARAM lParam) const;

  // The passes.
  void DropWhileVideoOff();
  void Pass();
  void TickPlayClock();
  bool TakePendingSeek();
  void Idle();
  void HandleItem(const QueueItem& item);
  bool Admits(const QueueItem& item, double speed);
  bool DecodesKind(const QueueItem& item, double speed);
  void TakeTimeFrame(const QueueItem& item);
  void TakeMarker(const QueueItem& item, double speed);
  void EndOfData(const QueueItem& item, double speed);
  void ShowPicture(const QueueItem& item, double speed);
  void TakeBackward(const QueueItem& item);
  void ShowDueBackward();
  bool StepSkips(const QueueItem& item, double speed) const;
  std::uint64_t StampOf(const QueueItem& item) const;
  void AfterPicture(const QueueItem& item, double speed, const AVFrame& shown);
  void Pace(const QueueItem& item, double speed);
  void WaitWhilePaused();
  void ResumeAtNormalSpeed();
  // The thread's car data becomes what CarData gives.
  void PublishCarData();

  // Presenting (VideoCtxPresent.cpp).
  void TakeWindowPresenter();
  void AttachPresenter();
  bool PresentFrame(const AVFrame& picture);
  bool FitPresenter(int width, int height);
  bool ResetPresenter();
  bool Convert(const AVFrame& picture);
  void Repaint();
  void DrawOsd(double speed);
  OsdFigures VideoFigures() const;
  void HandToRecorder(const QueueItem& item, const AVFrame& picture);

  CIbpCtrl* const engine_;
  const int channel_;
  CEngineState& state_;
  CVBuffer2& queue_;
  plat::IClock& clock_;
  ISensorMarkers* sensors_ = nullptr;
  const IOsdSource* osd_ = nullptr;
  IRecordSink* recorder_ = nullptr;
  bool exportPerChannel_ = true;
  bool resumeSeeks_ = true;

  // State other threads read.
  std::atomic<bool> quit_{false};
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  std::atomic<bool> noVideo_{true};
  std::atomic<bool> decoderOpen_{false};
  std::atomic<std::int64_t> shownChunk_{kNoChunk};
  std::atomic<std::uint64_t> presented_{0};
  std::atomic<std::uint64_t> presentedKeys_{0};
  std::atomic<std::int32_t> gopLength_{0};
  // Replaced only by the thread (and by Start); Snapshot reads it under the lock.
  mutable std::mutex presenterLock_;
  std::shared_ptr<plat::IVideoPresenter> presenter_;
  mutable std::mutex carDataLock_;
  CarDataRecord sharedCarData_;

  // The thread's own state.
  CFpsCtrl pacer_;
  FfmpegVideoDecoder decoder_;
  CBackwardGroup backward_;
  CDecodePolicy policy_;
  CExportPicture exportPicture_;
  CarDataRecord carData_;
  std::uint64_t frameTime_ = 0;    // stamp (µs) of the picture shown
  std::uint64_t streamStamp_ = 0;  // of the last time frame, which goes with the picture decoded next
  std::uint64_t shownStamp_ = 0;   // of the picture presented last, 0 when unknown
  bool backwardItems_ = false;   // the direction of the items decoded last
  bool repaint_ = false;         // the last picture is to be presented (again)
  bool resetPacer_ = true;       // the next time frame restarts the pacer
  double lastRate_ = 0.0;        // pictures per second last given to the pacer
  std::uint64_t presentedAtSecond_ = 0;
  int picturesLastSecond_ = 0;
  std::int64_t bytesLastSecond_ = 0;
};
