// Printer set-up: which printer, paper and orientation later jobs use.
#pragma once

#include <QDialog>

class QComboBox;
class QPrinter;
class QRadioButton;

namespace corvale {

class PrinterSetupDialog : public QDialog {
  Q_OBJECT
 public:
  /// Shows the settings of `printer`; accepting writes the choices back to it.
  /// The controls are named "Printers", "Paper", "Portrait" and "Landscape".
  PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

 private:
  void Apply();
  QPrinter& printer_;
  QComboBox* printers = nullptr;
  QComboBox* paper = nullptr;
  QRadioButton* portrait = nullptr;
  QRadioButton* landscape = nullptr;
};

}  // namespace corvale
