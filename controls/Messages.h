// Private messages of the control library, all in the WM_USER range and sent only to the
// library's own windows and their owners.
#pragma once

#include "platform/wnd/WinMessages.h"

// Posted by a skinned radio button that becomes checked to the other skinned buttons of its
// dialog group; no parameters.
constexpr UINT WM_SKINBUTTON_UNCHECK = 0x500;

// The slider protocol: posted to a slider's parent with wParam = the slider's kind and lParam =
// the value as a signed 32-bit number. The panels send WM_PANEL_COMMAND to the main window with
// the same kinds on their own.
constexpr UINT WM_SLIDER_PRESSED = 0xC00;  // left button pressed on the slider
constexpr UINT WM_PANEL_COMMAND = 0xC01;   // left button released after a press on the slider
constexpr UINT WM_SLIDER_DRAGGED = 0xC02;  // the value changed while the left button is held

// Slider kinds, chosen by the windows that own the sliders.
enum SliderKind : int {
  kSliderSeek = 1,
  kSliderVolume = 2,
  kSliderSpeedLevel = 3,
  kSliderVolumeLevel = 4,
  kSliderTimeRange = 5,
};
