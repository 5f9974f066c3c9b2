// The print job: printer, dialogs, and a run from status to restored window.
#include "app/PrintJob.h"

#include <QCoreApplication>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QWidget>

#include "app/PrinterSetupDialog.h"
#include "app/ViewerState.h"
#include "output/ExportService.h"
#include "output/PageAnnotations.h"
#include "output/PrintPage.h"

namespace corvale {

PrintJob::PrintJob(const ViewerState& state, QWidget& window) : QObject(&window), state_(state), window_(window) {}

PrintJob::~PrintJob() = default;

QPrinter& PrintJob::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    SetPrinterChoice(choice_);
  }
  return *printer_;
}

void PrintJob::SetPrinterChoice(const PrinterChoice& choice) {
  choice_ = choice;
  if (!printer_) return;
  // A printer that is not there now (a laptop away from the ward) is not
  // used, but stays the choice for a later start.
  if (!choice_.printerName.isEmpty() && QPrinterInfo::availablePrinterNames().contains(choice_.printerName))
    printer_->setPrinterName(choice_.printerName);
  if (choice_.paper) printer_->setPageSize(QPageSize(*choice_.paper));
  if (choice_.orientation) printer_->setPageOrientation(*choice_.orientation);
}

void PrintJob::RememberChoice() {
  QPrinter& printer = Printer();
  if (printer.outputFormat() == QPrinter::NativeFormat) choice_.printerName = printer.printerName();
  choice_.paper = printer.pageLayout().pageSize().id();
  if (choice_.paper == QPageSize::Custom) choice_.paper.reset();
  choice_.orientation = printer.pageLayout().orientation();
}

bool PrintJob::ChoosePrinter() {
  Printer().setCopyCount(1);
  QPrintDialog dialog(&Printer(), &window_);
  dialog.setObjectName(QStringLiteral("PrintDialog1"));
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (accepted) RememberChoice();
  return accepted;
}

void PrintJob::SetUpPrinter() {
  PrinterSetupDialog dialog(Printer(), &window_);
  if (dialog.exec() == QDialog::Accepted) RememberChoice();
}

std::optional<QString> PrintJob::Refusal() const { return OutputRefusal(OutputStateOf(state_), OutputAction::Print); }

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

PageAnnotationInput PrintJob::AnnotationInput() const {
  return PageAnnotationsFor(state_.record, state_.shown ? state_.shown->entry : QString(), state_.display,
                            state_.output.blankIdentification, state_.filters, state_.analysis.measured);
}

void PrintJob::ReportUnplaced(const PageGeometry& g, const PageAnnotationInput& input) {
  if (!state_.print.Annotations) return;
  const QStringList unplaced = ComputePageAnnotations(g, input).unplaced;
  if (unplaced.isEmpty()) return;
  Q_EMIT notice(tr("The page's margin has no room for these items, so they are not printed:\n%1\n"
                   "A larger \"Margin\" on the \"Header and Printer Setup\" tab makes room.")
                    .arg(unplaced.join(u'\n')));
}

void PrintJob::ShowPreview() {
  if (const std::optional<QString> reason = Refusal()) {
    Q_EMIT failed(*reason);
    return;
  }
  QPrinter& printer = Printer();
  printer.setDocName(PrintJobTitle(state_.shown->entry));
  QPrintPreviewDialog dialog(&printer, &window_);
  dialog.setObjectName(QStringLiteral("PrintPreviewDialog1"));
  dialog.setWindowTitle(tr("Print preview: %1").arg(state_.shown->entry));
  // Large enough to read the page's margin at the dialog's first zoom.
  dialog.resize(window_.width() * 3 / 4, window_.height() * 9 / 10);
  unplacedReported_ = false;
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &PrintJob::PaintRequested);
  // Printing from the preview accepts it: its printer and page set-up are then chosen.
  if (dialog.exec() == QDialog::Accepted) RememberChoice();
}

void PrintJob::PaintRequested(QPrinter* printer) {
  // The preview draws through a picture engine; anything else is the
  // dialog's print button, which runs the job as printing does.
  const bool preview = printer->paintEngine() && printer->paintEngine()->type() == QPaintEngine::Picture;
  if (!preview) {
    RunPrintJob();
    return;
  }
  if (Refusal()) return;
  const PageAnnotationInput input = AnnotationInput();
  const PrintResult result = PrintRecordPage(*printer, state_.print, state_.display, state_.leads, {}, &input);
  if (!unplacedReported_) {
    unplacedReported_ = true;
    ReportUnplaced(result.geometry, input);
  }
}

std::optional<QString> PrintJob::PrintShownRecord() {
  if (std::optional<QString> reason = Refusal()) return reason;
  const ShownRecord& shown = *state_.shown;
  QPrinter& printer = Printer();
  printer.setDocName(PrintJobTitle(shown.entry));
  PrintHooks hooks;
  hooks.pageGeometry = [this](const PageGeometry& g) { Q_EMIT pageGeometry(g); };
  hooks.progress = [this](int p) { Q_EMIT progress(p); };
  hooks.processEvents = [] { QCoreApplication::processEvents(); };
  const PageAnnotationInput input = AnnotationInput();
  const PrintResult result = PrintRecordPage(printer, state_.print, state_.display, state_.leads, hooks, &input);
  if (!result.error) {
    ReportUnplaced(result.geometry, input);
    return std::nullopt;
  }
  switch (*result.error) {
    case PrintError::NoPrinter:
      return tr("No printer is available. Install one, or choose another in \"印刷設定(&U)\".");
    case PrintError::CannotBegin:
      return tr("The printer \"%1\" could not start the job for %2.").arg(printer.printerName(), shown.entry);
    case PrintError::DeviceError: break;
  }
  return tr("The printer \"%1\" reported an error; the page of %2 may be incomplete.")
      .arg(printer.printerName(), shown.entry);
}

}  // namespace corvale
