#include <gtest/gtest.h>

#include "platform/Locale.h"
#include "tests/support/LocaleEnvironment.h"

namespace {

class LocaleTest : public ::testing::Test {
 protected:
  static void Set(const char* name, const char* value) { LocaleEnvironment::Set(name, value); }

  LocaleEnvironment environment_;
};

struct IdCase {
  const char* locale;
  LANGID id;
};

}  // namespace

TEST_F(LocaleTest, ParsesLocaleNames) {
  const plat::LocaleName german = plat::ParseLocaleName("de_DE.UTF-8@euro");
  EXPECT_EQ(german.language, L"de");
  EXPECT_EQ(german.country, L"DE");
  const plat::LocaleName bare = plat::ParseLocaleName("ru");
  EXPECT_EQ(bare.language, L"ru");
  EXPECT_TRUE(bare.country.IsEmpty());
  const plat::LocaleName asturian = plat::ParseLocaleName("ast_ES");
  EXPECT_EQ(asturian.language, L"ast");
  EXPECT_EQ(asturian.country, L"ES");
  for (const char* neutral : {"", "C", "POSIX", "C.UTF-8"}) {
    const plat::LocaleName l = plat::ParseLocaleName(neutral);
    EXPECT_EQ(l.language, L"en") << neutral;
    EXPECT_EQ(l.country, L"US") << neutral;
  }
}

TEST_F(LocaleTest, MapsLocalesToLanguageIds) {
  const IdCase cases[] = {
      {"zh_TW", 1028}, {"cs_CZ", 1029}, {"el_GR", 1032}, {"es_ES", 3082}, {"es_CR", 5130}, {"hu_HU", 1038},
      {"it_IT", 1040}, {"ja_JP", 1041}, {"ru_RU", 1049}, {"th_TH", 1054}, {"lt_LT", 1063}, {"zh_CN", 2052},
      // A bare language takes its main country.
      {"zh", 2052}, {"es", 3082}, {"ru", 1049},
      // Languages and countries without an id of their own read as US English.
      {"de_DE", 1033}, {"es_MX", 1033}, {"zh_HK", 1033}, {"it_CH", 1033}, {"en_GB", 1033}, {"C", 1033},
  };
  for (const IdCase& c : cases) EXPECT_EQ(plat::LanguageIdOf(plat::ParseLocaleName(c.locale)), c.id) << c.locale;
}

TEST_F(LocaleTest, InterfaceLanguageFollowsTheMessageVariablesInOrder) {
  EXPECT_EQ(GetUserDefaultUILanguage(), kLangIdEnglishUs);  // nothing set
  Set("LANG", "ru_RU.UTF-8");
  EXPECT_EQ(GetUserDefaultUILanguage(), 1049);
  Set("LC_MESSAGES", "ja_JP.UTF-8");
  EXPECT_EQ(GetUserDefaultUILanguage(), 1041);
  Set("LC_ALL", "it_IT.UTF-8");
  EXPECT_EQ(GetUserDefaultUILanguage(), 1040);
  Set("LANGUAGE", "::zh_TW:de");  // empty entries are skipped, the first real one counts
  EXPECT_EQ(GetUserDefaultUILanguage(), 1028);
  Set("LANGUAGE", "");
  Set("LC_ALL", "");  // empty variables do not count
  EXPECT_EQ(GetUserDefaultUILanguage(), 1041);

  // The system locale ignores the message variables.
  EXPECT_EQ(plat::SystemLocale().language, L"ru");
  Set("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(plat::SystemLocale().country, L"DE");
  Set("LANGUAGE", "th");
  EXPECT_EQ(plat::SystemLocale().language, L"de");
  EXPECT_EQ(plat::UILocale().language, L"th");
}
