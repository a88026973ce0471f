#include "engine/export/JobFailure.h"

#include <cstring>

#include "engine/export/RecordCtx.h"

namespace {

// ": <the system's text of the error>", or nothing when none is known.
std::string Because(int error) { return error != 0 ? std::string(": ") + std::strerror(error) : std::string(); }

}  // namespace

JobFailureInfo OutputFailure(const plat::OutputFile& output) {
  switch (output.Refusal()) {
    case plat::OutputRefusal::kIsInput:
      return {JobFailure::kOutputIsInput, output.Name(), output.RefusedInput(), 0};
    case plat::OutputRefusal::kNotAFile:
      return {JobFailure::kOutputNotAFile, output.Name(), {}, 0};
    default:
      return {JobFailure::kOutputNotCreated, output.Name(), {}, output.LastError()};
  }
}

std::string JobFailureText(const JobFailureInfo& f) {
  switch (f.kind) {
    case JobFailure::kNone: return "no failure";
    case JobFailure::kOutputIsInput: return f.path + " is the same file as " + f.input + ", which the job reads";
    case JobFailure::kOutputNotAFile: return f.path + " exists and is not a regular file";
    case JobFailure::kOutputNotCreated: return f.path + " cannot be created" + Because(f.error);
    case JobFailure::kOutputNotWritten: return f.path + " could not be written" + Because(f.error);
    case JobFailure::kNoOutputName: return "no name was given for the output";
    case JobFailure::kEntries: return "no recording was chosen, or more than a backup holds";
    case JobFailure::kNotAStore:
      return "the job cannot read this source: backups read cards, .sd and .idx stores, and a transport stream is "
             "exported only with its pictures copied";
    case JobFailure::kOutputName:
      return f.path + " does not suit the job: an export is written to a name ending in .avi, a backup is not";
    case JobFailure::kFolderNotMade: return "the folder of " + f.path + " cannot be made";
    case JobFailure::kNoTimeRange: return "the recording has no time range to export";
    case JobFailure::kNotStarted: return "the engine could not open the store again or start its threads";
    case JobFailure::kReadError: return "the store could not be read to its end";
    case JobFailure::kNothingRead: return "no chunk of the recordings chosen could be read";
    case JobFailure::kNoPicture: return "the recording holds no picture that an export can start from";
    case JobFailure::kTooFewPictures:
      return "the recording gives " + std::to_string(f.pictures) + " pictures, fewer than the " +
             std::to_string(CRecordCtx::kMinFrames) + " an AVI file must hold: no AVI file was kept";
    case JobFailure::kNoGpsText: return "no GPS fix could be read from the recordings chosen";
  }
  return "unknown failure";
}

const char* LeftOutReasonText(LeftOutReason reason) {
  switch (reason) {
    case LeftOutReason::kNoData: return "its data lies outside the store";
    case LeftOutReason::kNoIntactChunk: return "none of its chunks could be read intact";
  }
  return "unknown reason";
}
