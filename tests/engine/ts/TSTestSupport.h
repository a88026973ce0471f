// The reader's tests' stand-ins for its channel object and for the video and audio threads: a
// channel that records what the reader tells it, and a consumer that empties the queues.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ts/TSAnalyse.h"

struct AudioResync {
  int startDelayMs = 0;
  std::uint64_t stampUs = 0;
};

class TestTsChannel : public ITSChannel {
 public:
  static constexpr std::size_t kRing = 4096;

  void SetStartTime(const std::string& path, std::int64_t time);

  std::int64_t FileStartTime(const std::string& path) override;
  void SetCurrentDate(const RecorderDate& date) override;
  std::uint8_t* TakeSensorBlock(const IndexBlockA5& block) override;
  void ResyncAudio(int startDelayMs, std::uint64_t stampUs) override;

  int Dates() const;
  RecorderDate LastDate() const;
  std::vector<AudioResync> Resyncs() const;

 private:
  mutable std::mutex m_lock;
  std::map<std::string, std::int64_t> m_startTimes;
  int m_dates = 0;
  RecorderDate m_lastDate{};
  std::vector<AudioResync> m_resyncs;
  std::vector<IndexBlockA5> m_ring = std::vector<IndexBlockA5>(kRing);
  std::size_t m_next = 0;
};

struct TakenItem {
  QueueItem item;
  std::vector<std::uint8_t> bytes;  // a copy, taken while the item was held
};

// Takes every item of both queues on a thread of its own, as the video and audio threads do.
class QueueConsumer {
 public:
  QueueConsumer(CVBuffer2& video, CABuffer2& audio);
  ~QueueConsumer();

  std::vector<TakenItem> Video() const;  // pictures, markers left out
  std::vector<TakenItem> Markers() const;
  std::vector<TakenItem> Audio() const;
  // Waits until this many pictures have been taken; false after a generous bound.
  bool WaitForPictures(std::size_t count) const;

 private:
  void Run();
  bool TakeOne(CBuffer& queue, std::vector<TakenItem>& into);

  CVBuffer2& m_video;
  CABuffer2& m_audio;
  mutable std::mutex m_lock;
  std::vector<TakenItem> m_pictures;
  std::vector<TakenItem> m_markers;
  std::vector<TakenItem> m_sound;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// A reader with its queues, channel and consumer, torn down in the order the engine does it.
struct TsRig {
  TsRig();
  ~TsRig();
  bool Start();

  CVBuffer2 video{640};
  CABuffer2 audio{30};
  TestTsChannel channel;
  CTSAnalyse reader{channel, video, audio};
  std::unique_ptr<QueueConsumer> consumer;
};
