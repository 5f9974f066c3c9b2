// The record's samples as comma-separated text, for spreadsheets and scripts.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "formats/Outputs.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// "time_s,I_uV,II_uV,...,V6_uV", then one line per sample: the time in seconds
/// (three decimals) and the twelve leads in microvolts (two decimals, exact:
/// a record unit is 4.88 uV).
QByteArray CsvText(const RecordImage& image);

[[nodiscard]] std::optional<FileError> WriteCsv(const RecordImage& image, const QString& path,
                                                const OutputPolicy& policy = {});
Prepared PrepareCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy = {});

}  // namespace corvale::formats
