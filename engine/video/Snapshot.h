// Snapshots: the picture a channel shows (with its on-screen text), enlarged by half with every
// pixel repeated, optionally marked with three lines of text, saved as a JPEG or BMP file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/String.h"
#include "platform/Types.h"

// The picture as read back from the presenter: rows top down, one 0xAARRGGBB word per pixel.
struct SnapshotPicture {
  std::span<const std::uint32_t> pixels;
  int width = 0;
  int height = 0;
};

// Why a snapshot was not saved, with the system's error number of the step that failed (0 when
// none is known).
struct SnapshotFailure {
  enum class Kind { kNone, kNoName, kNoPicture, kFolderNotMade, kNotWritten };
  Kind kind = Kind::kNone;
  int error = 0;
};

// Three texts drawn side by side near the bottom of the picture, in the picture's own
// coordinates, with the default font on an opaque background.
struct SnapshotTexts {
  bool draw = false;
  COLORREF color = 0;
  std::array<CString, 3> lines;
};

// The file a snapshot is saved as: the path without its last three characters (the caller's
// placeholder), then ".jpg" for JPEG or "_Ch1.bmp" for BMP. Empty for a path of fewer than three
// characters.
CString SnapshotFileName(const CString& path, bool jpeg);

// Makes the folder of the path (everything before its last '/') and its parents; true when that
// folder exists afterwards (else `error`, when given, receives the system's error number). A path
// without a folder needs none.
bool MakeSnapshotFolders(const CString& path, int* error = nullptr);

// Writes the snapshot file, the encoder chosen by the file name's extension; true only when the
// whole file was written. No file is left behind for an empty or inconsistent picture, a folder
// that does not exist, or an encoder failure; a name that is one of the files being played
// (`inputs`) or exists as anything but a regular file is refused. `error`, when given, receives
// the system's error number of a file step that failed.
bool WriteSnapshot(const SnapshotPicture& picture, const SnapshotTexts& texts, const CString& fileName,
                   const std::vector<std::string>& inputs = {}, int* error = nullptr);
