// Records every text that LoadLanguageString is asked for while it lives, in whatever language
// the run is, so that a window test can show that each key the windows build at run time (a
// caption chosen by mode, a table's tooltip, a composed message) exists in the English language
// file, which lists every key. One recorder at a time.
//
//   LanguageKeyRecorder keys;
//   ... start the window and run its commands ...
//   EXPECT_THAT(keys.MissingFromEnglishFile(), ::testing::IsEmpty());
#pragma once

#include <set>
#include <string>
#include <vector>

class LanguageKeyRecorder {
 public:
  LanguageKeyRecorder();
  LanguageKeyRecorder(const LanguageKeyRecorder&) = delete;
  LanguageKeyRecorder& operator=(const LanguageKeyRecorder&) = delete;
  ~LanguageKeyRecorder();

  // The texts asked for so far.
  std::set<std::wstring> Keys() const;
  // Those that the program's English language file (rc/Language/en_US.ini) lacks, as its reader
  // matches keys; a text without a letter needs no key and is not listed.
  std::vector<std::wstring> MissingFromEnglishFile() const;
};
