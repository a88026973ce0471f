// An engine for the tests of windows. It plays nothing: it records every call made on it, name
// and arguments in order, and answers the getters with what the test sets. Its entries are those
// of a real store (a generated `.sd` or `.idx`) opened through CCardStore, so that windows list
// and play the recordings of a generated card. ScopedFakeEngine makes it what CreateIbpCtrl
// hands out, or makes CreateIbpCtrl fail.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/IIbpCtrl.h"
#include "engine/stream/QueueItem.h"

namespace enginetest {

// One call: its name and its arguments as text. Numbers as C++ prints them (1.1, -1, 255), texts
// as UTF-8, windows as their handle's number, entries as "entry:" and their first chunk, a null
// pointer as "null".
struct EngineCall {
  std::string name;
  std::vector<std::string> args;
  std::string Text() const;  // "Play(entry:10, 0)"
};

class FakeIbpCtrl final : public IIbpCtrl {
 public:
  // What the getters answer. Play and the jobs answer `start`; a Play that starts makes its entry
  // (the store's first for null) the current one, which SetSource and OpenStore clear. Speed,
  // source path, export request and recording state answer what was set last.
  struct Answers {
    int sourceType = kSourceBackupFile;
    IndexEntry* currentEntry = nullptr;
    EngineStart start = EngineStart::kStarted;
    std::int64_t displayTime = 0;
    int videoWidth = 0;
    int videoHeight = 0;
    bool noVideo = true;
    int decoderOpen = 0;
    std::int64_t shownChunk = kNoChunk;
    bool hasSensorBlock = false;
    std::array<BYTE, kMarkerLength> sensorBlock{};
    CarDataRecord carData;  // time 0: none
    double progressRatio = 0.0;
    int jobProgress = -1;
    JobResult jobResult = JobResult::kNone;
    std::vector<std::string> jobFiles;
    std::vector<LeftOutEntry> jobLeftOut;
    SnapshotFailure snapshotFailure;  // kNone: the snapshot is saved
  };
  Answers answers;

  // The store whose entries OpenStore and GetNextEntry walk; false when it cannot be opened.
  bool UseStore(const std::string& path);

  const std::vector<EngineCall>& Calls() const { return calls_; }
  // Each call as Text(), in order.
  std::vector<std::string> CallTexts() const;
  std::vector<EngineCall> CallsNamed(const std::string& name) const;
  void ClearCalls() { calls_.clear(); }
  bool Destroyed() const { return destroyed_; }

  void Destroy() override;
  int SetSource(const CString& path) override;
  const CString& GetSourcePath() const override;
  IndexEntry* OpenStore() override;
  IndexEntry* GetNextEntry(const IndexEntry* entry) override;
  IndexEntry* GetCurrentEntry() const override;
  EngineStart Play(IndexEntry* entry, int eventNumber) override;
  void Close() override;
  void SetSpeed(double speed) override;
  double GetSpeed() const override;
  void SetPause(int pause) override;
  void Seek(std::int64_t time) override;
  void SetVolume(int channel, std::int32_t volume) override;
  void Zoom(int channel, int x, int y, int step) override;
  EngineStart StartBackup(const CString& path, IndexEntry* const* entries, int count) override;
  EngineStart OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                         std::int64_t endTime) override;
  bool StartRawExport(int mode, const CString& name, int fileMode) override;
  bool SetRecord(bool on, const CString& path, int mode) override;
  RecordState GetRecordState() const override;
  void SetBackupLabel(const CString& text) override;
  double GetProgressRatio() const override;
  int GetJobProgress() const override;
  JobResult GetJobResult() const override;
  std::vector<std::string> GetJobFiles() const override;
  std::vector<LeftOutEntry> GetJobLeftOut() const override;
  void SetExportPerChannel(bool perChannel) override;
  void SetExportDecode(bool decode) override;
  void SetExportActive(bool active) override;
  bool IsExportActive() const override;
  void SetExportChannel(int channel, bool on, bool withAudio) override;
  void SetNotifyWindow(HWND wnd, int channel) override;
  void SetVideoWindow(HWND wnd, int channel) override;
  void SetKeepProportion(bool keep) override;
  void SetTimeZoneOffset(std::int64_t seconds) override;
  void SetEdrUnits(int speedUnit, int temperatureUnit) override;
  void SetEdrOsd(int left, int top, COLORREF color, int size, const CString& face) override;
  void SetShowMusicOsd(bool on, COLORREF color) override;
  void SetShowTimeOsd(int mode, COLORREF color) override;
  void SetCutRect(int channel, int left, int top, int right, int bottom) override;
  void SetDxva2Enabled(bool enabled, int channel) override;
  void SetVideoEnabled(bool enabled, int channel) override;
  void SetAudioEnabled(bool enabled, int channel) override;
  int GetVideoWidth(int channel) const override;
  int GetVideoHeight(int channel) const override;
  bool IsNoVideo(int channel) const override;
  int IsDecoderOpen(int channel) const override;
  std::int64_t GetShownChunk(int channel) const override;
  void RedrawVideo() override;
  std::int64_t GetDisplayTime(int channel) const override;
  bool GetSensorBlock(BYTE* out) const override;
  bool GetCarData(int channel, CarDataRecord& out) const override;
  bool TakeSnapshot(bool jpeg, const CString& path) override;
  SnapshotFailure GetSnapshotFailure() const override;

 private:
  template <typename... Args>
  void Record(const char* name, const Args&... args) const;
  // Records the call and returns the value.
  template <typename T, typename... Args>
  T Answer(const char* name, T value, const Args&... args) const;

  mutable std::vector<EngineCall> calls_;
  CCardStore store_;
  CString path_;
  double speed_ = 1.0;
  bool exportActive_ = false;
  RecordState record_;
  bool destroyed_ = false;
};

// While it lives, CreateIbpCtrl hands out its fake engine (the same one each time), or null
// after FailCreation; afterwards the real engine again.
class ScopedFakeEngine {
 public:
  ScopedFakeEngine();
  ~ScopedFakeEngine();
  ScopedFakeEngine(const ScopedFakeEngine&) = delete;
  ScopedFakeEngine& operator=(const ScopedFakeEngine&) = delete;

  FakeIbpCtrl& engine() { return engine_; }
  void FailCreation(bool fail) { fail_ = fail; }
  // How often CreateIbpCtrl was called, failed calls included.
  int Created() const { return created_; }

 private:
  FakeIbpCtrl engine_;
  bool fail_ = false;
  int created_ = 0;
};

}  // namespace enginetest
