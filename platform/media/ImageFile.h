// Image files: a bitmap saved as a JPEG (quality 75) or BMP file, the encoder chosen by the file
// name's extension.
#pragma once

#include <string>
#include <vector>

#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"

namespace plat {

// Saves the bitmap under the path; ".jpg" and ".jpeg" are JPEG, ".bmp" is BMP, in any letter
// case. True only when the whole file was written; otherwise no file is left (an existing file of
// that name stays as it was). False for a null or dead bitmap, another extension, a folder that
// does not exist, and a path that is one of the `inputs` or exists as anything but a regular file.
// `error`, when given, receives the system's error number of a file step that failed (0 for a
// failure of no file step).
bool SaveBitmapFile(HBITMAP bitmap, const CString& path, const std::vector<std::string>& inputs,
                    int* error = nullptr);

}  // namespace plat
