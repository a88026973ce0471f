#include "config/DeviceSettings.h"

DeviceSettings::DeviceSettings() { DefaultCardConfigBlock(&config_, 0); }

int DeviceSettings::GetModeValue(int* hours) const {
  if (hours) *hours = dstHours_;
  return dstHours_;
}

void LoadAllSettingFiles(DeviceSettings* settings, const CString&) {
  if (settings) *settings = DeviceSettings();
}
