// The printer set-up dialog: printer, paper and orientation for later jobs.
#include "app/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>

namespace corvale {

PrinterSetupDialog::PrinterSetupDialog(QPrinter& printer, QWidget* parent) : QDialog(parent), printer_(printer) {
  setObjectName(QStringLiteral("PrinterSetupDialog1"));
  setWindowTitle(QStringLiteral("印刷設定"));
  auto* form = new QFormLayout(this);

  printers = new QComboBox(this);
  printers->setObjectName(QStringLiteral("Printers"));
  printers->addItems(QPrinterInfo::availablePrinterNames());
  printers->setCurrentText(printer.printerName());
  if (printers->count() == 0) {
    printers->addItem(QStringLiteral("(no printer is installed)"));
    printers->setEnabled(false);
  }
  form->addRow(QStringLiteral("Printer"), printers);

  paper = new QComboBox(this);
  paper->setObjectName(QStringLiteral("Paper"));
  for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::A3, QPageSize::B5, QPageSize::Legal})
    paper->addItem(QPageSize::name(id), static_cast<int>(id));
  paper->setCurrentIndex(std::max(0, paper->findData(static_cast<int>(printer.pageLayout().pageSize().id()))));
  form->addRow(QStringLiteral("Paper"), paper);

  auto* orientation = new QWidget(this);
  auto* row = new QHBoxLayout(orientation);
  row->setContentsMargins(0, 0, 0, 0);
  portrait = new QRadioButton(QStringLiteral("Portrait"), orientation);
  landscape = new QRadioButton(QStringLiteral("Landscape"), orientation);
  portrait->setObjectName(QStringLiteral("Portrait"));
  landscape->setObjectName(QStringLiteral("Landscape"));
  row->addWidget(portrait);
  row->addWidget(landscape);
  (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
  form->addRow(QStringLiteral("Orientation"), orientation);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Apply();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PrinterSetupDialog::Apply() {
  if (printers->isEnabled()) printer_.setPrinterName(printers->currentText());
  printer_.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(paper->currentData().toInt())));
  printer_.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

}  // namespace corvale
