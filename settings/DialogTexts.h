// Dialog templates hold their texts in English; each dialog translates them when it opens.
#pragma once

#include <initializer_list>

class CWnd;

// Translates the window's title and the texts of the items through the language table.
void TranslateDialogTexts(CWnd& dialog, std::initializer_list<int> items);
