#include "record/RecordFile.h"

#include <QFile>
#include <QFileInfo>

namespace corvale {

QString FileError::Describe() const { return QStringLiteral("%1: %2").arg(path, reason); }

std::optional<FileError> ReadRecordFile(const QString& path, RecordImage& image) {
  auto fail = [&](QString reason) {
    image.Clear();
    return std::optional<FileError>(FileError{path, std::move(reason)});
  };
  if (QFileInfo(path).isDir()) return fail(QStringLiteral("is a directory, not a record file"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
  qint64 total = 0;
  auto* dest = reinterpret_cast<char*>(image.bytes.data());
  // Loop: a pipe or network file may deliver fewer bytes than asked per read.
  while (total < static_cast<qint64>(RecordFileSize)) {
    const qint64 got = file.read(dest + total, static_cast<qint64>(RecordFileSize) - total);
    if (got < 0) return fail(file.errorString());
    if (got == 0) break;
    total += got;
  }
  if (total < static_cast<qint64>(RecordFileSize))
    return fail(QStringLiteral("the file has %1 bytes; a record needs %2 bytes")
                    .arg(total)
                    .arg(RecordFileSize));
  return std::nullopt;
}

}  // namespace corvale
