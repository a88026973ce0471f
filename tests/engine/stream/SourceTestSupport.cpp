#include "tests/engine/stream/SourceTestSupport.h"

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "engine/stream/StreamGrammar.h"
#include "platform/Time.h"

namespace sourcetest {

TestConsumer::TestConsumer(CVBuffer2& video, CABuffer2* audio, ISensorMarkers* sensors)
    : video_(video), audio_(audio), sensors_(sensors) {}

TestConsumer::~TestConsumer() { Stop(); }

void TestConsumer::Start() {
  if (run_.exchange(true)) return;
  thread_ = std::thread([this] { Loop(); });
}

void TestConsumer::Stop() {
  run_ = false;
  if (thread_.joinable()) thread_.join();
}

void TestConsumer::Loop() {
  while (run_) {
    if (paused_) {
      Sleep(1);
      continue;
    }
    const bool tookVideo = TakeVideo();
    const bool tookAudio = TakeAudio();
    if (!tookVideo && !tookAudio) Sleep(1);
  }
}

bool TestConsumer::TakeVideo() {
  TakenItem taken;
  if (!video_.Get(taken.item)) return false;
  std::size_t count = video_.Count();
  for (std::size_t seen = maxVideoCount_.load(); count > seen && !maxVideoCount_.compare_exchange_weak(seen, count);) {
  }
  if (taken.item.type == kItemMarker) {
    taken.bytes.resize(kMarkerLength);
    taken.blockTaken = sensors_ && sensors_->TakeMarker(taken.item, taken.bytes.data());
  } else if (taken.item.data && taken.item.length > 0) {
    taken.bytes.assign(taken.item.data, taken.item.data + taken.item.length);
  }
  std::lock_guard lock(mutex_);
  video_items_.push_back(std::move(taken));
  return true;
}

bool TestConsumer::TakeAudio() {
  TakenItem taken;
  if (!audio_ || !audio_->Get(taken.item)) return false;
  if (taken.item.length > 0) taken.bytes.assign(taken.item.data, taken.item.data + taken.item.length);
  std::lock_guard lock(mutex_);
  audio_items_.push_back(std::move(taken));
  return true;
}

bool TestConsumer::WaitForEnd() const {
  return Eventually([this] { return EndItems() > 0; });
}

std::size_t TestConsumer::EndItems() const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const TakenItem& t : video_items_) n += t.item.type == kItemEnd;
  return n;
}

std::vector<TakenItem> TestConsumer::Video() const {
  std::lock_guard lock(mutex_);
  return video_items_;
}

std::vector<TakenItem> TestConsumer::Audio() const {
  std::lock_guard lock(mutex_);
  return audio_items_;
}

std::vector<TakenItem> TestConsumer::Frames() const {
  std::vector<TakenItem> out;
  for (TakenItem& t : Video()) {
    if (t.item.type != kItemMarker && t.item.type != kItemEnd) out.push_back(std::move(t));
  }
  return out;
}

std::vector<TakenItem> TestConsumer::Markers() const {
  std::vector<TakenItem> out;
  for (TakenItem& t : Video()) {
    if (t.item.type == kItemMarker) out.push_back(std::move(t));
  }
  return out;
}

RecordingRouter::RecordingRouter() : previous_(plat::SetMessageRouter(this)) {}

RecordingRouter::~RecordingRouter() { plat::SetMessageRouter(previous_); }

bool RecordingRouter::Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(mutex_);
  posted_.push_back({wnd, msg, wParam, lParam});
  return true;
}

LRESULT RecordingRouter::Send(HWND, UINT, WPARAM, LPARAM) { return 0; }

bool RecordingRouter::Show(HWND, int command) {
  std::lock_guard lock(mutex_);
  shows_.push_back(command);
  return true;
}

std::vector<RecordingRouter::Message> RecordingRouter::Posted(UINT msg) const {
  std::lock_guard lock(mutex_);
  std::vector<Message> out;
  for (const Message& m : posted_) {
    if (m.msg == msg) out.push_back(m);
  }
  return out;
}

std::vector<int> RecordingRouter::Shows() const {
  std::lock_guard lock(mutex_);
  return shows_;
}

Fixture::Fixture(const fixtures::StoreDescription& desc, const std::string& name) : dir_("source") {
  setenv("TZ", "UTC", 1);
  tzset();
  const char* extension = desc.kind == fixtures::StoreKind::kSd ? ".sd" : desc.kind == fixtures::StoreKind::kIdx ? ".idx" : ".img";
  std::string error;
  layout_ = fixtures::BuildStore(desc, dir_.File(name + extension), &error);
  EXPECT_TRUE(layout_.has_value()) << error;
}

std::vector<std::uint8_t> Fixture::StreamBytes(int stream) const {
  std::vector<std::uint8_t> out;
  for (int r : layout_->streams[static_cast<std::size_t>(stream)].recordings) {
    const std::vector<std::uint8_t> payloads = fixtures::ReadPayloads(*layout_, r);
    out.insert(out.end(), payloads.begin(), payloads.end());
  }
  return out;
}

std::vector<std::uint32_t> MarkerSequences(const TestConsumer& consumer) {
  std::vector<std::uint32_t> out;
  for (const TakenItem& t : consumer.Markers()) out.push_back(t.item.seq);
  return out;
}

StreamChunk ChunkOf(const std::vector<std::uint8_t>& stream, const fixtures::ChunkInfo& c) {
  StreamChunk chunk;
  chunk.payload = stream.data() + c.streamOffset;
  chunk.frameRate = c.frameRate;
  chunk.time = static_cast<std::int32_t>(c.time);
  chunk.sequence = c.sequence;
  return chunk;
}

std::uint32_t ExpectedType(const fixtures::FrameInfo& frame, bool startsData) {
  switch (frame.role) {
    case fixtures::FrameRole::kTime: return kItemTimeFrame;
    case fixtures::FrameRole::kSps:
    case fixtures::FrameRole::kPps:
    case fixtures::FrameRole::kIdr: return kItemKeyFrame;
    case fixtures::FrameRole::kInter: return kItemInterFrame;
    case fixtures::FrameRole::kSei: return startsData ? kItemNone : kItemInterFrame;
    case fixtures::FrameRole::kSound: return kItemPcm16;
    case fixtures::FrameRole::kCarData: return kItemCarData;
    case fixtures::FrameRole::kOversize: return kItemNone;
  }
  return kItemNone;
}

std::vector<std::uint8_t> FrameBytes(const std::vector<std::uint8_t>& stream, const fixtures::FrameInfo& frame) {
  const auto begin = stream.begin() + static_cast<std::ptrdiff_t>(frame.offset);
  return {begin, begin + frame.length};
}

ExpectedPlay ExpectForward(const Fixture& fixture, const std::vector<int>& recordings) {
  const fixtures::Layout& layout = fixture.layout();
  ExpectedPlay play;
  std::uint64_t base = 0;  // where the recording's payloads begin in the play
  std::uint64_t stamp = 0;
  bool first = true;
  for (int r : recordings) {
    const fixtures::RecordingInfo& info = layout.recordings[static_cast<std::size_t>(r)];
    const std::vector<std::uint8_t> stream = fixture.StreamBytes(info.stream);
    for (const fixtures::ChunkInfo& c : info.chunks) {
      if (c.streamOffset >= 0) play.chunks.push_back(c);
    }
    for (const fixtures::FrameInfo& f : layout.FramesOf(r)) {
      if (f.role == fixtures::FrameRole::kTime) stamp = f.stampUs;
      ExpectedItem item;
      item.type = ExpectedType(f, first);
      first = false;
      item.frame = f;
      item.stamp = stamp;
      const std::uint64_t next = base + f.offset - info.streamBegin + f.length;
      item.chunk = static_cast<std::size_t>((next + kHeaderLookahead + kChunkPayloadSize - 1) / kChunkPayloadSize - 1);
      item.bytes = FrameBytes(stream, f);
      if (item.type == kItemPcm16) {
        item.bytes.erase(item.bytes.begin(), item.bytes.begin() + kFrameHeaderSize);
        play.audio.push_back(std::move(item));
      } else if (item.type != kItemNone) {
        play.video.push_back(std::move(item));
      }
    }
    base += info.streamEnd - info.streamBegin;
  }
  return play;
}

void ExpectForwardItems(const TestConsumer& consumer, const ExpectedPlay& expected) {
  std::size_t frame = 0;
  std::ptrdiff_t chunk = -1;
  for (const TakenItem& t : consumer.Video()) {
    if (t.item.type == kItemEnd) break;
    if (t.item.type == kItemMarker) {
      ++chunk;
      ASSERT_LT(static_cast<std::size_t>(chunk), expected.chunks.size());
      EXPECT_EQ(t.item.seq, expected.chunks[static_cast<std::size_t>(chunk)].sequence);
      continue;
    }
    ASSERT_LT(frame, expected.video.size());
    const ExpectedItem& want = expected.video[frame++];
    ASSERT_EQ(t.item.type, want.type) << "frame " << frame - 1;
    ASSERT_EQ(t.bytes, want.bytes) << "frame " << frame - 1;
    ASSERT_EQ(static_cast<std::size_t>(chunk), want.chunk) << "frame " << frame - 1;
    const fixtures::ChunkInfo& c = expected.chunks[want.chunk];
    EXPECT_EQ(t.item.chunkTime, c.time);
    EXPECT_EQ(t.item.seq, c.sequence);
    EXPECT_EQ(t.item.aux, c.frameRate);
    EXPECT_EQ(t.item.speed, 1.0);
  }
  EXPECT_EQ(frame, expected.video.size());
  EXPECT_EQ(static_cast<std::size_t>(chunk + 1), expected.chunks.size());
}

Queueable QueueableFrames(const Fixture& fixture, int recording) {
  Queueable q;
  const std::vector<std::uint8_t> stream = fixture.StreamBytes(fixture.layout().recordings[static_cast<std::size_t>(recording)].stream);
  for (const fixtures::FrameInfo& f : fixture.layout().FramesOf(recording)) {
    const std::uint32_t type = ExpectedType(f, false);
    if (type == kItemNone || type == kItemPcm16) continue;
    q.bytes.push_back(FrameBytes(stream, f));
    q.frames.push_back(f);
  }
  return q;
}

namespace {

bool IsSlice(fixtures::FrameRole role) { return role == fixtures::FrameRole::kIdr || role == fixtures::FrameRole::kInter; }

// The frame positions in the order a backward read queues them.
std::vector<std::size_t> BackwardOrder(const std::vector<fixtures::FrameInfo>& frames) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].role != fixtures::FrameRole::kIdr) continue;
    std::size_t start = i;
    while (start > 0 && !IsSlice(frames[start - 1].role)) --start;
    starts.push_back(starts.empty() ? 0 : start);
  }
  std::vector<std::size_t> order;
  std::size_t end = frames.size();
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    for (std::size_t k = *it; k < end; ++k) order.push_back(k);
    end = *it;
  }
  return order;
}

}  // namespace

void ExpectBackwardGroups(const TestConsumer& consumer, const Queueable& q) {
  std::vector<std::uint64_t> stamps(q.frames.size(), 0);
  for (std::size_t i = 0; i < q.frames.size(); ++i) {
    const bool time = q.frames[i].role == fixtures::FrameRole::kTime;
    stamps[i] = time ? q.frames[i].stampUs : (i > 0 ? stamps[i - 1] : 0);
  }
  const std::vector<std::size_t> order = BackwardOrder(q.frames);
  const std::vector<TakenItem> taken = consumer.Frames();
  ASSERT_EQ(taken.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    ASSERT_EQ(taken[i].bytes, q.bytes[order[i]]) << "item " << i << ", frame " << order[i];
    EXPECT_LT(taken[i].item.speed, 0.0);
    EXPECT_EQ(taken[i].item.stamp, stamps[order[i]]) << "item " << i;
  }
  EXPECT_TRUE(consumer.Audio().empty());
}

SourceRig::SourceRig(const fixtures::Layout& layout_) : layout(layout_) {
  EXPECT_TRUE(video.Create(kVideoArea, kVideoMargin, true));
  EXPECT_TRUE(audio.Create(kAudioArea, kAudioMargin, true));
  const int type = layout.kind == fixtures::StoreKind::kSd    ? kSourceBackupFile
                   : layout.kind == fixtures::StoreKind::kIdx ? kSourceIndexFile
                                                               : kSourceRawCard;
  source.SetStoreSource(type, 0, layout.path);
  source.SetQueues(&video, &audio);
}

SourceRig::~SourceRig() { StopAll(); }

IndexEntry* SourceRig::EntryOf(int recording) {
  if (!source.OpenStore()) return nullptr;
  const std::uint32_t first = layout.recordings[static_cast<std::size_t>(recording)].entry.first;
  for (IndexEntry* e : source.EntryList()) {
    if (e->FirstChunk() == first) return e;
  }
  return nullptr;
}

bool SourceRig::Play(int recording, int eventNumber) {
  IndexEntry* entry = EntryOf(recording);
  if (!entry || !source.SetEntryRange(entry, eventNumber)) return false;
  state.open = true;
  consumer.Start();
  return source.Start();
}

void SourceRig::StopAll() {
  state.open = false;
  video.Wake();
  audio.Wake();
  source.Stop(10000);
  consumer.Stop();
}

DemuxRig::DemuxRig() {
  EXPECT_TRUE(video.Create(kVideoArea, kVideoMargin, true));
  EXPECT_TRUE(audio.Create(kAudioArea, kAudioMargin, true));
  state.open = true;
  producer_ = std::make_unique<FuncSource>([this](FuncSource&) {
    feed_(*demux_);
    done_ = true;
  });
  demux_ = std::make_unique<CChunkDemux>(*producer_, state);
  demux_->SetQueues(&video, &audio);
  consumer.Start();
}

DemuxRig::~DemuxRig() {
  video.Wake();
  audio.Wake();
  producer_->Stop(kWaitForever);
  consumer.Stop();
}

bool DemuxRig::Feed(const std::function<void(CChunkDemux&)>& feed) {
  feed_ = feed;
  done_ = false;
  if (!producer_->Start()) return false;
  const bool finished = Eventually([this] { return done_.load(); });
  producer_->Stop(kWaitForever);
  return finished;
}

bool DemuxRig::AppendChunks(CChunkDemux& demux, const fixtures::Layout& layout, int recording,
                            const std::vector<std::uint8_t>& stream, double speed) {
  std::vector<const fixtures::ChunkInfo*> chunks;
  for (const fixtures::ChunkInfo& c : layout.recordings[static_cast<std::size_t>(recording)].chunks) {
    if (c.streamOffset >= 0) chunks.push_back(&c);
  }
  if (speed < 0) std::reverse(chunks.begin(), chunks.end());
  for (const fixtures::ChunkInfo* c : chunks) {
    if (!demux.AppendChunk(ChunkOf(stream, *c), speed)) return false;
  }
  return true;
}

}  // namespace sourcetest
