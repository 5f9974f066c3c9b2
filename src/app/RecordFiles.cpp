// Open, drop and export: which files the window opens, and the record on the
// screen written in another format.
#include "app/RecordFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "app/ViewerState.h"
#include "formats/Formats.h"
#include "output/ExportService.h"
#include "record/NativePath.h"

namespace corvale {
QStringList ExportNameFilters() {
  QStringList filters;
  for (const formats::FileFormat* f : formats::ExportFormats())
    filters << QCoreApplication::translate("RecordFiles", f->exportCaption);
  return filters;
}

formats::FormatKind ExportFormatFor(const QString& path, int filterIndex) {
  if (const formats::FileFormat* bySuffix = formats::ExportFormatForSuffix(path)) return bySuffix->kind;
  const auto targets = formats::ExportFormats();
  const int count = static_cast<int>(targets.size());
  return targets[static_cast<std::size_t>(filterIndex >= 0 && filterIndex < count ? filterIndex : 0)]->kind;
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
    const QString path = formats::RecordFileFor(file);
    if (path.isEmpty())
      request.problems << QCoreApplication::translate(
                              "RecordFiles",
                              "%1: CORVALE does not read this kind of file (it reads record files, WFDB, "
                              "EDF/EDF+/BDF, DICOM ECG and CSV).")
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

std::optional<FileError> ExportShownRecord(const ViewerState& state, const ExportTarget& target,
                                           const ExportPage& page) {
  if (const auto refusal = OutputRefusal(OutputStateOf(state))) return FileError{target.path, *refusal};
  const formats::FormatKind format = target.format;
  // The dialog confirmed replacing the file it named, if that existed; a
  // WFDB record's other file may only be replaced along with it.
  const QStringList files = formats::OutputFiles(target.path, format);
  const bool confirmed = files.contains(target.path) && QFileInfo::exists(target.path);
  for (const QString& file : files)
    if (file != target.path && !confirmed && QFileInfo::exists(file))
      return FileError{
          file, QCoreApplication::translate(
                    "RecordFiles", "exists already and is not replaced; choose another name or remove it first")};
  ExportOptions options;
  options.display = state.display;
  options.print = state.print;
  options.anonymise = state.output.blankIdentification;
  options.name = state.shown->entry;
  options.paper = QPageSize(page.paper);
  options.orientation = page.orientation;
  options.policy.inputs = state.shown->sources;  // never over the record's own files
  options.measured = state.analysis.measured;
  // Pictures and the page are what the window shows, filtered as it is; data
  // leave as recorded, as the screen's filters are a reading aid.
  if (formats::FormatOf(format).exportSource != formats::ExportSource::Record) options.filters = state.filters;
  return Export(state.record, format, target.path, options);
}

// ---------------------------------------------------------------- dialogs

RecordFiles::RecordFiles(const ViewerState& state, QWidget& window) : QObject(&window), state_(state) {
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
      return formats::ExportFormats()[static_cast<std::size_t>(std::max<qsizetype>(0, filters.indexOf(filter)))]
          ->suffixes.front();
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
  if (const auto refusal = OutputRefusal(OutputStateOf(state_))) {
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
  if (const auto error = ExportShownRecord(state_, *target, page)) {
    Q_EMIT message(
        QMessageBox::Warning,
        QCoreApplication::translate("RecordFiles", "The record was not exported.\n%1").arg(error->Describe()));
    return;
  }
  Q_EMIT message(QMessageBox::Information, QCoreApplication::translate("RecordFiles", "%1 was exported to %2.")
                                               .arg(shown.entry, QDir::toNativeSeparators(target->path)));
}

}  // namespace corvale
