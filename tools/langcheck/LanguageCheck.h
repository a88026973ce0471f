// The check of the language files against the texts the program translates:
// - every text that the code or a dialog template hands to LoadLanguageString is a key of
//   en_US.ini, so en_US.ini lists every key;
// - every language of the table has its file, with exactly the keys of en_US.ini, and no file has a
//   line that the program would read otherwise than meant;
// - every value keeps the format specifiers of its key, in their order;
// - every other language translates: a value equal to its key or to the English value must be
//   listed in the file's section "Same As English" (names, and words that are the same in that
//   language), and values are written in the language's script.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/langcheck/SourceTexts.h"

namespace langcheck {

// The texts the program translates, from the sources of its layers and its dialog templates.
std::vector<TextUse> FindProgramTexts(const std::filesystem::path& root);

// What is wrong with the language folder, one message a line; empty when all is well.
std::vector<std::string> CheckLanguageFolder(const std::filesystem::path& folder, const std::vector<TextUse>& texts);

}  // namespace langcheck
