#include "engine/export/RecordCtx.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>

#include "engine/export/H264SizeProbe.h"
#include "engine/ts/TSVideoUnit.h"

namespace {

constexpr std::uint32_t kGatherBytes = 8u << 20;
constexpr std::uint32_t kSoundBytes = 2u << 20;
constexpr std::int64_t kMaxCueSeconds = 5;
// Stamps are trusted for the timing only while they agree with the frames' whole seconds, which
// may each be up to a second off.
constexpr std::int64_t kStampToleranceUs = 2000000;

// A frame of the recorder's stream is one NAL unit; a transport stream's is a whole access unit,
// its parameter sets before its IDR slice.
bool HoldsIdrSlice(const RecordFrame& f) {
  return ClassifyVideoPayload(f.data, f.length).kind == VideoUnitKind::kKeyFrame;
}

struct FileTiming {
  std::uint32_t microSecPerFrame = 0;
  std::uint32_t rate = 0;  // frames per 1000 seconds
};

std::uint32_t Clamp32(std::uint64_t v) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX)); }

// The timing of a finished file: from the stamps of its pictures when they span some pictures
// and agree with the whole seconds, else from the whole seconds between its first and last
// picture.
std::optional<FileTiming> TimingOf(std::uint32_t frames, std::int64_t seconds, std::uint32_t stampIntervals,
                                   std::uint64_t stampElapsedUs) {
  const auto elapsed = static_cast<std::int64_t>(std::min<std::uint64_t>(stampElapsedUs, INT64_MAX / 2));
  if (stampIntervals > 0 && elapsed > 0 && std::llabs(elapsed - seconds * 1000000) <= kStampToleranceUs) {
    const std::uint64_t us = (static_cast<std::uint64_t>(elapsed) + stampIntervals / 2) / stampIntervals;
    if (us > 0) return FileTiming{Clamp32(us), Clamp32((1000000000ull + us / 2) / us)};
  }
  if (frames == 0 || seconds <= 0) return std::nullopt;
  const auto s = static_cast<std::uint64_t>(seconds);
  return FileTiming{Clamp32(s * 1000000 / frames), Clamp32(std::uint64_t{frames} * 1000 / s)};
}

}  // namespace

CRecordCtx::CRecordCtx() = default;

CRecordCtx::~CRecordCtx() { Stop(false); }

void CRecordCtx::Begin(const RecordSettings& settings) {
  CCritLock lock(*this);
  Stop(false);
  m_settings = settings;
}

RecordResult CRecordCtx::Stop(bool keepFiles) {
  CCritLock lock(*this);
  FinishFile();
  KeepFinished(keepFiles);
  m_encoder.Close();
  m_coding = 0;
  m_finished = 0;
  m_settings.exportName.Empty();
  const RecordResult result = m_result;
  m_result = RecordResult();
  return result;
}

void CRecordCtx::SetSplitBytesForTest(std::uint64_t bytes) {
  CCritLock lock(*this);
  m_splitBytes = bytes;
}

CString CRecordCtx::BaseName() const {
  CString name = m_settings.exportName;
  if (name.GetLength() >= 4 && name.Right(4).CompareNoCase(L".avi") == 0) name = name.Left(name.GetLength() - 4);
  if (m_finished > 0) name.AppendFormat(L" (%d)", m_finished + 1);
  return name;
}

void CRecordCtx::WriteVideo(const RecordFrame& frame) {
  CCritLock lock(*this);
  if (!Exporting() || m_settings.reencode || frame.data == nullptr || frame.length == 0) return;
  WriteFrame(frame);
}

void CRecordCtx::WritePicture(const plat::YuvPicture& picture, std::int32_t time, int fps, std::uint64_t stampUs) {
  CCritLock lock(*this);
  if (!Exporting() || !m_settings.reencode) return;
  if (!m_encoder.IsOpen() && !m_encoder.Open(picture.width, picture.height, fps)) {
    Fail({JobFailure::kOutputNotWritten, (BaseName() + L".avi").ToUtf8(), {}, 0});
    return;
  }
  RecordFrame frame;
  std::size_t bytes = 0;
  bool key = false;
  if (!m_encoder.Encode(picture, frame.data, bytes, key)) return;
  frame.length = static_cast<std::uint32_t>(bytes);
  frame.flags = key ? kRecordGroupStart : kRecordPredicted;
  frame.fps = fps;
  frame.time = time;
  frame.stampUs = stampUs;
  WriteFrame(frame);
}

bool CRecordCtx::StartRecording() {
  if (!m_area) m_area.reset(new (std::nothrow) std::uint8_t[kGatherBytes + kSoundBytes]);
  m_recording = m_area != nullptr;
  return m_recording;
}

void CRecordCtx::WriteFrame(const RecordFrame& frame) {
  const bool groupStart = (frame.flags & kRecordGroupStart) && !(frame.flags & kRecordPredicted);
  if (!m_recording) {
    // An export starts at a key-frame group; a file given up after a fault or a split ends here.
    if (!groupStart) return;
    if (m_splitPending) FinishFile();
    if (!StartRecording()) return;
  } else if (m_splitPending && groupStart && m_gathered == 0) {
    // A file past its size ends just before a key-frame group, which opens the next file.
    FinishFile();
    if (!StartRecording()) return;
  }

  std::uint32_t written = 0;
  bool ok = true;
  if (frame.flags & kRecordPredicted) {
    if (!m_avi.IsOpen()) return;  // a picture whose key frame did not make it into a file
    ok = m_avi.WriteVideo(frame.data, frame.length, false);
    written = frame.length;
  } else if (m_settings.reencode) {
    if (!m_avi.IsOpen() && !CreateFile(frame, nullptr, 0)) return;
    ok = m_avi.WriteVideo(frame.data, frame.length, true);
    written = frame.length;
  } else {
    ok = WriteGroupPart(frame, written);
  }
  if (!ok) {
    WriteFailed();
    return;
  }
  if (written == 0) return;
  ++m_frames;
  m_bytes += written;
  m_currentTime = frame.time;
  if (frame.stampUs != 0) {
    if (m_firstStamp == 0) {
      m_firstStamp = frame.stampUs;
      m_firstStampFrame = m_frames;
    }
    m_lastStamp = frame.stampUs;
    m_lastStampFrame = m_frames;
  }
  if (m_bytes > m_splitBytes) m_splitPending = true;
}

// Gathers a part of a key-frame group; at its IDR picture writes the whole group as one key
// sample, creating the file first when there is none. `written` is the sample's size, 0 when
// nothing was written.
bool CRecordCtx::WriteGroupPart(const RecordFrame& frame, std::uint32_t& written) {
  written = 0;
  // A group that grows past the area without meeting its IDR picture is not a picture: dropped.
  if (frame.length > kGatherBytes - m_gathered) m_gathered = 0;
  if (frame.length > kGatherBytes) return true;
  if (m_gathered == 0) m_groupTime = frame.time;
  std::memcpy(m_area.get() + m_gathered, frame.data, frame.length);
  m_gathered += frame.length;
  if (!HoldsIdrSlice(frame)) return true;
  const std::uint32_t bytes = m_gathered;
  m_gathered = 0;
  if (!m_avi.IsOpen() && !CreateFile(frame, m_area.get(), bytes)) return true;
  written = bytes;
  return m_avi.WriteVideo(m_area.get(), bytes, true);
}

bool CRecordCtx::CreateFile(const RecordFrame& frame, const std::uint8_t* group, std::uint32_t groupBytes) {
  int width = m_encoder.Width();
  int height = m_encoder.Height();
  if (!m_settings.reencode && (!ProbeH264Size(group, groupBytes, width, height) || width == 0 || height == 0)) {
    return false;  // not a picture that can be decoded: the next group tries again
  }
  const CString base = BaseName();
  m_aviPath = (base + L".avi").ToUtf8();
  if (!m_aviOut.Create(m_aviPath, m_settings.inputs)) {
    Fail(OutputFailure(m_aviOut));
    return false;
  }
  const auto video = m_settings.reencode ? CAviFile::Video::kMpeg4 : CAviFile::Video::kH264Copy;
  if (!m_avi.CreateWrite(m_aviOut.TempPath(), width, height, frame.fps, video)) {
    Fail({JobFailure::kOutputNotCreated, m_aviPath, {}, m_avi.LastError()});
    m_aviOut.Discard();
    return false;
  }
  m_bytes = 0;
  m_frames = 0;
  // The file's time starts with the first part of its first picture.
  m_hasFirstTime = true;
  m_firstTime = group != nullptr ? m_groupTime : frame.time;
  m_currentTime = m_firstTime;
  m_postedNames.push_back(base.str());
  m_name = &m_postedNames.back();
  Notify(WM_PLAYER_EXPORTSTART);
  return true;
}

void CRecordCtx::WriteFailed() {
  m_recording = false;
  m_splitPending = true;
  Fail({JobFailure::kOutputNotWritten, m_aviPath, {}, m_avi.LastError()});
  if (m_settings.onWriteFailed) m_settings.onWriteFailed();
}

// The first failure of an export is the one told.
void CRecordCtx::Fail(const JobFailureInfo& why) {
  if (!m_result.failed) m_result.failure = why;
  m_result.failed = true;
}

void CRecordCtx::WriteAudio(const std::uint8_t* data, std::uint32_t length, int coding) {
  CCritLock lock(*this);
  if (coding != m_coding) {
    m_coding = coding;
    if (G726Decoder::IsAdpcmType(coding)) m_g726.SetCodec(coding);
  }
  if (!m_avi.IsOpen() || !m_recording || data == nullptr || length < 2) return;
  bool ok = true;
  if (coding == static_cast<int>(kItemPcm16)) {
    ok = m_avi.WriteAudio(data, length);
  } else if (G726Decoder::IsAdpcmType(coding)) {
    ok = WriteDecodedSound(data, length);
  }
  if (!ok) {
    WriteFailed();
    FinishFile();
  }
}

bool CRecordCtx::WriteDecodedSound(const std::uint8_t* data, std::uint32_t length) {
  std::uint8_t* out = m_area.get() + kGatherBytes;
  int left = static_cast<int>(std::min<std::uint32_t>(length, INT_MAX));
  for (;;) {
    int produced = static_cast<int>(kSoundBytes);
    const int used = m_g726.Decode(out, produced, data, left);
    data += used;
    left -= used;
    if (produced == 0) return true;
    if (!m_avi.WriteAudio(out, static_cast<std::uint32_t>(produced))) return false;
  }
}

void CRecordCtx::FinishFile() {
  const bool closed = FinishAvi();
  if (m_srt.IsOpen()) WriteCues(1);
  CloseSideFile(m_srt, m_srtOut, closed, m_srtFailed);
  CloseSideFile(m_csv, m_csvOut, closed, m_csvFailed);
  m_srtFailed = false;
  m_csvFailed = false;
  m_cueCounter = 0;
  m_lastSecond = 0;
  m_firstRecordSecond = 0;
  m_records.clear();
  m_bytes = 0;
  m_frames = 0;
  m_splitPending = false;
  m_recording = false;
  m_gathered = 0;
  m_hasFirstTime = false;
  m_firstTime = 0;
  m_currentTime = 0;
  m_firstStamp = 0;
  m_lastStamp = 0;
  m_firstStampFrame = 0;
  m_lastStampFrame = 0;
  m_name = nullptr;
}

// True when the file was closed whole, whether it is kept (kMinFrames pictures or more) or
// removed for holding fewer: its side files stay in both cases.
bool CRecordCtx::FinishAvi() {
  if (!m_avi.IsOpen()) return false;
  // After a write fault the file holds fewer pictures than were given to it.
  const std::uint32_t frames = std::min(m_frames, m_avi.VideoSamples());
  const bool closed = m_avi.Close();
  if (!closed) Fail({JobFailure::kOutputNotWritten, m_aviPath, {}, m_avi.LastError()});
  const std::optional<FileTiming> timing =
      TimingOf(frames, std::int64_t{m_currentTime} - m_firstTime, m_lastStampFrame - m_firstStampFrame,
               m_lastStamp - m_firstStamp);
  if (timing) plat::AviWriter::PatchTiming(m_aviOut.TempPath(), timing->microSecPerFrame, timing->rate);
  const bool kept = closed && frames >= kMinFrames;
  if (frames < kMinFrames) {
    ++m_result.filesRemoved;
    m_result.picturesOfRemoved = frames;
  } else {
    ++m_finished;
    ++m_result.filesWritten;
  }
  if (kept) {
    m_finishedFiles.push_back(std::move(m_aviOut));
  } else {
    m_aviOut.Discard();
  }
  Notify(WM_PLAYER_EXPORTDONE);
  return closed;
}

// A side file stays when its AVI file was closed whole, unless a write of its own failed.
void CRecordCtx::CloseSideFile(plat::File& file, plat::OutputFile& output, bool keep, bool failed) {
  file.Close();
  if (keep && !failed && output.IsOpen()) {
    m_finishedFiles.push_back(std::move(output));
  } else {
    output.Discard();
  }
}

// The files finished take their names, or all go.
void CRecordCtx::KeepFinished(bool keep) {
  for (plat::OutputFile& f : m_finishedFiles) {
    if (!keep || m_result.failed) {
      f.Discard();
    } else if (f.Commit()) {
      m_result.files.push_back(f.Name());
    } else {
      Fail({JobFailure::kOutputNotWritten, f.Name(), {}, f.LastError()});
    }
  }
  m_finishedFiles.clear();
}

void CRecordCtx::Notify(UINT msg) const {
  if (m_name != nullptr) {
    PostMessage(m_settings.notifyWnd, msg, m_settings.notifyParam, reinterpret_cast<LPARAM>(m_name->c_str()));
  }
}

void CRecordCtx::WriteSideData(const RecordFrame& frame) {
  CCritLock lock(*this);
  CarDataRecord record;
  if (!Exporting() || !ParseCarDataFrame(frame.data, frame.length, frame.time, record)) return;
  if (!m_srt.IsOpen()) {
    if (OpenSideFile(m_srt, m_srtOut, m_srtFailed, L".srt")) {
      m_records.clear();
      m_firstRecordSecond = record.time;
    }
  } else if (record.time != m_lastSecond) {
    WriteCues(record.time - m_lastSecond);
  }
  if (m_srt.IsOpen()) {
    ++m_cueCounter;
    m_lastSecond = record.time;
    m_records.push_back(record);
  }
  if (!m_csv.IsOpen() && OpenSideFile(m_csv, m_csvOut, m_csvFailed, L".csv")) {
    WriteSide(m_csv, m_csvOut, m_csvFailed, std::string(kCsvHeader));
  }
  WriteSide(m_csv, m_csvOut, m_csvFailed, CsvLine(record, m_settings.timeZoneOffset));
}

// A side file that cannot be made is passed over; the AVI file goes on without it.
bool CRecordCtx::OpenSideFile(plat::File& file, plat::OutputFile& output, bool& failed, const wchar_t* extension) {
  if (failed) return false;
  failed = !output.Create((BaseName() + extension).ToUtf8(), m_settings.inputs) || !file.Create(output.TempPath());
  if (failed) output.Discard();
  return !failed;
}

// A side file that cannot be written whole is dropped, as one that cannot be made.
void CRecordCtx::WriteSide(plat::File& file, plat::OutputFile& output, bool& failed, const std::string& text) {
  if (!file.IsOpen() || file.WriteAll(text.data(), text.size())) return;
  failed = true;
  file.Close();
  output.Discard();
}

// Writes the records of the list as cues sharing `seconds` seconds (1 to 5) from the second of
// the last record on, counted from the first picture of the file.
void CRecordCtx::WriteCues(std::int64_t seconds) {
  const auto k = static_cast<std::int64_t>(m_records.size());
  if (k == 0) return;
  const std::int64_t duration = (std::clamp<std::int64_t>(seconds, 1, kMaxCueSeconds) * 1000 - 1) / k;
  const std::int64_t base = m_hasFirstTime ? m_firstTime : m_firstRecordSecond;
  std::int64_t start = std::max<std::int64_t>(0, (m_lastSecond - base) * 1000);
  std::string text;
  for (std::int64_t i = 0; i < k; ++i) {
    const int number = static_cast<int>(m_cueCounter - k + i + 1);
    text += SrtCue(number, start, start + duration, m_records[static_cast<std::size_t>(i)], m_settings.units);
    start += duration;
  }
  WriteSide(m_srt, m_srtOut, m_srtFailed, text);
  m_records.clear();
}
