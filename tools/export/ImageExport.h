// The main view as a PNG image and the printed page as a PDF, for export.
#pragma once

#include <QString>
#include <optional>

#include "formats/Formats.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale {

/// Draws the record with the default display state: the main view's traces
/// (as `render` writes them) or the printed page (as `print` writes it, through
/// the one print function: A4 portrait at 600 dpi with the default print
/// settings), titled by `name`.
[[nodiscard]] std::optional<FileError> WriteImage(const RecordImage& image, const QString& name,
                                                  formats::FormatKind kind, const QString& path,
                                                  const OutputPolicy& policy);
/// The same, closed but not yet in place.
formats::Prepared PrepareImage(const RecordImage& image, const QString& name, formats::FormatKind kind,
                               const QString& path, const OutputPolicy& policy);

}  // namespace corvale
