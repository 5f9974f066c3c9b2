#include "record/SafeOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include "record/NativePath.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <thread>
#endif

namespace corvale {
namespace {

#ifndef Q_OS_UNIX
namespace fs = std::filesystem;

fs::path FsPath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }
#endif

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Temporary files are named ".corvale-PPPPPPPP-RRRRRRRR.tmp": the writing
// process's ID and a random number, in hexadecimal. The length is fixed, so a
// target name the file system accepts never makes its temporary name too long,
// and the pattern tells our leftovers from anybody else's files.
constexpr char kTemporaryPrefix[] = ".corvale-";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr qsizetype kHexDigits = 8;

QString TemporaryName(quint32 process, quint32 random) {
  return QStringLiteral("%1%2-%3%4")
      .arg(QLatin1String(kTemporaryPrefix))
      .arg(process, static_cast<int>(kHexDigits), 16, QLatin1Char('0'))
      .arg(random, static_cast<int>(kHexDigits), 16, QLatin1Char('0'))
      .arg(QLatin1String(kTemporarySuffix));
}

// The process that wrote a temporary file named `name`, or nothing when the
// name is not one of ours.
std::optional<quint32> TemporaryOwner(const QByteArray& name) {
  const qsizetype prefix = sizeof(kTemporaryPrefix) - 1, suffix = sizeof(kTemporarySuffix) - 1;
  if (name.size() != prefix + 2 * kHexDigits + 1 + suffix || !name.startsWith(kTemporaryPrefix) ||
      !name.endsWith(kTemporarySuffix) || name[prefix + kHexDigits] != '-')
    return std::nullopt;
  auto hex = [](QByteArrayView digits) -> std::optional<quint32> {
    quint32 value = 0;
    for (char c : digits) {
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<quint32>(d);
    }
    return value;
  };
  const QByteArrayView view(name);
  if (!hex(view.sliced(prefix + kHexDigits + 1, kHexDigits))) return std::nullopt;
  return hex(view.sliced(prefix, kHexDigits));
}

// The temporary files this process has open, so that an interrupted run can
// remove them. Once the interruption is being handled the lock is never
// released again: no new temporary file appears while the process ends.
struct LiveTemporaries {
  std::mutex mutex;
  std::set<QByteArray> paths;
};
LiveTemporaries& Live() {
  static LiveTemporaries live;
  return live;
}

// The temporary file is gone (renamed into place): nothing to remove any more.
void Forget(const QByteArray& temporaryPath) {
  std::lock_guard lock(Live().mutex);
  Live().paths.erase(temporaryPath);
}

void RemoveTemporary(const QByteArray& temporaryPath) {
  std::lock_guard lock(Live().mutex);
  Live().paths.erase(temporaryPath);
  ::unlink(temporaryPath.constData());
}

// What a target name stands for, found with as few look-ups as a batch of
// thousands of outputs can afford: one lstat, a second only for a link.
struct Target {
  std::optional<FileError> error;
  QString path;         // the file to replace or create: a link to a file is followed
  bool exists = false;  // a regular file is there now
};

Target InspectTarget(const QString& path, const OutputPolicy& policy) {
  Target t;
  t.path = path;
  if (path.isEmpty()) {
    t.error = FileError{path, QStringLiteral("no output file name was given")};
    return t;
  }
#ifdef Q_OS_UNIX
  const QByteArray native = NativeOutputPath(path);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) return t;  // nothing there (or unreachable: creating it will say)
  if (S_ISLNK(st.st_mode)) {
    if (::stat(native.constData(), &st) != 0) {
      t.error = FileError{path, QStringLiteral("is a link to a file that does not exist; name a regular file")};
      return t;
    }
    // The output replaces the file and keeps the link.
    t.path = QFileInfo(path).canonicalFilePath();
  }
  t.exists = true;
  if (!S_ISREG(st.st_mode)) {
    t.error = FileError{path, QStringLiteral("is not a regular file (a directory, device, FIFO or socket); "
                                             "name a regular file as the output")};
    return t;
  }
  for (const QString& input : policy.inputs) {
    struct stat in {};
    if (::stat(NativePath(input).constData(), &in) == 0 && in.st_dev == st.st_dev && in.st_ino == st.st_ino) {
      t.error = FileError{path, QStringLiteral("is the input file %1; the output would destroy it").arg(input)};
      return t;
    }
  }
#else
  std::error_code ec;
  const fs::path target = FsPath(path);
  const fs::file_status status = fs::status(target, ec);
  if (ec || !fs::exists(status)) {
    if (fs::is_symlink(fs::symlink_status(target, ec)))
      t.error = FileError{path, QStringLiteral("is a link to a file that does not exist; name a regular file")};
    return t;
  }
  t.exists = true;
  if (!fs::is_regular_file(status)) {
    t.error = FileError{path, QStringLiteral("is not a regular file (a directory, device, FIFO or socket); "
                                             "name a regular file as the output")};
    return t;
  }
  for (const QString& input : policy.inputs) {
    std::error_code same;
    if (fs::equivalent(target, FsPath(input), same)) {
      t.error = FileError{path, QStringLiteral("is the input file %1; the output would destroy it").arg(input)};
      return t;
    }
  }
  if (fs::is_symlink(fs::symlink_status(target, ec))) t.path = QFileInfo(path).canonicalFilePath();
#endif
  if (!policy.overwrite)
    t.error = FileError{path, QStringLiteral("already exists; it is kept as it is (allow overwriting to replace it)")};
  return t;
}

}  // namespace

std::optional<FileError> CheckOutputPath(const QString& path, const OutputPolicy& policy) {
  return InspectTarget(path, policy).error;
}

struct PendingOutput::State {
  QString path;
  QString temporaryPath;
  QByteArray nativeTemporaryPath;  // the bytes that name it, made once
#ifdef Q_OS_UNIX
  int fd = -1;
#else
  QFile file;
#endif
  bool overwrite = true;
  bool committed = false;
};

PendingOutput::PendingOutput(std::unique_ptr<State> state) : d_(std::move(state)) {}
PendingOutput::PendingOutput(PendingOutput&&) noexcept = default;
PendingOutput& PendingOutput::operator=(PendingOutput&&) noexcept = default;

PendingOutput::~PendingOutput() {
  if (!d_ || d_->committed) return;
#ifdef Q_OS_UNIX
  if (d_->fd >= 0) ::close(d_->fd);
#else
  d_->file.close();
#endif
  RemoveTemporary(d_->nativeTemporaryPath);
}

const QString& PendingOutput::Path() const { return d_->path; }
const QString& PendingOutput::TemporaryPath() const { return d_->temporaryPath; }
const QByteArray& PendingOutput::NativeTemporaryPath() const { return d_->nativeTemporaryPath; }
bool PendingOutput::MayReplace() const { return d_->overwrite; }

std::variant<PendingOutput, FileError> PendingOutput::Begin(const QString& path, const OutputPolicy& policy) {
  Target target = InspectTarget(path, policy);
  if (target.error) return *target.error;
  auto state = std::make_unique<State>();
  state->path = target.path;
  state->overwrite = policy.overwrite;
  const QFileInfo info(state->path);
  const QString directory = info.path();
  const QByteArray nativeDirectory = NativePath(directory);
  // Hidden, beside the target (a rename never crosses file systems), and
  // created exclusively so that nothing else is ever overwritten.
  QString reason;
  for (int attempt = 0; attempt < 16; ++attempt) {
    state->temporaryPath =
        directory + u'/' +
        TemporaryName(static_cast<quint32>(QCoreApplication::applicationPid()), QRandomGenerator::global()->generate());
    state->nativeTemporaryPath = nativeDirectory + '/' + QFile::encodeName(QFileInfo(state->temporaryPath).fileName());
#ifdef Q_OS_UNIX
    const QByteArray& native = state->nativeTemporaryPath;
    int fd;
    {
      // Created and registered at once, so an interruption finds every one.
      std::lock_guard lock(Live().mutex);
      do {
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      } while (fd < 0 && errno == EINTR);
      if (fd >= 0) Live().paths.insert(native);
    }
    if (fd >= 0) {
      state->fd = fd;
      return PendingOutput(std::move(state));
    }
    const int error = errno;
    reason = SystemReason(error);
    if (error != EEXIST) break;  // not a name clash: give up
#else
    state->file.setFileName(state->temporaryPath);
    if (state->file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
      return PendingOutput(std::move(state));
    reason = state->file.errorString();
    if (!QFileInfo::exists(state->temporaryPath)) break;
#endif
  }
  return FileError{
      path, QStringLiteral("cannot create a file in %1: %2").arg(QFileInfo(directory).absoluteFilePath(), reason)};
}

std::optional<FileError> PendingOutput::Write(const char* data, qint64 size) {
  qint64 done = 0;
  while (done < size) {
#ifdef Q_OS_UNIX
    const ssize_t n = ::write(d_->fd, data + done, static_cast<std::size_t>(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return FileError{d_->path, n < 0 ? SystemReason(errno) : QStringLiteral("nothing could be written")};
#else
    const qint64 n = d_->file.write(data + done, size - done);
    if (n <= 0) return FileError{d_->path, d_->file.errorString()};
#endif
    done += n;
  }
  return std::nullopt;
}

std::optional<FileError> PendingOutput::Fail(QString reason) {
  State& s = *d_;
#ifdef Q_OS_UNIX
  if (s.fd >= 0) ::close(s.fd);
  s.fd = -1;
#else
  s.file.close();
#endif
  RemoveTemporary(s.nativeTemporaryPath);
  s.committed = true;  // nothing left to remove
  return FileError{s.path, std::move(reason)};
}

std::optional<FileError> PendingOutput::Finish(std::optional<qint64> expectedSize, bool durable) {
  State& s = *d_;
#ifdef Q_OS_UNIX
  // A library may have written the file by name: the descriptor still shows
  // that file (its writes went to the same inode), so size and flush hold.
  // Closed already (Close, then Commit): opened again to flush it.
  if (s.fd < 0) {
    do {
      s.fd = ::open(s.nativeTemporaryPath.constData(), O_RDWR | O_CLOEXEC);
    } while (s.fd < 0 && errno == EINTR);
    if (s.fd < 0) return Fail(SystemReason(errno));
  }
  // Delayed allocation reports a full disk only here.
  if (durable && ::fsync(s.fd) != 0) return Fail(SystemReason(errno));
  struct stat st {};
  if (::fstat(s.fd, &st) != 0) return Fail(SystemReason(errno));
  const qint64 size = static_cast<qint64>(st.st_size);
  const int closed = ::close(s.fd);
  s.fd = -1;
  if (closed != 0 && errno != EINTR) return Fail(SystemReason(errno));
#else
  if (!s.file.isOpen() && !s.file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return Fail(s.file.errorString());
  if (!s.file.flush()) return Fail(s.file.errorString());
  const qint64 size = s.file.size();
  s.file.close();
  if (s.file.error() != QFileDevice::NoError) return Fail(s.file.errorString());
#endif
  if (expectedSize && size != *expectedSize)
    return Fail(QStringLiteral("only %1 of %2 bytes were written").arg(size).arg(*expectedSize));
  if (!expectedSize && size == 0) return Fail(QStringLiteral("nothing was written"));
  return std::nullopt;
}

std::optional<FileError> PendingOutput::Commit(std::optional<qint64> expectedSize) {
  if (auto error = Finish(expectedSize, true)) return error;
  if (auto error = Publish()) return error;
  // The new name itself must reach the disk before success is told.
  return SyncDirectoryOf(d_->path);
}

std::optional<FileError> PendingOutput::Close(std::optional<qint64> expectedSize) {
  return Finish(expectedSize, false);
}

std::optional<FileError> PendingOutput::Publish() {
  auto error = Rename();
  if (!error) Forget(d_->nativeTemporaryPath);
  return error;
}

std::optional<FileError> PendingOutput::Rename() {
  State& s = *d_;
  if (s.committed) return FileError{s.path, QStringLiteral("was already written or given up")};
  const QByteArray& from = s.nativeTemporaryPath;
  const QByteArray to = NativeOutputPath(s.path);
#ifdef Q_OS_UNIX
  if (!s.overwrite) {
    // Never replaces an existing name, with no window between check and rename.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
      s.committed = true;
      return std::nullopt;
    }
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
      // A file system without that rename: link() does not replace either.
      if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        s.committed = true;
        return std::nullopt;
      }
      error = errno;
      if (error == EPERM || error == ENOTSUP || error == EOPNOTSUPP) {
        // Nor hard links: a check just before the rename has to do.
        OutputPolicy policy;
        policy.overwrite = false;
        if (auto refused = CheckOutputPath(s.path, policy)) return Fail(refused->reason);
        if (::rename(from.constData(), to.constData()) != 0) return Fail(SystemReason(errno));
        s.committed = true;
        return std::nullopt;
      }
    }
    if (error == EEXIST) return Fail(QStringLiteral("already exists; it is kept as it is"));
    return Fail(SystemReason(error));
  }
  // The target may have changed while we wrote: check it again.
  if (auto error = CheckOutputPath(s.path, {})) return Fail(error->reason);
  if (::rename(from.constData(), to.constData()) != 0) return Fail(SystemReason(errno));
#else
  OutputPolicy policy;
  policy.overwrite = s.overwrite;
  if (auto error = CheckOutputPath(s.path, policy)) return Fail(error->reason);
  if (QFile::exists(s.path) && !QFile::remove(s.path)) return Fail(QStringLiteral("cannot replace the file"));
  if (!QFile::rename(s.temporaryPath, s.path)) return Fail(QStringLiteral("cannot rename the new file into place"));
#endif
  s.committed = true;
  return std::nullopt;
}

std::optional<FileError> SyncFileSystem(const QString& path) {
#ifdef Q_OS_LINUX
  const QByteArray dir = NativePath(QFileInfo(path).path());
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

std::optional<FileError> SyncDirectoryOf(const QString& path) {
#ifdef Q_OS_UNIX
  const QByteArray dir = NativePath(QFileInfo(path).path());
  const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FileError{path, SystemReason(errno)};
  const int rc = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  // Some file systems cannot flush a directory; their names are as durable as they get.
  if (rc != 0 && error != EINVAL && error != ENOTSUP && error != EOPNOTSUPP)
    return FileError{path, SystemReason(error)};
#endif
  return std::nullopt;
}

void RemoveTemporariesWhenInterrupted() {
#ifdef Q_OS_UNIX
  // The signals wait for one thread of ours, which may take a lock and remove
  // files (a signal handler may do neither). Threads started after this call
  // inherit the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
  std::thread([signals] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    Live().mutex.lock();  // held to the end: no temporary file is created after this
    for (const QByteArray& path : Live().paths) ::unlink(path.constData());
    // Ends as the signal would have ended it, so the caller sees which one.
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);
  }).detach();
#endif
}

int SweepTemporaries(const QString& directory) {
  int removed = 0;
#ifdef Q_OS_UNIX
  const QByteArray native = NativePath(directory.isEmpty() ? QStringLiteral(".") : directory);
  DIR* dir = ::opendir(native.constData());
  if (!dir) return 0;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray name(entry->d_name);
    const std::optional<quint32> owner = TemporaryOwner(name);
    if (!owner) continue;
    // A file of a run still going is not ours to take.
    const auto pid = static_cast<pid_t>(*owner);
    if (pid == ::getpid() || pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
      continue;
    if (::unlinkat(dirFd, name.constData(), 0) == 0) ++removed;
  }
  ::closedir(dir);
#else
  Q_UNUSED(directory);
#endif
  return removed;
}

std::optional<FileError> WriteFileSafely(const QString& path, const QByteArray& bytes, const OutputPolicy& policy) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* error = std::get_if<FileError>(&begun)) return *error;
  auto& output = std::get<PendingOutput>(begun);
  if (auto error = output.Write(bytes)) return error;
  return output.Commit(bytes.size());
}

}  // namespace corvale
