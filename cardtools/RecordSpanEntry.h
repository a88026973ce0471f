// One recording of the open source as the main window keeps it, in list order: the card dialog
// appends one for each recording that it lists.
#pragma once

#include <cstdint>

struct IndexEntry;

struct RecordSpanEntry {
  IndexEntry* entry = nullptr;    // the recording's index entry, handed to the engine's Play
  std::int32_t unused1 = 0;       // not read by anyone
  std::int64_t start = 0;         // start time, seconds since 1970 (the entry's start date)
  std::int64_t end = 0;           // end time; the end of the range played
  std::int64_t startPosition = 0; // where a play starts; 0 = the beginning
  std::uint32_t firstChunk = 0;   // the entry's first chunk count, to find the recording playing
  std::int32_t unused6 = 0;       // not read by anyone
};
