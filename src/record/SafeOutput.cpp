#include "record/SafeOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvale {
namespace {

namespace fs = std::filesystem;

fs::path NativePath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The file a name stands for: a link to a file is followed, so the output
// replaces the file and keeps the link.
QString ResolvedTarget(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink() && info.exists()) return info.canonicalFilePath();
  return path;
}

}  // namespace

std::optional<FileError> CheckOutputPath(const QString& path, const OutputPolicy& policy) {
  if (path.isEmpty()) return FileError{path, QStringLiteral("no output file name was given")};
  std::error_code ec;
  const fs::path target = NativePath(path);
  const fs::file_status status = fs::status(target, ec);
  const bool exists = !ec && fs::exists(status);
  if (exists) {
    if (!fs::is_regular_file(status))
      return FileError{path, QStringLiteral("is not a regular file (a directory, device, FIFO or socket); "
                                            "name a regular file as the output")};
    for (const QString& input : policy.inputs) {
      std::error_code same;
      if (fs::equivalent(target, NativePath(input), same))
        return FileError{path, QStringLiteral("is the input file %1; the output would destroy it").arg(input)};
    }
    if (!policy.overwrite)
      return FileError{path, QStringLiteral("already exists; it is kept as it is (allow overwriting to replace it)")};
  } else if (fs::is_symlink(fs::symlink_status(target, ec))) {
    return FileError{path, QStringLiteral("is a link to a file that does not exist; name a regular file")};
  }
  return std::nullopt;
}

struct PendingOutput::State {
  QString path;
  QString temporaryPath;
  QFile file;
  bool overwrite = true;
  bool committed = false;
};

PendingOutput::PendingOutput(std::unique_ptr<State> state) : d_(std::move(state)) {}
PendingOutput::PendingOutput(PendingOutput&&) noexcept = default;
PendingOutput& PendingOutput::operator=(PendingOutput&&) noexcept = default;

PendingOutput::~PendingOutput() {
  if (!d_ || d_->committed) return;
  d_->file.close();
  QFile::remove(d_->temporaryPath);
}

const QString& PendingOutput::Path() const { return d_->path; }
const QString& PendingOutput::TemporaryPath() const { return d_->temporaryPath; }

std::variant<PendingOutput, FileError> PendingOutput::Begin(const QString& path, const OutputPolicy& policy) {
  if (auto error = CheckOutputPath(path, policy)) return *error;
  auto state = std::make_unique<State>();
  state->path = ResolvedTarget(path);
  state->overwrite = policy.overwrite;
  const QFileInfo target(state->path);
  const QString directory = target.absolutePath();
  // Hidden, beside the target (a rename never crosses file systems), and
  // created exclusively so that nothing else is ever overwritten.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const QString name = QStringLiteral(".%1.%2.tmp")
                             .arg(target.fileName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    state->temporaryPath = QDir(directory).filePath(name);
    state->file.setFileName(state->temporaryPath);
    if (state->file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
      return PendingOutput(std::move(state));
    if (!QFileInfo::exists(state->temporaryPath)) break;  // not a name clash: give up
  }
  return FileError{path, QStringLiteral("cannot create a file in %1: %2").arg(directory, state->file.errorString())};
}

std::optional<FileError> PendingOutput::Write(const char* data, qint64 size) {
  qint64 done = 0;
  while (done < size) {
    const qint64 n = d_->file.write(data + done, size - done);
    if (n <= 0) return FileError{d_->path, d_->file.errorString()};
    done += n;
  }
  return std::nullopt;
}

std::optional<FileError> PendingOutput::Fail(QString reason) {
  State& s = *d_;
  s.file.close();
  QFile::remove(s.temporaryPath);
  s.committed = true;  // nothing left to remove
  return FileError{s.path, std::move(reason)};
}

std::optional<FileError> PendingOutput::Finish(std::optional<qint64> expectedSize, bool durable) {
  State& s = *d_;
  // A library may have written the file by name; open it again to flush it.
  if (!s.file.isOpen() && !s.file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return Fail(s.file.errorString());
  if (!s.file.flush()) return Fail(s.file.errorString());
#ifdef Q_OS_UNIX
  // Delayed allocation reports a full disk only here.
  if (durable && ::fsync(s.file.handle()) != 0) return Fail(SystemReason(errno));
#endif
  const qint64 size = s.file.size();
  s.file.close();
  if (s.file.error() != QFileDevice::NoError) return Fail(s.file.errorString());
  if (expectedSize && size != *expectedSize)
    return Fail(QStringLiteral("only %1 of %2 bytes were written").arg(size).arg(*expectedSize));
  if (!expectedSize && size == 0) return Fail(QStringLiteral("nothing was written"));
  return std::nullopt;
}

std::optional<FileError> PendingOutput::Commit(std::optional<qint64> expectedSize) {
  if (auto error = Finish(expectedSize, true)) return error;
  return Publish();
}

std::optional<FileError> PendingOutput::Close(std::optional<qint64> expectedSize) { return Finish(expectedSize, false); }

std::optional<FileError> PendingOutput::Publish() {
  State& s = *d_;
  if (s.committed) return FileError{s.path, QStringLiteral("was already written or given up")};
  // The target may have changed while we wrote: check it again.
  OutputPolicy policy;
  policy.overwrite = s.overwrite;
  if (auto error = CheckOutputPath(s.path, policy)) return Fail(error->reason);
  const QByteArray from = QFile::encodeName(s.temporaryPath), to = QFile::encodeName(s.path);
#ifdef Q_OS_UNIX
  if (!s.overwrite) {
    // link() never replaces an existing name: no window between check and rename.
    if (::link(from.constData(), to.constData()) != 0) {
      const int error = errno;
      if (error == EEXIST) return Fail(QStringLiteral("already exists; it is kept as it is"));
      if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP) return Fail(SystemReason(error));
      // A file system without hard links: the check above has to do.
    } else {
      ::unlink(from.constData());
      s.committed = true;
      return std::nullopt;
    }
  }
  if (::rename(from.constData(), to.constData()) != 0) return Fail(SystemReason(errno));
#else
  if (QFile::exists(s.path) && !QFile::remove(s.path)) return Fail(QStringLiteral("cannot replace the file"));
  if (!QFile::rename(s.temporaryPath, s.path)) return Fail(QStringLiteral("cannot rename the new file into place"));
#endif
  s.committed = true;
  return std::nullopt;
}

std::optional<FileError> SyncFileSystem(const QString& path) {
#ifdef Q_OS_LINUX
  const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
  const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FileError{path, SystemReason(errno)};
  const int rc = ::syncfs(fd);
  const int error = errno;
  ::close(fd);
  if (rc != 0) return FileError{path, SystemReason(error)};
#else
  ::sync();
#endif
  return std::nullopt;
}

std::optional<FileError> WriteFileSafely(const QString& path, const QByteArray& bytes, const OutputPolicy& policy) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* error = std::get_if<FileError>(&begun)) return *error;
  auto& output = std::get<PendingOutput>(begun);
  if (auto error = output.Write(bytes)) return error;
  return output.Commit(bytes.size());
}

}  // namespace corvale
