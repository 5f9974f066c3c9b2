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

/// Saves the image as a BMP file; a failed save leaves no partial file.
[[nodiscard]] std::optional<FileError> SaveBmp(const Image& image, const QString& path);

/// Blanks the identification in the record: PatientId becomes eight "0", and
/// the whole PatientName field "unknown" followed by zero bytes.
void BlankIdentification(RecordImage& image);

/// The path of an output file: directory, separator, name as typed.
QString OutputFilePath(const QString& directory, const QString& name);

/// Writes the record to `outputPath` through a temporary file in the same
/// directory. Refuses to write over `sourcePath`, the loaded record's own file.
/// With `blank`, the identification is blanked in `image` first (and stays so).
[[nodiscard]] std::optional<FileError> CopyRecordFile(RecordImage& image, bool blank, const QString& outputPath,
                                                      const QString& sourcePath);

}  // namespace corvale
