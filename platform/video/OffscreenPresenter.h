// A presenter without a window, for the headless player and for tests: it keeps a record of
// every present with a hash of the picture presented. What a window would show is available
// through ComposeWindow (platform/video/PresentedFrame.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/video/BackBufferPresenter.h"

namespace plat {

struct PresentRecord {
  CRect source;             // the part of the picture shown; the whole picture with letterbox
  bool letterbox = false;
  int width = 0;            // the picture's size
  int height = 0;
  std::string hash;         // MD5 of the picture's rows, 4 bytes B, G, R, X a pixel, in hex
};

class OffscreenPresenter final : public BackBufferPresenter {
 public:
  std::vector<PresentRecord> Presents() const;
  std::size_t PresentCount() const;

 protected:
  void Presented(const PresentedFrame& frame) override;
  void VisibilityChanged(bool) override {}

 private:
  mutable std::mutex mutex_;
  std::vector<PresentRecord> presents_;
  std::int64_t hashedKey_ = 0;  // the picture whose hash is the last record's
};

}  // namespace plat
