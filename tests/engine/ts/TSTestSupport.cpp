#include "tests/engine/ts/TSTestSupport.h"

#include "tests/engine/stream/QueueTestSupport.h"

void TestTsChannel::SetStartTime(const std::string& path, std::int64_t time) {
  std::lock_guard lock(m_lock);
  m_startTimes[path] = time;
}

std::int64_t TestTsChannel::FileStartTime(const std::string& path) {
  std::lock_guard lock(m_lock);
  const auto it = m_startTimes.find(path);
  return it == m_startTimes.end() ? 0 : it->second;
}

void TestTsChannel::SetCurrentDate(const RecorderDate& date) {
  std::lock_guard lock(m_lock);
  ++m_dates;
  m_lastDate = date;
}

std::uint8_t* TestTsChannel::TakeSensorBlock(const IndexBlockA5& block) {
  std::lock_guard lock(m_lock);
  IndexBlockA5& slot = m_ring[m_next++ % kRing];
  slot = block;
  return slot.bytes.data();
}

void TestTsChannel::ResyncAudio(int startDelayMs, std::uint64_t stampUs) {
  std::lock_guard lock(m_lock);
  m_resyncs.push_back({startDelayMs, stampUs});
}

int TestTsChannel::Dates() const {
  std::lock_guard lock(m_lock);
  return m_dates;
}

RecorderDate TestTsChannel::LastDate() const {
  std::lock_guard lock(m_lock);
  return m_lastDate;
}

std::vector<AudioResync> TestTsChannel::Resyncs() const {
  std::lock_guard lock(m_lock);
  return m_resyncs;
}

QueueConsumer::QueueConsumer(CVBuffer2& video, CABuffer2& audio)
    : m_video(video), m_audio(audio), m_thread([this] { Run(); }) {}

QueueConsumer::~QueueConsumer() {
  m_stop = true;
  m_thread.join();
}

std::vector<TakenItem> QueueConsumer::Video() const {
  std::lock_guard lock(m_lock);
  return m_pictures;
}

std::vector<TakenItem> QueueConsumer::Markers() const {
  std::lock_guard lock(m_lock);
  return m_markers;
}

std::vector<TakenItem> QueueConsumer::Audio() const {
  std::lock_guard lock(m_lock);
  return m_sound;
}

bool QueueConsumer::WaitForPictures(std::size_t count) const {
  return Eventually([&] { return Video().size() >= count; });
}

void QueueConsumer::Run() {
  while (!m_stop) {
    const bool tookVideo = TakeOne(m_video, m_pictures);
    const bool tookSound = TakeOne(m_audio, m_sound);
    if (!tookVideo && !tookSound) Sleep(1);
  }
}

bool QueueConsumer::TakeOne(CBuffer& queue, std::vector<TakenItem>& into) {
  QueueItem item;
  if (!queue.Get(item)) return false;
  TakenItem taken{item, std::vector<std::uint8_t>(item.data, item.data + item.length)};
  std::lock_guard lock(m_lock);
  (item.type == kItemMarker ? m_markers : into).push_back(std::move(taken));
  return true;
}

TsRig::TsRig() {
  video.Create(4 << 20, 1 << 20, true);
  audio.Create(256 << 10, 16 << 10, true);
}

TsRig::~TsRig() {
  video.Wake();
  audio.Wake();
  reader.Stop(kWaitForever);
  consumer.reset();
}

bool TsRig::Start() {
  consumer = std::make_unique<QueueConsumer>(video, audio);
  return reader.Start();
}
