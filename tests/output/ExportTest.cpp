#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "output/Export.h"
#include "support/RecordBuilder.h"
#include "support/Require.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace corvale {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "cannot read " << path.toStdString();
  return f.readAll();
}

// A record with a name of `nameBytes` bytes and something in every other byte.
test::RecordBuilder Patient(int nameBytes) {
  test::RecordBuilder b;
  for (std::size_t i = 0; i < HeaderSize; ++i) b.SetBytes(i, QByteArray(1, static_cast<char>(0x20 + i % 90)));
  b.SetBytes(Field::PatientName.offset, QByteArray(24, '\0'));
  b.SetBytes(Field::PatientName.offset, QByteArray(nameBytes, 'N'));
  b.Set(Field::PatientId, "12345678");
  for (int lead = 0; lead < LeadCount; ++lead)
    b.Lead(lead, [lead](int n) { return static_cast<std::int16_t>(n * 7 - lead); });
  return b;
}

QByteArray Blanked(QByteArray bytes) {
  bytes.replace(static_cast<qsizetype>(Field::PatientId.offset), 8, "00000000");
  bytes.replace(static_cast<qsizetype>(Field::PatientName.offset), 24, QByteArray("unknown") + QByteArray(17, '\0'));
  return bytes;
}

class Export : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(Export, BlankedCopiesKeepNothingOfTheName) {
  for (int length : {5, 10, 11, 24}) {
    const test::RecordBuilder b = Patient(length);
    RecordImage image = b.Image();
    const QString out = Path(QStringLiteral("copy%1.nrm").arg(length));
    ASSERT_FALSE(CopyRecordFile(image, true, out, QString()));
    const QByteArray copy = ReadAll(out);
    EXPECT_EQ(copy, Blanked(b.Bytes())) << length << "-byte name";
    EXPECT_FALSE(copy.mid(62, 24).contains('N')) << length << "-byte name";
  }
}

TEST_F(Export, CopiesAreByteForByteAndBlankingStays) {
  const test::RecordBuilder b = Patient(11);
  RecordImage image = b.Image();
  ASSERT_FALSE(CopyRecordFile(image, false, Path("plain.nrm"), QString()));
  EXPECT_EQ(ReadAll(Path("plain.nrm")), b.Bytes());
  ASSERT_FALSE(CopyRecordFile(image, true, Path("first.nrm"), QString()));
  ASSERT_FALSE(CopyRecordFile(image, false, Path("second.nrm"), QString()));
  EXPECT_EQ(ReadAll(Path("first.nrm")), Blanked(b.Bytes()));
  EXPECT_EQ(ReadAll(Path("second.nrm")), Blanked(b.Bytes())) << "the blanking stays until the next load";
}

TEST_F(Export, ExistingTargetIsReplacedWhole) {
  test::RecordBuilder().Write(Path("old.nrm"), static_cast<qsizetype>(RecordFileSize) + 5000);
  RecordImage image = Patient(3).Image();
  ASSERT_FALSE(CopyRecordFile(image, false, Path("old.nrm"), QString()));
  EXPECT_EQ(ReadAll(Path("old.nrm")), Patient(3).Bytes());
}

TEST_F(Export, FailuresReportAndLeaveFilesAlone) {
  const test::RecordBuilder b = Patient(8);
  b.Write(Path("A0001.nrm"));
  QDir(dir.path()).mkdir("folder.nrm");
  struct Row {
    const char* what;
    QString out;
    QString source;
    const char* reason;
  };
  const Row rows[] = {
      {"the loaded record's own file", Path("A0001.nrm"), Path("A0001.nrm"), "own file"},
      {"the same file by another path", dir.path() + "/./A0001.nrm", Path("A0001.nrm"), "own file"},
      {"a directory", Path("folder.nrm"), QString(), ""},
      {"a missing directory", Path("missing/A0001.nrm"), QString(), ""},
      {"an empty name", OutputFilePath(dir.path(), QString()), QString(), ""},
  };
  for (const Row& r : rows) {
    RecordImage image = b.Image();
    const auto error = CopyRecordFile(image, true, r.out, r.source);
    ASSERT_TRUE(error) << r.what;
    EXPECT_EQ(error->path, r.out);
    EXPECT_FALSE(error->reason.isEmpty());
    EXPECT_TRUE(error->reason.contains(QString::fromUtf8(r.reason))) << error->reason.toStdString();
    EXPECT_EQ(ReadAll(Path("A0001.nrm")), b.Bytes()) << r.what;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"A0001.nrm"}) << "no partial or temporary file";
  // Refused before anything changed: the record in memory is not blanked either.
  RecordImage image = b.Image();
  ASSERT_TRUE(CopyRecordFile(image, true, Path("A0001.nrm"), Path("A0001.nrm")));
  EXPECT_EQ(image.bytes, b.Image().bytes);
}

TEST_F(Export, FullDiskLeavesTheOldCopy) {
  const QString small = Path("small");
  QDir().mkpath(small);
  if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", small}) != 0)
    CORVALE_MISSING("a small tmpfs to fill (mount needs root or CAP_SYS_ADMIN)");
  const QString out = small + "/copy.nrm";
  {
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("previous copy");
  }
  RecordImage image = Patient(4).Image();
  const auto error = CopyRecordFile(image, false, out, QString());
  const QByteArray after = ReadAll(out);
  const QStringList left = QDir(small).entryList(QDir::Files);
  Image picture(1040, 760);
  const auto bmpError = SaveBmp(picture, small + "/picture.BMP");  // 3 MB on 64 KB
  const QStringList leftAfterBmp = QDir(small).entryList(QDir::Files);
  QProcess::execute("umount", {small});
  ASSERT_TRUE(error);
  EXPECT_EQ(after, QByteArray("previous copy"));
  EXPECT_EQ(left, QStringList{"copy.nrm"});
  ASSERT_TRUE(bmpError);
  EXPECT_EQ(leftAfterBmp, QStringList{"copy.nrm"});
}

TEST_F(Export, BmpReadsBackAsTheImage) {
  Image image(1040, 760);
  image.SetPenColor(0x0000FF);
  image.MoveTo(3, 700);
  image.LineTo(1000, 9);
  image.SetBrushColor(0x00FF00);
  image.FillRect(100, 100, 200, 150);
  ASSERT_FALSE(SaveBmp(image, Path("A0001.BMP")));
  EXPECT_EQ(QImage(Path("A0001.BMP"), "BMP").convertToFormat(QImage::Format_RGB32), image.Qt());
  const auto error = SaveBmp(image, Path("no/such/dir/A0001.BMP"));
  ASSERT_TRUE(error);
  EXPECT_FALSE(error->reason.isEmpty());
}

#ifdef Q_OS_UNIX
bool IsFifo(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Everything in the scratch directory, hidden temporaries included.
QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(Export, NeverReplacesSpecialFilesOrTheSource) {
  const test::RecordBuilder b = Patient(8);
  b.Write(Path("A0001.nrm"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(Path("A0001.nrm"), Path("soft.nrm")));
  ASSERT_EQ(::link(QFile::encodeName(Path("A0001.nrm")).constData(), QFile::encodeName(Path("hard.nrm")).constData()),
            0);
  ASSERT_TRUE(QFile::link(Path("nowhere"), Path("dangling")));
  struct Row {
    const char* target;
    const char* reason;
  };
  const Row rows[] = {{"pipe", "not a regular file"},
                      {"soft.nrm", "own file"},
                      {"hard.nrm", "own file"},
                      {"dangling", "does not exist"}};
  const QStringList before = Entries(dir.path());
  Image picture(1040, 760);
  for (const Row& r : rows) {
    RecordImage image = b.Image();
    const auto copyError = CopyRecordFile(image, true, Path(r.target), Path("A0001.nrm"));
    ASSERT_TRUE(copyError) << r.target;
    EXPECT_TRUE(copyError->reason.contains(QLatin1String(r.reason)))
        << r.target << ": " << copyError->reason.toStdString();
    EXPECT_EQ(image.bytes, b.Image().bytes) << r.target << ": refused, yet the record in memory was blanked";
    const auto bmpError = SaveBmp(picture, Path(r.target), Path("A0001.nrm"));
    ASSERT_TRUE(bmpError) << r.target;
    EXPECT_TRUE(bmpError->reason.contains(QLatin1String(r.reason)))
        << r.target << ": " << bmpError->reason.toStdString();
  }
  EXPECT_TRUE(IsFifo(Path("pipe"))) << "the FIFO was replaced by a regular file";
  EXPECT_EQ(ReadAll(Path("A0001.nrm")), b.Bytes());
  EXPECT_EQ(Entries(dir.path()), before);
}

// A file-size limit makes writes fail as a full disk does.
TEST_F(Export, AFailedWriteGivesTheSystemReasonAndKeepsTheOldFile) {
  const QByteArray old("previous contents");
  for (const char* name : {"copy.nrm", "picture.BMP"}) {
    QFile f(Path(QLatin1String(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(old), old.size());
  }
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  RecordImage image = Patient(4).Image();
  const auto copyError = CopyRecordFile(image, false, Path("copy.nrm"), QString());
  const auto bmpError = SaveBmp(Image(1040, 760), Path("picture.BMP"));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  for (const auto& error : {copyError, bmpError}) {
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->reason.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error->reason.toStdString();
  }
  EXPECT_EQ(ReadAll(Path("copy.nrm")), old);
  EXPECT_EQ(ReadAll(Path("picture.BMP")), old);
  EXPECT_EQ(Entries(dir.path()), (QStringList{"copy.nrm", "picture.BMP"}));
}
#endif

TEST(OutputPath, DirectoryAndName) {
  EXPECT_EQ(OutputFilePath("/out", "A0001.BMP"), QStringLiteral("/out/A0001.BMP"));
  EXPECT_EQ(OutputFilePath("/", "A0001.msd"), QStringLiteral("//A0001.msd"));
  EXPECT_EQ(OutputFilePath("/out", ""), QStringLiteral("/out/"));
}

}  // namespace
}  // namespace corvale
