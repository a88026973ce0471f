// INI profile files with the semantics the preferences and language files rely on: section and
// key names compare without case, the first of duplicate sections or keys wins, values are
// trimmed of spaces and tabs and lose one pair of outer quotes, and ';' starts a comment. A file
// is parsed once and answered from memory until it changes on disk (its size, modification time,
// device or inode; within two seconds of a change its bytes are compared as well), so that every
// call sees what the file holds now. Writes keep the file's layout, comments and order, end lines
// with CR LF and replace the file atomically. A file that starts with a UTF-16LE byte-order mark
// is read and written as UTF-16LE; others as UTF-8 (a UTF-8 mark is kept, and a file that is not
// valid UTF-8 is read in the ANSI code page).
//
// Only regular files are read, without ever waiting on the file (a FIFO is refused at once), and
// only up to a size limit; a file refused for either reads as missing, is never written, and is
// reported once on the standard error (ReportUnusedFile).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/String.h"
#include "platform/Types.h"

// The framework's calls. A null value deletes the key; a null key deletes the section.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out, DWORD size,
                               LPCWSTR file);
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, int defaultValue, LPCWSTR file);
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);

namespace plat {

// The largest file read at that path; 1 MiB for paths not given one.
void SetProfileSizeLimit(const CString& file, std::uint64_t maxBytes);

// A string value, cut to bufferChars - 1 characters as a read into a buffer of that size would be.
CString ProfileString(const CString& file, const CString& section, const CString& key, const CString& defaultValue,
                      int bufferChars = 260);
// The stored value of a key, trimmed and without outer quotes but not cut; nothing when the file,
// section or key is missing (so that callers can tell a missing key from an empty value).
std::optional<CString> ProfileValue(const CString& file, const CString& section, const CString& key);
// An integer value: optional sign and decimal digits up to the first other character; a missing
// key or an empty value gives the default, a value without digits gives 0.
int ProfileInt(const CString& file, const CString& section, const CString& key, int defaultValue);
bool WriteProfileString(const CString& file, const CString& section, const CString& key, const CString& value);
bool WriteProfileInt(const CString& file, const CString& section, const CString& key, int value);
bool DeleteProfileKey(const CString& file, const CString& section, const CString& key);
bool DeleteProfileSection(const CString& file, const CString& section);
// Section names in file order (first spelling of each); key names of a section in file order.
std::vector<CString> ProfileSections(const CString& file);
std::vector<CString> ProfileKeys(const CString& file, const CString& section);

}  // namespace plat
