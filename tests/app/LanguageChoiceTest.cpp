// Which language the interface starts in: the locale's, unless the command
// line names one.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Language.h"

namespace corvale {
namespace {

constexpr auto ja = Language::Japanese;
constexpr auto en = Language::English;

TEST(LanguageOfLocale, JapaneseOnlyForTheJapaneseLanguage) {
  struct Row {
    const char* locale;
    Language language;
  };
  const Row rows[] = {
      {"ja_JP", ja}, {"ja-JP", ja}, {"ja", ja},          {"ja_JP.UTF-8", ja}, {"ja_JP.eucJP@mod", ja},
      {"JA_jp", ja}, {"en_US", en}, {"en", en},          {"C", en},           {"C.UTF-8", en},
      {"POSIX", en}, {"", en},      {"de_DE.UTF-8", en}, {"zh_CN", en},       {"jv_ID", en},
      {"jam", en},   {"_ja", en},
  };
  for (const Row& r : rows)
    EXPECT_EQ(LanguageOfLocale(QString::fromLatin1(r.locale)), r.language) << '"' << r.locale << '"';
}

TEST(ChooseLanguage, TheCommandLineOverridesTheLocale) {
  struct Row {
    const char* locale;
    QStringList args;  // after the program's name
    Language language;
    QStringList paths;
    const char* errorHas;  // empty: accepted
  };
  const Row rows[] = {
      {"ja_JP.UTF-8", {}, ja, {}, ""},
      {"en_US.UTF-8", {}, en, {}, ""},
      {"C", {"a.nrm"}, en, {"a.nrm"}, ""},
      {"C", {"--lang", "ja"}, ja, {}, ""},
      {"ja_JP", {"--lang=en", "a.nrm"}, en, {"a.nrm"}, ""},
      {"C", {"a.nrm", "--lang", "ja", "b.msd"}, ja, {"a.nrm", "b.msd"}, ""},
      {"C", {"--lang", "en", "--lang=ja"}, ja, {}, ""},             // the last one counts
      {"ja_JP", {"--", "--lang", "en"}, ja, {"--lang", "en"}, ""},  // names after "--"
      // Refused, with the reason; a language already given still tells it.
      {"C", {"--lang"}, en, {}, "needs a language"},
      {"ja_JP", {"--lang", "de"}, ja, {}, "not \"de\""},
      {"C", {"--lang="}, en, {}, "not \"\""},
      {"C", {"--lang", "JA"}, en, {}, "ja or en"},
      {"C", {"--lang", "ja", "--bogus"}, ja, {}, "--bogus"},
      {"C", {"--language", "ja"}, en, {}, "unknown option --language"},
  };
  for (const Row& r : rows) {
    const std::string name = r.locale + std::string(" ") + r.args.join(' ').toStdString();
    const ParsedCommandLine parsed = ParseCommandLine(QStringList{"corvale"} + r.args);
    EXPECT_EQ(ChooseLanguage(parsed.language, QString::fromLatin1(r.locale)), r.language) << name;
    EXPECT_EQ(parsed.paths, r.paths) << name;
    if (*r.errorHas) {
      EXPECT_TRUE(parsed.error.contains(QString::fromLatin1(r.errorHas))) << name << ": " << parsed.error.toStdString();
    } else {
      EXPECT_TRUE(parsed.error.isEmpty()) << name << ": " << parsed.error.toStdString();
    }
  }
}

TEST(LanguageFromName, TheTwoNamesRoundTrip) {
  for (const Language language : {ja, en}) EXPECT_EQ(LanguageFromName(NameOfLanguage(language)), language);
  for (const char* other : {"", "jp", "japanese", "en_US", " ja"})
    EXPECT_FALSE(LanguageFromName(QString::fromLatin1(other))) << other;
}

}  // namespace
}  // namespace corvale
