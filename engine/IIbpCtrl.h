// What the main window, its panels and the card tools ask of the playback engine. The program
// plays through CIbpCtrl; the windows' tests install an engine of their own through
// SetIbpCtrlFactory, so that every window runs without a card, a decoder or a sound device.
// CIbpCtrl documents each operation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/export/EngineJob.h"
#include "engine/gps/CarDataFrame.h"
#include "engine/store/CardStore.h"
#include "engine/video/Snapshot.h"
#include "platform/Message.h"
#include "platform/String.h"
#include "platform/Types.h"

// What a start operation (a play or a job) did.
enum class EngineStart {
  kStarted,  // it runs; for a play also when the entry asked for is the one already playing
  kBusy,     // another play or job is open: nothing was started or changed
  kFailed,   // refused, or it could not start; the engine is idle
};

// The recording state of a job's output.
struct RecordState {
  bool on = false;
  CString path;      // without its ".avi"
  bool avi = false;  // the output is an AVI file
  int mode = 0;      // an export's length in seconds; 0 for a backup
};

class IIbpCtrl {
 public:
  virtual ~IIbpCtrl() = default;

  // Closes, then deletes the engine.
  virtual void Destroy() = 0;

  // The source and its store.
  virtual int SetSource(const CString& path) = 0;
  virtual const CString& GetSourcePath() const = 0;
  virtual IndexEntry* OpenStore() = 0;
  virtual IndexEntry* GetNextEntry(const IndexEntry* entry) = 0;
  virtual IndexEntry* GetCurrentEntry() const = 0;

  // Playing.
  virtual EngineStart Play(IndexEntry* entry, int eventNumber) = 0;
  virtual void Close() = 0;
  // A speed that is zero or not finite is ignored.
  virtual void SetSpeed(double speed) = 0;
  virtual double GetSpeed() const = 0;
  virtual void SetPause(int pause) = 0;
  virtual void Seek(std::int64_t time) = 0;
  virtual void SetVolume(int channel, std::int32_t volume) = 0;
  virtual void Zoom(int channel, int x, int y, int step) = 0;

  // Jobs.
  virtual EngineStart StartBackup(const CString& path, IndexEntry* const* entries, int count) = 0;
  virtual EngineStart OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                                 std::int64_t endTime) = 0;
  virtual bool StartRawExport(int mode, const CString& name, int fileMode) = 0;
  virtual bool SetRecord(bool on, const CString& path, int mode) = 0;
  virtual RecordState GetRecordState() const = 0;
  virtual void SetBackupLabel(const CString& text) = 0;
  virtual double GetProgressRatio() const = 0;
  virtual int GetJobProgress() const = 0;
  virtual JobResult GetJobResult() const = 0;
  virtual std::vector<std::string> GetJobFiles() const = 0;
  virtual std::vector<LeftOutEntry> GetJobLeftOut() const = 0;
  virtual void SetExportPerChannel(bool perChannel) = 0;
  virtual void SetExportDecode(bool decode) = 0;
  virtual void SetExportActive(bool active) = 0;
  virtual bool IsExportActive() const = 0;
  virtual void SetExportChannel(int channel, bool on, bool withAudio) = 0;

  // Settings.
  virtual void SetNotifyWindow(HWND wnd, int channel) = 0;
  virtual void SetVideoWindow(HWND wnd, int channel) = 0;
  virtual void SetKeepProportion(bool keep) = 0;
  virtual void SetTimeZoneOffset(std::int64_t seconds) = 0;
  virtual void SetEdrUnits(int speedUnit, int temperatureUnit) = 0;
  virtual void SetEdrOsd(int left, int top, COLORREF color, int size, const CString& face) = 0;
  virtual void SetShowMusicOsd(bool on, COLORREF color) = 0;
  virtual void SetShowTimeOsd(int mode, COLORREF color) = 0;
  virtual void SetCutRect(int channel, int left, int top, int right, int bottom) = 0;
  virtual void SetDxva2Enabled(bool enabled, int channel) = 0;
  virtual void SetVideoEnabled(bool enabled, int channel) = 0;
  virtual void SetAudioEnabled(bool enabled, int channel) = 0;

  // State.
  virtual int GetVideoWidth(int channel) const = 0;
  virtual int GetVideoHeight(int channel) const = 0;
  virtual bool IsNoVideo(int channel) const = 0;
  virtual int IsDecoderOpen(int channel) const = 0;
  virtual std::int64_t GetShownChunk(int channel) const = 0;
  virtual void RedrawVideo() = 0;
  virtual std::int64_t GetDisplayTime(int channel) const = 0;
  virtual bool GetSensorBlock(BYTE* out) const = 0;
  // The car data of the channel's picture shown; false (out untouched) while no car-data frame is
  // current.
  virtual bool GetCarData(int channel, CarDataRecord& out) const = 0;
  virtual bool TakeSnapshot(bool jpeg, const CString& path) = 0;
  virtual SnapshotFailure GetSnapshotFailure() const = 0;
};

// Makes the program's engine: the one a test installed, else the real one; null when it cannot
// be made. Destroy ends it.
IIbpCtrl* CreateIbpCtrl();
// Installs how CreateIbpCtrl makes engines; an empty function restores the real engine.
void SetIbpCtrlFactory(std::function<IIbpCtrl*()> factory);
