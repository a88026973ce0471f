// The choice lists of the recorder's settings pages (video format, front and rear frame rate, car
// mode). Which lists a build offers is chosen at run time from the "Default" section of
// Config.ini by SelectDefaultOptionTables.
#pragma once

// A list of texts ending with a null pointer, and its size in bytes as the settings pages count
// it: four bytes per entry, the null end included.
struct OptionList {
  const wchar_t* const* items = nullptr;
  int sizeBytes = 0;

  int Count() const { return sizeBytes / 4 - 1; }
};

extern OptionList g_videoFormatOptions;
extern OptionList g_frameRateFrontOptions;
extern OptionList g_frameRateRearOptions;
extern OptionList g_carModeOptions;

// Reads "VideoFormat_DfSet", "VideoFrameRateFront_DfSet", "VideoFrameRateRear_DfSet" and
// "CarMode_DfSet" in that order, sets the four lists from them and returns the car-mode value.
int SelectDefaultOptionTables();
