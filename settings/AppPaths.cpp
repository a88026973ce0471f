#include "settings/AppPaths.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/File.h"
#include "platform/UserFolders.h"
#include "settings/AppConfig.h"

namespace app {
namespace {

constexpr char kSettingsFolderName[] = "dravik2-player";
constexpr char kLanguageFolderName[] = "Language/";
constexpr wchar_t kProgramName[] = L"Dravik2 Player";

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

CString WithSlash(const CString& folder) {
  return !folder.IsEmpty() && folder[folder.GetLength() - 1] == L'/' ? folder : folder + L'/';
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// "$XDG_CONFIG_HOME/dravik2-player/", "~/.config/dravik2-player/" when that is unset; empty
// without a home folder.
std::string UserSettingsFolder() {
  std::string base = Environment("XDG_CONFIG_HOME");
  if (base.empty()) {
    const std::string home = Environment("HOME");
    if (home.empty()) return "";
    base = WithSlash(home) + ".config";
  }
  const std::string folder = WithSlash(WithSlash(base) + kSettingsFolderName);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace

AppFolders FindAppFolders() {
  const std::string program = WithSlash(plat::ExecutableDir());
  const CString programLanguages(program + kLanguageFolderName);
  const std::string chosen = Environment("PLAYER_APPDIR");
  if (!chosen.empty()) {
    const std::string languages = WithSlash(chosen) + kLanguageFolderName;
    const CString folder(WithSlash(chosen));
    return {folder, folder, plat::IsDirectory(languages) ? CString(languages) : programLanguages};
  }
  if (plat::IsWritableDir(program)) return {CString(program), CString(program), programLanguages};
  const std::string settings = UserSettingsFolder();
  return {CString(program), CString(settings.empty() ? program : settings), programLanguages};
}

CString ConfigIniPath() { return g_appConfig.GetSettingsFolder() + L"Config.ini"; }

CString MapPagePath() { return g_appConfig.GetSettingsFolder() + L"mapdlg.htm"; }

CString GpsOffsetTablePath() { return g_appConfig.GetAppFolder() + L"offset_min.bin"; }

CString LanguageFolder() { return g_appConfig.GetLanguageFolder(); }

CString BackupFolder() {
  const std::string videos = plat::UserVideosDir();
  const CString fallback = videos.empty() ? CString() : CString(videos + "/BlackBox");
  return g_appConfig.ReadConfigString(L"BackupPath", fallback);
}

CString SnapshotFolder() {
  return g_appConfig.ReadConfigString(L"SnapshotPath", DefaultSnapshotFolder(g_appConfig.GetAppFolder()));
}

CString BackupFilesFolder() { return g_appConfig.ReadConfigString(L"BackFilePath", BackupFolder()); }

CString DefaultSnapshotFolder(const CString& programFolder) {
  const CString program = WithSlash(programFolder);
  const std::string besideProgram = (program + L"Snapshot").ToUtf8();
  std::error_code ec;
  const bool usable =
      plat::IsWritableDir(besideProgram) ||
      (!std::filesystem::exists(besideProgram, ec) && plat::IsWritableDir(program.ToUtf8()));
  if (usable) return program + L"Snapshot/";
  const std::string pictures = plat::UserPicturesDir();
  if (pictures.empty()) return CString();
  return CString(pictures) + L'/' + kProgramName + L'/';
}

}  // namespace app
