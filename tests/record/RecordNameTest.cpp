#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "record/RecordName.h"
#include "support/RecordBuilder.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace corvale {
namespace {

TEST(RecordName, PatternsMatchAsciiCaseOnly) {
  struct Row {
    const char* name;
    bool nrm, msd;
  };
  const Row rows[] = {
      {"A0001.nrm", true, false},   {"A0001.NRM", true, false},  {"b.Msd", false, true},   {".nrm", true, false},
      {"nrm", false, false},        {"a.nrm.bak", false, false}, {"a.nrmx", false, false}, {"a_nrm", false, false},
      {"a.m\u017Fd", false, false},  // long s folds to "s" in Unicode, not here
      {"\u00C5.NRM", true, false},  {"", false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsRecordFileName(QString::fromUtf8(r.name), QLatin1String(".nrm")), r.nrm) << r.name;
    EXPECT_EQ(IsRecordFileName(QString::fromUtf8(r.name), QLatin1String(".msd")), r.msd) << r.name;
    EXPECT_EQ(IsRecordFileName(QString::fromUtf8(r.name)), r.nrm || r.msd) << r.name;
  }
}

TEST(RecordName, NameOrderAsAUserReadsIt) {
  // Each row: a sorts before b.
  struct Row {
    const char* a;
    const char* b;
  };
  const Row rows[] = {
      {"A2.nrm", "A10.nrm"},
      {"a0001.nrm", "A0002.nrm"},
      {"A0002.nrm", "a0003.nrm"},
      {"A9.nrm", "a10.nrm"},
      {"r2x.nrm", "r10a.nrm"},
      {"b.nrm", "C.nrm"},
      {"A.nrm", "a.nrm"},                                           // equal but for case: a fixed order all the same
      {"a01.nrm", "a1.nrm"},                                        // equal values: the characters decide
      {"x99999999999999999999.nrm", "x100000000000000000000.nrm"},  // longer than any integer type
      {"A.nrm", "AB.nrm"},
      {"z.nrm", "\u00E9.nrm"},
  };
  for (const Row& r : rows) {
    const QString a = QString::fromUtf8(r.a), b = QString::fromUtf8(r.b);
    EXPECT_LT(CompareFileNames(a, b), 0) << r.a << " before " << r.b;
    EXPECT_GT(CompareFileNames(b, a), 0) << r.b << " after " << r.a;
    EXPECT_EQ(CompareFileNames(a, a), 0) << r.a;
  }
}

TEST(RecordName, ShownNames) {
  struct Row {
    const char* what;
    QByteArray native;
    QString shown;
  };
  const Row rows[] = {
      {"UTF-8", QByteArray("\xE8\xA6\x8B\xE6\x9C\xAC.nrm"), QStringLiteral("見本.nrm")},
      {"Shift-JIS", QByteArray("\x8C\xA9\x96\x7B.nrm"), QStringLiteral("見本.nrm")},
      {"half-width katakana", QByteArray("\xBC\xB9\xDD.msd"), QStringLiteral("ｼｹﾝ.msd")},
      {"neither", QByteArray("x\xFF.nrm"), QStringLiteral("x\uFFFD.nrm")},
  };
  for (const Row& r : rows) EXPECT_EQ(ShownFileName(r.native), r.shown) << r.what;
}

#ifdef Q_OS_UNIX
// Files under a scratch directory named by exactly these bytes.
struct ByteNamedFiles {
  QTemporaryDir dir;
  std::vector<std::unique_ptr<test::NativeFile>> files;
  void Touch(const QByteArray& name) {
    files.push_back(std::make_unique<test::NativeFile>(QFile::encodeName(dir.path()) + '/' + name));
    ASSERT_TRUE(files.back()->Made()) << name.toHex().constData();
  }
};

TEST(ListRecordFiles, RegularFilesInNameOrderByTheirBytes) {
  ByteNamedFiles scratch;
  const QTemporaryDir& dir = scratch.dir;
  for (const char* name : {"b10.nrm", "B9.NRM", "a0001.nrm", "A0002.nrm", "c.msd", "A2.Msd", "notes.txt", "x.nrm.bak"})
    scratch.Touch(name);
  scratch.Touch("\x8C\xA9\x96\x7B.nrm");  // Shift-JIS from a Windows medium
  scratch.Touch(
      "\xFF"
      "1.msd");  // valid in no encoding tried: shown with U+FFFD
  const QString base = dir.path() + u'/';
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.nrm"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(base + "fifo.nrm").constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(base + "gone.nrm", base + "dangling.nrm"));
  ASSERT_TRUE(QFile::link(base + "fifo.nrm", base + "to-fifo.msd"));
  ASSERT_TRUE(QFile::link(base + "folder.nrm", base + "to-folder.nrm"));
  ASSERT_TRUE(QFile::link(base + "c.msd", base + "to-c.msd"));  // a link to a record is one
  int calls = 0;
  const RecordDirectoryListing l = ListRecordFiles(QFile::encodeName(dir.path()), [&] { return ++calls, true; });
  auto shown = [](const std::vector<RecordFileName>& group) {
    QStringList names;
    for (const RecordFileName& f : group) names << f.shown;
    return names;
  };
  EXPECT_EQ(shown(l.nrm), (QStringList{"a0001.nrm", "A0002.nrm", "B9.NRM", "b10.nrm", "見本.nrm"}));
  EXPECT_EQ(shown(l.msd), (QStringList{"A2.Msd", "c.msd", "to-c.msd", "\uFFFD1.msd"}));
  EXPECT_EQ(l.nrm.back().native, QByteArray("\x8C\xA9\x96\x7B.nrm"));
  EXPECT_EQ(l.msd.back().native, QByteArray("\xFF"
                                            "1.msd"));
  EXPECT_EQ(l.nrm.front().native, QByteArray("a0001.nrm"));
  EXPECT_EQ(l.skipped, 0);
  EXPECT_FALSE(l.error);
  EXPECT_TRUE(l.complete);
  EXPECT_EQ(calls, 0) << "fewer entries than one round";
}

TEST(ListRecordFiles, NamesThatShowAlikeAndStops) {
  ByteNamedFiles scratch;
  const QTemporaryDir& dir = scratch.dir;
  // Both show as "r\uFFFD.nrm"; one of them is listed, the other counted.
  scratch.Touch("r\xFF.nrm");
  scratch.Touch("r\xFE.nrm");
  for (int i = 0; i < 600; ++i) scratch.Touch(QByteArray("f") + QByteArray::number(i) + ".msd");
  RecordDirectoryListing l = ListRecordFiles(QFile::encodeName(dir.path()));
  EXPECT_EQ(l.nrm.size(), 1u);
  EXPECT_EQ(l.skipped, 1);
  EXPECT_EQ(l.msd.size(), 600u);
  EXPECT_EQ(l.msd[2].shown, QStringLiteral("f2.msd"));
  EXPECT_EQ(l.msd[10].shown, QStringLiteral("f10.msd"));
  // Asked to stop at the second call: incomplete.
  int calls = 0;
  l = ListRecordFiles(QFile::encodeName(dir.path()), [&] { return ++calls < 2; });
  EXPECT_FALSE(l.complete);
  EXPECT_EQ(calls, 2);
  // A directory that cannot be read says why.
  l = ListRecordFiles(QFile::encodeName(dir.filePath("missing")));
  ASSERT_TRUE(l.error);
  EXPECT_TRUE(l.error->contains("No such file")) << l.error->toStdString();
}
#endif

}  // namespace
}  // namespace corvale
