// Files that come from outside: only regular files are read, opening never
// waits on a FIFO or a device, and no read goes past a bound the caller sets.
#pragma once

#include <QByteArray>
#include <QString>
#include <variant>

#include "record/RecordFile.h"

namespace corvale::formats {

class InputFile {
 public:
  /// Opens `path` without blocking and checks on the opened descriptor that it
  /// is a regular file (a link to one is followed).
  static std::variant<InputFile, FileError> Open(const QString& path);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  const QString& Path() const { return path_; }
  qint64 Size() const { return size_; }

  /// Up to `size` bytes from `offset` (fewer at the end of the file).
  std::variant<QByteArray, FileError> Read(qint64 offset, qint64 size) const;

  /// The whole file, or an error when it is larger than `limit` bytes.
  std::variant<QByteArray, FileError> ReadAll(qint64 limit) const;

  /// A name that opens this very file again (not whatever the path names by
  /// then), for libraries that open files by name.
  QString DescriptorPath() const;

 private:
  InputFile(QString path, int fd, qint64 size) : path_(std::move(path)), fd_(fd), size_(size) {}
  QString path_;
  int fd_ = -1;
  qint64 size_ = 0;
};

/// Human-readable size for messages ("256 KiB", "64 MiB").
QString SizeText(qint64 bytes);

}  // namespace corvale::formats
