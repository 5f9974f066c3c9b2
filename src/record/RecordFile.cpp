#include "record/RecordFile.h"

#include "record/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvale {

QString FileError::Describe() const { return QStringLiteral("%1: %2").arg(path, reason); }

namespace {
QString ShortFile(qint64 size) {
  return QStringLiteral("the file has %1 bytes; a record needs %2 bytes").arg(size).arg(RecordFileSize);
}
}  // namespace

#ifdef Q_OS_UNIX
namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Why a file of this type is not read as a record; nothing for a regular file.
std::optional<QString> RefusedType(mode_t mode) {
  if (S_ISREG(mode)) return std::nullopt;
  if (S_ISDIR(mode)) return QStringLiteral("is a directory, not a record file");
  if (S_ISFIFO(mode)) return QStringLiteral("is a FIFO (named pipe), not a record file");
  if (S_ISSOCK(mode)) return QStringLiteral("is a socket, not a record file");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("is a device, not a record file");
  return QStringLiteral("is not a regular file, not a record file");
}

// Closes the descriptor on every way out.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::optional<FileError> ReadRecordFile(const QString& path, RecordImage& image) {
  return ReadRecordFile(NativePath(path), image, path);
}

std::optional<FileError> ReadRecordFile(const QByteArray& native, RecordImage& image, const QString& shownPath) {
  const QString path = shownPath.isEmpty() ? QFile::decodeName(native) : shownPath;
  auto fail = [&](QString reason) {
    image.Clear();
    return std::optional<FileError>(FileError{path, std::move(reason)});
  };
  if (native.isEmpty()) return fail(QStringLiteral("no file name was given"));
  // Non-blocking, so that a FIFO or a device cannot hold the caller in open();
  // the type is then checked on what was opened, not on the name, which could
  // have been replaced in between.
  Descriptor file;
  do {
    file.fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (file.fd < 0 && errno == EINTR);
  if (file.fd < 0) {
    const int error = errno;
    struct stat st {};
    // open() cannot tell a dangling link or a socket from a missing file; the name can.
    if (::lstat(native.constData(), &st) == 0) {
      struct stat target {};
      if (S_ISLNK(st.st_mode) && ::stat(native.constData(), &target) != 0)
        return fail(QStringLiteral("is a link to a file that does not exist (%1)").arg(SystemReason(errno)));
      if (S_ISSOCK(st.st_mode)) return fail(*RefusedType(st.st_mode));
    }
    return fail(SystemReason(error));
  }
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) return fail(SystemReason(errno));
  if (auto refused = RefusedType(st.st_mode)) return fail(*refused);

  qint64 total = 0;
  auto* dest = reinterpret_cast<char*>(image.bytes.data());
  // A read may deliver fewer bytes than asked (a network file system, a signal).
  while (total < static_cast<qint64>(RecordFileSize)) {
    const ssize_t got = ::read(file.fd, dest + total, static_cast<std::size_t>(RecordFileSize) - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      return fail(SystemReason(errno));
    }
    if (got == 0) break;
    total += got;
  }
  if (total < static_cast<qint64>(RecordFileSize)) return fail(ShortFile(total));
  return std::nullopt;
}

#else

std::optional<FileError> ReadRecordFile(const QByteArray& native, RecordImage& image, const QString& shownPath) {
  return ReadRecordFile(shownPath.isEmpty() ? QFile::decodeName(native) : shownPath, image);
}

std::optional<FileError> ReadRecordFile(const QString& path, RecordImage& image) {
  auto fail = [&](QString reason) {
    image.Clear();
    return std::optional<FileError>(FileError{path, std::move(reason)});
  };
  const QFileInfo info(path);
  if (info.isDir()) return fail(QStringLiteral("is a directory, not a record file"));
  if (info.exists() && !info.isFile()) return fail(QStringLiteral("is not a regular file, not a record file"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
  qint64 total = 0;
  auto* dest = reinterpret_cast<char*>(image.bytes.data());
  while (total < static_cast<qint64>(RecordFileSize)) {
    const qint64 got = file.read(dest + total, static_cast<qint64>(RecordFileSize) - total);
    if (got < 0) return fail(file.errorString());
    if (got == 0) break;
    total += got;
  }
  if (total < static_cast<qint64>(RecordFileSize)) return fail(ShortFile(total));
  return std::nullopt;
}

#endif

}  // namespace corvale
