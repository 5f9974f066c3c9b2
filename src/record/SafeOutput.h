// Writing output files so that a failure never leaves a partial or empty file
// and never reports success: every output is written to a temporary file
// beside its target, checked, flushed to disk and only then renamed over it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>

#include "record/RecordFile.h"

namespace corvale {

/// What an output may replace.
struct OutputPolicy {
  /// An existing regular file may be replaced (never a device, FIFO or directory).
  bool overwrite = true;
  /// The files the output is made from: the output may be none of them (by identity,
  /// so a second name or link to an input is refused as well).
  QStringList inputs;
};

/// Why `path` may not be written under `policy`, or nothing when it may.
[[nodiscard]] std::optional<FileError> CheckOutputPath(const QString& path, const OutputPolicy& policy);

/// An output being written: an empty temporary file beside the target, which
/// the caller fills (through Write, or by handing TemporaryPath() to a library
/// that writes by file name) and then commits. Dropped uncommitted, the
/// temporary file is removed and the target is untouched.
class PendingOutput {
 public:
  /// Checks the path (CheckOutputPath) and creates the temporary file.
  static std::variant<PendingOutput, FileError> Begin(const QString& path, const OutputPolicy& policy = {});

  PendingOutput(PendingOutput&&) noexcept;
  PendingOutput& operator=(PendingOutput&&) noexcept;
  ~PendingOutput();

  /// The file the output will have when committed (links to a file resolved).
  const QString& Path() const;
  /// Where the bytes go until the commit, and the bytes that name it (for a
  /// library that opens it by name).
  const QString& TemporaryPath() const;
  const QByteArray& NativeTemporaryPath() const;

  /// Appends bytes to the temporary file; a short write is an error with the system's reason.
  [[nodiscard]] std::optional<FileError> Write(const char* data, qint64 size);
  [[nodiscard]] std::optional<FileError> Write(const QByteArray& bytes) {
    return Write(bytes.constData(), bytes.size());
  }

  /// Flushes the bytes to the disk, closes, checks that the file holds
  /// `expectedSize` bytes (or at least one byte when not given), renames it
  /// over the target and flushes the directory, so that the new name is on the
  /// disk too. Under a policy without overwrite, an existing target is never
  /// replaced, even one that appeared while writing.
  [[nodiscard]] std::optional<FileError> Commit(std::optional<qint64> expectedSize = std::nullopt);

  /// Commit in two halves, for many outputs made durable at once: Close checks
  /// and closes the file without waiting for the disk; after SyncFileSystem,
  /// Publish renames it over the target (with the same checks as Commit), and
  /// SyncDirectoryOf then makes the new names durable.
  [[nodiscard]] std::optional<FileError> Close(std::optional<qint64> expectedSize = std::nullopt);
  [[nodiscard]] std::optional<FileError> Publish();

  /// Whether publishing may replace an existing file (the policy's overwrite).
  bool MayReplace() const;

 private:
  std::optional<FileError> Finish(std::optional<qint64> expectedSize, bool durable);
  std::optional<FileError> Fail(QString reason);
  std::optional<FileError> Rename();
  struct State;
  explicit PendingOutput(std::unique_ptr<State> state);
  std::unique_ptr<State> d_;
};

/// Flushes everything written on the file system that holds `path` to the disk
/// (one flush for many closed outputs, before they are published).
[[nodiscard]] std::optional<FileError> SyncFileSystem(const QString& path);

/// Flushes the directory that holds `path`, so that names made or replaced in
/// it by a rename are on the disk.
[[nodiscard]] std::optional<FileError> SyncDirectoryOf(const QString& path);

/// For a process that writes outputs: SIGINT, SIGTERM and SIGHUP remove the
/// temporary files of outputs not yet in place before the process ends (by
/// the same signal). Call before any other thread is started.
void RemoveTemporariesWhenInterrupted();

/// Removes the temporary files that an interrupted run left in `directory`:
/// only names of our own pattern, of processes no longer running, regular
/// files of this user. Returns how many were removed.
int SweepTemporaries(const QString& directory);

/// The whole of `bytes` to `path` through a PendingOutput.
[[nodiscard]] std::optional<FileError> WriteFileSafely(const QString& path, const QByteArray& bytes,
                                                       const OutputPolicy& policy = {});

}  // namespace corvale
