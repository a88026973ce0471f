#include "config/dialogs/VideoRecord.h"

#include "config/dialogs/OptionTables.h"
#include "settings/AppConfig.h"

namespace {

int DefaultEntry(LPCWSTR key, const OptionList& list) {
  const int value = g_appConfig.ReadDefaultInt(key, -1);
  return value >= 0 && value < list.Count() ? value : 0;
}

}  // namespace

void DefaultVideoRecord(VideoRecord* record) {
  *record = VideoRecord();
  record->carModeSet = SelectDefaultOptionTables();
  record->videoFormat = DefaultEntry(L"VideoFormat_DtValue", g_videoFormatOptions);
  record->frameRateFront = DefaultEntry(L"VideoFrameRateFront_DtValue", g_frameRateFrontOptions);
}
