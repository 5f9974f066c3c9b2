// WFDB records in and out: a .hea header with its signal files beside it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <variant>

#include "formats/Conversion.h"
#include "formats/Outputs.h"
#include "record/RecordFile.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// Largest .hea file read; real headers have a few kilobytes.
inline constexpr qint64 MaxWfdbHeaderBytes = qint64{256} * 1024;

/// What a reader made of a file: the record and every file it read.
struct ReadRecord {
  std::unique_ptr<RecordImage> image;
  QStringList sourceFiles;
  QStringList notes;     // what the reader made up for what the file lacks (leads derived from others)
  QStringList warnings;  // doubts about the file that did not stop the reading (a wrong checksum)
};

/// Signal files up to this size in all are read whole so that their
/// checksums can be checked; a larger record is read only as far as 10 s need.
inline constexpr qint64 MaxChecksummedWfdbBytes = 64LL * 1024 * 1024;

/// Reads a WFDB record named by its header (RECORD.hea), its base name
/// (RECORD) or one of its signal files (RECORD.dat, RECORD.mat): format 16,
/// 212 or the .mat form, the twelve standard leads by name, the first 10 s at
/// 500 Hz. Only the bytes those 10 s need are read, or the whole signal files
/// when the header gives checksums (up to MaxChecksummedWfdbBytes): a checksum
/// that disagrees is a warning. A base date or time that is not a real one is
/// refused.
std::variant<ReadRecord, FileError> ReadWfdb(const QString& path, const HeaderOptions& options = {});

/// The header file that `path` stands for (RECORD, RECORD.hea, RECORD.dat or RECORD.mat).
QString WfdbHeaderPath(const QString& path);

/// The files ReadWfdb(path) would open: the header and the signal files it
/// names, found from the header alone. Empty when there is no such header.
QStringList WfdbFilesRead(const QString& path);

/// Writes the record as RECORD.hea and RECORD.dat (format 16) where `path` is
/// RECORD.hea (or RECORD): gain 1000/4.88 adu per mV, baseline 0, lead names,
/// the recording date and time on the record line, and the patient's fields
/// and measurements as "# Key: value" comments. RECORD may hold only letters,
/// digits and underscores, as WFDB record names do.
[[nodiscard]] std::optional<FileError> WriteWfdb(const RecordImage& image, const QString& path,
                                                 const OutputPolicy& policy = {});
/// The same, closed but not in place (the .dat, then the .hea).
Prepared PrepareWfdb(const RecordImage& image, const QString& path, const OutputPolicy& policy = {},
                     const ExportFiltering& filtering = {});

}  // namespace corvale::formats
