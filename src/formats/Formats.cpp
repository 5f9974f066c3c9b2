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

namespace corvale::formats {
namespace {

bool HasSuffix(const QString& path, std::initializer_list<const char*> suffixes) {
  for (const char* s : suffixes)
    if (path.endsWith(QLatin1String(s), Qt::CaseInsensitive)) return true;
  return false;
}

// Captions in English; the window looks them up in the "NameFilter" context.
QString Caption(const char* text) { return QString::fromLatin1(text); }

}  // namespace

std::variant<SourceFormat, FileError> DetectFormat(const QString& path) {
  // A record file is known by its name alone (its reader checks the rest):
  // a batch of thousands of them is not opened twice each.
  if (HasSuffix(path, {".nrm", ".msd"})) return SourceFormat::Record;
  // A WFDB record may be named by its base name, which is no file at all.
  if (!PathExists(path) && PathExists(path + QStringLiteral(".hea"))) return SourceFormat::Wfdb;
  auto opened = InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  const InputFile& file = std::get<InputFile>(opened);
  auto head = file.Read(0, 132);
  if (auto* err = std::get_if<FileError>(&head)) return *err;
  const QByteArray& h = std::get<QByteArray>(head);
  if (h.size() >= 132 && h.mid(128, 4) == "DICM") return SourceFormat::Dicom;
  if (h.startsWith("0       ") || h.startsWith("\xff"
                                               "BIOSEMI"))
    return SourceFormat::Edf;
  if (HasSuffix(path, {".hea"})) return SourceFormat::Wfdb;
  if (HasSuffix(path, {".dat", ".mat"}) && PathExists(WfdbHeaderPath(path))) return SourceFormat::Wfdb;
  if (HasSuffix(path, {".edf", ".bdf", ".rec"})) return SourceFormat::Edf;
  if (HasSuffix(path, {".dcm", ".dicom"})) return SourceFormat::Dicom;
  if (file.Size() == static_cast<qint64>(RecordFileSize)) return SourceFormat::Record;
  return FileError{path, QStringLiteral("is not in a format CORVALE reads (record files, WFDB, EDF/EDF+/BDF, "
                                        "DICOM 12-lead or general ECG)")};
}

QStringList FilesRead(const QString& path) {
  QStringList files{path};
  // Only a WFDB header names other files; the formats known by their suffix
  // are not looked up any further.
  if (HasSuffix(path, {".nrm", ".msd", ".edf", ".bdf", ".rec", ".dcm", ".dicom"})) return files;
  for (const QString& file : WfdbFilesRead(path))
    if (!files.contains(file)) files << file;
  return files;
}

std::variant<OpenedRecord, FileError> ReadAnyRecord(const QString& path, const HeaderOptions& options) {
  auto detected = DetectFormat(path);
  if (auto* err = std::get_if<FileError>(&detected)) return *err;
  OpenedRecord opened;
  opened.format = std::get<SourceFormat>(detected);
  opened.displayName = QFileInfo(path).fileName();
  if (opened.format == SourceFormat::Record) {
    // The record file's own reader: it reads regular files only, without waiting on a FIFO or device.
    opened.image = std::make_unique<RecordImage>();
    if (auto err = ReadRecordFile(path, *opened.image)) return *err;
    if (auto err = ApplyHeader(*opened.image, options)) return FileError{path, *err};
    opened.sourceFiles << path;
    return opened;
  }
  std::variant<ReadRecord, FileError> read = opened.format == SourceFormat::Wfdb  ? ReadWfdb(path, options)
                                             : opened.format == SourceFormat::Edf ? ReadEdf(path, options)
                                                                                  : ReadDicom(path, options);
  if (auto* err = std::get_if<FileError>(&read)) return *err;
  ReadRecord& r = std::get<ReadRecord>(read);
  opened.image = std::move(r.image);
  opened.sourceFiles = r.sourceFiles;
  opened.warnings = r.warnings;
  return opened;
}

Prepared PrepareRecordAs(const RecordImage& image, OutputFormat format, const QString& path,
                         const OutputPolicy& policy) {
  switch (format) {
    case OutputFormat::Wfdb: return PrepareWfdb(image, path, policy);
    case OutputFormat::Edf: return PrepareEdf(image, path, policy);
    case OutputFormat::Dicom: return PrepareDicom(image, path, policy);
    case OutputFormat::Csv: return PrepareCsv(image, path, policy);
  }
  return FileError{path, QStringLiteral("unknown output format")};
}

std::optional<FileError> WriteRecordAs(const RecordImage& image, OutputFormat format, const QString& path,
                                       const OutputPolicy& policy) {
  return CommitPrepared(PrepareRecordAs(image, format, path, policy));
}

std::optional<OutputFormat> ParseOutputFormat(const QString& name) {
  const QString n = name.toLower();
  if (n == u"wfdb") return OutputFormat::Wfdb;
  if (n == u"edf") return OutputFormat::Edf;
  if (n == u"dicom") return OutputFormat::Dicom;
  if (n == u"csv") return OutputFormat::Csv;
  return std::nullopt;
}

QString OutputFormatName(OutputFormat format) {
  switch (format) {
    case OutputFormat::Wfdb: return QStringLiteral("wfdb");
    case OutputFormat::Edf: return QStringLiteral("edf");
    case OutputFormat::Dicom: return QStringLiteral("dicom");
    case OutputFormat::Csv: return QStringLiteral("csv");
  }
  return {};
}

QString OutputFileName(const QString& inputPath, OutputFormat format) {
  QString base = QFileInfo(inputPath).completeBaseName();
  if (base.isEmpty()) base = QFileInfo(inputPath).fileName();
  switch (format) {
    case OutputFormat::Wfdb: {
      static const QRegularExpression invalid(QStringLiteral("[^A-Za-z0-9_]"));
      return base.replace(invalid, QStringLiteral("_")) + QStringLiteral(".hea");
    }
    case OutputFormat::Edf: return base + QStringLiteral(".edf");
    case OutputFormat::Dicom: return base + QStringLiteral(".dcm");
    case OutputFormat::Csv: return base + QStringLiteral(".csv");
  }
  return base;
}

QStringList OutputFiles(const QString& path, OutputFormat format) {
  if (format != OutputFormat::Wfdb) return {path};
  const QString header = WfdbHeaderPath(path);
  return {header, header.left(header.size() - 4) + QStringLiteral(".dat")};
}

std::vector<NameFilter> ReadableNameFilters() {
  std::vector<NameFilter> filters{
      {Caption(QT_TRANSLATE_NOOP("NameFilter", "Record files")), {QStringLiteral("*.nrm"), QStringLiteral("*.msd")}},
      {Caption(QT_TRANSLATE_NOOP("NameFilter", "WFDB records")), {QStringLiteral("*.hea")}},
      {Caption(QT_TRANSLATE_NOOP("NameFilter", "EDF, EDF+ and BDF files")),
       {QStringLiteral("*.edf"), QStringLiteral("*.bdf")}},
      {Caption(QT_TRANSLATE_NOOP("NameFilter", "DICOM ECG files")), {QStringLiteral("*.dcm")}},
  };
  NameFilter all{Caption(QT_TRANSLATE_NOOP("NameFilter", "All readable files")), {}};
  for (const NameFilter& f : filters) all.patterns += f.patterns;
  filters.push_back(all);
  return filters;
}

bool IsReadableName(const QString& fileName) {
  return HasSuffix(fileName, {".nrm", ".msd", ".hea", ".edf", ".bdf", ".dcm"});
}

}  // namespace corvale::formats
