#include "formats/Formats.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "formats/CsvFormat.h"
#include "formats/DicomFormat.h"
#include "formats/EdfFormat.h"
#include "formats/InputFile.h"
#include "formats/WfdbFormat.h"
#include "record/NativePath.h"
#include "record/RecordName.h"

namespace corvale::formats {
namespace {

bool HasSuffix(const QString& path, const QStringList& suffixes) {
  for (const QString& s : suffixes)
    if (path.endsWith(u'.' + s, Qt::CaseInsensitive)) return true;
  return false;
}

bool IsDicom(const QByteArray& head) { return head.size() >= 132 && head.mid(128, 4) == "DICM"; }
bool IsEdf(const QByteArray& head) {
  return head.startsWith("0       ") || head.startsWith(
                                            "\xff"
                                            "BIOSEMI");
}

// The record file's own reader: it reads regular files only, without waiting
// on a FIFO or device; `options` change the header, the rest stays byte for byte.
std::variant<ReadRecord, FileError> ReadRecordAsIs(const QString& path, const HeaderOptions& options) {
  ReadRecord r;
  r.image = std::make_unique<RecordImage>();
  if (auto err = ReadRecordFile(path, *r.image)) return *err;
  if (auto err = ApplyHeader(*r.image, options)) return FileError{path, *err};
  r.sourceFiles << path;
  return r;
}

QStringList WfdbFiles(const QString& path) {
  const QString header = WfdbHeaderPath(path);
  return {header, header.left(header.size() - 4) + QStringLiteral(".dat")};
}

// The export dialog's captions and the open dialog's are translated by the
// window, in the contexts "RecordFiles" and "NameFilter".
std::vector<FileFormat> MakeRegistry() {
  using S = ExportSource;
  std::vector<FileFormat> rows{
      {FormatKind::Record,
       "record",
       {QString(RecordFileSuffixes[0]), QString(RecordFileSuffixes[1])},
       {},
       QT_TRANSLATE_NOOP("NameFilter", "Record files"),
       nullptr,
       S::None,
       nullptr,
       ReadRecordAsIs,
       nullptr,
       nullptr},
      {FormatKind::Wfdb,
       "wfdb",
       {QStringLiteral("hea")},
       {QStringLiteral("dat"), QStringLiteral("mat")},
       QT_TRANSLATE_NOOP("NameFilter", "WFDB records"),
       QT_TRANSLATE_NOOP("RecordFiles", "WFDB record, .hea and .dat (*.hea)"),
       S::Record,
       nullptr,
       ReadWfdb,
       PrepareWfdb,
       WfdbFiles,
       true},
      {FormatKind::Edf,
       "edf",
       {QStringLiteral("edf"), QStringLiteral("bdf"), QStringLiteral("rec")},
       {},
       QT_TRANSLATE_NOOP("NameFilter", "EDF, EDF+ and BDF files"),
       QT_TRANSLATE_NOOP("RecordFiles", "EDF+ file (*.edf)"),
       S::Record,
       IsEdf,
       ReadEdf,
       PrepareEdf,
       nullptr},
      {FormatKind::Dicom,
       "dicom",
       {QStringLiteral("dcm"), QStringLiteral("dicom")},
       {},
       QT_TRANSLATE_NOOP("NameFilter", "DICOM ECG files"),
       QT_TRANSLATE_NOOP("RecordFiles", "DICOM 12-lead ECG (*.dcm)"),
       S::Record,
       IsDicom,
       ReadDicom,
       PrepareDicom,
       nullptr},
      {FormatKind::Csv,
       "csv",
       {QStringLiteral("csv")},
       {},
       QT_TRANSLATE_NOOP("NameFilter", "CSV files"),
       QT_TRANSLATE_NOOP("RecordFiles", "CSV, time and twelve leads in uV (*.csv)"),
       S::Record,
       nullptr,
       ReadCsv,
       PrepareCsv,
       nullptr},
      {FormatKind::Png,
       "png",
       {QStringLiteral("png")},
       {},
       nullptr,
       QT_TRANSLATE_NOOP("RecordFiles", "PNG image of the main view (*.png)"),
       S::MainView,
       nullptr,
       nullptr,
       nullptr,
       nullptr},
      {FormatKind::Pdf,
       "pdf",
       {QStringLiteral("pdf")},
       {},
       nullptr,
       QT_TRANSLATE_NOOP("RecordFiles", "PDF of the printed page (*.pdf)"),
       S::PrintedPage,
       nullptr,
       nullptr,
       nullptr,
       nullptr},
  };
  return rows;
}

}  // namespace

const std::vector<FileFormat>& Formats() {
  static const std::vector<FileFormat> registry = MakeRegistry();
  return registry;
}

const FileFormat& FormatOf(FormatKind kind) {
  for (const FileFormat& f : Formats())
    if (f.kind == kind) return f;
  return Formats().front();  // every kind has a row
}

const FileFormat* ExportFormatNamed(const QString& name) {
  for (const FileFormat& f : Formats())
    if (f.Exports() && name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

QStringList ExportFormatNames() {
  QStringList names;
  for (const FileFormat* f : ExportFormats()) names << QString::fromLatin1(f->name);
  return names;
}

const FileFormat* ExportFormatForSuffix(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  for (const FileFormat* f : ExportFormats())
    if (suffix.compare(f->suffixes.front(), Qt::CaseInsensitive) == 0) return f;
  return nullptr;
}

std::vector<const FileFormat*> ExportFormats() {
  std::vector<const FileFormat*> out;
  for (const FileFormat& f : Formats())
    if (f.Exports()) out.push_back(&f);
  return out;
}

std::variant<FormatKind, FileError> DetectFormat(const QString& path) {
  // A record file is known by its name alone (its reader checks the rest):
  // a batch of thousands of them is not opened twice each.
  const FileFormat& record = FormatOf(FormatKind::Record);
  if (HasSuffix(path, record.suffixes)) return FormatKind::Record;
  // A WFDB record may be named by its base name, which is no file at all.
  if (!PathExists(path) && PathExists(path + QStringLiteral(".hea"))) return FormatKind::Wfdb;
  auto opened = InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  const InputFile& file = std::get<InputFile>(opened);
  auto head = file.Read(0, 132);
  if (auto* err = std::get_if<FileError>(&head)) return *err;
  const QByteArray& h = std::get<QByteArray>(head);
  for (const FileFormat& f : Formats())
    if (f.detect && f.detect(h)) return f.kind;
  for (const FileFormat& f : Formats()) {
    if (!f.Reads()) continue;
    if (HasSuffix(path, f.suffixes)) return f.kind;
    if (HasSuffix(path, f.signalSuffixes) && PathExists(WfdbHeaderPath(path))) return f.kind;
  }
  if (file.Size() == static_cast<qint64>(RecordFileSize)) return FormatKind::Record;
  return FileError{path, QStringLiteral("is not in a format CORVALE reads (record files, WFDB, EDF/EDF+/BDF, "
                                        "DICOM 12-lead or general ECG, CSV)")};
}

QString RecordFileFor(const QString& path) {
  if (IsReadableName(path)) return path;
  const auto detected = DetectFormat(path);
  const auto* kind = std::get_if<FormatKind>(&detected);
  if (!kind) return {};
  return HasSuffix(path, FormatOf(*kind).signalSuffixes) ? WfdbHeaderPath(path) : path;
}

QStringList FilesRead(const QString& path) {
  QStringList files{path};
  // Only a WFDB header names other files; the formats known by their suffix
  // are not looked up any further.
  for (const FileFormat& f : Formats())
    if (f.kind != FormatKind::Wfdb && f.Reads() && HasSuffix(path, f.suffixes)) return files;
  for (const QString& file : WfdbFilesRead(path))
    if (!files.contains(file)) files << file;
  return files;
}

std::variant<OpenedRecord, FileError> ReadAnyRecord(const QString& path, const HeaderOptions& options) {
  auto detected = DetectFormat(path);
  if (auto* err = std::get_if<FileError>(&detected)) return *err;
  OpenedRecord opened;
  opened.format = std::get<FormatKind>(detected);
  opened.displayName = QFileInfo(path).fileName();
  std::variant<ReadRecord, FileError> read = FormatOf(opened.format).read(path, options);
  if (auto* err = std::get_if<FileError>(&read)) return *err;
  ReadRecord& r = std::get<ReadRecord>(read);
  opened.image = std::move(r.image);
  opened.sourceFiles = r.sourceFiles;
  opened.notes = r.notes;
  opened.warnings = r.warnings;
  return opened;
}

Prepared PrepareRecordAs(const RecordImage& image, FormatKind format, const QString& path, const OutputPolicy& policy,
                         const ExportFiltering& filtering) {
  const FileFormat& f = FormatOf(format);
  if (!f.prepare) return FileError{path, QStringLiteral("%1 is not a format records are written in").arg(f.name)};
  return f.prepare(image, path, policy, filtering);
}

std::optional<FileError> WriteRecordAs(const RecordImage& image, FormatKind format, const QString& path,
                                       const OutputPolicy& policy) {
  return CommitPrepared(PrepareRecordAs(image, format, path, policy));
}

QString OutputFileName(const QString& inputPath, FormatKind format) {
  const FileFormat& f = FormatOf(format);
  QString base = QFileInfo(inputPath).completeBaseName();
  if (base.isEmpty()) base = QFileInfo(inputPath).fileName();
  if (f.recordNameOnly) {
    static const QRegularExpression invalid(QStringLiteral("[^A-Za-z0-9_]"));
    base.replace(invalid, QStringLiteral("_"));
  }
  return base + u'.' + f.suffixes.front();
}

QStringList OutputFiles(const QString& path, FormatKind format) {
  const FileFormat& f = FormatOf(format);
  return f.filesWritten ? f.filesWritten(path) : QStringList{path};
}

std::vector<NameFilter> ReadableNameFilters() {
  std::vector<NameFilter> filters;
  NameFilter all{QString::fromLatin1(QT_TRANSLATE_NOOP("NameFilter", "All readable files")), {}};
  for (const FileFormat& f : Formats()) {
    if (!f.Reads() || !f.openCaption) continue;
    NameFilter filter{QString::fromLatin1(f.openCaption), {}};
    for (const QString& s : f.suffixes) filter.patterns << QStringLiteral("*.") + s;
    all.patterns += filter.patterns;
    filters.push_back(filter);
  }
  filters.push_back(all);
  return filters;
}

bool IsReadableName(const QString& fileName) {
  for (const FileFormat& f : Formats())
    if (f.Reads() && HasSuffix(fileName, f.suffixes)) return true;
  return false;
}

}  // namespace corvale::formats
