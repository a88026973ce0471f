// Control ids of the main window (template 149) and the messages only it handles.
#pragma once

#include "platform/Types.h"

// Asks the main window to play the next recording; nothing in the program posts it.
constexpr UINT WM_PLAYER_PLAYNEXT = 0x5F6;

namespace mainid {

// Transport.
constexpr int kPrevFile = 1020;
constexpr int kPrevFrame = 1021;
constexpr int kBackward = 1022;
constexpr int kPause = 1023;
constexpr int kStop = 1024;
constexpr int kPlay = 1025;
constexpr int kNextFrame = 1026;
constexpr int kNextFile = 1027;
constexpr int kSlower = 1040;
constexpr int kFaster = 1041;
constexpr int kVolumeDown = 1225;
constexpr int kVolumeUp = 1226;
constexpr int kAudio1 = 1125;
constexpr int kAudio2 = 1127;
constexpr int kLayout4 = 1553;
constexpr int kLayout8 = 1554;
constexpr int kRestartRecord = 1564;
constexpr int kRangeStart = 1401;
constexpr int kRangeEnd = 1412;
// Sliders.
constexpr int kPositionSlider = 1045;
constexpr int kVolumeSlider = 1046;
constexpr int kSpeedSlider = 1047;
constexpr int kHiddenSlider = 246;
constexpr int kTimeRangeSlider = 1575;
constexpr int kBitmapVolume = 1601;
// Window and tools.
constexpr int kMinimize = 1028;
constexpr int kClose = 1029;
constexpr int kBackup = 1030;
constexpr int kConfiguration = 1031;
constexpr int kMapPage = 1032;
constexpr int kPlayback = 1033;
constexpr int kFormat = 1034;
constexpr int kWifi = 1035;
constexpr int kNoEffectFirst = 1036;  // 1036 to 1039 and 1100 have no effect
constexpr int kNoEffectLast = 1039;
constexpr int kNoEffect = 1100;
constexpr int kMapView = 1048;
constexpr int kGsensorPanel = 1049;
constexpr int kPlaybackTool = 1050;
constexpr int kRestore = 1051;
constexpr int kShowSpeedPanel = 1079;
constexpr int kShowVolumePanel = 1080;
constexpr int kSwapViews = 1081;
constexpr int kSwapViews2 = 1082;
constexpr int kFullVideo = 1083;
constexpr int kFullVideoSwap = 1084;
constexpr int kCarType = 1085;
constexpr int kSnapShot = 1099;
constexpr int kSpeedView = 1102;
constexpr int kBrakesMode = 1103;
constexpr int kPassengerMode = 1104;
constexpr int kRecordView = 1207;
constexpr int kCarDataPanel = 1539;
constexpr int kFileManager = 1626;
constexpr int kFilePad = 1627;
constexpr int kRecordListTab = 1671;
constexpr int kMapTab = 1673;
constexpr int kRecordListTab2 = 1675;
constexpr int kMapTab2 = 1677;
constexpr int kSettingsTab = 1690;
constexpr int kSettingsTab2 = 1693;
constexpr int kSlidePanel = 1744;
constexpr int kMenu = 1776;
constexpr int kCompassPanel = 1780;
constexpr int kCalendarPanel = 1788;
constexpr int kBackupSelected = 1790;
constexpr int kMapKey = 2156;
// Lists, grids and the calendar.
constexpr int kCalendar = 1000;
constexpr int kRecordList = 1005;
constexpr int kSettingsList = 1006;
constexpr int kHourGrid0 = 1501;   // hours 0 to 11
constexpr int kHourGrid12 = 1502;  // hours 12 to 23
constexpr int kMinuteGrid0 = 1503;   // minutes 0 to 29
constexpr int kMinuteGrid30 = 1504;  // minutes 30 to 59

}  // namespace mainid
