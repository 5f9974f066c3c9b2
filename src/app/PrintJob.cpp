#include "app/PrintJob.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QScopeGuard>
#include <QWidget>

#include "app/PrinterSetupDialog.h"
#include "app/ViewerState.h"
#include "output/PrintPage.h"

namespace corvale {

PrintJob::PrintJob(const ViewerState& state, QWidget& window) : QObject(&window), state_(state), window_(window) {}

bool PrintJob::ChoosePrinter() {
  printer_.setCopyCount(1);
  QPrintDialog dialog(&printer_, &window_);
  dialog.setObjectName(QStringLiteral("PrintDialog1"));
  return dialog.exec() == QDialog::Accepted;
}

void PrintJob::SetUpPrinter() {
  PrinterSetupDialog dialog(printer_, &window_);
  dialog.exec();
}

void PrintJob::RunPrintJob() {
  Q_EMIT statusChanged(true);
  window_.setEnabled(false);
  std::optional<QString> error;
  {
    const auto restore = qScopeGuard([this] {
      window_.setEnabled(true);
      Q_EMIT statusChanged(false);
    });
    error = PrintShownRecord();
  }
  if (error) Q_EMIT failed(*error);
}

std::optional<QString> PrintJob::PrintShownRecord() {
  // The page shows the record on the screen and the job carries its name.
  if (!state_.study.analysed || !state_.shown)
    return QStringLiteral("There is no record to print. Choose records for the work list and press \"Analyse\" first.");
  const ShownRecord& shown = *state_.shown;
  // A record that could not be read is all zero: its page would look like a
  // flat-line ECG under the patient's file name.
  if (shown.error)
    return QStringLiteral("The record could not be read, so there is nothing to print.\n%1").arg(shown.error->Describe());
  printer_.setDocName(QStringLiteral("CORVALE < ") + shown.entry + QStringLiteral(" > "));
  PrintHooks hooks;
  hooks.pageGeometry = [this](const PageGeometry& g) { Q_EMIT pageGeometry(g); };
  hooks.progress = [this](int p) { Q_EMIT progress(p); };
  hooks.processEvents = [] { QCoreApplication::processEvents(); };
  const PrintResult result = PrintRecordPage(printer_, state_.print, state_.display, state_.leads, hooks);
  if (!result.error) return std::nullopt;
  switch (*result.error) {
    case PrintError::NoPrinter:
      return QStringLiteral("No printer is available. Install one, or choose another in \"印刷設定(&U)\".");
    case PrintError::CannotBegin:
      return QStringLiteral("The printer \"%1\" could not start the job for %2.").arg(printer_.printerName(), shown.entry);
    case PrintError::DeviceError:
      break;
  }
  return QStringLiteral("The printer \"%1\" reported an error; the page of %2 may be incomplete.")
      .arg(printer_.printerName(), shown.entry);
}

}  // namespace corvale
