// The registry of formats: one row per kind of file the program reads or
// writes, and the one door to them. The window's dialogs, its Open, drops and
// Export, the command line, directory scans and every corvale-tool command ask
// it which files are records, how to read them and how to write a record.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "formats/Conversion.h"
#include "formats/Outputs.h"
#include "formats/WfdbFormat.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::formats {

/// Every kind of file, read or written.
enum class FormatKind { Record, Wfdb, Edf, Dicom, Csv, Png, Pdf };

/// What an export of a kind is made from.
enum class ExportSource {
  None,         // not an export target
  Record,       // the record's samples and header (the row's prepare function)
  MainView,     // the main view's picture, as the window shows it
  PrintedPage,  // the printed page, with its margin annotations
};

/// One row of the registry.
struct FileFormat {
  FormatKind kind;
  const char* name;            // "wfdb": export --to, messages
  QStringList suffixes;        // without the dot, any case; the first is what an export writes
  QStringList signalSuffixes;  // files that stand for a header beside them (WFDB's .dat, .mat)
  const char* openCaption;     // the open dialog's caption (context "NameFilter"); null: not offered
  const char* exportCaption;   // the export dialog's filter (context "RecordFiles"); null: not offered
  ExportSource exportSource;
  /// Claims a file by its first 132 bytes; null: known by its name alone.
  bool (*detect)(const QByteArray& head);
  /// Reads the file; null: the kind is written only.
  std::variant<ReadRecord, FileError> (*read)(const QString& path, const HeaderOptions& options);
  /// Writes a record (ExportSource::Record), closed but not yet in place,
  /// saying where the format can how its samples were filtered.
  Prepared (*prepare)(const RecordImage& image, const QString& path, const OutputPolicy& policy,
                      const ExportFiltering& filtering);
  /// Every file an export to `path` writes; null: `path` alone.
  QStringList (*filesWritten)(const QString& path);
  bool recordNameOnly = false;  // output base names keep only letters, digits and "_"

  bool Reads() const { return read != nullptr; }
  bool Exports() const { return exportSource != ExportSource::None; }
};

/// The registry, in the order dialogs list the kinds.
const std::vector<FileFormat>& Formats();
const FileFormat& FormatOf(FormatKind kind);
/// The export target named `name` ("wfdb", "edf", "dicom", "csv", "png", "pdf"; any case).
const FileFormat* ExportFormatNamed(const QString& name);
/// The names of every export target, in registry order.
QStringList ExportFormatNames();
/// The export target whose suffix `path` ends in.
const FileFormat* ExportFormatForSuffix(const QString& path);
/// The export targets in the order of the export dialog's filters.
std::vector<const FileFormat*> ExportFormats();

/// A record read from a file of any supported format.
struct OpenedRecord {
  std::unique_ptr<RecordImage> image;
  QString displayName;  // the file's own name, as the work list shows it
  FormatKind format = FormatKind::Record;
  QStringList sourceFiles;  // every file read (a WFDB record has several)
  QStringList notes;        // what was made up for what the file lacks ("III, aVR, aVL and aVF were derived ...")
  QStringList warnings;     // doubts that did not stop the reading (a WFDB checksum that disagrees)
};

/// The format of `path`: a record file by its name (.nrm/.msd); otherwise by
/// content first (a DICOM preamble, an EDF or BDF header), then by name
/// (.hea/.dat/.mat, .edf/.bdf/.rec, .dcm/.dicom), then a file of exactly a
/// record's size; or an error naming the file and why.
std::variant<FormatKind, FileError> DetectFormat(const QString& path);

/// The file that stands for the record `path` belongs to: the file itself, or
/// for a signal file the header beside it; empty when nothing reads it. A
/// header and its signal file named together are one record.
QString RecordFileFor(const QString& path);

/// The files ReadAnyRecord(path) would read, found without reading the data:
/// the file itself, and for a WFDB record its header and the signal files the
/// header names (whatever their names).
QStringList FilesRead(const QString& path);

/// Reads any supported file into a record. Foreign files become the first 10 s
/// of their twelve standard leads at 500 Hz; `options` override header values
/// of any file (a record file keeps the rest of its header byte for byte).
std::variant<OpenedRecord, FileError> ReadAnyRecord(const QString& path, const HeaderOptions& options = {});

/// Writes the record in a data format (ExportSource::Record) to `path` through
/// a temporary file and a rename (for WFDB, `path` names the .hea and the .dat
/// goes beside it).
[[nodiscard]] std::optional<FileError> WriteRecordAs(const RecordImage& image, FormatKind format, const QString& path,
                                                     const OutputPolicy& policy = {});

/// The same, written and closed but not yet in place: a batch makes many such
/// outputs durable at once (SyncFileSystem) and then calls PublishInOrder.
/// `filtering` says how the samples were filtered, where the format has a place for it.
Prepared PrepareRecordAs(const RecordImage& image, FormatKind format, const QString& path,
                         const OutputPolicy& policy = {}, const ExportFiltering& filtering = {});

/// The output file name for an input: its base name with the format's suffix;
/// for WFDB, characters a record name may not hold become "_".
QString OutputFileName(const QString& inputPath, FormatKind format);

/// Every file `format` writes for the output `path` (WFDB: the .hea and the .dat).
QStringList OutputFiles(const QString& path, FormatKind format);

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
