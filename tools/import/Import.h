// Turning a 12-lead WFDB record into a record file.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "import/Wfdb.h"
#include "record/RecordFormat.h"

namespace corvale {

/// Header values given on the command line; unset ones come from the WFDB
/// comments where they say it (age, sex), or stay spaces.
struct HeaderOptions {
  std::optional<QString> id, name, sex, age, ageUnit, date, time, height, weight, bloodPressure;
};

/// Microvolts per record unit.
inline constexpr double MicrovoltsPerRecordUnit = 4.88;
inline constexpr double RecordSamplingRate = 500.0;

/// Band-limited resampling of `x` from `fromHz` to `toHz` (windowed sinc, cut-off
/// below the lower Nyquist frequency), giving `count` samples from time 0.
std::vector<double> Resample(const std::vector<double>& x, double fromHz, double toHz, std::size_t count);

/// The same for several signals of equal length at once (the filter weights
/// are computed once per output sample).
std::vector<std::vector<double>> Resample(const std::vector<const std::vector<double>*>& signals, double fromHz,
                                          double toHz, std::size_t count);

/// Microvolts to record units: rounded to nearest, clamped to 16 bits.
std::int16_t ToRecordUnits(double microvolts);

/// Builds the record from a parsed header and its decoded signals.
std::variant<std::unique_ptr<RecordImage>, QString> BuildRecord(const wfdb::Header& header,
                                                                const wfdb::Samples& samples,
                                                                const HeaderOptions& options);

/// Reads RECORD_BASE.hea and its signal files (beside it) and builds the record.
std::variant<std::unique_ptr<RecordImage>, QString> ImportRecord(const QString& recordBase,
                                                                 const HeaderOptions& options);

/// The bytes of a record file.
QByteArray RecordBytes(const RecordImage& image);

/// Writes the record to `path` through a temporary file in the same directory,
/// so that a failed write never leaves a partial record behind. Refuses a path
/// that is one of `inputs` (by identity) or not a regular file.
std::optional<QString> WriteRecordFile(const QString& path, const RecordImage& image, const QStringList& inputs = {});

}  // namespace corvale
