// The folders and texts the card tools share. Every value is read from Config.ini through
// g_appConfig when it is needed.
#pragma once

#include <initializer_list>

#include "platform/String.h"

class CWnd;

// "BackupPath": where backups and exports go; by default "BlackBox" in the user's videos folder.
CString BackupFolder();
// "SnapshotPath": where snapshots go; by default the engine's snapshot folder.
CString SnapshotFolder();
// "BackFilePath": the folder of the file pad and file manager; by default the backup folder.
CString BackupFilesFolder();

// Translates the window's title and the texts of the items, which the templates hold in English.
void TranslateDialogTexts(CWnd& dialog, std::initializer_list<int> items);
