// The transport-stream parsing under the reader: packets, tables, PES units gathered forward and
// backward through garbage and damage, and the H.264 unit classification.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/ts/PesUnit.h"
#include "engine/ts/TSDemux.h"
#include "engine/ts/TSVideoUnit.h"
#include "testdata/TsBuilder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Unit {
  TSStream stream;
  Bytes bytes;
};

class RecordingSink : public ITSUnitSink {
 public:
  void OnUnit(TSStream stream, const std::uint8_t* unit, std::size_t length) override {
    units.push_back({stream, Bytes(unit, unit + length)});
  }
  std::vector<Unit> units;
};

// The payload of a unit handed out, after its PES header.
Bytes PayloadOf(const Unit& unit) {
  PesHeader h;
  if (!ParsePesHeader(unit.bytes.data(), unit.bytes.size(), &h)) return {};
  return Bytes(unit.bytes.begin() + static_cast<std::ptrdiff_t>(h.payloadOffset), unit.bytes.end());
}

Bytes Pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
  return b;
}

// Tables, then video units of the given payload sizes, each of its own byte pattern, with the
// tables repeated now and then, and a last unit that ends the ones before it.
Bytes VideoStream(const std::vector<std::size_t>& sizes) {
  fixtures::TsWriter w;
  w.Tables(true, true);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    w.Pes(0x100, 0xE0, 90000 + i * 3000, Pattern(sizes[i], static_cast<std::uint8_t>(i)), i % 3 == 0);
    if (i % 4 == 3) w.Tables(true, true);
  }
  w.Pes(0x100, 0xE0, 0, Pattern(10, 0xEE), false);
  return w.Take();
}

std::vector<Bytes> Payloads(const std::vector<Unit>& units, TSStream stream) {
  std::vector<Bytes> out;
  for (const Unit& u : units) {
    if (u.stream == stream) out.push_back(PayloadOf(u));
  }
  return out;
}

void FeedForwardInPieces(CTSDemux& demux, const Bytes& data, std::size_t piece) {
  for (std::size_t at = 0; at < data.size(); at += piece) {
    demux.FeedForward(data.data() + at, std::min(piece, data.size() - at));
  }
}

void FeedBackwardInPieces(CTSDemux& demux, const Bytes& data, std::size_t piece) {
  for (std::size_t end = data.size(); end > 0;) {
    const std::size_t n = std::min(piece, end);
    end -= n;
    demux.FeedBackward(data.data() + end, n);
  }
}

std::array<std::uint8_t, 188> PacketWith(std::uint8_t control, std::uint8_t fieldLength) {
  std::array<std::uint8_t, 188> p{};
  p[0] = 0x47;
  p[1] = 0x41;  // unit start, PID 0x100
  p[2] = 0x00;
  p[3] = static_cast<std::uint8_t>(control << 4);
  p[4] = fieldLength;
  return p;
}

}  // namespace

TEST(TSParse, PacketHeaderAndPayloadLengths) {
  TSPacket t;
  auto p = PacketWith(3, 7);
  ASSERT_TRUE(ParseTSPacket(p.data(), &t));
  EXPECT_EQ(t.pid, 0x100);
  EXPECT_TRUE(t.unitStart);
  EXPECT_EQ(t.payloadLength, 176u);
  EXPECT_EQ(t.payload, p.data() + 12);

  p = PacketWith(1, 0);
  ASSERT_TRUE(ParseTSPacket(p.data(), &t));
  EXPECT_EQ(t.payloadLength, 184u);
  EXPECT_EQ(t.payload, p.data() + 4);

  p = PacketWith(2, 183);
  ASSERT_TRUE(ParseTSPacket(p.data(), &t));
  EXPECT_EQ(t.payloadLength, 0u);

  p = PacketWith(3, 183);
  ASSERT_TRUE(ParseTSPacket(p.data(), &t));
  EXPECT_EQ(t.payloadLength, 0u);

  // An adaptation field longer than the packet would give a negative payload.
  p = PacketWith(3, 184);
  EXPECT_FALSE(ParseTSPacket(p.data(), &t));
  p = PacketWith(0, 0);
  EXPECT_FALSE(ParseTSPacket(p.data(), &t));
  p = PacketWith(1, 0);
  p[1] |= 0x80;  // transport error
  EXPECT_FALSE(ParseTSPacket(p.data(), &t));
  p[0] = 0x48;
  EXPECT_FALSE(ParseTSPacket(p.data(), &t));
}

TEST(TSParse, TablesNameTheStreamsOnlyWhenWholeAndSound) {
  fixtures::TsWriter w({0x1234, 0x44, 0x45, 0x46});
  w.Tables(true, true);
  const Bytes good = w.Take();
  TSPacket pat, pmt;
  ASSERT_TRUE(ParseTSPacket(good.data(), &pat));
  ASSERT_TRUE(ParseTSPacket(good.data() + 188, &pmt));

  CTSTables tables;
  tables.Take(pmt);  // the map before its PID is known says nothing
  EXPECT_FALSE(tables.Known());
  tables.Take(pat);
  EXPECT_EQ(tables.MapPid(), 0x1234);
  tables.Take(pmt);
  ASSERT_TRUE(tables.Known());
  EXPECT_EQ(tables.VideoPid(), 0x44);
  EXPECT_EQ(tables.AudioPid(), 0x45);
  EXPECT_EQ(tables.PrivatePid(), 0x46);

  // A damaged byte fails the CRC; a pointer field or a section length past the packet is refused.
  auto refused = [&](std::size_t at, std::uint8_t value) {
    Bytes bad = good;
    bad[at] = value;
    CTSTables t;
    TSPacket p;
    if (ParseTSPacket(bad.data(), &p)) t.Take(p);
    return t.MapPid() == CTSTables::kNoPid;
  };
  EXPECT_TRUE(refused(4 + 1 + 9, 0x99));  // inside the programme entry
  EXPECT_TRUE(refused(4, 200));           // pointer field
  EXPECT_TRUE(refused(4 + 1 + 2, 0xFF));  // section length
  EXPECT_FALSE(refused(100, 0x00));       // stuffing after the section does not matter

  // The network entry (programme 0) is not a programme.
  Bytes pat0(188, 0xFF);
  const std::uint8_t head[] = {0x47, 0x40, 0x00, 0x10, 0x00, 0x00, 0xB0, 0x11, 0x00, 0x01, 0xC1, 0x00, 0x00,
                               0x00, 0x00, 0xE0, 0x10, 0x00, 0x01, 0xE0, 0x77};
  std::memcpy(pat0.data(), head, sizeof head);
  const std::uint32_t crc = Crc32Mpeg2(pat0.data() + 5, 16);
  for (int i = 0; i < 4; ++i) pat0[21 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  CTSTables t0;
  ASSERT_TRUE(ParseTSPacket(pat0.data(), &pat));
  t0.Take(pat);
  EXPECT_EQ(t0.MapPid(), 0x77);
}

TEST(TSParse, PesHeaderGivesPtsAndRefusesLengthsPastTheUnit) {
  fixtures::TsWriter w;
  const std::uint64_t pts = (1ull << 32) + 123456789;  // all 33 bits in use
  w.Pes(0x100, 0xE0, pts, Pattern(3, 1), false);
  const Bytes packet = w.Take();
  TSPacket t;
  ASSERT_TRUE(ParseTSPacket(packet.data(), &t));
  PesHeader h;
  ASSERT_TRUE(ParsePesHeader(t.payload, t.payloadLength, &h));
  EXPECT_TRUE(h.hasPts);
  EXPECT_EQ(h.pts, pts);
  EXPECT_EQ(h.payloadOffset, 14u);
  EXPECT_EQ(PtsMicroseconds(90000), 1000000u);
  EXPECT_DOUBLE_EQ(PtsSeconds(45000), 0.5);

  Bytes unit(t.payload, t.payload + 17);
  EXPECT_FALSE(ParsePesHeader(unit.data(), 13, &h));  // the header data runs past the unit
  unit[8] = 200;
  EXPECT_FALSE(ParsePesHeader(unit.data(), unit.size(), &h));
  unit[8] = 2;  // PTS announced, no room for it
  EXPECT_FALSE(ParsePesHeader(unit.data(), unit.size(), &h));
  unit[7] = 0;
  ASSERT_TRUE(ParsePesHeader(unit.data(), unit.size(), &h));
  EXPECT_FALSE(h.hasPts);
  unit[2] = 2;
  EXPECT_FALSE(ParsePesHeader(unit.data(), unit.size(), &h));
}

TEST(TSParse, UnitsComeWholeForwardAndBackwardInAnyPieces) {
  const std::vector<std::size_t> sizes = {1, 183, 184, 2000, 176, 9000, 40, 188 * 3};
  const Bytes stream = VideoStream(sizes);
  for (std::size_t piece : {std::size_t{1}, std::size_t{187}, std::size_t{4096}, std::size_t{8192}}) {
    RecordingSink forward;
    CTSDemux demux(forward);
    FeedForwardInPieces(demux, stream, piece);
    // The last packet waits for a partner: the unit before it is not known to be whole yet.
    ASSERT_EQ(Payloads(forward.units, TSStream::kVideo).size(), sizes.size() - 1) << piece;
    demux.FinishForward();
    const std::vector<Bytes> got = Payloads(forward.units, TSStream::kVideo);
    ASSERT_EQ(got.size(), sizes.size() + 1) << piece;
    for (std::size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(got[i], Pattern(sizes[i], static_cast<std::uint8_t>(i)));
    EXPECT_EQ(got.back(), Pattern(10, 0xEE));

    // Backward from the end of the data: the last unit ends there, the first packet (the
    // association table, without a partner before it) is not needed: the tables come first.
    RecordingSink backward;
    CTSDemux back(backward);
    back.LearnTables(stream.data(), std::min<std::size_t>(stream.size(), CTSDemux::kReadSize));
    back.MarkEndOfData();
    FeedBackwardInPieces(back, stream, piece);
    const std::vector<Bytes> rev = Payloads(backward.units, TSStream::kVideo);
    ASSERT_EQ(rev.size(), sizes.size() + 1) << piece;
    EXPECT_EQ(rev[0], Pattern(10, 0xEE));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      EXPECT_EQ(rev[sizes.size() - i], Pattern(sizes[i], static_cast<std::uint8_t>(i)));
    }
  }
}

TEST(TSParse, GarbageNeedsTwoSyncBytesOnePacketApart) {
  // A packet followed by garbage has no partner forward, and one after garbage none backward.
  fixtures::TsWriter w;
  w.Tables(false, false);
  for (int i = 0; i < 5; ++i) w.Pes(0x100, 0xE0, 0, Pattern(20, static_cast<std::uint8_t>(i)), false);
  Bytes cut = w.Take();
  const Bytes junk = {0x12, 0x47, 0x00, 0x47, 0x33};
  cut.insert(cut.begin() + 188 * 3, junk.begin(), junk.end());  // after unit 0's packet
  RecordingSink f, b;
  CTSDemux df(f), db(b);
  df.FeedForward(cut.data(), cut.size());
  const std::vector<Bytes> fwd = Payloads(f.units, TSStream::kVideo);
  // Unit 0 is lost before the garbage; the last unit's packet has no partner yet.
  EXPECT_EQ(fwd, (std::vector<Bytes>{Pattern(20, 1), Pattern(20, 2)}));
  db.LearnTables(cut.data(), cut.size());
  db.MarkEndOfData();
  db.FeedBackward(cut.data(), cut.size());
  const std::vector<Bytes> bwd = Payloads(b.units, TSStream::kVideo);
  // Unit 1 is lost after the garbage.
  EXPECT_EQ(bwd, (std::vector<Bytes>{Pattern(20, 4), Pattern(20, 3), Pattern(20, 2), Pattern(20, 0)}));
}

TEST(TSParse, OversizeUnitsAreDroppedWholeAndTheNextOneComes) {
  RecordingSink sink;
  CTSDemux demux(sink);
  fixtures::TsWriter w;
  w.Tables(true, false);
  w.Pes(0x101, 0xC0, 0, Pattern(CPesCollector::kCapacity + 1000, 3), false);
  w.Pes(0x101, 0xC0, 0, Pattern(77, 4), false);
  w.Pes(0x100, 0xE0, 0, Pattern(CPesCollector::kCapacity, 5), false);
  w.Pes(0x100, 0xE0, 0, Pattern(88, 6), false);
  w.Pes(0x101, 0xC0, 0, Pattern(1, 0), false);
  w.Pes(0x100, 0xE0, 0, Pattern(1, 0), false);
  const Bytes stream = w.Take();
  FeedForwardInPieces(demux, stream, 8192);
  demux.FinishForward();
  EXPECT_EQ(Payloads(sink.units, TSStream::kAudio), (std::vector<Bytes>{Pattern(77, 4), Pattern(1, 0)}));
  EXPECT_EQ(Payloads(sink.units, TSStream::kVideo), (std::vector<Bytes>{Pattern(88, 6), Pattern(1, 0)}));

  RecordingSink backSink;
  CTSDemux back(backSink);
  back.LearnTables(stream.data(), 8192);
  back.MarkEndOfData();
  FeedBackwardInPieces(back, stream, 8192);
  EXPECT_EQ(Payloads(backSink.units, TSStream::kVideo), (std::vector<Bytes>{Pattern(1, 0), Pattern(88, 6)}));
  EXPECT_TRUE(Payloads(backSink.units, TSStream::kAudio).empty());  // sound is read forward only
}

TEST(TSParse, VideoUnitsAreClassifiedByTheirFirstSlice) {
  auto classify = [](const Bytes& b) { return ClassifyVideoPayload(b.data(), b.size()); };
  // An IDR slice with reference bits 2 (0x45) is a key frame like 0x65 and 0x25.
  for (std::uint8_t idr : {0x25, 0x45, 0x65}) {
    const VideoUnitInfo info = classify({0, 0, 0, 1, 0x67, 0x42, 0, 0, 0, 1, 0x68, 0xCE, 0, 0, 1, idr, 0x88});
    EXPECT_EQ(info.kind, VideoUnitKind::kKeyFrame) << int(idr);
    EXPECT_TRUE(info.afterSps);
    EXPECT_EQ(info.dataOffset, 0u);
  }
  for (std::uint8_t slice : {0x01, 0x21, 0x41, 0x61}) {
    const VideoUnitInfo info = classify({0xAA, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x06, 0x05, 0, 0, 1, slice, 0x9A});
    EXPECT_EQ(info.kind, VideoUnitKind::kInterFrame) << int(slice);
    EXPECT_FALSE(info.afterSps);
    EXPECT_EQ(info.dataOffset, 1u);  // from the start code on
  }
  EXPECT_EQ(classify({0, 0, 0, 1, 0x67, 0x42, 0, 0, 0, 1, 0x68}).kind, VideoUnitKind::kNone);
  EXPECT_EQ(classify({1, 2, 3, 0x65}).kind, VideoUnitKind::kNone);
  EXPECT_EQ(classify({0, 0, 1}).kind, VideoUnitKind::kNone);  // a start code with no header byte
  EXPECT_EQ(classify({}).kind, VideoUnitKind::kNone);
}
