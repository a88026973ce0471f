#include "platform/media/AviWriter.h"

#include <algorithm>

#include "platform/ByteOrder.h"

namespace plat {

namespace {

// The header region ('RIFF' head, 'hdrl' list and 'JUNK' filler) before the 'movi' list.
constexpr std::uint32_t kHeaderRegion = 4096;
constexpr std::uint32_t kMoviCodeAt = kHeaderRegion + 8;  // 'movi', the base of index offsets
constexpr std::uint32_t kFirstChunkAt = kMoviCodeAt + 4;
constexpr std::size_t kBufferBytes = 1 << 20;
constexpr std::uint32_t kIndexEntryBytes = 16;

constexpr std::uint32_t kKeyFrameFlag = 0x10;
constexpr std::uint32_t kHasIndexFlag = 0x10;
constexpr std::uint32_t kVideoChunk = MakeFourCC("00dc");
constexpr std::uint32_t kSoundChunk = MakeFourCC("01wb");
constexpr std::uint16_t kPcmTag = 1;
constexpr std::uint16_t kSoundBits = 16;

// Appends little-endian fields and chunk heads to a byte vector.
class LeWriter {
 public:
  explicit LeWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U16(std::uint32_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Code(const char (&s)[5]) { U32(MakeFourCC(s)); }
  // A chunk head whose size is filled in by EndChunk; returns where the size goes.
  std::size_t BeginChunk(const char (&id)[5]) {
    Code(id);
    U32(0);
    return out_.size() - 4;
  }
  void EndChunk(std::size_t sizeAt) { Put32(sizeAt, static_cast<std::uint32_t>(out_.size() - sizeAt - 4)); }
  std::size_t BeginList(const char (&type)[5]) {
    const std::size_t at = BeginChunk("LIST");
    Code(type);
    return at;
  }
  void Put32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

 private:
  std::vector<std::uint8_t>& out_;
};

std::uint32_t Clamp32(std::uint64_t v) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFu)); }

std::uint32_t MicroSecPerFrame(const AviVideoFormat& v) {
  return v.rate == 0 ? 0 : Clamp32((std::uint64_t{v.scale} * 1000000 + v.rate / 2) / v.rate);
}

std::uint32_t ImageBytes(const AviVideoFormat& v) {
  const std::uint64_t row = (static_cast<std::uint64_t>(v.width) * 3 + 3) & ~std::uint64_t{3};
  return Clamp32(row * static_cast<std::uint64_t>(v.height));
}

}  // namespace

AviWriter::~AviWriter() { Close(); }

bool AviWriter::Create(const std::string& path, const AviVideoFormat& video, const AviSoundFormat& sound) {
  Close();
  if (video.width <= 0 || video.height <= 0 || video.width > 0x7FFF || video.height > 0x7FFF || video.scale == 0 ||
      sound.channels == 0 || sound.samplesPerSecond == 0 || !file_.Create(path)) {
    return false;
  }
  video_ = video;
  sound_ = sound;
  buffer_.reserve(kBufferBytes);
  buffer_ = HeaderRegion();
  LeWriter w(buffer_);
  w.BeginList("movi");
  end_ = buffer_.size();
  return true;
}

bool AviWriter::WriteVideo(const std::uint8_t* data, std::size_t bytes, bool key) {
  if (!WriteChunk(kVideoChunk, data, bytes, key)) return false;
  ++videoSamples_;
  maxVideoChunk_ = std::max(maxVideoChunk_, static_cast<std::uint32_t>(bytes));
  return true;
}

bool AviWriter::WriteSound(const std::uint8_t* data, std::size_t bytes) {
  const std::size_t whole = bytes & ~std::size_t{1};
  if (!WriteChunk(kSoundChunk, data, whole, true)) return false;
  hasSound_ = true;
  soundBytes_ += whole;
  maxSoundChunk_ = std::max(maxSoundChunk_, static_cast<std::uint32_t>(whole));
  return true;
}

bool AviWriter::WriteChunk(std::uint32_t chunkId, const std::uint8_t* data, std::size_t bytes, bool key) {
  if (!IsOpen() || failed_ || (data == nullptr && bytes > 0)) return false;
  const std::uint64_t padded = 8 + bytes + (bytes & 1);
  if (end_ + padded + (index_.size() + 1) * kIndexEntryBytes + 8 > kMaxFileBytes) return false;
  if (buffer_.size() + padded > kBufferBytes && !Flush()) return false;
  index_.push_back({chunkId, key ? kKeyFrameFlag : 0, static_cast<std::uint32_t>(end_ - kMoviCodeAt),
                    static_cast<std::uint32_t>(bytes)});
  LeWriter w(buffer_);
  w.U32(chunkId);
  w.U32(static_cast<std::uint32_t>(bytes));
  if (padded <= kBufferBytes) {
    buffer_.insert(buffer_.end(), data, data + bytes);
    if (bytes & 1) buffer_.push_back(0);
    end_ += padded;
    return true;
  }
  // A sample larger than the buffer goes to the file at once, after its head.
  static const std::uint8_t kPad = 0;
  const std::uint64_t headAt = end_;
  end_ += padded;
  if (!Flush()) return false;
  if (!file_.WriteAt(written_, data, bytes) || ((bytes & 1) && !file_.WriteAt(written_ + bytes, &kPad, 1))) {
    written_ = headAt;
    DropUnwritten();
    return false;
  }
  written_ = end_;
  return true;
}

bool AviWriter::Flush() {
  if (buffer_.empty()) return true;
  if (!file_.WriteAt(written_, buffer_.data(), buffer_.size())) {
    DropUnwritten();
    return false;
  }
  written_ += buffer_.size();
  buffer_.clear();
  return true;
}

// After a failed write: the samples not on disk are forgotten, so that the index and the counts
// describe only what the file holds, and no later sample is accepted.
void AviWriter::DropUnwritten() {
  failed_ = true;
  buffer_.clear();
  const std::uint64_t firstChunk = std::max<std::uint64_t>(written_, kFirstChunkAt);
  while (!index_.empty() && index_.back().offset + std::uint64_t{kMoviCodeAt} >= firstChunk) index_.pop_back();
  videoSamples_ = 0;
  soundBytes_ = 0;
  for (const IndexEntry& e : index_) {
    if (e.chunkId == kVideoChunk) ++videoSamples_;
    else soundBytes_ += e.size;
  }
  hasSound_ = soundBytes_ > 0;
  end_ = written_;
}

void AviWriter::ForgetFile() {
  hasSound_ = false;
  failed_ = false;
  buffer_.clear();
  written_ = 0;
  end_ = 0;
  index_.clear();
  videoSamples_ = 0;
  soundBytes_ = 0;
  maxVideoChunk_ = 0;
  maxSoundChunk_ = 0;
}

std::vector<std::uint8_t> AviWriter::HeaderRegion() const {
  std::vector<std::uint8_t> h;
  h.reserve(kHeaderRegion);
  LeWriter w(h);
  const std::size_t riff = w.BeginChunk("RIFF");
  w.Code("AVI ");
  const std::size_t hdrl = w.BeginList("hdrl");
  const std::size_t avih = w.BeginChunk("avih");
  w.U32(MicroSecPerFrame(video_));
  w.U32(0);  // maximum bytes per second: not known
  w.U32(0);  // padding granularity
  w.U32(kHasIndexFlag);
  w.U32(videoSamples_);
  w.U32(0);  // initial frames
  w.U32(hasSound_ ? 2 : 1);
  w.U32(std::max(maxVideoChunk_, maxSoundChunk_));
  w.U32(static_cast<std::uint32_t>(video_.width));
  w.U32(static_cast<std::uint32_t>(video_.height));
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.EndChunk(avih);

  std::size_t strl = w.BeginList("strl");
  std::size_t strh = w.BeginChunk("strh");
  w.Code("vids");
  w.U32(video_.handler);
  w.U32(0);  // flags
  w.U32(0);  // priority and language
  w.U32(0);  // initial frames
  w.U32(video_.scale);
  w.U32(video_.rate);
  w.U32(0);  // start
  w.U32(videoSamples_);
  w.U32(maxVideoChunk_);
  w.U32(0xFFFFFFFF);  // quality: default
  w.U32(0);           // sample size: varies
  w.U16(0);
  w.U16(0);
  w.U16(static_cast<std::uint32_t>(video_.width));
  w.U16(static_cast<std::uint32_t>(video_.height));
  w.EndChunk(strh);
  std::size_t strf = w.BeginChunk("strf");
  w.U32(40);
  w.U32(static_cast<std::uint32_t>(video_.width));
  w.U32(static_cast<std::uint32_t>(video_.height));
  w.U16(1);   // planes
  w.U16(24);  // bits per pixel
  w.U32(video_.compression);
  w.U32(ImageBytes(video_));
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.EndChunk(strf);
  w.EndChunk(strl);

  if (hasSound_) {
    const std::uint32_t blockAlign = sound_.channels * kSoundBits / 8;
    strl = w.BeginList("strl");
    strh = w.BeginChunk("strh");
    w.Code("auds");
    w.U32(0);  // handler
    w.U32(0);  // flags
    w.U32(0);  // priority and language
    w.U32(0);  // initial frames
    w.U32(blockAlign);
    w.U32(sound_.samplesPerSecond * blockAlign);
    w.U32(0);  // start
    w.U32(Clamp32(soundBytes_ / blockAlign));
    w.U32(maxSoundChunk_);
    w.U32(0xFFFFFFFF);
    w.U32(blockAlign);
    for (int i = 0; i < 4; ++i) w.U16(0);
    w.EndChunk(strh);
    strf = w.BeginChunk("strf");
    w.U16(kPcmTag);
    w.U16(sound_.channels);
    w.U32(sound_.samplesPerSecond);
    w.U32(sound_.samplesPerSecond * blockAlign);
    w.U16(blockAlign);
    w.U16(kSoundBits);
    w.U16(0);  // no extra format bytes
    w.EndChunk(strf);
    w.EndChunk(strl);
  }
  w.EndChunk(hdrl);

  const std::size_t junk = w.BeginChunk("JUNK");
  h.resize(kHeaderRegion, 0);
  w.Put32(junk + 0, static_cast<std::uint32_t>(kHeaderRegion - junk - 4));
  w.Put32(riff, Clamp32(std::max<std::uint64_t>(end_, kHeaderRegion) - 8));
  return h;
}

bool AviWriter::WriteIndex() {
  std::vector<std::uint8_t> idx;
  idx.reserve(8 + index_.size() * kIndexEntryBytes);
  LeWriter w(idx);
  const std::size_t at = w.BeginChunk("idx1");
  for (const IndexEntry& e : index_) {
    w.U32(e.chunkId);
    w.U32(e.flags);
    w.U32(e.offset);
    w.U32(e.size);
  }
  w.EndChunk(at);
  if (!file_.WriteAt(written_, idx.data(), idx.size())) return false;
  written_ += idx.size();
  return true;
}

bool AviWriter::Close() {
  if (!IsOpen()) return false;
  bool ok = Flush() && !failed_;
  written_ = std::max<std::uint64_t>(written_, kFirstChunkAt);
  const std::uint64_t moviEnd = written_;
  ok = WriteIndex() && ok;
  end_ = written_;
  std::vector<std::uint8_t> head = HeaderRegion();
  LeWriter w(head);
  head.resize(kFirstChunkAt);
  w.Put32(kHeaderRegion, MakeFourCC("LIST"));
  w.Put32(kHeaderRegion + 4, static_cast<std::uint32_t>(moviEnd - kMoviCodeAt));
  w.Put32(kMoviCodeAt, MakeFourCC("movi"));
  ok = file_.WriteAt(0, head.data(), head.size()) && ok;
  ok = file_.Truncate(written_) && ok;
  file_.Close();
  ForgetFile();
  return ok;
}

bool AviWriter::PatchTiming(const std::string& path, std::uint32_t microSecPerFrame, std::uint32_t videoRate) {
  File f;
  std::uint8_t head[kVideoRateAt + 4];
  if (!f.Open(path, kRead | kWrite) || !f.ReadAt(0, head, sizeof head)) return false;
  // Only a file of this layout is touched: the main header and the video stream header must
  // lie where the two fields are expected.
  const auto codeAt = [&head](std::size_t at, const char(&code)[5]) { return LoadLe32(head + at) == MakeFourCC(code); };
  if (!codeAt(0, "RIFF") || !codeAt(8, "AVI ") || !codeAt(kMicroSecPerFrameAt - 8, "avih") ||
      !codeAt(kVideoRateAt - 32, "strh") || !codeAt(kVideoRateAt - 24, "vids")) {
    return false;
  }
  std::vector<std::uint8_t> bytes;
  LeWriter w(bytes);
  w.U32(microSecPerFrame);
  w.U32(videoRate);
  return f.WriteAt(kMicroSecPerFrameAt, bytes.data(), 4) && f.WriteAt(kVideoRateAt, bytes.data() + 4, 4);
}

}  // namespace plat
