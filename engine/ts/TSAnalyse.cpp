#include "engine/ts/TSAnalyse.h"

#include <algorithm>

#include "platform/Time.h"

namespace {
constexpr DWORD kIdleMs = 100;        // at the end of the last file
constexpr DWORD kReadRetryMs = 10;    // after a failed read
}  // namespace

CTSAnalyse::CTSAnalyse(ITSChannel& channel, CVBuffer2& video, CABuffer2& audio)
    : m_channel(channel), m_video(video), m_audio(audio), m_readBuffer(CTSDemux::kReadSize), m_demux(*this) {}

CTSAnalyse::~CTSAnalyse() { Stop(kWaitForever); }

bool CTSAnalyse::Open(const std::string& path, bool fromEnd) {
  if (IsRunning()) return false;
  Close();
  if (!OpenFile(path, fromEnd)) return false;
  m_backwardRequest = fromEnd;
  std::lock_guard lock(m_requestLock);
  m_seekTarget = kNoSeek;
  return true;
}

void CTSAnalyse::SetExport(TSExport exportTo) {
  if (!IsRunning()) m_export = std::move(exportTo);
}

bool CTSAnalyse::Start() {
  if (!m_file.IsOpen()) return false;
  if (IsExporting()) {
    if (!m_aac.Open()) return false;
    m_aac.Reset();
  }
  m_gaveUp = false;
  return CMyThread::Start();
}

void CTSAnalyse::Close() {
  m_file.Close();
  m_finder.reset();
  m_size = 0;
  m_pos = 0;
  m_published.size = 0;
  std::lock_guard lock(m_requestLock);
  m_path.clear();
}

void CTSAnalyse::Seek(std::int64_t target, int skipKeyFrames) {
  std::lock_guard lock(m_requestLock);
  m_seekTarget = target;
  m_seekSkip = std::max(0, skipKeyFrames);
}

bool CTSAnalyse::SeekPending() const {
  std::lock_guard lock(m_requestLock);
  return m_seekTarget != kNoSeek;
}

std::string CTSAnalyse::Path() const {
  std::lock_guard lock(m_requestLock);
  return m_path;
}

void CTSAnalyse::Run() {
  FlushQueues();
  bool exported = false;
  while (IsRunning() && !m_gaveUp && !exported) {
    if (!IsExporting()) TakeRequests();
    const ReadResult result = ReadPiece();
    if (result == ReadResult::kRead) continue;
    if (IsExporting() && result == ReadResult::kAtEnd) {
      m_demux.FinishForward();  // the file's last units are whole
      exported = true;
    } else {
      AtEnd(result);
    }
  }
  if (IsExporting() && m_export.onEnd) m_export.onEnd(exported);
}

// Opens the new file before letting go of the old one, so that a file that cannot be opened
// leaves reading where it was.
bool CTSAnalyse::OpenFile(const std::string& path, bool fromEnd) {
  plat::File file;
  if (!file.Open(path, plat::kRead)) return false;
  const std::uint64_t size = file.Size();
  const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(size, CTSDemux::kReadSize));
  const std::size_t headRead = head > 0 && file.ReadAt(0, m_readBuffer.data(), head) ? head : 0;
  m_file = std::move(file);
  m_size = size;
  m_published.size = size;
  m_rate.StartFile(m_readBuffer.data(), headRead);
  m_published.rate = m_rate.Rate();
  m_published.gopSeconds = 0;
  m_demux.ResetTables();
  m_demux.ResetStreams();
  m_demux.LearnTables(m_readBuffer.data(), headRead);
  m_backward = fromEnd;
  m_pos = fromEnd ? size : 0;
  m_stillSize = kUnknownSize;
  if (fromEnd) m_demux.MarkEndOfData();
  m_startTime = m_channel.FileStartTime(path);
  ForgetStreamState();
  m_finder = std::make_unique<CFindFilePath>(path);
  m_finder->Start();
  std::lock_guard lock(m_requestLock);
  m_path = path;
  return true;
}

void CTSAnalyse::TakeRequests() {
  const bool backward = m_backwardRequest;
  if (backward != m_backward) Turn(backward);
  std::int64_t target = kNoSeek;
  int skip = 0;
  {
    std::lock_guard lock(m_requestLock);
    if (m_seekTarget == kNoSeek) return;
    // A position waits until the tables are known, so that reading there finds its streams.
    if (m_seekTarget >= 0 && !m_demux.Tables().Known()) return;
    std::swap(target, m_seekTarget);
    skip = m_seekSkip;
  }
  if (target >= 0) {
    SeekTo(target, skip);
  } else if (target == kPreviousFile || target == kNextFile) {
    SwitchFile(target == kNextFile, true);
  }
}

// Reading goes on from the first byte not yet taken, in the other direction.
void CTSAnalyse::Turn(bool backward) {
  const std::uint64_t pending = m_demux.Pending();
  m_pos = m_backward ? std::min(m_pos + pending, m_size) : m_pos - std::min<std::uint64_t>(pending, m_pos);
  m_backward = backward;
  m_demux.ResetStreams();
  if (m_backward && m_pos == m_size) m_demux.MarkEndOfData();
  ForgetStreamState();
}

void CTSAnalyse::SeekTo(std::int64_t target, int skipKeyFrames) {
  m_pos = std::min(static_cast<std::uint64_t>(target), m_size);
  m_demux.ResetStreams();
  if (m_backward && m_pos == m_size) m_demux.MarkEndOfData();
  m_rate.RestartCounts();
  ForgetStreamState();
  m_skipKeys = skipKeyFrames;
  FlushQueues();
}

// At the end of a file read forward its last units are whole. A requested change of file shows
// the new file at once; one at the end of a file plays on from the queued pictures.
bool CTSAnalyse::SwitchFile(bool next, bool byRequest) {
  if (!m_finder) return false;
  const std::optional<std::string> path = next ? m_finder->Next() : m_finder->Previous();
  if (!path) return false;
  if (!byRequest && !m_backward) m_demux.FinishForward();
  if (!OpenFile(*path, m_backward)) return false;
  if (byRequest) FlushQueues();
  return true;
}

CTSAnalyse::ReadResult CTSAnalyse::ReadPiece() {
  m_size = m_file.Size();  // a file still being written grows
  m_pos = std::min(m_pos, m_size);
  m_published.size = m_size;
  const std::uint64_t room = m_backward ? m_pos : (m_pos < m_size ? m_size - m_pos : 0);
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(room, CTSDemux::kReadSize));
  if (n == 0) return ReadResult::kAtEnd;
  const std::uint64_t at = m_backward ? m_pos - n : m_pos;
  if (!m_file.ReadAt(at, m_readBuffer.data(), n)) return ReadResult::kFailed;
  if (m_backward) {
    m_pos -= n;
    m_demux.FeedBackward(m_readBuffer.data(), n);
  } else {
    m_pos += n;
    m_demux.FeedForward(m_readBuffer.data(), n);
  }
  return ReadResult::kRead;
}

void CTSAnalyse::AtEnd(ReadResult result) {
  if (result == ReadResult::kFailed) {
    SleepWhileRunning(kReadRetryMs);
    return;
  }
  if (SwitchFile(!m_backward, false)) return;
  FinishStillFile();
  SleepWhileRunning(kIdleMs);
}

// The last file, read forward to its end: once it has not grown over a whole idle pause it is
// taken as complete and its last units as whole. A file still being written keeps them until the
// units after them arrive.
void CTSAnalyse::FinishStillFile() {
  if (m_backward) return;
  if (m_size == m_stillSize) m_demux.FinishForward();
  m_stillSize = m_size;
}

void CTSAnalyse::FlushQueues() {
  m_video.FlushTo(m_videoWrite);
  m_video.SetKeyFrameState(0);
  m_audio.FlushTo(m_audioWrite);
}

void CTSAnalyse::ForgetStreamState() {
  m_keySeen = false;
  m_skipKeys = 0;
  m_firstSound = true;
}
