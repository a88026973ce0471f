// Why a job failed or did not start, told in words by the tools that run jobs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/stream/SourceJob.h"
#include "platform/OutputFile.h"

enum class JobFailure {
  kNone,
  kOutputIsInput,     // an output's name is, links followed, a file the job reads (path, input)
  kOutputNotAFile,    // an output's name exists and is not a regular file (path)
  kOutputNotCreated,  // an output could not be created (path, error)
  kOutputNotWritten,  // an output could not be written or completed (path, error)
  kNoOutputName,      // no name was given for the output
  kOutputName,        // the name does not suit the job: an export's must end in ".avi", a backup's not
  kEntries,           // no recording was chosen, or more than a backup holds
  kNotAStore,         // the job cannot read the source: not a store, or a transport stream asked more
  kFolderNotMade,     // the folders of an output's name could not be made (path)
  kNoTimeRange,       // the export's recording has no time range
  kNotStarted,        // the engine could not start its threads or open its store again
  kReadError,         // the store could not be read to its end
  kNothingRead,       // no chunk of the recordings chosen could be read
  kNoPicture,         // the export met no picture to start a file from
  kTooFewPictures,    // the export's pictures were fewer than an AVI file holds (pictures)
  kNoGpsText,         // no GPS fix was found in the recordings chosen
};

struct JobFailureInfo {
  JobFailure kind = JobFailure::kNone;
  std::string path;
  std::string input;
  int error = 0;  // errno of the step that failed; 0 when none is known
  std::uint32_t pictures = 0;  // kTooFewPictures: the pictures the recording gave
};

// Why an output file could not be created, from its refusal.
JobFailureInfo OutputFailure(const plat::OutputFile& output);
// The failure in words, such as "out.avi is the same file as trip.sd, which the job reads".
std::string JobFailureText(const JobFailureInfo& failure);
// Why a backup left a recording out, in words, such as "none of its chunks could be read intact".
const char* LeftOutReasonText(LeftOutReason reason);
