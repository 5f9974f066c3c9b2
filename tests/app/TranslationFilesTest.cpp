// The translation sources of the project: complete, and every translation
// fit to stand in for its text (the same placeholders, line breaks, menu
// mnemonic and "tool tip|status tip" split); English without Japanese, and
// Japanese keeping the design's Japanese captions.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>

#include "JapaneseText.h"
#include "support/RecordBuilder.h"

namespace corvale::test {
namespace {

struct Message {
  QString context, source, translation, type;
  QString Name() const { return context + QStringLiteral(" / ") + source; }
};

std::vector<Message> ReadTs(const QString& path, QString* error) {
  std::vector<Message> out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = path + QStringLiteral(": ") + file.errorString();
    return out;
  }
  QXmlStreamReader xml(&file);
  QString context;
  Message m;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == QLatin1String("message")) out.push_back(m);
    if (!xml.isStartElement()) continue;
    const QStringView name = xml.name();
    if (name == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (name == QLatin1String("message")) {
      m = Message{context, {}, {}, {}};
    } else if (name == QLatin1String("source")) {
      m.source = xml.readElementText();
    } else if (name == QLatin1String("translation")) {
      m.type = xml.attributes().value(QLatin1String("type")).toString();
      m.translation = xml.readElementText();
    }
  }
  if (xml.hasError()) *error = path + QStringLiteral(": ") + xml.errorString();
  return out;
}

QStringList Placeholders(const QString& text) {
  static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
  QStringList found;
  for (const QRegularExpressionMatch& m : placeholder.globalMatch(text)) found << m.captured();
  std::sort(found.begin(), found.end());
  return found;
}

// "&F" marks a mnemonic; "&&" is an ampersand.
int Mnemonics(const QString& text) {
  int n = 0;
  for (qsizetype i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'&') {
      if (text[i + 1] != u'&') ++n;
      ++i;
    }
  return n;
}

// A Japanese text with no English in it but its mnemonic: one of the
// design's captions, not a message of ours that names one.
bool IsJapaneseCaption(const QString& text) {
  static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)")), latin(QStringLiteral("[A-Za-z]"));
  return HasJapanese(text) && !QString(text).remove(mnemonic).contains(latin);
}

struct File {
  const char* path;
  bool english;
};
void PrintTo(const File& file, std::ostream* out) { *out << file.path; }

class TranslationFiles : public testing::TestWithParam<File> {};

TEST_P(TranslationFiles, EveryTranslationStandsInForItsText) {
  QString error;
  const std::vector<Message> messages = ReadTs(SourcePath(QString::fromLatin1(GetParam().path)), &error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  ASSERT_GT(messages.size(), 100u);
  for (const Message& m : messages) {
    const std::string name = m.Name().toStdString();
    EXPECT_TRUE(m.type.isEmpty()) << name << ": " << m.type.toStdString();
    EXPECT_FALSE(m.translation.isEmpty()) << name;
    EXPECT_EQ(Placeholders(m.translation).join(u' ').toStdString(), Placeholders(m.source).join(u' ').toStdString())
        << name;
    EXPECT_EQ(m.translation.count(u'\n'), m.source.count(u'\n')) << name;
    if (m.context == QLatin1String("MainMenu")) {
      EXPECT_EQ(Mnemonics(m.translation), Mnemonics(m.source)) << name;
      EXPECT_EQ(m.translation.count(u'|'), m.source.count(u'|')) << name;
    }
    if (GetParam().english) {
      EXPECT_FALSE(HasJapanese(m.translation)) << name << " -> " << m.translation.toStdString();
    } else if (IsJapaneseCaption(m.source)) {
      // The design's Japanese stays as it is.
      EXPECT_EQ(m.translation.toStdString(), m.source.toStdString()) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslationFiles,
                         testing::Values(File{"translations/corvale_en.ts", true},
                                         File{"translations/corvale_ja.ts", false}),
                         [](const testing::TestParamInfo<File>& info) {
                           return std::string(info.param.english ? "English" : "Japanese");
                         });

TEST(TranslationFiles, BothLanguagesTranslateTheSameTexts) {
  QString error;
  auto keys = [&error](const char* path) {
    QSet<QString> set;
    for (const Message& m : ReadTs(SourcePath(QString::fromLatin1(path)), &error))
      set << m.context + u'\x1f' + m.source;
    return set;
  };
  const QSet<QString> en = keys("translations/corvale_en.ts");
  const QSet<QString> ja = keys("translations/corvale_ja.ts");
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_EQ(en, ja);
}

}  // namespace
}  // namespace corvale::test
