// Where the program's own files live, and every folder the program chooses by default. With the
// environment variable PLAYER_APPDIR set, that one folder holds everything (Config.ini, Language/,
// mapdlg.htm, offset_min.bin), except that the language files beside the program are read when it
// has no Language/. Otherwise they lie beside the program, except that Config.ini and mapdlg.htm
// move to the user's configuration folder when the program's folder cannot be written (an
// installed program); Language/ and offset_min.bin always stay beside the program.
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

// The folders that the card tools use, each read from Config.ini when it is needed.
// "BackupPath": where backups and exports go; by default "BlackBox" in the user's videos folder.
CString BackupFolder();
// "SnapshotPath": where snapshots go; by default DefaultSnapshotFolder of the program's folder.
CString SnapshotFolder();
// "BackFilePath": the folder of the file pad and file manager; by default the backup folder.
CString BackupFilesFolder();

// The snapshot folder when the settings name none, with a trailing '/': "Snapshot/" in the
// program's folder when that can be written, else the program's own folder in the user's
// pictures folder. Empty when neither can be found.
CString DefaultSnapshotFolder(const CString& programFolder);

}  // namespace app
