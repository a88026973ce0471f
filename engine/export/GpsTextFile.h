// The GPS text export of a job: one text line for every chunk trailer whose GPS text gives a
// fix, into a file beside the job's output, named by the fix or by the PC's clock:
//
//   ABCDEFGH,20240302,040000,E121.500000,N25.050000,018,045,00,0,1,0,0,0000,00000000000000000000
//
// The line starts with the first 8 characters of the name given, then the fix's date and time
// moved 8 hours on, its longitude and latitude (a hemisphere letter followed by the signed value:
// "W-121.500000"), its speed in km/h and its course, both whole; the rest is fixed text. Readers
// of these files rely on that form.
#pragma once

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/export/JobFailure.h"
#include "engine/store/IndexBlock.h"
#include "platform/OutputFile.h"
#include "platform/String.h"

// Hours added to the time of every fix written.
constexpr int kGpsTextHoursAhead = 8;
constexpr std::size_t kGpsTextLabelLength = 8;

// How the file of a job is named and opened.
enum GpsTextFileMode {
  kGpsTextFileOfFix = 0,  // the first fix's date, hour and minute; a new file
  kGpsTextFileOfJob = 1,  // the PC's date and time; a new file
  kGpsTextFileOfDay = 2,  // the PC's date; every job of the day appends to it
};

// A fix as the lines give it: the parsed values, and its date and time moved kGpsTextHoursAhead on.
struct GpsTextFix {
  double latitude = 0.0;
  double longitude = 0.0;
  double speed = 0.0;  // km/h
  double course = 0.0;
  std::tm time{};
};

// The GPS text of a trailer (the first text, running on into the second, or the second alone;
// the second when the first is a car-info line, which holds "$,"); empty when it has none.
std::string_view TrailerGpsText(const IndexBlockA5& trailer);
// The fix of a GPS text; false when the text gives no position or no date and time.
bool GpsTextFixOf(std::string_view text, GpsTextFix* fix);
// The first 8 bytes of the name in the ANSI code page; a shorter name is padded with spaces.
std::string GpsTextLabel(const CString& name);
// True for a name that can start a GPS text file's name inside the job's folder: it has no
// folder separator (a slash or a backslash) and no "..".
bool IsGpsTextName(const CString& name);
// The line of a fix, whole however long its numbers make it.
std::string GpsTextLine(const std::string& label, const GpsTextFix& fix);
// The part of the file name that the mode gives, from the job's first fix or the PC's time `now`.
std::string GpsTextFileStamp(int fileMode, const GpsTextFix& fix, std::time_t now);

class CGpsTextFile {
 public:
  CGpsTextFile() = default;
  CGpsTextFile(const CGpsTextFile&) = delete;
  CGpsTextFile& operator=(const CGpsTextFile&) = delete;
  ~CGpsTextFile();

  // Turns the export on for the next job with a file mode (0 to 2) and the name that starts the
  // file names and labels the lines; false and off for any other mode and for a name that is not
  // a file name (IsGpsTextName).
  bool Start(int fileMode, const CString& name);
  bool IsOn() const;
  // A job begins: its files go into this folder (empty: the working folder), and must never be
  // one of the files it reads.
  void BeginJob(const std::string& folder, const std::vector<std::string>& inputs);
  // Writes the line of the trailer's fix, opening the job's file at its first line (under a
  // temporary name; a file of the day starts as a copy of the day's file). True when there was
  // nothing to write or it was written; false when the file could not be opened or written.
  bool Write(const IndexBlockA5& trailer);
  // Whether a line was written since the last BeginJob.
  bool WroteLines() const;
  // The job ends: the file is closed and the export turned off; with `keep` the file takes its
  // name, else it is removed (a file of the day stays as it was). False when a write failed.
  bool End(bool keep);
  // The files kept since the last BeginJob.
  std::vector<std::string> Files() const;
  // Why the file could not be opened, written or kept.
  JobFailureInfo Failure() const;

 private:
  bool Open(const GpsTextFix& fix);
  void WriteFailed();

  mutable std::mutex lock_;
  bool on_ = false;
  int fileMode_ = kGpsTextFileOfFix;
  CString name_;
  std::string label_;
  std::string folder_;
  std::vector<std::string> inputs_;
  plat::OutputFile output_;
  std::FILE* file_ = nullptr;
  bool wrote_ = false;
  bool failed_ = false;
  JobFailureInfo failure_;
  std::vector<std::string> files_;
};
