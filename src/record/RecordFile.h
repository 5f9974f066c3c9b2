// Reading a record file into a RecordImage, with errors as results.
#pragma once

#include <QString>
#include <optional>

#include "record/RecordFormat.h"

namespace corvale {

/// What went wrong with a file: which file and the reason, for the user.
struct FileError {
  QString path;
  QString reason;

  /// One sentence for a message box: the file, then the reason.
  QString Describe() const;
};

/// Reads the first RecordFileSize bytes of `path` into `image`.
/// Only a regular file (or a link to one) is read: a directory, FIFO, socket,
/// device or dangling link is refused with the reason, and nothing here waits
/// for a writer or a device. A file that cannot be opened, cannot be read, or
/// is shorter than a record is an error; `image` is then all zero, so no earlier record's bytes survive
/// under this file's name. Returns nothing on success.
[[nodiscard]] std::optional<FileError> ReadRecordFile(const QString& path, RecordImage& image);

/// The same for a file named by its native path, byte for byte: a name that
/// is not valid in the system's encoding (Shift-JIS from a Windows medium on a
/// UTF-8 system) is opened as it is. `shownPath` names the file in an error;
/// when empty, the path decoded as the system does.
[[nodiscard]] std::optional<FileError> ReadRecordFile(const QByteArray& nativePath, RecordImage& image,
                                                      const QString& shownPath = {});

}  // namespace corvale
