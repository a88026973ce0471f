#include "tests/engine/export/RecordFeed.h"

#include <gtest/gtest.h>


#include "testdata/MediaProbe.h"
#include "testdata/StoreBuilder.h"
#include "testdata/StoreFormat.h"

namespace recordtest {

using fixtures::FrameRole;

namespace {

std::uint32_t ItemType(FrameRole role) {
  switch (role) {
    case FrameRole::kSps:
    case FrameRole::kPps:
    case FrameRole::kIdr:
      return kItemKeyFrame;
    case FrameRole::kInter:
    case FrameRole::kSei:
    case FrameRole::kOversize:
      return kItemInterFrame;
    case FrameRole::kSound:
      return kItemPcm16;
    case FrameRole::kCarData:
      return kItemCarData;
    case FrameRole::kTime:
      return kItemTimeFrame;
  }
  return kItemNone;
}

bool IsPicturePart(FrameRole role) { return ItemType(role) == kItemKeyFrame || ItemType(role) == kItemInterFrame; }

}  // namespace

void Feed(CRecordCtx& recorder, const FeedItem& f) {
  if (IsPicturePart(f.role)) {
    recorder.WriteVideo(RecordFrameFromItem(f.item));
  } else if (f.role == FrameRole::kSound) {
    recorder.WriteAudio(f.item.data + 4, f.item.length - 4, kItemPcm16);
  } else if (f.role == FrameRole::kCarData) {
    recorder.WriteSideData(RecordFrameFromItem(f.item));
  }
}

const std::vector<FeedItem>& RecordingFeed::Items(int recording) {
  if (items_.count(recording)) return items_[recording];
  std::vector<std::uint8_t>& payload = payloads_[recording] = fixtures::ReadPayloads(layout_, recording);
  const fixtures::RecordingInfo& rec = layout_.recordings.at(static_cast<std::size_t>(recording));
  std::vector<FeedItem>& items = items_[recording];
  std::uint64_t stamp = 0;
  for (const fixtures::FrameInfo& frame : layout_.FramesOf(recording)) {
    if (frame.role == FrameRole::kTime) stamp = frame.stampUs;
    const fixtures::ChunkInfo* chunk = nullptr;
    for (const fixtures::ChunkInfo& c : rec.chunks) {
      if (c.streamOffset >= 0 && frame.offset >= static_cast<std::uint64_t>(c.streamOffset) &&
          frame.offset < static_cast<std::uint64_t>(c.streamOffset) + fixtures::kPayloadSize) {
        chunk = &c;
      }
    }
    const std::uint64_t at = frame.offset - rec.streamBegin;
    if (chunk == nullptr || at + frame.length > payload.size()) continue;
    FeedItem f;
    f.role = frame.role;
    f.picture = frame.picture;
    f.second = frame.second;
    f.item.data = payload.data() + at;
    f.item.length = frame.length;
    f.item.type = ItemType(frame.role);
    f.item.aux = chunk->frameRate;
    f.item.chunkTime = static_cast<std::int32_t>(chunk->time);
    f.item.seq = chunk->sequence;
    f.item.stamp = stamp;
    items.push_back(f);
  }
  return items;
}

std::optional<RecordingFeed> BuildFeed(const fixtures::StoreDescription& desc, const std::string& path) {
  std::string error;
  std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, path, &error);
  EXPECT_TRUE(layout.has_value()) << error;
  if (!layout) return std::nullopt;
  return RecordingFeed(std::move(*layout));
}

Expected ExpectedExport(const std::vector<FeedItem>& items) {
  Expected e;
  int picture = -1;
  bool started = false;
  for (const FeedItem& f : items) {
    if (IsPicturePart(f.role)) {
      if (!started && f.item.type != kItemKeyFrame) continue;
      if (!started) e.firstTime = f.item.chunkTime;
      started = true;
      if (f.picture != picture) {
        e.pictures.emplace_back();
        e.keys.push_back(f.item.type == kItemKeyFrame);
        picture = f.picture;
      }
      e.pictures.back().insert(e.pictures.back().end(), f.item.data, f.item.data + f.item.length);
    } else if (f.role == FrameRole::kSound && started) {
      e.sounds.emplace_back(f.item.data + 4, f.item.data + f.item.length);
    }
  }
  return e;
}

void ExpectAviHolds(const std::string& path, const ExpectedFile& want) {
  SCOPED_TRACE(path);
  const fixtures::ProbedMedia media = fixtures::ProbeMedia(path);
  EXPECT_EQ(media.errors, "");
  ASSERT_EQ(media.streams.size(), want.sounds.empty() ? 1u : 2u);
  const fixtures::ProbedStream& video = media.streams[0];
  EXPECT_EQ(video.Get("codec_name"), want.codec);
  EXPECT_EQ(video.Get("codec_tag_string"), want.tag);
  EXPECT_EQ(video.Get("width") + "x" + video.Get("height"), want.size);
  if (!want.sounds.empty()) {
    EXPECT_EQ(media.streams[1].Get("codec_name"), "pcm_s16le");
    EXPECT_EQ(media.streams[1].Get("sample_rate"), "8000");
    EXPECT_EQ(media.streams[1].Get("channels"), "1");
  }
  const auto pictures = media.PacketsOf(0);
  ASSERT_EQ(pictures.size(), want.pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (want.pictures[i].empty()) continue;  // bytes not known in advance
    EXPECT_EQ(pictures[i].hash, fixtures::PacketHash(want.pictures[i].data(), want.pictures[i].size())) << "picture " << i;
  }
  const auto sounds = media.PacketsOf(1);
  ASSERT_EQ(sounds.size(), want.sounds.size());
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    if (want.sounds[i].empty()) continue;  // bytes not known in advance
    EXPECT_EQ(sounds[i].hash, fixtures::PacketHash(want.sounds[i].data(), want.sounds[i].size())) << "sound " << i;
  }
  std::vector<bool> keys;
  for (const fixtures::AviIndexEntry& e : fixtures::ReadAviIndex(path)) {
    if (e.chunkId == "00dc") keys.push_back(e.flags == 0x10);
  }
  if (want.keys.empty()) {
    ASSERT_FALSE(keys.empty());
    EXPECT_TRUE(keys.front());  // an encoder's choice, but it starts with one
  } else {
    EXPECT_EQ(keys, want.keys);
  }
  EXPECT_EQ(fixtures::DecodeErrors(path), "");
}

bool ExportMessages::Post(HWND, UINT msg, WPARAM, LPARAM l) {
  const auto* name = reinterpret_cast<const wchar_t*>(l);
  posted.push_back({msg, name, name ? std::wstring(name) : std::wstring()});
  return true;
}

}  // namespace recordtest
