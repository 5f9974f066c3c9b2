// EDF, EDF+ and BDF in, EDF+ out, through EDFlib.
#pragma once

#include <QString>
#include <variant>

#include "formats/Conversion.h"
#include "formats/WfdbFormat.h"
#include "record/RecordFile.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// Files up to this size have their annotations read (EDFlib reads all of
/// them when it opens a file); a larger file gives its signals only.
inline constexpr qint64 MaxAnnotatedEdfBytes = 64LL * 1024 * 1024;

/// Reads the twelve standard leads (labels such as "ECG V1" or "V1", any
/// voltage dimension) of an EDF, EDF+, BDF or BDF+ file, the first 10 s at
/// 500 Hz, with the patient fields of an EDF+ header and the measurements of
/// its annotations.
std::variant<ReadRecord, FileError> ReadEdf(const QString& path, const HeaderOptions& options = {});

/// Writes the record as EDF+: twelve signals "ECG I" ... "ECG V6" at 500 Hz in
/// ten 1 s data records, dimension uV, digital -32768..32767 over the physical
/// range of 16 bits at 4.88 uV per unit; the patient in EDF+ form (code,
/// sex, name where it is ASCII, "Age:", "Height:", "Weight:", "BP:" in the
/// additional field), the start date and time (1985-01-01 00:00:00 when not
/// known), and the measurements (and a name outside ASCII) as annotations at 0 s.
[[nodiscard]] std::optional<FileError> WriteEdf(const RecordImage& image, const QString& path,
                                                const OutputPolicy& policy = {});
Prepared PrepareEdf(const RecordImage& image, const QString& path, const OutputPolicy& policy = {});

}  // namespace corvale::formats
