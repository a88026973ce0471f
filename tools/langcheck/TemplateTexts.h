// The texts of the dialog templates (rc/dialogs/*.json): the windows built from them translate
// their caption and their controls' texts through LoadLanguageString when they start. Texts
// without a letter ("...") need no translation and are left out.
#pragma once

#include <filesystem>
#include <vector>

#include "tools/langcheck/SourceTexts.h"

namespace langcheck {

std::vector<TextUse> FindTemplateTexts(const std::filesystem::path& folder, const std::filesystem::path& root);

}  // namespace langcheck
