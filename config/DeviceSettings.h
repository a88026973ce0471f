// The recorder's settings as the player holds them for an opened card: its configuration block and
// the daylight-saving hours. The recorder writes its settings into files of the card's "setting/"
// folder in a format of its own, which this program does not read: a card's settings are always
// the defaults (no password, no daylight saving).
#pragma once

#include "platform/String.h"
#include "recorder/CardBlocks.h"

class DeviceSettings {
 public:
  // The defaults: the default configuration block (generation 0), no daylight saving.
  DeviceSettings();

  // The daylight-saving hours of the settings, also written through `hours` when it is given.
  int GetModeValue(int* hours = nullptr) const;

  CardConfigBlock& Config() { return config_; }
  const CardConfigBlock& Config() const { return config_; }

 private:
  CardConfigBlock config_;
  int dstHours_ = 0;
};

// Fills the settings from the settings files of the card whose top folder is `cardPath`. The
// files' format is the recorder's own and unknown here, so every setting gets its default.
void LoadAllSettingFiles(DeviceSettings* settings, const CString& cardPath);
