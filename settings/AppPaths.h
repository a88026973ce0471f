// Where the program's own files live. With the environment variable PLAYER_APPDIR set, that one
// folder holds everything (Config.ini, Language/, mapdlg.htm, offset_min.bin), except that the
// language files beside the program are read when it has no Language/. Otherwise they lie
// beside the program, except that Config.ini and mapdlg.htm move to the user's configuration
// folder when the program's folder cannot be written (an installed program); Language/ and
// offset_min.bin always stay beside the program.
#pragma once

#include "platform/String.h"

namespace app {

struct AppFolders {
  CString program;    // offset_min.bin, with a trailing '/'
  CString settings;   // Config.ini and mapdlg.htm, with a trailing '/'
  CString languages;  // the language files: a Language/ folder, with a trailing '/'
};

// The folders of this run, from the environment and the running program's place. The user's
// configuration folder is made when it is chosen and missing.
AppFolders FindAppFolders();

// The program's files, in g_appConfig's folders.
CString ConfigIniPath();
CString MapPagePath();
CString GpsOffsetTablePath();
CString LanguageFolder();

}  // namespace app
