// Arbitrary bytes as a profile file: every section and key is read back in each form, then a key
// is written and must read back, in place, without losing a section.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/Profile.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path = "/tmp/profile_fuzz_" + std::to_string(::getpid()) + ".ini";
  return path;
}

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void ReadEverything(const CString& file, DWORD bufferChars) {
  for (const CString& section : plat::ProfileSections(file)) {
    for (const CString& key : plat::ProfileKeys(file, section)) {
      Require(plat::ProfileValue(file, section, key).has_value());
      Require(plat::ProfileString(file, section, key, L"", 260).GetLength() <= 259);
      plat::ProfileInt(file, section, key, 0);
      wchar_t buffer[16];
      const DWORD length = GetPrivateProfileStringW(section, key, L"default", buffer, bufferChars, file);
      Require(length < bufferChars && buffer[length] == L'\0');
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = ScratchFile();
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  const CString file(path);
  ReadEverything(file, size > 0 ? data[0] % 16 + 1 : 16);

  const size_t sections = plat::ProfileSections(file).size();
  Require(plat::WriteProfileString(file, L"Config", L"Language File", L"de_DE"));
  Require(plat::ProfileString(file, L"config", L"LANGUAGE FILE", L"") == L"de_DE");
  const size_t keys = plat::ProfileKeys(file, L"Config").size();
  Require(plat::WriteProfileInt(file, L"CONFIG", L"language file", -190));
  Require(plat::ProfileInt(file, L"Config", L"Language File", 0) == -190);
  Require(plat::ProfileKeys(file, L"Config").size() == keys);
  Require(plat::ProfileSections(file).size() >= sections);
  ReadEverything(file, 16);
  std::remove(path.c_str());
  return 0;
}
