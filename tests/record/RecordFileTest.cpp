#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "record/HeaderPresentation.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using test::RecordBuilder;

bool AllZero(const RecordImage& image) {
  for (auto b : image.bytes)
    if (b) return false;
  return true;
}

class RecordFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
  RecordImage previous() const {
    RecordImage image;
    image.bytes.fill(0x11);
    return image;
  }
};

TEST_F(RecordFileTest, WholeAndLongerFilesAreRead) {
  RecordBuilder b;
  b.Set(Field::PatientId, "00000042").Lead(11, [](int n) { return static_cast<std::int16_t>(n - 2500); });
  struct Row { const char* name; qsizetype size; };
  const Row rows[] = {{"exact.nrm", static_cast<qsizetype>(RecordFileSize)}, {"long.msd", static_cast<qsizetype>(RecordFileSize) + 977}};
  for (const Row& r : rows) {
    b.Write(Path(r.name), r.size);
    RecordImage image = previous();
    ASSERT_FALSE(ReadRecordFile(Path(r.name), image)) << r.name;
    EXPECT_EQ(image.bytes, b.Image().bytes) << r.name;
  }
}

TEST_F(RecordFileTest, UnreadableFilesClearTheImage) {
  RecordBuilder b;
  b.Write(Path("header-only.nrm"), 400);
  b.Write(Path("one-short.nrm"), static_cast<qsizetype>(RecordFileSize) - 1);
  b.Write(Path("empty.nrm"), 0);
  QDir(dir.path()).mkdir(QStringLiteral("folder.nrm"));
  struct Row { const char* name; const char* reasonPart; };
  const Row rows[] = {{"missing.nrm", "No such file"},
                      {"header-only.nrm", "has 400 bytes; a record needs 120424"},
                      {"one-short.nrm", "has 120423 bytes"},
                      {"empty.nrm", "has 0 bytes"},
                      {"folder.nrm", "directory"}};
  for (const Row& r : rows) {
    RecordImage image = previous();
    const auto err = ReadRecordFile(Path(r.name), image);
    ASSERT_TRUE(err) << r.name;
    EXPECT_EQ(err->path, Path(r.name));
    EXPECT_TRUE(err->reason.contains(QString::fromUtf8(r.reasonPart))) << err->reason.toStdString();
    EXPECT_TRUE(err->Describe().contains(Path(r.name)));
    EXPECT_TRUE(AllZero(image)) << r.name << ": bytes of the previous record survived";
  }
}

TEST_F(RecordFileTest, PathsLongerThanThreeHundredCharacters) {
  QString deep = dir.path();
  while (deep.size() < 600) {
    deep += QStringLiteral("/a-rather-long-directory-name-for-testing");
    ASSERT_TRUE(QDir().mkpath(deep));
  }
  RecordBuilder b;
  b.Set(Field::PatientId, "DEEPPATH");
  const QString path = deep + QStringLiteral("/record.nrm");
  b.Write(path);
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(path, image));
  EXPECT_EQ(FieldText(image, Field::PatientId), QStringLiteral("DEEPPATH"));
}

}  // namespace
}  // namespace corvale
