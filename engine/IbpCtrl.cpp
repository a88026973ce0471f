#include "engine/IbpCtrl.h"

#include <mutex>
#include <new>

extern "C" {
#include <libavutil/log.h>
}

#include "engine/video/Snapshot.h"

// The decoders report every parameter set and every damaged unit on the console, where a player
// has nobody to read them.
CIbpCtrl* CIbpCtrl::Create() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
  return new (std::nothrow) CIbpCtrl();
}

namespace {
std::mutex factoryLock;
std::function<IIbpCtrl*()>& Factory() {
  static std::function<IIbpCtrl*()> factory;
  return factory;
}
}  // namespace

IIbpCtrl* CreateIbpCtrl() {
  std::function<IIbpCtrl*()> factory;
  {
    std::lock_guard<std::mutex> lock(factoryLock);
    factory = Factory();
  }
  if (factory) return factory();
  return CIbpCtrl::Create();
}

void SetIbpCtrlFactory(std::function<IIbpCtrl*()> factory) {
  std::lock_guard<std::mutex> lock(factoryLock);
  Factory() = std::move(factory);
}

CIbpCtrl::CIbpCtrl() : source_(this, &state_) { source_.SetRecorder(&recorder_); }

CIbpCtrl::~CIbpCtrl() { Close(); }

void CIbpCtrl::Destroy() {
  Close();
  delete this;
}

int CIbpCtrl::SetSource(const CString& path) {
  Close();
  source_.CloseStore();
  playedEntry_ = nullptr;
  path_ = path;
  path_.Trim();
  return ParseSource();
}

int CIbpCtrl::ParseSource() {
  address_ = ParseSourcePath(path_);
  ConfigureStore();
  return address_.type;
}

// The card source's store follows the source: a raw card by its drive number, a `.sd` or `.idx`
// file by its path. Any other source leaves it with nothing it can open.
void CIbpCtrl::ConfigureStore() {
  unsigned driveNo = 0;
  int storeType = address_.type;
  if (storeType == kSourceRawCard && !ParseDriveNumber(address_.host, &driveNo)) storeType = kSourceNone;
  if (!IsCardStoreSource(storeType)) storeType = kSourceNone;
  source_.SetStoreSource(storeType, driveNo, storeType == kSourceRawCard ? std::string() : path_.ToUtf8());
}

EngineStart CIbpCtrl::Play(IndexEntry* entry, int eventNumber) {
  if (state_.open.load()) return IsPlaying(entry) ? EngineStart::kStarted : EngineStart::kBusy;
  if (!IsPlayableSource(address_.type) || !CreatePipeline()) {
    Close();
    return EngineStart::kFailed;
  }
  state_.open = true;
  state_.avClock.Restart();
  state_.bytesRead = 0;
  state_.picturesShown = 0;
  bool started = CreateQueues(true);
  if (started) started = StartThreads();
  if (started && address_.type == kSourceTransportStream) {
    active_ = Active::kTransportStream;
    started = channels_[0].transportStream->Start(path_.ToUtf8(), state_.speed.load() < 0);
  } else if (started) {
    active_ = Active::kCardSource;
    started = StartSource(entry, eventNumber);
  }
  if (!started) {
    Close();
    return EngineStart::kFailed;
  }
  return EngineStart::kStarted;
}

// Asked for what is playing: the transport stream that plays, or the entry the card source is in.
bool CIbpCtrl::IsPlaying(const IndexEntry* entry) const {
  switch (active_.load()) {
    case Active::kTransportStream: return !channels_[0].transportStream->IsExporting();
    case Active::kCardSource: return !source_.IsJob() && entry == source_.CurrentEntry();
    case Active::kNone: return false;
  }
  return false;
}

// For a play both queues block, so that the source waits for the threads that take from them.
bool CIbpCtrl::CreateQueues(bool blocking) {
  for (Channel& ch : channels_) {
    if (!ch.videoQueue->Create(kVideoArea, kVideoMargin, blocking) ||
        !ch.audioQueue->Create(kAudioArea, kAudioMargin, blocking)) {
      return false;
    }
  }
  return true;
}

bool CIbpCtrl::StartSource(IndexEntry* entry, int eventNumber) {
  Channel& ch = channels_[0];
  source_.SetQueues(ch.videoQueue.get(), ch.audioQueue.get());
  source_.SetJob(nullptr);
  return source_.SetEntryRange(entry, eventNumber) && source_.Start();
}

void CIbpCtrl::Close() {
  state_.open = false;
  StopAll();
  SetRecord(false, CString(), 0);
  state_.ResetPlayState();
}

void CIbpCtrl::StopAll() {
  for (Channel& ch : channels_) {
    if (ch.videoQueue) ch.videoQueue->Wake();
    if (ch.audioQueue) ch.audioQueue->Wake();
  }
  StopSource();
  StopThreads();
}

// The entry a play was in stays the current entry, so that the main window's Play after Stop
// plays it again.
void CIbpCtrl::StopSource() {
  switch (active_.exchange(Active::kNone)) {
    case Active::kCardSource:
      KeepPlayedEntry();
      source_.Stop(kThreadStopMs);
      break;
    case Active::kTransportStream:
      channels_[0].transportStream->Reset(kThreadStopMs);
      break;
    case Active::kNone:
      break;
  }
}

void CIbpCtrl::KeepPlayedEntry() {
  IndexEntry* entry = source_.CurrentEntry();
  if (entry && !source_.IsJob()) playedEntry_ = entry;
}

IndexEntry* CIbpCtrl::GetCurrentEntry() const {
  IndexEntry* entry = source_.CurrentEntry();
  return entry ? entry : playedEntry_.load();
}

IndexEntry* CIbpCtrl::OpenStore() {
  playedEntry_ = nullptr;
  return source_.OpenStore();
}

bool CIbpCtrl::CreatePipeline() {
  for (int n = 0; n < kChannels; ++n) {
    Channel& ch = channels_[static_cast<std::size_t>(n)];
    if (!ch.videoQueue) {
      ch.videoQueue.reset(new (std::nothrow) CVBuffer2(kVideoItems));
      if (ch.videoQueue) ch.videoQueue->SetChannel(n);
    }
    if (!ch.audioQueue) ch.audioQueue.reset(new (std::nothrow) CABuffer2(kAudioItems));
    if (!ch.videoQueue || !ch.audioQueue) return false;
    if (!ch.transportStream) {
      ch.transportStream.reset(new (std::nothrow) CTSChn(state_, *ch.videoQueue, *ch.audioQueue));
    }
    if (!ch.video) ch.video.reset(new (std::nothrow) CVideoCtx(this, n, state_, *ch.videoQueue));
    if (!ch.audio) ch.audio.reset(new (std::nothrow) CAudioCtx(state_, *ch.audioQueue, plat::CreateSoundOutput()));
    if (!ch.transportStream || !ch.video || !ch.audio) return false;
  }
  return true;
}

// The threads start before the source, so that its first frames are taken as they come: the
// video thread first, then the sound at the volume set last. Both hand a job's decoded frames to
// the channel's recorder when the job asks for them.
bool CIbpCtrl::StartThreads() {
  for (int n = 0; n < kChannels; ++n) {
    Channel& ch = channels_[static_cast<std::size_t>(n)];
    ISensorMarkers* markers = &source_.Sensors();
    if (address_.type == kSourceTransportStream) markers = ch.transportStream.get();
    ch.video->SetSensorData(markers);
    ch.video->SetOsdSource(&osd_);
    // Pictures of several channels are joined into a mosaic; one channel's picture joined with
    // no other keeps its own size.
    ch.video->SetExport(&recorder_, state_.exportPerChannel.load() || kChannels == 1);
    ch.video->SetResumeSeeks(address_.type != kSourceTransportStream);
    ch.audio->SetRecorder(&recorder_);
    ch.audio->SetVolume(state_.outputVolume.load());
    if (!ch.video->Start() || !ch.audio->Init(n)) return false;
  }
  return true;
}

// After the source, whose puts the threads may still be taking.
void CIbpCtrl::StopThreads() {
  for (Channel& ch : channels_) {
    if (ch.video) ch.video->Stop(kThreadStopMs);
    if (ch.audio) ch.audio->Stop(kThreadStopMs);
  }
}

CVBuffer2* CIbpCtrl::VideoQueue(int channel) const {
  return ValidChannel(channel) ? channels_[static_cast<std::size_t>(channel)].videoQueue.get() : nullptr;
}

CABuffer2* CIbpCtrl::AudioQueue(int channel) const {
  return ValidChannel(channel) ? channels_[static_cast<std::size_t>(channel)].audioQueue.get() : nullptr;
}

const CVideoCtx* CIbpCtrl::Video(int channel) const {
  return ValidChannel(channel) ? channels_[static_cast<std::size_t>(channel)].video.get() : nullptr;
}

const CAudioCtx* CIbpCtrl::Audio(int channel) const {
  return ValidChannel(channel) ? channels_[static_cast<std::size_t>(channel)].audio.get() : nullptr;
}
