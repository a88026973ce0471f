// The main window's preferences from Config.ini and the card's configuration block: the time
// zone, the on-screen text, the channel settings and the display settings.
#include "ui/MainDlg.h"

#include "config/TimeZone.h"
#include "engine/IIbpCtrl.h"
#include "settings/AppConfig.h"

namespace {

constexpr int kNoTimeZoneEx = -1;
constexpr COLORREF kOsdColour = 255;
constexpr int kChannel = 0;  // the engine plays one channel
// Defaults of the camera keys "1" to "5" of sections "Camera-1" and "Camera-2".
constexpr std::array<int, 5> kCameraDefaults{1, 3, 4, 255, 255};

CString ChannelSection(int channel) {
  CString section;
  section.Format(L"Channel-%.2d", channel + 1);
  return section;
}

}  // namespace

// A card block whose mode text begins with "1" names its zone by offset in "TimeZoneEx" (an offset
// of no row selects the PC's own zone); otherwise, or when that key is unset, "TimeZone" names
// the row.
void CMainDlg::LoadTimeZone() {
  const CString mode = cardConfig_.ModeText();
  const int extended = !mode.IsEmpty() && mode[0] == L'1' ? g_appConfig.ReadConfigInt(L"TimeZoneEx", kNoTimeZoneEx)
                                                          : kNoTimeZoneEx;
  if (extended != kNoTimeZoneEx) {
    SetTimeZoneIndex(TimeZoneIndexFromOffset(extended));
  } else {
    SetTimeZoneIndex(g_appConfig.ReadConfigInt(L"TimeZone", 0));
  }
  if (engine_ != nullptr) engine_->SetTimeZoneOffset(GetTimeZoneOffset());
}

void CMainDlg::LoadOsdConfig() {
  if (const int time = g_appConfig.ReadConfigInt(L"ShowOSDTime", 0); time != 0) engine_->SetShowTimeOsd(time, kOsdColour);
  if (g_appConfig.ReadConfigInt(L"ShowOSDMusic", 0) != 0) engine_->SetShowMusicOsd(true, kOsdColour);
  if (g_appConfig.ReadConfigInt(L"ShowEDR", 1) != 0) {
    engine_->SetEdrOsd(g_appConfig.ReadConfigInt(L"ShowEDR_Left", -190), g_appConfig.ReadConfigInt(L"ShowEDR_Top", 10),
                       static_cast<COLORREF>(g_appConfig.ReadConfigInt(L"ShowEDR_Color", 255)),
                       g_appConfig.ReadConfigInt(L"ShowEDR_FontSize", 14),
                       g_appConfig.ReadConfigString(L"ShowEDR_FontName", L"Arial"));
  }
  edrSpeedUnit_ = g_appConfig.ReadConfigInt(L"SetEDR_Speed", 0);
  edrTemperatureUnit_ = g_appConfig.ReadConfigInt(L"SetEDR_Temperature", 0);
  engine_->SetEdrUnits(edrSpeedUnit_, edrTemperatureUnit_);
}

// The channel window is made embedded and handed to the engine with the channel's settings; the
// camera keys are kept for the configuration pages.
void CMainDlg::LoadChannelConfig() {
  channelWindow_.SetMainWindow(this);
  channelWindow_.SetChannel(kChannel);
  channelWindow_.CreateEmbedded();
  engine_->SetNotifyWindow(m_hWnd, kChannel);
  engine_->SetVideoWindow(channelWindow_.GetSafeHwnd(), kChannel);
  const CString section = ChannelSection(kChannel);
  engine_->SetAudioEnabled(g_appConfig.ReadInt(section, L"EnableAudio", kChannel == 0 ? 1 : 0) != 0, kChannel);
  engine_->SetVideoEnabled(g_appConfig.ReadInt(section, L"EnableVideo", 1) != 0, kChannel);
  engine_->SetDxva2Enabled(g_appConfig.ReadInt(section, L"EnableDXVA2", 0) != 0, kChannel);
  engine_->SetCutRect(kChannel, g_appConfig.ReadInt(section, L"Cut_Left", 0), g_appConfig.ReadInt(section, L"Cut_Top", 0),
                      g_appConfig.ReadInt(section, L"Cut_Right", 0), g_appConfig.ReadInt(section, L"Cut_Bottom", 0));
  for (size_t camera = 0; camera < 2; ++camera) {
    const CString cameraSection = camera == 0 ? L"Camera-1" : L"Camera-2";
    for (size_t key = 0; key < kCameraDefaults.size(); ++key) {
      CString name;
      name.Format(L"%d", static_cast<int>(key + 1));
      cameraWords_[camera * kCameraDefaults.size() + key] = g_appConfig.ReadInt(cameraSection, name, kCameraDefaults[key]);
    }
  }
}

void CMainDlg::LoadDisplayConfig() { keepProportion_ = g_appConfig.ReadConfigInt(L"DisplayInProportion", 0) != 0; }

// The G-sensor samples of every sensor block go to "output_gsensor.csv" in the working folder
// when "Debug_output_gsensor" asks for it; the file takes that name when the window closes.
void CMainDlg::OpenDebugCsv() {
  if (g_appConfig.ReadConfigInt(L"Debug_output_gsensor", 0) == 0) return;
  if (!gsensorCsv_.Create("output_gsensor.csv", {})) plat::ReportNotWritten(gsensorCsv_);
}
