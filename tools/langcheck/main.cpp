// langcheck [--texts] [ROOT]: checks ROOT/rc/Language against the texts that the sources and the
// dialog templates under ROOT (default: the working folder) hand to LoadLanguageString, and prints
// one problem a line; exit status 1 when there is any. With --texts it lists those texts instead,
// each with where it is used.
#include <cstring>
#include <iostream>

#include "platform/String.h"
#include "tools/langcheck/LanguageCheck.h"

int main(int argc, char** argv) {
  const bool listTexts = argc > 1 && std::strcmp(argv[1], "--texts") == 0;
  const int rootArg = listTexts ? 2 : 1;
  const std::filesystem::path root = argc > rootArg ? argv[rootArg] : ".";
  const std::vector<langcheck::TextUse> texts = langcheck::FindProgramTexts(root);
  if (listTexts) {
    for (const langcheck::TextUse& t : texts) std::cout << t.where << "\t" << WideToUtf8(t.text) << "\n";
    return 0;
  }
  const std::vector<std::string> problems = langcheck::CheckLanguageFolder(root / "rc" / "Language", texts);
  for (const std::string& p : problems) std::cout << p << "\n";
  return problems.empty() ? 0 : 1;
}
