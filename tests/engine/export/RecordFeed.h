// Fixture recordings handed to the export recorder the way the source thread hands them: frame by
// frame in stream order, as queue items carrying the chunk's time, the trailer's frame rate and
// the stamp of the time frame before them; and what the recorder should make of them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/export/RecordCtx.h"
#include "engine/stream/QueueItem.h"
#include "platform/Message.h"
#include "testdata/Layout.h"

namespace recordtest {

struct FeedItem {
  fixtures::FrameRole role = fixtures::FrameRole::kTime;
  QueueItem item;
  int picture = -1;
  int second = -1;
};

// Hands the item to the recorder: pictures to WriteVideo, sound (its payload) to WriteAudio as
// 16-bit PCM, car data to WriteSideData; time frames only give their stamp to later items.
void Feed(CRecordCtx& recorder, const FeedItem& item);

class RecordingFeed {
 public:
  explicit RecordingFeed(fixtures::Layout layout) : layout_(std::move(layout)) {}
  const fixtures::Layout& layout() const { return layout_; }
  // The frames of a recording in stream order; their bytes stay with this object.
  const std::vector<FeedItem>& Items(int recording);

 private:
  fixtures::Layout layout_;
  std::map<int, std::vector<std::uint8_t>> payloads_;
  std::map<int, std::vector<FeedItem>> items_;
};

// Builds the store and its feed; fails the calling test when the store cannot be built.
std::optional<RecordingFeed> BuildFeed(const fixtures::StoreDescription& desc, const std::string& path);

// What an export of items should hold.
struct Expected {
  std::vector<std::vector<std::uint8_t>> pictures;  // each picture's sample: its frames' bytes
  std::vector<bool> keys;
  std::vector<std::vector<std::uint8_t>> sounds;  // sound payloads after the first key picture
  std::int32_t firstTime = 0;                     // chunk time of the first key picture's first part
};
Expected ExpectedExport(const std::vector<FeedItem>& items);

// What one AVI file should hold, and checks it through ffprobe, ffmpeg and its index. A picture or
// sound whose bytes are empty is only counted; without keys (a re-encoded file) the first
// picture must be key.
struct ExpectedFile {
  std::vector<std::vector<std::uint8_t>> pictures;
  std::vector<bool> keys;
  std::vector<std::vector<std::uint8_t>> sounds;
  std::string codec = "h264";
  std::string tag = "X264";
  std::string size = "320x240";
};
void ExpectAviHolds(const std::string& path, const ExpectedFile& want);

// A message router that keeps the posted export messages and the names they carry.
class ExportMessages : public plat::IMessageRouter {
 public:
  struct Posted {
    UINT msg;
    const wchar_t* name;  // as posted, to be read again later
    std::wstring text;    // as read when posted
  };
  ExportMessages() { previous_ = plat::SetMessageRouter(this); }
  ~ExportMessages() override { plat::SetMessageRouter(previous_); }
  bool Post(HWND, UINT msg, WPARAM, LPARAM l) override;
  LRESULT Send(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  bool Show(HWND, int) override { return true; }
  std::vector<Posted> posted;

 private:
  plat::IMessageRouter* previous_ = nullptr;
};

}  // namespace recordtest
