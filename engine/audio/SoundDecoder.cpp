#include "engine/audio/SoundDecoder.h"

#include <algorithm>
#include <cstring>

#include "engine/audio/G711.h"
#include "platform/ByteOrder.h"

namespace {

void Drop(SoundSpan& span) { span.bytes = 0; }

void Advance(SoundSpan& span, std::uint32_t used) {
  span.data += used;
  span.bytes -= used;
}

// A trailing odd byte is half a sample: it is dropped so that later samples keep their place.
std::uint32_t FillPcm(SoundSpan& span, std::uint8_t* out, std::uint32_t room) {
  if (span.bytes < 2) {
    Drop(span);
    return 0;
  }
  const std::uint32_t n = std::min(span.bytes, room) & ~std::uint32_t{1};
  std::memcpy(out, span.data, n);
  Advance(span, n);
  return n;
}

std::uint32_t FillG711(SoundSpan& span, std::uint8_t* out, std::uint32_t room, std::int16_t (*expand)(std::uint8_t)) {
  const std::uint32_t n = std::min(span.bytes, room / 2);
  for (std::uint32_t i = 0; i < n; ++i) plat::StoreLe16(out + 2 * i, static_cast<std::uint16_t>(expand(span.data[i])));
  Advance(span, n);
  return 2 * n;
}

}  // namespace

void CSoundDecoder::Reset() {
  aac_.Reset();
  g726_.SetCodec(kItemAudioReset);
}

void CSoundDecoder::BeginFrame(int type) {
  g726_.ResetBits();
  if (G726Decoder::IsAdpcmType(type) && type != g726_.CodecType()) g726_.SetCodec(type);
}

std::uint32_t CSoundDecoder::Fill(SoundSpan& span, std::uint8_t* out, std::uint32_t room, std::uint8_t fillByte) {
  const auto carried = static_cast<std::uint32_t>(aac_.Take(out, room));
  if (carried > 0) return carried;
  if (G726Decoder::IsAdpcmType(span.type)) return FillAdpcm(span, out, room);
  switch (span.type) {
    case kItemPcm16:
      return FillPcm(span, out, room);
    case kItemMuLaw:
      return FillG711(span, out, room, MuLawToLinear);
    case kItemALaw:
      return FillG711(span, out, room, ALawToLinear);
    case kItemAac:
      return FillAac(span, out, room);
    default:
      std::memset(out, fillByte, room);
      Drop(span);
      return room;
  }
}

bool CSoundDecoder::Finished(const SoundSpan& span) const {
  return span.bytes == 0 && aac_.Pending() == 0 && !(G726Decoder::IsAdpcmType(span.type) && g726_.HasBitsLeft());
}

std::uint32_t CSoundDecoder::FillAdpcm(SoundSpan& span, std::uint8_t* out, std::uint32_t room) {
  if (span.type != g726_.CodecType()) g726_.SetCodec(span.type);
  int produced = static_cast<int>(std::min<std::uint32_t>(room, INT32_MAX) & ~1u);
  const int used = g726_.Decode(out, produced, span.data, static_cast<int>(std::min<std::uint32_t>(span.bytes, INT32_MAX)));
  Advance(span, static_cast<std::uint32_t>(used));
  // Fewer than four bytes left and no codes in hand: the tail can never be decoded.
  if (used == 0 && produced == 0) Drop(span);
  return static_cast<std::uint32_t>(produced);
}

std::uint32_t CSoundDecoder::FillAac(SoundSpan& span, std::uint8_t* out, std::uint32_t room) {
  if (span.bytes > 0) aac_.Decode(span.data, span.bytes);
  Advance(span, span.bytes);
  return static_cast<std::uint32_t>(aac_.Take(out, room));
}
