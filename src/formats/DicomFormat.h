// DICOM ECG waveforms through DCMTK: the 12-Lead ECG IOD out, it and the
// General ECG IOD in.
#pragma once

#include <QString>
#include <variant>

#include "formats/Conversion.h"
#include "formats/WfdbFormat.h"
#include "record/RecordFile.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// The root of every UID this program makes (study, series, instance):
/// 2.25 followed by a random UUID written as one decimal integer
/// (2041739f-28c8-4bc6-8b13-d7f98af0b77f), a root that needs no registration.
inline constexpr char DicomUidRoot[] = "2.25.42875140247925874835644600962178398079";

/// Largest DICOM file read; an ECG object has a few hundred kilobytes.
inline constexpr qint64 MaxDicomBytes = 64LL * 1024 * 1024;
/// Most sequence items read (annotations, channels, codes); an ECG object has
/// a few hundred, and the parser's time and memory grow with their number.
inline constexpr qsizetype MaxDicomItems = 100000;

/// Reads a 12-Lead or General ECG waveform object: the first multiplex group
/// that holds the twelve standard leads (a rhythm group before a median beat),
/// identified by channel source code (SCPECG or MDC) or by name; the first 10 s
/// at 500 Hz; patient name, ID, sex, age, size, weight, the study date and
/// time, and the global measurements among the waveform annotations.
std::variant<ReadRecord, FileError> ReadDicom(const QString& path, const HeaderOptions& options = {});

/// The same from the bytes of a file already read; `path` names it in errors.
std::variant<ReadRecord, FileError> ReadDicomBytes(const QByteArray& bytes, const QString& path,
                                                   const HeaderOptions& options = {});

/// Writes a 12-Lead ECG Waveform object: one multiplex group "RHYTHM" of twelve
/// channels at 500 Hz (SS, 16 bits, 4.88 uV per unit), with SCPECG channel
/// source codes; the patient (name in UTF-8, ID, sex, age, size, weight), the
/// recording date and time as study, content and acquisition date and time, and
/// the numeric measurements as waveform annotations. A record without a valid
/// recording date and time is refused: the object must carry them. Its UIDs
/// are new ones under DicomUidRoot.
[[nodiscard]] std::optional<FileError> WriteDicom(const RecordImage& image, const QString& path,
                                                  const OutputPolicy& policy = {});
Prepared PrepareDicom(const RecordImage& image, const QString& path, const OutputPolicy& policy = {},
                      const ExportFiltering& filtering = {});

}  // namespace corvale::formats
