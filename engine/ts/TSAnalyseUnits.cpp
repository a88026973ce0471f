// The reader's handling of whole PES units: pictures, sound and sensor texts into the queues, or
// pictures and sound to the recorder of an export.
#include <cmath>

#include "engine/stream/RecordSink.h"
#include "engine/ts/TSAnalyse.h"
#include "engine/ts/TSSensorText.h"
#include "engine/ts/TSVideoUnit.h"

namespace {
constexpr std::uint32_t kNoSampleIndex = 0xFFFFFFFFu;
constexpr double kForwardSpeed = 0.0;
constexpr double kBackwardSpeed = -1.0;
constexpr std::uint32_t kBackwardRate = 1;
}  // namespace

void CTSAnalyse::OnUnit(TSStream stream, const std::uint8_t* unit, std::size_t length) {
  PesHeader header;
  if (m_gaveUp || !ParsePesHeader(unit, length, &header)) return;
  const std::uint8_t* payload = unit + header.payloadOffset;
  const std::size_t payloadLength = length - header.payloadOffset;
  switch (stream) {
    case TSStream::kVideo:
      TakePicture(header, payload, payloadLength);
      break;
    case TSStream::kAudio:
      TakeSound(header, payload, payloadLength);
      break;
    case TSStream::kSensorText:
      TakeSensorText(payload, payloadLength);
      break;
  }
}

void CTSAnalyse::TakePicture(const PesHeader& header, const std::uint8_t* payload, std::size_t length) {
  if (header.hasPts) {
    m_videoPts = header.pts;
    m_rate.TakeStamp(header.pts);
  }
  const VideoUnitInfo info = ClassifyVideoPayload(payload, length);
  if (info.kind == VideoUnitKind::kNone) return;
  const bool key = info.kind == VideoUnitKind::kKeyFrame;
  m_rate.TakePicture(key, info.afterSps);
  m_published.rate = m_rate.Rate();
  m_published.gopSeconds = m_rate.GopSeconds();
  if (!ShouldQueuePicture(key)) return;
  if (IsExporting()) {
    ExportPicture(key, payload + info.dataOffset, length - info.dataOffset);
  } else {
    QueuePicture(key, payload + info.dataOffset, length - info.dataOffset);
  }
}

// An inter frame needs the key frame before it; after a seek, forward play passes over the
// requested number of key frames and the inter frames that follow them.
bool CTSAnalyse::ShouldQueuePicture(bool key) {
  if (!key) return m_keySeen && !m_backward;
  if (m_skipKeys > 0 && !m_backward) {
    --m_skipKeys;
    return false;
  }
  m_keySeen = true;
  return true;
}

void CTSAnalyse::QueuePicture(bool key, const std::uint8_t* data, std::size_t length) {
  QueueItem item;
  item.data = m_videoWrite.data;
  if (!m_video.WriteFrame(item, data, length)) return;  // longer than the margin: dropped
  item.type = key ? kItemKeyFrame : kItemInterFrame;
  item.aux = m_backward ? kBackwardRate : static_cast<std::uint32_t>(m_rate.Rate());
  item.speed = m_backward ? kBackwardSpeed : kForwardSpeed;
  item.chunkTime = PictureTime();
  item.spare = Progress();
  item.channel = static_cast<std::uint32_t>(m_video.Channel());
  item.stamp = PtsMicroseconds(m_videoPts);
  m_channel.SetCurrentDate(RecorderDateFromTime(item.chunkTime));
  if (!m_video.Put(item, this)) {
    m_gaveUp = true;
    return;
  }
  m_videoWrite.data = item.data;
}

// A key frame is a whole access unit, which the recorder writes as one key sample.
void CTSAnalyse::ExportPicture(bool key, const std::uint8_t* data, std::size_t length) {
  RecordFrame frame;
  frame.data = data;
  frame.length = static_cast<std::uint32_t>(length);
  frame.flags = key ? kRecordGroupStart : kRecordPredicted;
  frame.fps = m_rate.Rate();
  frame.time = PictureTime();
  frame.stampUs = PtsMicroseconds(m_videoPts);
  m_channel.SetCurrentDate(RecorderDateFromTime(frame.time));
  m_export.recorder->WriteVideo(frame);
}

void CTSAnalyse::TakeSound(const PesHeader& header, const std::uint8_t* payload, std::size_t length) {
  if (header.hasPts) m_soundPts = header.pts;
  if (IsExporting()) {
    ExportSound(payload, length);
    return;
  }
  const std::uint64_t stamp = PtsMicroseconds(m_soundPts);
  if (m_firstSound) {
    m_firstSound = false;
    m_channel.ResyncAudio(m_startDelay, stamp);
  }
  if (!m_keySeen || length == 0) return;
  QueueItem item = m_audioWrite;
  item.type = kItemAac;
  item.speed = kForwardSpeed;
  item.chunkTime = PictureTime();
  item.channel = static_cast<std::uint32_t>(m_video.Channel());
  item.stamp = stamp;
  if (!m_audio.WriteFrame(item, payload, length)) return;  // longer than the margin: dropped
  if (!m_audio.Put(item, this)) {
    m_gaveUp = true;
    return;
  }
  m_audioWrite.data = item.data;
}

// Every unit is decoded, so that the decoder carries on from frame to frame; the recorder keeps
// what comes while its file is open. A frame the decoder rejects loses its own sound only.
void CTSAnalyse::ExportSound(const std::uint8_t* payload, std::size_t length) {
  if (length == 0) return;
  m_aac.Decode(payload, length);
  m_pcm.resize(m_aac.Pending());
  const std::size_t bytes = m_aac.Take(m_pcm.data(), m_pcm.size());
  if (bytes > 0 && m_export.sound) {
    m_export.recorder->WriteAudio(m_pcm.data(), static_cast<std::uint32_t>(bytes), kItemPcm16);
  }
}

void CTSAnalyse::TakeSensorText(const std::uint8_t* payload, std::size_t length) {
  if (IsExporting()) return;
  ApplySensorText(m_sensorBlock, payload, length);
  std::uint8_t* copy = m_channel.TakeSensorBlock(m_sensorBlock);
  if (!copy) return;
  QueueItem marker;
  marker.data = copy;
  marker.length = kMarkerLength;
  marker.type = kItemMarker;
  marker.aux = kNoSampleIndex;
  marker.speed = kForwardSpeed;
  marker.chunkTime = PictureTime();
  marker.channel = static_cast<std::uint32_t>(m_video.Channel());
  if (!m_video.Put(marker, this)) m_gaveUp = true;
}

std::int32_t CTSAnalyse::PictureTime() const {
  return static_cast<std::int32_t>(m_startTime + static_cast<std::int64_t>(PtsSeconds(m_videoPts)));
}

std::uint32_t CTSAnalyse::Progress() const {
  if (m_size == 0) return 0;
  return static_cast<std::uint32_t>(std::lround(static_cast<double>(m_pos) / static_cast<double>(m_size) * 1000.0));
}
