// The reader thread of MPEG transport-stream files (".ts", written by the recorder too). It reads
// the file in 8 KB pieces forward or backward, finds the packets and the programme tables,
// gathers the video, sound and sensor-text streams, and fills the channel's queues: key frames
// and inter frames into the video queue, AAC sound into the audio queue, and every sensor text
// as a sensor block behind a marker item in the video queue. It seeks by file position and goes
// on to the previous or next ".ts" file of the folder. An export reads one file through and hands
// its pictures and sound to the recorder instead.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio/AacDecoder.h"
#include "engine/store/IndexBlock.h"
#include "engine/stream/ABuffer2.h"
#include "engine/stream/MyThread.h"
#include "engine/stream/VBuffer2.h"
#include "engine/ts/FindFilePath.h"
#include "engine/ts/TSDemux.h"
#include "engine/ts/TSFrameRate.h"
#include "platform/File.h"
#include "recorder/RecorderDate.h"

class IRecordSink;

// What the reader needs of the channel object that owns it. Called on the reader's thread.
class ITSChannel {
 public:
  virtual ~ITSChannel() = default;
  // The start time of a file (seconds since 1970), 0 when not known: a picture's time is this
  // plus its time stamp in whole seconds.
  virtual std::int64_t FileStartTime(const std::string& path) = 0;
  // The date (local time) of the picture about to be queued.
  virtual void SetCurrentDate(const RecorderDate& date) = 0;
  // Makes the block the current sensor block and returns a copy of it that stays unchanged at
  // least as long as a marker item pointing at it can be queued; null to queue no marker.
  virtual std::uint8_t* TakeSensorBlock(const IndexBlockA5& block) = 0;
  // The first sound after a start, a seek or a change of file: the audio clock is to take the
  // reader's start delay and this sound's time stamp (microseconds), and resynchronise.
  virtual void ResyncAudio(int startDelayMs, std::uint64_t stampUs) = 0;
};

// Where an export of a file goes: the recorder takes its pictures and, when `sound` is set, its
// sound as 16-bit PCM; `onEnd` is told once, on the reader's thread, whether the file was read to
// its end (true) or the reader was stopped before (false).
struct TSExport {
  IRecordSink* recorder = nullptr;  // null: the reader plays into the queues
  bool sound = true;
  std::function<void(bool complete)> onEnd;
};

// Items queued. Video: key frames (17) and inter frames (18), their data the access unit from its
// first start code on; aux the frame rate (1 backward); speed 0.0 forward, -1.0 backward;
// chunkTime the picture's time (seconds); spare the read position in thousandths of the file;
// stamp the time stamp in microseconds. Markers (99): the channel's copy of the sensor block, aux
// all ones (no sample index of the card source applies). Sound (69, AAC in ADTS frames): stamp
// in microseconds, chunkTime as for pictures.
//
// The queues' areas must be created before Start: the video queue's margin bounds the largest
// access unit queued, the audio queue's margin the largest sound unit.
class CTSAnalyse : public CMyThread, private ITSUnitSink {
 public:
  static constexpr std::int64_t kNoSeek = -1;
  static constexpr std::int64_t kPreviousFile = -1001;
  static constexpr std::int64_t kNextFile = -1002;

  CTSAnalyse(ITSChannel& channel, CVBuffer2& video, CABuffer2& audio);
  ~CTSAnalyse() override;

  // Opens a file while the thread is stopped, closing the one before; reading starts at the
  // start going forward, or with fromEnd at the end going backward. False when the thread runs
  // or the file cannot be opened.
  bool Open(const std::string& path, bool fromEnd);
  // Set while the thread is stopped. With a recorder the next run exports the open file: it reads
  // it once forward from its start, takes no seek, turn or change of file, hands the pictures to
  // the recorder in place of the video queue and the sound, decoded, in place of the audio queue,
  // queues no sensor block, and ends at the end of the file. Without one it plays.
  void SetExport(TSExport exportTo);
  bool IsExporting() const { return m_export.recorder != nullptr; }
  // Starts the thread on the open file; false without one, or for an export when no AAC decoder
  // can be opened. Stop (CMyThread) ends it: a put that waits on a full queue gives up once the
  // run flag is cleared.
  bool Start() override;
  void Close();

  // Requests taken by the thread at its next pass. A file position (0 or more, once the tables
  // are known): reading restarts there, the queues are flushed, and forward play passes over
  // skipKeyFrames key frames before it queues again. kPreviousFile, kNextFile: that file of the
  // folder is opened (reading goes on where it is when there is none) and the queues flushed.
  void Seek(std::int64_t target, int skipKeyFrames = 0);
  // A seek or a change of file asked for and not taken yet.
  bool SeekPending() const;
  // Reading backward queues key frames only.
  void SetBackward(bool backward) { m_backwardRequest = backward; }
  // The delay handed with the first sound after a start, a seek or a change of file.
  void SetStartDelay(int ms) { m_startDelay = ms; }

  std::string Path() const;
  std::uint64_t FileSize() const { return m_published.size; }
  int FrameRate() const { return m_published.rate; }
  int GopSeconds() const { return m_published.gopSeconds; }

 protected:
  void Run() override;

 private:
  enum class ReadResult { kRead, kAtEnd, kFailed };
  struct Published {
    std::atomic<std::uint64_t> size{0};
    std::atomic<int> rate{CTSFrameRate::kDefaultRate};
    std::atomic<int> gopSeconds{0};
  };

  // The thread's passes (TSAnalyse.cpp).
  bool OpenFile(const std::string& path, bool fromEnd);
  void TakeRequests();
  void Turn(bool backward);
  void SeekTo(std::int64_t target, int skipKeyFrames);
  bool SwitchFile(bool next, bool byRequest);
  ReadResult ReadPiece();
  void AtEnd(ReadResult result);
  void FinishStillFile();
  void FlushQueues();
  void ForgetStreamState();

  // The units (TSAnalyseUnits.cpp).
  void OnUnit(TSStream stream, const std::uint8_t* unit, std::size_t length) override;
  void TakePicture(const PesHeader& header, const std::uint8_t* payload, std::size_t length);
  bool ShouldQueuePicture(bool key);
  void QueuePicture(bool key, const std::uint8_t* data, std::size_t length);
  void ExportPicture(bool key, const std::uint8_t* data, std::size_t length);
  void TakeSound(const PesHeader& header, const std::uint8_t* payload, std::size_t length);
  void ExportSound(const std::uint8_t* payload, std::size_t length);
  void TakeSensorText(const std::uint8_t* payload, std::size_t length);
  std::int32_t PictureTime() const;
  std::uint32_t Progress() const;

  ITSChannel& m_channel;
  CVBuffer2& m_video;
  CABuffer2& m_audio;
  QueueItem m_videoWrite;  // the producer's write positions
  QueueItem m_audioWrite;

  plat::File m_file;
  std::uint64_t m_size = 0;
  std::uint64_t m_pos = 0;  // forward: the next byte to read; backward: the first byte read
  static constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};
  std::uint64_t m_stillSize = kUnknownSize;  // the size at the last idle pause at the end
  std::int64_t m_startTime = 0;
  std::unique_ptr<CFindFilePath> m_finder;
  std::vector<std::uint8_t> m_readBuffer;

  CTSDemux m_demux;
  CTSFrameRate m_rate;
  bool m_backward = false;
  bool m_keySeen = false;
  int m_skipKeys = 0;
  bool m_firstSound = true;
  bool m_gaveUp = false;  // a put gave up: the thread is stopping or the queues were woken
  std::uint64_t m_videoPts = 0;
  std::uint64_t m_soundPts = 0;
  IndexBlockA5 m_sensorBlock;
  TSExport m_export;
  CAacDecoder m_aac;  // of an export's sound
  std::vector<std::uint8_t> m_pcm;

  // Written by other threads.
  mutable std::mutex m_requestLock;
  std::int64_t m_seekTarget = kNoSeek;
  int m_seekSkip = 0;
  std::string m_path;
  std::atomic<bool> m_backwardRequest{false};
  std::atomic<int> m_startDelay{0};
  Published m_published;
};
