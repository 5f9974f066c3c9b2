// The print job: the one printer the window keeps, the print and printer
// set-up dialogs, and a run that shows the print status, disables the window,
// prints the record on the screen through the output layer and always
// restores the window. What the run shows goes out as signals; the main
// window connects them to the tabs.
#pragma once

#include <QObject>
#include <QPrinter>
#include <optional>

class QWidget;

namespace corvale {

struct PageGeometry;
struct ViewerState;

class PrintJob : public QObject {
  Q_OBJECT
 public:
  /// `window` is disabled while a job runs and parents the dialogs.
  PrintJob(const ViewerState& state, QWidget& window);

  QPrinter& Printer() { return printer_; }

  /// The print dialog for one copy; true when the user accepted it.
  bool ChoosePrinter();
  /// The printer set-up dialog: printer, paper and orientation for later jobs.
  void SetUpPrinter();
  /// Shows the print status, disables the window, prints, and always restores
  /// both; a failure is reported afterwards.
  void RunPrintJob();

 Q_SIGNALS:
  void statusChanged(bool running);
  void progress(int position);
  void pageGeometry(const PageGeometry& g);
  void failed(const QString& reason);

 private:
  /// Prints the record on the screen; the reason when it could not.
  std::optional<QString> PrintShownRecord();

  const ViewerState& state_;
  QWidget& window_;
  QPrinter printer_{QPrinter::HighResolution};
};

}  // namespace corvale
