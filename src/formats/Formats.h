// One door to every format: read any supported file into a record, write a
// record in a chosen format. What the window's Open and Export and the batch
// commands call.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "formats/Conversion.h"
#include "formats/Outputs.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// What a file holds, found from its content and its name.
enum class SourceFormat { Record, Wfdb, Edf, Dicom };

/// Formats a record can be written in.
enum class OutputFormat { Wfdb, Edf, Dicom, Csv };

/// A record read from a file of any supported format.
struct OpenedRecord {
  std::unique_ptr<RecordImage> image;
  QString displayName;  // the file's own name, as the work list shows it
  SourceFormat format = SourceFormat::Record;
  QStringList sourceFiles;  // every file read (a WFDB record has several)
  QStringList warnings;     // doubts that did not stop the reading (a WFDB checksum that disagrees)
};

/// The format of `path`: a record file by its name (.nrm/.msd); otherwise by
/// content first (a DICOM preamble, an EDF or BDF header), then by name
/// (.hea/.dat/.mat, .edf/.bdf, .dcm), then a file of exactly a record's size;
/// or an error naming the file and why.
std::variant<SourceFormat, FileError> DetectFormat(const QString& path);

/// The files ReadAnyRecord(path) would read, found without reading the data:
/// the file itself, and for a WFDB record its header and the signal files the
/// header names (whatever their names).
QStringList FilesRead(const QString& path);

/// Reads any supported file into a record. Foreign files become the first 10 s
/// of their twelve standard leads at 500 Hz; `options` override header values
/// of any file (a record file keeps the rest of its header byte for byte).
std::variant<OpenedRecord, FileError> ReadAnyRecord(const QString& path, const HeaderOptions& options = {});

/// Writes the record in `format` to `path` through a temporary file and a
/// rename (for WFDB, `path` names the .hea and the .dat goes beside it).
[[nodiscard]] std::optional<FileError> WriteRecordAs(const RecordImage& image, OutputFormat format, const QString& path,
                                                     const OutputPolicy& policy = {});

/// The same, written and closed but not yet in place: a batch makes many such
/// outputs durable at once (SyncFileSystem) and then calls PublishInOrder.
Prepared PrepareRecordAs(const RecordImage& image, OutputFormat format, const QString& path,
                         const OutputPolicy& policy = {});

/// "wfdb", "edf", "dicom", "csv" (any case); empty when unknown.
std::optional<OutputFormat> ParseOutputFormat(const QString& name);
QString OutputFormatName(OutputFormat format);

/// The output file name for an input: its base name with the format's
/// extension (.hea, .edf, .dcm, .csv); for WFDB, characters a record name may
/// not hold become "_".
QString OutputFileName(const QString& inputPath, OutputFormat format);

/// Every file `format` writes for the output `path` (WFDB: the .hea and the .dat).
QStringList OutputFiles(const QString& path, OutputFormat format);

/// A file dialog's filters: one per readable format, then all of them.
struct NameFilter {
  QString caption;       // English; the window translates it
  QStringList patterns;  // "*.edf", ...
};
std::vector<NameFilter> ReadableNameFilters();

/// Whether a directory listing should offer this file name as a record to read
/// (signal files of WFDB records are reached through their headers).
bool IsReadableName(const QString& fileName);

}  // namespace corvale::formats
