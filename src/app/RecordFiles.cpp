// Open, drop and export: which files the window opens, and the record on the
// screen written in another format.
#include "app/RecordFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeData>
#include <QPdfWriter>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "app/ViewerState.h"
#include "formats/Formats.h"
#include "formats/WfdbFormat.h"
#include "gfx/Image.h"
#include "output/Export.h"
#include "output/PageAnnotations.h"
#include "output/PrintPage.h"
#include "record/NativePath.h"

namespace corvale {
namespace {

struct ExportKind {
  ExportFormat format;
  const char* suffix;
  const char* caption;
};

const ExportKind kExports[] = {
    {ExportFormat::Wfdb, "hea", QT_TRANSLATE_NOOP("RecordFiles", "WFDB record, .hea and .dat (*.hea)")},
    {ExportFormat::Edf, "edf", QT_TRANSLATE_NOOP("RecordFiles", "EDF+ file (*.edf)")},
    {ExportFormat::Dicom, "dcm", QT_TRANSLATE_NOOP("RecordFiles", "DICOM 12-lead ECG (*.dcm)")},
    {ExportFormat::Csv, "csv", QT_TRANSLATE_NOOP("RecordFiles", "CSV, time and twelve leads in uV (*.csv)")},
    {ExportFormat::Png, "png", QT_TRANSLATE_NOOP("RecordFiles", "PNG image of the main view (*.png)")},
    {ExportFormat::Pdf, "pdf", QT_TRANSLATE_NOOP("RecordFiles", "PDF of the printed page (*.pdf)")},
};

formats::OutputFormat DataFormat(ExportFormat format) {
  switch (format) {
    case ExportFormat::Edf: return formats::OutputFormat::Edf;
    case ExportFormat::Dicom: return formats::OutputFormat::Dicom;
    case ExportFormat::Csv: return formats::OutputFormat::Csv;
    default: return formats::OutputFormat::Wfdb;
  }
}

/// A file worth opening: a readable name, or content a format claims. A WFDB
/// signal file stands for its header; empty when nothing reads the file.
QString ReadablePath(const QString& file) {
  if (formats::IsReadableName(file)) return file;
  const auto detected = formats::DetectFormat(file);
  const auto* format = std::get_if<formats::SourceFormat>(&detected);
  if (!format) return {};
  return *format == formats::SourceFormat::Wfdb ? formats::WfdbHeaderPath(file) : file;
}

std::optional<FileError> WritePng(const Image& trace, const QString& path, const OutputPolicy& policy) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  if (!writer.write(trace.Qt())) return FileError{path, writer.errorString()};
  return WriteFileSafely(path, bytes, policy);
}

std::optional<FileError> WritePdf(const ViewerState& state, const ExportPage& page, const QString& path,
                                  const OutputPolicy& policy) {
  // Drawn into memory first: a page that fails leaves no file at all.
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  PrintResult result;
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(page.paper), page.orientation, QMarginsF()));
    writer.setTitle(QStringLiteral("CORVALE < ") + state.shown->entry + QStringLiteral(" > "));
    PageAnnotationInput annotations;
    annotations.identity = PageIdentityFromRecord(state.record, state.shown->entry);
    annotations.leadGain = state.display.LeadGain;
    annotations.deleteId = state.output.blankIdentification;
    annotations.measurements = PageMeasurementsOf(state.record, state.analysis.measured);
    result = PrintRecordPage(writer, state.print, state.display, state.leads, {}, &annotations);
  }
  if (result.error || pdf.isEmpty())
    return FileError{path, QCoreApplication::translate("RecordFiles", "the page could not be drawn")};
  return WriteFileSafely(path, pdf, policy);
}

}  // namespace

QStringList ExportNameFilters() {
  QStringList filters;
  for (const ExportKind& k : kExports) filters << QCoreApplication::translate("RecordFiles", k.caption);
  return filters;
}

ExportFormat ExportFormatFor(const QString& path, int filterIndex) {
  const QString suffix = QFileInfo(path).suffix();
  for (const ExportKind& k : kExports)
    if (suffix.compare(QLatin1String(k.suffix), Qt::CaseInsensitive) == 0) return k.format;
  const int count = static_cast<int>(std::size(kExports));
  return kExports[filterIndex >= 0 && filterIndex < count ? filterIndex : 0].format;
}

QStringList OpenNameFilters() {
  QStringList filters;
  for (const formats::NameFilter& f : formats::ReadableNameFilters())
    filters << QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("NameFilter", f.caption.toUtf8().constData()),
                                             f.patterns.join(u' '));
  filters << QCoreApplication::translate("RecordFiles", "All files (*)");
  return filters;
}

StartRequest OpenRequest(const QStringList& paths, const QString& workingDirectory) {
  StartRequest request = ResolveStartPaths(paths, workingDirectory);
  if (request.kind != StartRequest::Kind::Files) return request;
  QStringList readable;
  for (const QString& file : request.files) {
    const QString path = ReadablePath(file);
    if (path.isEmpty())
      request.problems << QCoreApplication::translate(
                              "RecordFiles",
                              "%1: CORVALE does not read this kind of file (it reads record files, WFDB, "
                              "EDF/EDF+/BDF and DICOM ECG).")
                              .arg(QDir::toNativeSeparators(file));
    else if (!readable.contains(path))  // a header and its signal file are one record
      readable << path;
  }
  request.files = readable;
  if (readable.isEmpty()) request.kind = StartRequest::Kind::Default;
  return request;
}

QStringList DroppedPaths(const QMimeData& mime) {
  QStringList paths;
  // The path's bytes as the URL carries them, percent-encoded: a Shift-JIS
  // name is not valid UTF-8, which toLocalFile() would take it for.
  for (const QUrl& url : mime.urls())
    if (url.isLocalFile()) paths << ShownPath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
  return paths;
}

std::optional<QString> ExportRefusal(const ViewerState& state) {
  if (!state.study.analysed || !state.shown)
    return QCoreApplication::translate(
        "RecordFiles", "There is no record to export. Choose records for the work list and press \"Analyse\" first.");
  const ShownRecord& shown = *state.shown;
  // An unreadable record is all zero: its export would be a flat line under
  // the patient's file name.
  if (shown.error)
    return QCoreApplication::translate("RecordFiles",
                                       "The record could not be read, so there is nothing to export.\n%1")
        .arg(shown.error->Describe());
  if (!ShownRecordIsCurrent(state))
    return QCoreApplication::translate(
               "RecordFiles",
               "The work list has changed since \"Analyse\": the record on the screen, %1, is not its record %2 any "
               "more.\nPress \"Analyse\" again, then export.")
        .arg(shown.entry, QString::number(state.study.current + 1));
  return std::nullopt;
}

std::optional<FileError> ExportShownRecord(const ViewerState& state, const Image& trace, const ExportTarget& target,
                                           const ExportPage& page) {
  if (const auto refusal = ExportRefusal(state)) return FileError{target.path, *refusal};
  OutputPolicy policy;
  policy.inputs = state.shown->sources;  // never over the record's own files
  if (target.format == ExportFormat::Png) return WritePng(trace, target.path, policy);
  if (target.format == ExportFormat::Pdf) return WritePdf(state, page, target.path, policy);

  const formats::OutputFormat format = DataFormat(target.format);
  // The dialog confirmed replacing the file it named, if that existed; a
  // WFDB record's other file may only be replaced along with it.
  const QStringList files = formats::OutputFiles(target.path, format);
  const bool confirmed = files.contains(target.path) && QFileInfo::exists(target.path);
  for (const QString& file : files)
    if (file != target.path && !confirmed && QFileInfo::exists(file))
      return FileError{
          file, QCoreApplication::translate(
                    "RecordFiles", "exists already and is not replaced; choose another name or remove it first")};
  auto image = std::make_unique<RecordImage>(state.record);
  if (state.output.blankIdentification) BlankIdentification(*image);
  return formats::WriteRecordAs(*image, format, target.path, policy);
}

// ---------------------------------------------------------------- dialogs

RecordFiles::RecordFiles(const ViewerState& state, const Image& trace, QWidget& window)
    : QObject(&window), state_(state), trace_(trace) {
  chooseOpenFiles = [&window](const QString& directory) {
    QFileDialog dialog(&window, QCoreApplication::translate("RecordFiles", "Open records"), directory);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = OpenNameFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[filters.size() - 2]);  // all readable files
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
  };
  chooseExportTarget = [&window](const QString& suggestedPath) -> std::optional<ExportTarget> {
    QFileDialog dialog(&window, QCoreApplication::translate("RecordFiles", "Export the record"));
    dialog.setObjectName(QStringLiteral("ExportDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = ExportNameFilters();
    dialog.setNameFilters(filters);
    dialog.setDirectory(QFileInfo(suggestedPath).absolutePath());
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    // A name typed without an extension gets the chosen format's, before the
    // dialog asks whether to replace an existing file of that name.
    auto suffixOf = [&filters](const QString& filter) {
      return QString::fromLatin1(kExports[std::max<qsizetype>(0, filters.indexOf(filter))].suffix);
    };
    dialog.setDefaultSuffix(suffixOf(filters.front()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    return ExportTarget{path, ExportFormatFor(path, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())))};
  };
}

QStringList RecordFiles::ChooseFilesToOpen() {
  return chooseOpenFiles ? chooseOpenFiles(state_.study.directory) : QStringList();
}

void RecordFiles::ExportRecord(const PrinterChoice& printer) {
  const ExportPage page{printer.paper.value_or(QPageSize::A4), printer.orientation.value_or(QPageLayout::Portrait)};
  if (const auto refusal = ExportRefusal(state_)) {
    Q_EMIT message(QMessageBox::Warning, *refusal);
    return;
  }
  if (!chooseExportTarget) return;
  const ShownRecord& shown = *state_.shown;
  const QString directory = exportDirectory_.isEmpty() ? QFileInfo(shown.path).absolutePath() : exportDirectory_;
  const std::optional<ExportTarget> target =
      chooseExportTarget(QDir(directory).filePath(QFileInfo(shown.entry).completeBaseName()));
  if (!target) return;
  exportDirectory_ = QFileInfo(target->path).absolutePath();
  if (const auto error = ExportShownRecord(state_, trace_, *target, page)) {
    Q_EMIT message(
        QMessageBox::Warning,
        QCoreApplication::translate("RecordFiles", "The record was not exported.\n%1").arg(error->Describe()));
    return;
  }
  Q_EMIT message(QMessageBox::Information, QCoreApplication::translate("RecordFiles", "%1 was exported to %2.")
                                               .arg(shown.entry, QDir::toNativeSeparators(target->path)));
}

}  // namespace corvale
