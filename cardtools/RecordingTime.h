// How the card tools show a recording's times. Stored times are the recorder's wall-clock dates
// read as local time, so the local time of the stored seconds is the recorder's own clock text.
// Every list row and file name of the card tools goes through these, so that the way times are
// shown can change in one place.
#pragma once

#include <cstdint>

#include "platform/String.h"

// "YYYY-MM-DD hh:mm:ss"; empty for a time that cannot be shown.
CString RecordingTimeText(std::int64_t seconds);
// A length as "hh:mm:ss"; negative lengths show as 00:00:00.
CString RecordingLengthText(std::int64_t seconds);
// The start of an output file's name: "YYYYMMDD_hhmmss".
CString RecordingFileStem(std::int64_t seconds);
