#include "settings/LanguageTable.h"

const LanguageRow LanguageTable[kLanguageCount] = {
    {1, "English", L"en_US", L"English", L"English"},
    {2, "Chinese", L"zh_CN", L"Chinese (P.R.C.)", L"\u7B80\u4F53\u4E2D\u6587"},
    {3, "Arabic", L"ar_AE", L"Arabic (UAE)", L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629"},
    {4, "Basque", L"ba_BA", L"Basque", L"Euskal"},
    {5, "Bulgarian", L"bg_BG", L"Bulgarian", L"\u0411\u044A\u043B\u0433\u0430\u0440\u0441\u043A\u0438"},
    {6, "Catalan", L"ca_ES", L"Catalan", L"Catal\u00E0"},
    {7, "Czech", L"cz_CZ", L"Czech", L"\u010Cesky"},
    {8, "Danish", L"da_DK", L"Danish", L"Dansk"},
    {9, "German", L"de_DE", L"German (Germany)", L"Deutsch"},
    {10, "Greek", L"el_GR", L"Greek", L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC"},
    {11, "Spanish", L"es_ES", L"Spanish (Castilian)", L"Espa\u00F1ol Gen\u00E9rico"},
    {12, "Asturian", L"es_AS", L"Asturian", L"asturianu"},
    {13, "Estonian", L"et_EE", L"Estonian", L"eesti keel"},
    {14, "Finnish", L"fi_FI", L"Finnish", L"Suomi"},
    {15, "French", L"fr_FR", L"French (France)", L"le fran\u00E7ais"},
    {16, "French", L"fr_BR", L"French (Breton)", L"Brezhoneg"},
    {17, "Galician", L"gl_ES", L"Galician", L"galego"},
    {18, "Hebrew", L"he_IL", L"Hebrew", L"\u05E2\u05B4\u05D1\u05B0\u05E8\u05B4\u05D9\u05EA Ivrit"},
    {19, "Hungarian", L"hu_HU", L"Hungarian", L"magyar"},
    {20, "Italian", L"it_IT", L"Italian (Italy)", L"Italiano"},
    {21, "Japanese", L"jp_JP", L"Japanese", L"\u65E5\u672C\u8A9E"},
    {22, "Korean", L"ko_KR", L"Korean", L"\uD55C\uAD6D\uC5B4"},
    {23, "Lithuanian", L"lt_LT", L"Lithuanian", L"lietuvi\u0173 kalba"},
    {24, "Latvian", L"lv_LV", L"Latvian", L"latvie\u0161u valoda"},
    {25, "Maltese", L"mt_MT", L"Maltese", L"Lingwa malta"},
    {26, "Norwegian", L"nb_NO", L"Norwegian (Bokmal)", L"bokm\u00E5l"},
    {27, "Norwegian", L"nn_NO", L"Norwegian (Nynorsk)", L"nynorsk"},
    {28, "Dutch", L"nl_NL", L"Dutch (Netherlands)", L"Nederlands"},
    {29, "Polish", L"pl_PL", L"Polish", L"j\u0119zyk polski"},
    {30, "Portuguese", L"pt_BR", L"Portuguese (Brazil)", L"Portugu\u00EAs-Brasil"},
    {31, "Portuguese", L"pt_PT", L"Portuguese (Portugal)", L"Portugu\u00EAs"},
    {32, "Rumanisch", L"ro_RO", L"Rumanisch", L"limba rom\u00E2n\u0103"},
    {33, "Russian", L"ru_RU", L"Russian", L"\u0440\u0443\u0441\u0441\u043A\u0438\u0439 \u044F\u0437\u044B\u043A"},
    {34, "Slovenian", L"sl_SI", L"Slovenian", L"sloven\u0161\u010Dina"},
    {35, "Albanian", L"sq_AL", L"Albanian (Albania)", L"Gjuha shqipe"},
    {36, "Swedish", L"sv_SE", L"Swedish", L"svenska"},
    {37, "Turkish", L"tr_TR", L"Turkish", L"T\u00FCrk\u00E7e"},
    {38, "Ukrainian", L"ua_UA", L"Ukrainian",
     L"\u0443\u043A\u0440\u0430\u0457\u043D\u0441\u044C\u043A\u0430 \u043C\u043E\u0432\u0430"},
    {39, "Traditional", L"zh_TW", L"Chinese (Taiwan)", L"\u7E41\u9AD4\u4E2D\u6587"},
    {40, "Vietnamese", L"vi_VN", L"Vietnamese", L"ti\u1EBFng Vi\u1EC7t"},
    {41, "Thai", L"th_TH", L"Thailand", L"\u0E44\u0E17\u0E22"},
};

std::optional<UINT> FindLanguageRow(std::wstring_view code) {
  for (UINT row = 0; row < kLanguageCount; ++row) {
    if (code == LanguageTable[row].code) return row;
  }
  return std::nullopt;
}
