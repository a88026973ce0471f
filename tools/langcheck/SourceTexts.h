// The texts that the program's code hands to LoadLanguageString, found in its C++ sources
// without compiling them. A text counts when it reaches a translating function:
// - as a wide literal argument: LoadLanguageString(L"Play"), or through a function that passes its
//   text parameter on to a translating one (SetTooltipText(L"Play"), Warn(L"...")), found by
//   reading the functions' bodies;
// - through a variable of the calling function: caption = L"Backup" ... LoadLanguageString(caption),
//   for (const wchar_t* unit : {L"km/h", L"mph"}) ... LoadLanguageString(unit);
// - through a table: for (const ButtonRow& row : kButtons) b.SetTooltipText(row.tooltip) takes the
//   "tooltip" field of every row of kButtons (or every wide literal of a row when the field's
//   place is not known).
// Texts composed at run time are not seen here; tests record those (SetLanguageTextObserver).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace langcheck {

struct TextUse {
  std::wstring text;
  std::string where;  // "path:line"
};

// The translated texts of the sources, in file order; `root` is cut from the paths shown.
std::vector<TextUse> FindSourceTexts(const std::vector<std::filesystem::path>& files,
                                     const std::filesystem::path& root);

// The C++ sources (.cpp, .h) under the folders, sorted.
std::vector<std::filesystem::path> ListSources(const std::vector<std::filesystem::path>& folders);

}  // namespace langcheck
