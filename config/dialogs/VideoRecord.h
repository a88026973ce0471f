// The video settings record of the settings pages: which entry of each option list is chosen.
#pragma once

struct VideoRecord {
  int videoFormat = 0;     // index into g_videoFormatOptions
  int frameRateFront = 0;  // index into g_frameRateFrontOptions
  int frameRateRear = 0;   // index into g_frameRateRearOptions
  int carMode = 0;         // index into g_carModeOptions
  int carModeSet = 2;      // the "CarMode_DfSet" value the lists were chosen by
};

// Chooses the option lists (SelectDefaultOptionTables) and fills the record with its defaults:
// "VideoFormat_DtValue" and "VideoFrameRateFront_DtValue" of the "Default" section where they name
// an entry of their list, else the first entry; the first rear rate and car mode.
void DefaultVideoRecord(VideoRecord* record);
