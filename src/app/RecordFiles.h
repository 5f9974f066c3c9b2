// The window's doors to files of every format: "File > Open…" and dropped
// files choose what to open (opened as files named on the command line are),
// and "File > Export…" writes the record on the screen in another format.
// The choosing and the writing are functions without a window; RecordFiles
// holds the two file dialogs (replaceable, for tests) and reports through
// signals, as the print job does.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/CommandLine.h"
#include "app/PrintJob.h"
#include "formats/Formats.h"
#include "record/RecordFile.h"

class QMimeData;
class QWidget;

namespace corvale {

struct ViewerState;

/// The save dialog's filters, one per export target of the registry, in its order.
QStringList ExportNameFilters();

/// The format of an export to `path`: the one its extension names, else the
/// one of the dialog's filter `filterIndex` (an index into ExportNameFilters).
formats::FormatKind ExportFormatFor(const QString& path, int filterIndex);

struct ExportTarget {
  QString path;
  formats::FormatKind format = formats::FormatKind::Wfdb;
};

/// The page the PDF export draws on: the paper and orientation chosen for printing.
struct ExportPage {
  QPageSize::PageSizeId paper = QPageSize::A4;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

/// The open dialog's filters: one per readable format, all readable files
/// (selected at first), and every file.
QStringList OpenNameFilters();

/// What the window opens for `paths` (chosen or dropped): one directory alone
/// is read as if chosen in the tree; otherwise the readable files, in order
/// (a WFDB signal file stands for its header). Everything else is left out
/// with a text saying why; nothing left means nothing is opened.
StartRequest OpenRequest(const QStringList& paths, const QString& workingDirectory);

/// The local files and directories a drag carries, in order.
QStringList DroppedPaths(const QMimeData& mime);

/// Writes the record on the screen to `target` through the export service,
/// as the screen shows it: the display and print settings, the page's paper,
/// the patient's name and ID blanked when "delete ID" is ticked. Refused as
/// OutputRefusal says. Never writes over the files the record was read from,
/// nor, for WFDB, over an existing signal file beside a header that the
/// dialog did not confirm.
[[nodiscard]] std::optional<FileError> ExportShownRecord(const ViewerState& state, const ExportTarget& target,
                                                         const ExportPage& page);

class RecordFiles : public QObject {
  Q_OBJECT
 public:
  /// `window` parents the dialogs.
  RecordFiles(const ViewerState& state, QWidget& window);

  /// The open dialog: the files chosen, none when cancelled. Starts in `directory`.
  std::function<QStringList(const QString& directory)> chooseOpenFiles;
  /// The save dialog, which confirms replacing an existing file: where and in
  /// which format, nothing when cancelled. Suggests `suggestedPath`.
  std::function<std::optional<ExportTarget>(const QString& suggestedPath)> chooseExportTarget;

  /// "File > Open…": what the user chose, or nothing.
  QStringList ChooseFilesToOpen();
  /// "File > Export…": refused as OutputRefusal says; otherwise the dialog,
  /// the export (a PDF on the printer's paper), and a message saying how it went.
  void ExportRecord(const PrinterChoice& printer);

 Q_SIGNALS:
  void message(QMessageBox::Icon icon, const QString& text);

 private:
  const ViewerState& state_;
  QString exportDirectory_;  // where the last export went, for the next one
};

}  // namespace corvale
