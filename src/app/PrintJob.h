// The print job: the one printer the window keeps, the print and printer
// set-up dialogs, the print preview, and a run that shows the print status,
// disables the window, prints the record on the screen through the output
// layer and always restores the window. What the run shows goes out as
// signals; the main window connects them to the tabs.
#pragma once

#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <memory>
#include <optional>

class QWidget;

namespace corvale {

struct PageAnnotationInput;
struct PageGeometry;
struct ViewerState;

/// The printer, paper and orientation the user chose for later jobs.
struct PrinterChoice {
  QString printerName;  // empty: the system's default
  std::optional<QPageSize::PageSizeId> paper;
  std::optional<QPageLayout::Orientation> orientation;
};

class PrintJob : public QObject {
  Q_OBJECT
 public:
  /// `window` is disabled while a job runs and parents the dialogs.
  PrintJob(const ViewerState& state, QWidget& window);
  ~PrintJob() override;

  /// The printer, made on first use: making one asks the print system for
  /// its printers, which would slow the program's start.
  QPrinter& Printer();

  /// What later jobs use; given before the printer is made, it is applied
  /// when it is. A printer that is not installed is not used (the system's
  /// default is) but stays the choice.
  void SetPrinterChoice(const PrinterChoice& choice);
  PrinterChoice Choice() const { return choice_; }

  /// Why the record on the screen cannot be printed now, if it cannot: none
  /// analysed, unreadable, or no longer the work-list entry the window
  /// stands on (the job would carry another record's name).
  std::optional<QString> Refusal() const;
  /// The print dialog for one copy; true when the user accepted it.
  bool ChoosePrinter();
  /// The printer set-up dialog: printer, paper and orientation for later jobs.
  void SetUpPrinter();
  /// Refuses as Refusal says; otherwise shows the print status, disables the
  /// window, prints, and always restores both; a failure is reported afterwards.
  void RunPrintJob();
  /// The page exactly as the job prints it, from which the user can print.
  /// Refused as printing is when there is no record to print.
  void ShowPreview();

 Q_SIGNALS:
  void statusChanged(bool running);
  void progress(int position);
  void pageGeometry(const PageGeometry& g);
  void failed(const QString& reason);
  /// Something the user should know that does not stop the job.
  void notice(const QString& text);

 private:
  /// Prints the record on the screen; the reason when it could not.
  std::optional<QString> PrintShownRecord();
  /// Why there is nothing to print, if there is not.
  /// The record's identification and the display's scale for the page's margin.
  PageAnnotationInput AnnotationInput() const;
  /// Tells the user which margin items had no room on a page of `g`.
  void ReportUnplaced(const PageGeometry& g, const PageAnnotationInput& input);
  /// The printer's current printer, paper and orientation become the choice.
  void RememberChoice();
  /// The preview's page drawing; a print started from the preview runs the job.
  void PaintRequested(QPrinter* printer);

  const ViewerState& state_;
  QWidget& window_;
  std::unique_ptr<QPrinter> printer_;
  PrinterChoice choice_;
  bool unplacedReported_ = false;
};

}  // namespace corvale
