#include "engine/state/OsdSettings.h"

#include <algorithm>

LOGFONTW EdrFont(int size, const CString& face) {
  LOGFONTW font = DefaultOsdFont();
  font.lfHeight = size;
  font.lfWeight = FW_HEAVY;
  const int length = std::min(face.GetLength(), LF_FACESIZE - 1);
  std::copy_n(face.GetString(), length, font.lfFaceName);
  return font;
}

LOGFONTW DefaultOsdFont() {
  LOGFONTW font;
  font.lfHeight = 24;
  font.lfCharSet = DEFAULT_CHARSET;
  return font;
}
