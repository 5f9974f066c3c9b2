// The print job: printer, dialogs, and a run from status to restored window.
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

std::optional<QString> PrintJob::Refusal() const {
  if (!state_.study.analysed || !state_.shown)
    return tr("There is no record to print. Choose records for the work list and press \"Analyse\" first.");
  const ShownRecord& shown = *state_.shown;
  // A record that could not be read is all zero: its page would look like a
  // flat-line ECG under the patient's file name.
  if (shown.error)
    return tr("The record could not be read, so there is nothing to print.\n%1").arg(shown.error->Describe());
  // The print queue files the page under the job's name: it must be the
  // record on the page, and the work list must still say which one that is.
  if (!ShownRecordIsCurrent(state_))
    return tr("The work list has changed since \"Analyse\": the record on the screen, %1, is not its record %2 any "
              "more.\nPress \"Analyse\" again, then print.")
        .arg(shown.entry, QString::number(state_.study.current + 1));
  return std::nullopt;
}

void PrintJob::RunPrintJob() {
  if (const auto refusal = Refusal()) {
    Q_EMIT failed(*refusal);
    return;
  }
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
  const ShownRecord& shown = *state_.shown;
  printer_.setDocName(QStringLiteral("CORVALE < ") + shown.entry + QStringLiteral(" > "));
  PrintHooks hooks;
  hooks.pageGeometry = [this](const PageGeometry& g) { Q_EMIT pageGeometry(g); };
  hooks.progress = [this](int p) { Q_EMIT progress(p); };
  hooks.processEvents = [] { QCoreApplication::processEvents(); };
  const PrintResult result = PrintRecordPage(printer_, state_.print, state_.display, state_.leads, hooks);
  if (!result.error) return std::nullopt;
  switch (*result.error) {
    case PrintError::NoPrinter:
      return tr("No printer is available. Install one, or choose another in \"印刷設定(&U)\".");
    case PrintError::CannotBegin:
      return tr("The printer \"%1\" could not start the job for %2.").arg(printer_.printerName(), shown.entry);
    case PrintError::DeviceError:
      break;
  }
  return tr("The printer \"%1\" reported an error; the page of %2 may be incomplete.")
      .arg(printer_.printerName(), shown.entry);
}

}  // namespace corvale
