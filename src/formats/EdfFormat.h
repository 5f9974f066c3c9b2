// EDF, EDF+ and BDF in, EDF+ out, through EDFlib.
#pragma once

#include <QString>
#include <variant>

#include "formats/Conversion.h"
#include "formats/WfdbFormat.h"
#include "record/RecordFile.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// Annotations are read from the start of the file up to this many bytes of
/// annotation signal and this many annotation texts, whatever the file holds:
/// the measurements and name that map onto the header come first.
inline constexpr qint64 MaxEdfAnnotationBytes = 64LL * 1024;
inline constexpr int MaxEdfAnnotations = 1000;

/// Reads the twelve standard leads (labels such as "ECG V1" or "V1", any
/// voltage dimension) of an EDF, EDF+, BDF or BDF+ file, the first 10 s at
/// 500 Hz, with the patient fields of an EDF+ header and the measurements of
/// its annotations.
std::variant<ReadRecord, FileError> ReadEdf(const QString& path, const HeaderOptions& options = {});

/// Writes the record as EDF+: twelve signals "ECG I" ... "ECG V6" at 500 Hz in
/// ten 1 s data records, dimension uV, digital -32768..32767 over the physical
/// range -159908..159903.1 (the 16-bit range at 4.88 uV per unit as 8
/// characters hold it: 4.8800046 uV per unit, -0.01 uV at 0); the patient in EDF+ form (code,
/// sex, name where it is ASCII, "Age:", "Height:", "Weight:", "BP:" in the
/// additional field), the start date and time (1985-01-01 00:00:00 when not
/// known), and the measurements (and a name outside ASCII) as annotations at 0 s.
[[nodiscard]] std::optional<FileError> WriteEdf(const RecordImage& image, const QString& path,
                                                const OutputPolicy& policy = {});
Prepared PrepareEdf(const RecordImage& image, const QString& path, const OutputPolicy& policy = {},
                    const ExportFiltering& filtering = {});

}  // namespace corvale::formats
