// Feeds arbitrary bytes through the transport-stream demultiplexer, forward and then backward in
// pieces whose size the first byte chooses, and every unit it hands out through the PES header,
// H.264 unit, frame-rate and sensor-text parsers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/ts/PesUnit.h"
#include "engine/ts/TSDemux.h"
#include "engine/ts/TSFrameRate.h"
#include "engine/ts/TSSensorText.h"
#include "engine/ts/TSVideoUnit.h"

namespace {

class ParsingSink : public ITSUnitSink {
 public:
  void OnUnit(TSStream stream, const std::uint8_t* unit, std::size_t length) override {
    PesHeader header;
    if (!ParsePesHeader(unit, length, &header)) return;
    if (header.payloadOffset > length) std::abort();
    const std::uint8_t* payload = unit + header.payloadOffset;
    const std::size_t n = length - header.payloadOffset;
    if (header.hasPts) rate.TakeStamp(header.pts);
    if (stream == TSStream::kVideo) {
      const VideoUnitInfo info = ClassifyVideoPayload(payload, n);
      if (info.kind != VideoUnitKind::kNone && info.dataOffset >= n) std::abort();
      rate.TakePicture(info.kind == VideoUnitKind::kKeyFrame, info.afterSps);
    } else if (stream == TSStream::kSensorText) {
      ApplySensorText(block, payload, n);
      if (block.bytes[17] >= kMaxSensorSamples) std::abort();
    }
  }

  CTSFrameRate rate;
  IndexBlockA5 block;
};

// Kept between inputs: the PES buffers are large.
ParsingSink& Sink() {
  static ParsingSink sink;
  return sink;
}

CTSDemux& Demux() {
  static CTSDemux demux(Sink());
  return demux;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = 1 + static_cast<std::size_t>(data[0]) * 97 % CTSDemux::kReadSize;
  const std::uint8_t* stream = data + 1;
  const std::size_t length = size - 1;
  CTSDemux& demux = Demux();
  Sink().rate.StartFile(stream, length);

  demux.ResetTables();
  demux.ResetStreams();
  for (std::size_t at = 0; at < length; at += piece) demux.FeedForward(stream + at, std::min(piece, length - at));
  demux.FinishForward();

  demux.ResetTables();
  demux.LearnTables(stream, std::min(length, CTSDemux::kReadSize));
  demux.MarkEndOfData();
  for (std::size_t end = length; end > 0;) {
    const std::size_t n = std::min(piece, end);
    end -= n;
    demux.FeedBackward(stream + end, n);
  }
  if (demux.Pending() > CTSDemux::kWindowSize) std::abort();
  return 0;
}
