// Printer set-up: which printer, paper and orientation later jobs use. The
// paper list is what the chosen printer supports, and the paper in use stays
// chosen unless the user picks another.
#pragma once

#include <QDialog>
#include <QList>
#include <QPageSize>
#include <QStringList>
#include <functional>

class QComboBox;
class QPrinter;
class QRadioButton;

namespace corvale {

/// The printers the dialog offers and the paper each supports.
struct PrinterCatalogue {
  QStringList names;
  std::function<QList<QPageSize>(const QString& name)> sizes;
  std::function<QPageSize(const QString& name)> defaultSize;
  /// The printers installed on this machine, as the print system reports them.
  static PrinterCatalogue Installed();
};

/// The paper sizes every printer is assumed to take when it reports none (a
/// PDF file, no printer installed).
QList<QPageSize> StandardPaperSizes();

/// The sizes to offer: `supported`, or the standard set when it is empty,
/// with `keep` among them (added at the end when no size there is the same).
/// `index` is where `keep` stands, or -1 without a valid `keep`.
struct PaperChoices {
  QList<QPageSize> sizes;
  int index = -1;
};
PaperChoices ChoosePaper(const QList<QPageSize>& supported, const QPageSize& keep);

class PrinterSetupDialog : public QDialog {
  Q_OBJECT
 public:
  /// Shows the settings of `printer`; accepting writes the choices back to it.
  /// The controls are named "Printers", "Paper", "Portrait" and "Landscape".
  PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr,
                     PrinterCatalogue catalogue = PrinterCatalogue::Installed());

  /// The size the paper list offers at `index`.
  QPageSize PaperAt(int index) const { return sizes_.value(index); }

 private:
  /// Fills the paper list for the printer chosen now: `keep` if that printer
  /// takes it (always, for the printer in use), else the paper in use, else
  /// the printer's default.
  void ShowPaperFor(const QPageSize& keep, bool printerInUse);
  void Apply();

  QPrinter& printer_;
  QComboBox* printers = nullptr;
  QComboBox* paper = nullptr;
  QRadioButton* portrait = nullptr;
  QRadioButton* landscape = nullptr;
  PrinterCatalogue catalogue_;
  QList<QPageSize> sizes_;  // the paper list's sizes, item by item
};

}  // namespace corvale
