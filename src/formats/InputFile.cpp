#include "formats/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>
#include "record/NativePath.h"

namespace corvale::formats {
namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return QStringLiteral("a directory");
  if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
  if (S_ISSOCK(mode)) return QStringLiteral("a socket");
  return QStringLiteral("not a regular file");
}

}  // namespace

std::variant<InputFile, FileError> InputFile::Open(const QString& path) {
  const QByteArray native = NativePath(path);
  // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for ever.
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileError{path, SystemReason(errno)};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return FileError{path, SystemReason(error)};
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileError{path, QStringLiteral("is %1; only regular files are read").arg(KindOf(st.st_mode))};
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return InputFile(path, fd, static_cast<qint64>(st.st_size));
}

InputFile::InputFile(InputFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::variant<QByteArray, FileError> InputFile::Read(qint64 offset, qint64 size) const {
  if (offset < 0 || size < 0) return FileError{path_, QStringLiteral("a read outside the file was asked for")};
  // The size on disk bounds the buffer, whatever the caller asks for.
  const qint64 available = std::max<qint64>(0, size_ - offset);
  QByteArray bytes(static_cast<qsizetype>(std::min(size, available)), Qt::Uninitialized);
  qint64 done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pread(fd_, bytes.data() + done, static_cast<size_t>(bytes.size() - done), static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileError{path_, SystemReason(errno)};
    }
    if (n == 0) break;  // the file shrank while we read
    done += n;
  }
  bytes.truncate(static_cast<qsizetype>(done));
  return bytes;
}

std::variant<QByteArray, FileError> InputFile::ReadAll(qint64 limit) const {
  if (size_ > limit)
    return FileError{
        path_, QStringLiteral("has %1 bytes, more than the %2 such a file may have").arg(size_).arg(SizeText(limit))};
  return Read(0, size_);
}

QString InputFile::DescriptorPath() const { return QStringLiteral("/proc/self/fd/%1").arg(fd_); }

QString SizeText(qint64 bytes) {
  if (bytes >= (1 << 20) && bytes % (1 << 20) == 0) return QStringLiteral("%1 MiB").arg(bytes >> 20);
  if (bytes >= (1 << 10) && bytes % (1 << 10) == 0) return QStringLiteral("%1 KiB").arg(bytes >> 10);
  return QStringLiteral("%1 bytes").arg(bytes);
}

}  // namespace corvale::formats
