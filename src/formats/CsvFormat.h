// The record's samples as comma-separated text, for spreadsheets and scripts.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "formats/Outputs.h"
#include "formats/WfdbFormat.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// "time_s,I_uV,II_uV,...,V6_uV", then one line per sample: the time in seconds
/// (three decimals) and the twelve leads in microvolts (two decimals, exact:
/// a record unit is 4.88 uV).
QByteArray CsvText(const RecordImage& image);

/// Reads leads from comma- or semicolon-separated text: a header row naming
/// the leads in any order, each with its unit (I_uV, "V1 (mV)", ...), and an
/// optional time column (time_s, time_ms) that gives the sampling rate; without
/// one, `options.samplingRate` must. What is ambiguous (no unit, an uneven
/// time step, two columns of one lead, a rate given twice that disagrees) is
/// refused with the reason. Eight independent leads suffice (see BuildRecord).
std::variant<ReadRecord, FileError> ReadCsv(const QString& path, const HeaderOptions& options = {});

[[nodiscard]] std::optional<FileError> WriteCsv(const RecordImage& image, const QString& path,
                                                const OutputPolicy& policy = {});
Prepared PrepareCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy = {},
                    const ExportFiltering& filtering = {});

}  // namespace corvale::formats
