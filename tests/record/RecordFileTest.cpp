#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "record/HeaderPresentation.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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
  struct Row {
    const char* name;
    qsizetype size;
  };
  const Row rows[] = {{"exact.nrm", static_cast<qsizetype>(RecordFileSize)},
                      {"long.msd", static_cast<qsizetype>(RecordFileSize) + 977}};
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
  struct Row {
    const char* name;
    const char* reasonPart;
  };
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

#ifdef Q_OS_UNIX
// Reads `path` on another thread so that a read that blocks fails the test
// instead of hanging it. A read stuck on a FIFO is released by opening and
// closing the FIFO's other end.
std::optional<std::optional<FileError>> ReadWithin(const QString& path, RecordImage& image) {
  // The reader owns what it touches, in case it has to be abandoned.
  auto own = std::make_shared<RecordImage>(image);
  std::packaged_task<std::optional<FileError>()> task([own, path] { return ReadRecordFile(path, *own); });
  auto result = task.get_future();
  std::thread reader(std::move(task));
  if (result.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
    reader.join();
    image = *own;
    return result.get();
  }
  const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
  if (writer >= 0) ::close(writer);
  if (result.wait_for(std::chrono::seconds(5)) == std::future_status::ready) reader.join();
  else reader.detach();  // still stuck: leave it rather than hang the whole run
  return std::nullopt;
}

TEST_F(RecordFileTest, SpecialFilesAreRefusedWithoutWaiting) {
  RecordBuilder().Write(Path("real.nrm"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.nrm")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(Path("fifo.nrm"), Path("link-to-fifo.nrm")));
  ASSERT_TRUE(QFile::link(Path("gone.nrm"), Path("dangling.nrm")));
  // A socket bound under the scratch directory.
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray socketPath = QFile::encodeName(Path("socket.nrm"));
  ASSERT_LT(static_cast<std::size_t>(socketPath.size()), sizeof address.sun_path) << "scratch path too long";
  std::memcpy(address.sun_path, socketPath.constData(), static_cast<std::size_t>(socketPath.size()));
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  // A device, read through a link of our own (only read: nothing is written to it).
  const bool haveDevice = QFileInfo::exists(QStringLiteral("/dev/zero"));
  if (haveDevice) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path("device.nrm")));
  }

  struct Row {
    const char* name;
    const char* reasonPart;
  };
  std::vector<Row> rows = {{"fifo.nrm", "FIFO"},
                           {"link-to-fifo.nrm", "FIFO"},
                           {"dangling.nrm", "link to a file that does not exist"},
                           {"socket.nrm", "socket"}};
  if (haveDevice) rows.push_back({"device.nrm", "device"});
  for (const Row& r : rows) {
    RecordImage image = previous();
    const auto read = ReadWithin(Path(r.name), image);
    if (!read) {
      ADD_FAILURE() << r.name << ": the read blocked";
      continue;
    }
    if (!*read) {
      ADD_FAILURE() << r.name << ": read as a record";
      continue;
    }
    EXPECT_EQ((*read)->path, Path(r.name));
    EXPECT_TRUE((*read)->reason.contains(QLatin1String(r.reasonPart)))
        << r.name << ": " << (*read)->reason.toStdString();
    EXPECT_TRUE(AllZero(image)) << r.name;
  }
  ::close(sock);
  RecordImage image = previous();
  EXPECT_FALSE(ReadRecordFile(Path("real.nrm"), image)) << "a regular file still reads";
}

TEST_F(RecordFileTest, ANameInAnotherEncodingIsOpenedByItsBytes) {
  RecordBuilder b;
  b.Set(Field::PatientId, "SJISNAME");
  const QByteArray native = QFile::encodeName(dir.path()) + "/\x8C\xA9\x96\x7B.nrm";  // Shift-JIS
  const test::NativeFile file(native, b.Bytes());
  ASSERT_TRUE(file.Made());
  RecordImage image = previous();
  ASSERT_FALSE(ReadRecordFile(native, image));
  EXPECT_EQ(image.bytes, b.Image().bytes);
  // The name as text cannot reach it; an error names the file as the caller shows it.
  EXPECT_TRUE(ReadRecordFile(QFile::decodeName(native), image));
  const auto err = ReadRecordFile(QFile::encodeName(dir.path()) + "/\x8C\xA9.nrm", image, QStringLiteral("shown.nrm"));
  ASSERT_TRUE(err);
  EXPECT_EQ(err->path, QStringLiteral("shown.nrm"));
  EXPECT_TRUE(AllZero(image));
}

TEST_F(RecordFileTest, ALinkToARecordIsRead) {
  RecordBuilder b;
  b.Set(Field::PatientId, "LINKED01");
  b.Write(Path("target.msd"));
  ASSERT_TRUE(QFile::link(Path("target.msd"), Path("link.nrm")));
  RecordImage image = previous();
  ASSERT_FALSE(ReadRecordFile(Path("link.nrm"), image));
  EXPECT_EQ(image.bytes, b.Image().bytes);
}
#endif

}  // namespace
}  // namespace corvale
