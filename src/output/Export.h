// The displayed picture to the clipboard or a BMP file, and the record copy
// with the patient's identification optionally blanked.
#pragma once

#include <QString>
#include <optional>

#include "gfx/Image.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"

namespace corvale {

/// Puts the image on the clipboard as a bitmap, replacing what was there.
void CopyImageToClipboard(const Image& image);

/// Saves the image as a BMP file through a temporary file beside it: a failed
/// save leaves no partial file and the old one as it was, and gives the
/// system's reason. Never replaces a directory, device or FIFO, nor
/// `sourcePath` (the loaded record's own file) when given.
[[nodiscard]] std::optional<FileError> SaveBmp(const Image& image, const QString& path,
                                               const QString& sourcePath = QString());

/// Blanks the identification in the record: PatientId becomes eight "0", and
/// the whole PatientName field "unknown" followed by zero bytes.
void BlankIdentification(RecordImage& image);

/// The path of an output file: directory, separator, name as typed.
QString OutputFilePath(const QString& directory, const QString& name);

/// Writes the record to `outputPath` through a temporary file in the same
/// directory, flushed to disk before it replaces the target. Refuses to write
/// over `sourcePath`, the loaded record's own file, and over anything that is
/// not a regular file. With `blank`, the identification is blanked in `image`
/// first (and stays so); a refused target leaves `image` as it was.
[[nodiscard]] std::optional<FileError> CopyRecordFile(RecordImage& image, bool blank, const QString& outputPath,
                                                      const QString& sourcePath);

}  // namespace corvale
