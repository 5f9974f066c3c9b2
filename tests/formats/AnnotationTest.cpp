// WFDB annotation files: the MIT word format with its pseudo-annotations, the
// files beside a record, and bytes that are no annotation file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <vector>

#include "formats/WfdbAnnotations.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Word(Bytes& b, int code, int value) {
  const unsigned w = (static_cast<unsigned>(code) << 10) | (static_cast<unsigned>(value) & 0x3FF);
  b.push_back(static_cast<std::uint8_t>(w & 0xFF));
  b.push_back(static_cast<std::uint8_t>(w >> 8));
}

std::variant<std::vector<wfdb::Annotation>, QString> Parse(const Bytes& b) { return wfdb::ParseAnnotations(b); }

TEST(Annotations, DecodesWordsAndPseudoAnnotations) {
  Bytes b;
  Word(b, 39, 100);                             // "(" at 100
  Word(b, 1, 12);                               // "N" at 112
  Word(b, 61, 3);                               // its subtype
  Word(b, 62, 2);                               // its channel
  Word(b, 40, 20);                              // ")" at 132, keeps channel 2
  Word(b, 59, 0);                               // skip 70000 samples: high word first
  b.insert(b.end(), {0x01, 0x00, 0x70, 0x11});  // 0x0001, 0x1170: 65536 + 4464
  Word(b, 24, 5);                               // "p" at 132 + 70000 + 5
  Word(b, 63, 3);                               // aux "abc" and a pad byte
  b.insert(b.end(), {'a', 'b', 'c', 0});
  Word(b, 60, 7);  // num
  Word(b, 0, 0);   // end
  Word(b, 1, 1);   // after the end: ignored
  const auto parsed = Parse(b);
  ASSERT_TRUE(std::holds_alternative<std::vector<wfdb::Annotation>>(parsed)) << std::get<QString>(parsed).toStdString();
  const auto& a = std::get<std::vector<wfdb::Annotation>>(parsed);
  ASSERT_EQ(a.size(), 4U);
  EXPECT_EQ(a[0].sample, 100);
  EXPECT_EQ(a[0].symbol, '(');
  EXPECT_EQ(a[1].sample, 112);
  EXPECT_EQ(a[1].symbol, 'N');
  EXPECT_EQ(a[1].subtype, 3);
  EXPECT_EQ(a[1].channel, 2);
  EXPECT_EQ(a[2].symbol, ')');
  EXPECT_EQ(a[2].channel, 2);
  EXPECT_EQ(a[3].sample, 132 + 70000 + 5);
  EXPECT_EQ(a[3].symbol, 'p');
  EXPECT_EQ(a[3].aux, "abc");
  EXPECT_EQ(a[3].num, 7);
}

TEST(Annotations, RefusesDamagedFilesWithAReason) {
  struct Case {
    const char* name;
    Bytes bytes;
    bool refused;
  };
  Bytes skipCut, auxCut, backwards, oddByte, empty;
  Word(skipCut, 59, 0), skipCut.push_back(1);
  Word(auxCut, 1, 5), Word(auxCut, 63, 40), auxCut.insert(auxCut.end(), 10, 'x');
  Word(backwards, 59, 0), backwards.insert(backwards.end(), {0xFF, 0xFF, 0x00, 0xF0}), Word(backwards, 1, 0);
  Word(oddByte, 1, 5), oddByte.push_back(0x33);
  for (const Case& c : {Case{"skip cut short", skipCut, true}, Case{"aux text cut short", auxCut, true},
                        Case{"time before the record", backwards, true}, Case{"a stray last byte", oddByte, false},
                        Case{"empty", empty, false}}) {
    SCOPED_TRACE(c.name);
    const auto parsed = Parse(c.bytes);
    EXPECT_EQ(std::holds_alternative<QString>(parsed), c.refused);
    if (auto* reason = std::get_if<QString>(&parsed)) {
      EXPECT_FALSE(reason->isEmpty());
    }
  }
}

TEST(Annotations, FindsAndReadsThePerLeadFilesOfARecord) {
  const auto files = wfdb::FindAnnotationFiles(test::EcgDataPath(QStringLiteral("ludb/4.hea")));
  ASSERT_EQ(files.size(), 12U);
  EXPECT_EQ(files[0].lead, QStringLiteral("I"));
  EXPECT_EQ(files[11].lead, QStringLiteral("V6"));
  const auto read = wfdb::ReadAnnotationFile(files[1].path);
  ASSERT_TRUE(std::holds_alternative<std::vector<wfdb::Annotation>>(read));
  const auto& marks = std::get<std::vector<wfdb::Annotation>>(read);
  // Triplets "(" peak ")" in time order, within the 10 s record.
  ASSERT_GE(marks.size(), 30U);
  ASSERT_EQ(marks.size() % 3, 0U);
  for (std::size_t i = 0; i < marks.size(); i += 3) {
    EXPECT_EQ(marks[i].symbol, '(');
    EXPECT_TRUE(marks[i + 1].symbol == 'p' || marks[i + 1].symbol == 'N' || marks[i + 1].symbol == 't');
    EXPECT_EQ(marks[i + 2].symbol, ')');
    EXPECT_LT(marks[i].sample, marks[i + 1].sample);
    EXPECT_LT(marks[i + 1].sample, marks[i + 2].sample);
    EXPECT_LT(marks[i + 2].sample, 5000);
  }

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"rec.hea", "rec.ATR", "rec.V2", "other.i"}) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const auto found = wfdb::FindAnnotationFiles(dir.filePath(QStringLiteral("rec.hea")));
  ASSERT_EQ(found.size(), 2U);
  EXPECT_TRUE(found[0].lead.isEmpty());
  EXPECT_EQ(found[1].lead, QStringLiteral("V2"));
  EXPECT_TRUE(std::holds_alternative<QString>(wfdb::ReadAnnotationFile(dir.filePath(QStringLiteral("none.atr")))));
}

}  // namespace
}  // namespace corvale
