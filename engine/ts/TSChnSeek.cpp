// Seeking a transport stream by time. A file has no index of its times, but its pictures' time
// stamps grow through it: halving the byte range, each probe reads the time stamp of the first
// picture that begins after the probe's position, until the first picture not before the time is
// found. The probes read the file through a handle of their own, beside the reader's.
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "engine/ts/PesUnit.h"
#include "engine/ts/TSChn.h"
#include "engine/ts/TSTables.h"
#include "platform/File.h"

namespace {

constexpr std::size_t kProbeRead = 65536;
// A picture begins within this many bytes of any position (a unit is at most 1 MB), so a probe
// that finds none there is past the last picture.
constexpr std::uint64_t kProbeReach = 4 * CPesCollector::kCapacity;

struct PictureStart {
  std::uint64_t position = 0;  // of the packet in which the picture's unit begins
  std::uint64_t pts = 0;
};

class TimeProbe {
 public:
  // False when the file cannot be read or names no video stream.
  bool Open(const std::string& path);
  std::uint64_t Size() const { return size_; }
  // The first picture whose unit begins at or after the position; none within reach of it.
  std::optional<PictureStart> FirstPictureFrom(std::uint64_t position);

 private:
  using Visit = std::function<bool(std::uint64_t position, const TSPacket& packet)>;
  // Visits the packets from the position on, found as the reader finds them (a sync byte with a
  // partner one packet further, or the file's last packet), until the visitor returns true.
  bool ScanPackets(std::uint64_t from, const Visit& visit);

  plat::File file_;
  std::uint64_t size_ = 0;
  CTSTables tables_;
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kProbeRead);
};

bool TimeProbe::Open(const std::string& path) {
  if (path.empty() || !file_.Open(path, plat::kRead)) return false;
  size_ = file_.Size();
  ScanPackets(0, [this](std::uint64_t, const TSPacket& packet) {
    tables_.Take(packet);
    return tables_.Known();
  });
  return tables_.Known() && tables_.VideoPid() != CTSTables::kNoPid;
}

std::optional<PictureStart> TimeProbe::FirstPictureFrom(std::uint64_t position) {
  std::optional<PictureStart> found;
  ScanPackets(position, [&](std::uint64_t at, const TSPacket& packet) {
    PesHeader header;
    if (!packet.unitStart || packet.pid != tables_.VideoPid() ||
        !ParsePesHeader(packet.payload, packet.payloadLength, &header) || !header.hasPts) {
      return false;
    }
    found = PictureStart{at, header.pts};
    return true;
  });
  return found;
}

bool TimeProbe::ScanPackets(std::uint64_t from, const Visit& visit) {
  const std::uint64_t limit = std::min(size_, from + kProbeReach);
  for (std::uint64_t at = from; at < limit;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kProbeRead, size_ - at));
    if (!file_.ReadAt(at, buffer_.data(), n)) return false;
    const bool atFileEnd = at + n == size_;
    std::size_t i = 0;
    while (i + kTSPacketSize <= n) {
      const std::size_t partner = i + kTSPacketSize;
      if (partner >= n && !atFileEnd) break;  // judged with the next read
      if (buffer_[i] != kTSSyncByte || (partner < n && buffer_[partner] != kTSSyncByte)) {
        ++i;
        continue;
      }
      TSPacket packet;
      if (ParseTSPacket(&buffer_[i], &packet) && visit(at + i, packet)) return true;
      i = partner;
    }
    if (atFileEnd) return false;
    at += i;
  }
  return false;
}

}  // namespace

bool CTSChn::SeekTime(std::int64_t time) {
  const std::string path = reader_.Path();
  TimeProbe probe;
  if (!probe.Open(path)) return false;
  const std::int64_t startTime = FileStartTime(path);
  const auto before = [&](const std::optional<PictureStart>& p) {
    return p && startTime + static_cast<std::int64_t>(PtsSeconds(p->pts)) < time;
  };
  std::optional<PictureStart> found = probe.FirstPictureFrom(0);
  if (!found) return false;
  if (before(found)) {
    // The first picture from `low` is before the time; none from `high` is not.
    std::uint64_t low = 0;
    std::uint64_t high = probe.Size();
    while (high - low > kTSPacketSize) {
      const std::uint64_t middle = low + (high - low) / 2;
      (before(probe.FirstPictureFrom(middle)) ? low : high) = middle;
    }
    found = probe.FirstPictureFrom(high);
    if (!found || before(found)) return false;
  }
  reader_.Seek(static_cast<std::int64_t>(found->position));
  return true;
}
