// The recorder of an export: writes a channel's frames into AVI files (the recorder's H.264
// copied sample by sample, or pictures re-encoded to MPEG-4), its sound as 16-bit PCM, and its
// car data as an SRT subtitle file and a CSV file beside each AVI file. A file is split after
// 500 MiB of video, at the next key frame. Every operation holds the recorder's lock, so the
// source thread, the video thread and the UI thread may call it.
//
// Each file is written under a temporary name beside its own; the files of an export take their
// names together when it stops, so that an export cut short or failed leaves none under a name
// that looks complete. An AVI file of fewer than 25 pictures is removed; its side files stay.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/export/AviFile.h"
#include "engine/export/JobFailure.h"
#include "engine/gps/CarDataFrame.h"
#include "engine/audio/G726Decoder.h"
#include "engine/stream/RecordSink.h"
#include "engine/export/RecordText.h"
#include "platform/File.h"
#include "platform/Message.h"
#include "platform/OutputFile.h"
#include "platform/String.h"
#include "platform/Sync.h"
#include "platform/media/XvidEncoder.h"

// Posted to the notify window when an export file is created and when it is finished. lParam
// points at the file's base name (wide text, without ".avi"); the recorder keeps that text for
// its own lifetime.
constexpr UINT WM_PLAYER_EXPORTSTART = 0x59A;
constexpr UINT WM_PLAYER_EXPORTDONE = 0x59B;

// What the engine tells the recorder about an export.
struct RecordSettings {
  CString exportName;  // the output path; a trailing ".avi" is not part of the base name
  bool reencode = false;  // pictures come through WritePicture and are encoded to MPEG-4
  CarTextUnits units;     // of the subtitles
  std::int64_t timeZoneOffset = 0;  // the chosen zone's offset, in which the CSV file shows times
  HWND notifyWnd = nullptr;
  WPARAM notifyParam = 0;
  // The files the export reads, which none of its files may be.
  std::vector<std::string> inputs;
  // Called, under the recorder's lock, when a sample could not be written; the export ends.
  std::function<void()> onWriteFailed;
};

// The outcome of an export, from Begin to Stop.
struct RecordResult {
  int filesWritten = 0;  // AVI files finished with 25 pictures or more
  int filesRemoved = 0;  // AVI files removed for holding fewer than 25 pictures
  std::uint32_t picturesOfRemoved = 0;  // the pictures of the last file removed so
  bool failed = false;   // an AVI file could not be created, written or kept
  JobFailureInfo failure;  // why, when it failed
  std::vector<std::string> files;  // the files kept under their names: AVI, SRT and CSV
};

class CRecordCtx : public CCritSecs, public IRecordSink {
 public:
  static constexpr std::uint64_t kSplitBytes = 524288000;
  static constexpr std::uint32_t kMinFrames = 25;

  CRecordCtx();
  ~CRecordCtx() override;

  // Starts an export with these settings; an export still running is stopped first.
  void Begin(const RecordSettings& settings);
  // An H.264 frame of a copied export. Recording starts at a key-frame group; the group's parts
  // are gathered and written as one key sample when its IDR picture arrives; a predicted frame
  // is one sample. Ignored in a re-encoded export.
  void WriteVideo(const RecordFrame& frame) override;
  // A decoded picture of a re-encoded export. Pictures of another size than the first are
  // passed over. Ignored in a copied export.
  void WritePicture(const plat::YuvPicture& picture, std::int32_t time, int fps, std::uint64_t stampUs) override;
  // A sound frame of the given item type: 16-bit PCM is written as it is, G.726 decoded first;
  // other types are not written. Sound is written only while a file is open.
  void WriteAudio(const std::uint8_t* data, std::uint32_t length, int coding) override;
  // A car-data frame (its 00 00 00 04 header included): one CSV line, and a subtitle cue when
  // its second is over.
  void WriteSideData(const RecordFrame& frame) override;
  // Finishes the current file and ends the export. With `keepFiles`, and unless a file failed,
  // the files finished take their names; otherwise they are removed.
  RecordResult Stop(bool keepFiles = true);

  // Lets tests split small files.
  void SetSplitBytesForTest(std::uint64_t bytes);

 private:
  bool Exporting() const { return !m_settings.exportName.IsEmpty(); }
  CString BaseName() const;
  bool StartRecording();
  void WriteFrame(const RecordFrame& frame);
  bool WriteGroupPart(const RecordFrame& frame, std::uint32_t& written);
  bool CreateFile(const RecordFrame& frame, const std::uint8_t* group, std::uint32_t groupBytes);
  void WriteFailed();
  void Fail(const JobFailureInfo& why);
  void FinishFile();
  bool FinishAvi();
  void CloseSideFile(plat::File& file, plat::OutputFile& output, bool keep, bool failed);
  void KeepFinished(bool keep);
  bool WriteDecodedSound(const std::uint8_t* data, std::uint32_t length);
  void Notify(UINT msg) const;
  void WriteCues(std::int64_t seconds);
  void WriteCsv(const CarDataRecord& record);
  bool OpenSideFile(plat::File& file, plat::OutputFile& output, bool& failed, const wchar_t* extension);
  void WriteSide(plat::File& file, plat::OutputFile& output, bool& failed, const std::string& text);

  RecordSettings m_settings;
  CAviFile m_avi;
  plat::XvidEncoder m_encoder;
  G726Decoder m_g726;
  int m_coding = 0;  // the sound's item type, for which the ADPCM decoder is set
  std::uint64_t m_splitBytes = kSplitBytes;
  RecordResult m_result;
  int m_finished = 0;  // files finished in this export

  // The work area: key-frame group parts, then decoded sound.
  std::unique_ptr<std::uint8_t[]> m_area;
  std::uint32_t m_gathered = 0;
  std::int32_t m_groupTime = 0;  // of the group's first part

  // The current file; the files finished, under their temporary names.
  plat::OutputFile m_aviOut;
  std::string m_aviPath;
  std::vector<plat::OutputFile> m_finishedFiles;
  std::uint64_t m_bytes = 0;
  std::uint32_t m_frames = 0;
  bool m_splitPending = false;
  bool m_recording = false;
  bool m_hasFirstTime = false;
  std::int32_t m_firstTime = 0;
  std::int32_t m_currentTime = 0;
  std::uint64_t m_firstStamp = 0;  // of the first and last picture with a stamp
  std::uint64_t m_lastStamp = 0;
  std::uint32_t m_firstStampFrame = 0;  // their picture numbers
  std::uint32_t m_lastStampFrame = 0;
  const std::wstring* m_name = nullptr;  // the base name posted with the file's messages
  std::deque<std::wstring> m_postedNames;

  // The side files of the current file.
  plat::OutputFile m_srtOut;
  plat::OutputFile m_csvOut;
  plat::File m_srt;
  plat::File m_csv;
  bool m_srtFailed = false;
  bool m_csvFailed = false;
  int m_cueCounter = 0;
  std::int64_t m_lastSecond = 0;
  std::int64_t m_firstRecordSecond = 0;
  std::vector<CarDataRecord> m_records;  // of the current second
};
