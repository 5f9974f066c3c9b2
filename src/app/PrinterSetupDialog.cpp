// The printer set-up dialog: printer, paper and orientation for later jobs.
#include "app/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>

namespace corvale {
namespace {

int IndexOfSame(const QList<QPageSize>& sizes, const QPageSize& size) {
  for (int i = 0; i < sizes.size(); ++i)
    if (sizes[i].isEquivalentTo(size)) return i;
  return -1;
}

}  // namespace

PrinterCatalogue PrinterCatalogue::Installed() {
  PrinterCatalogue c;
  c.names = QPrinterInfo::availablePrinterNames();
  c.sizes = [](const QString& name) { return QPrinterInfo::printerInfo(name).supportedPageSizes(); };
  c.defaultSize = [](const QString& name) { return QPrinterInfo::printerInfo(name).defaultPageSize(); };
  return c;
}

QList<QPageSize> StandardPaperSizes() {
  QList<QPageSize> sizes;
  for (QPageSize::PageSizeId id :
       {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::B4, QPageSize::B5, QPageSize::JisB4, QPageSize::JisB5,
        QPageSize::Letter, QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid})
    sizes << QPageSize(id);
  return sizes;
}

PaperChoices ChoosePaper(const QList<QPageSize>& supported, const QPageSize& keep) {
  PaperChoices c;
  c.sizes = supported.isEmpty() ? StandardPaperSizes() : supported;
  if (!keep.isValid()) return c;
  c.index = IndexOfSame(c.sizes, keep);
  if (c.index < 0) {
    c.sizes << keep;
    c.index = static_cast<int>(c.sizes.size()) - 1;
  }
  return c;
}

PrinterSetupDialog::PrinterSetupDialog(QPrinter& printer, QWidget* parent, PrinterCatalogue catalogue)
    : QDialog(parent), printer_(printer), catalogue_(std::move(catalogue)) {
  setObjectName(QStringLiteral("PrinterSetupDialog1"));
  setWindowTitle(tr("印刷設定"));
  auto* form = new QFormLayout(this);

  // Each entry carries the printer's name; a PDF file and "none" carry none.
  printers = new QComboBox(this);
  printers->setObjectName(QStringLiteral("Printers"));
  const bool toPdf = printer.outputFormat() == QPrinter::PdfFormat;
  if (toPdf) printers->addItem(tr("PDF file"), QString());
  for (const QString& name : catalogue_.names) printers->addItem(name, name);
  if (!toPdf) {
    int current = printers->findData(printer.printerName());
    if (current < 0 && !printer.printerName().isEmpty()) {
      printers->addItem(printer.printerName(), printer.printerName());
      current = printers->count() - 1;
    }
    printers->setCurrentIndex(std::max(0, current));
  }
  if (printers->count() == 0) {
    printers->addItem(tr("(no printer is installed)"), QString());
    printers->setEnabled(false);
  }
  form->addRow(tr("Printer"), printers);

  paper = new QComboBox(this);
  paper->setObjectName(QStringLiteral("Paper"));
  form->addRow(tr("Paper"), paper);
  ShowPaperFor(printer.pageLayout().pageSize(), true);
  connect(printers, &QComboBox::currentIndexChanged, this,
          [this] { ShowPaperFor(PaperAt(paper->currentIndex()), false); });

  auto* orientation = new QWidget(this);
  auto* row = new QHBoxLayout(orientation);
  row->setContentsMargins(0, 0, 0, 0);
  portrait = new QRadioButton(tr("Portrait"), orientation);
  landscape = new QRadioButton(tr("Landscape"), orientation);
  portrait->setObjectName(QStringLiteral("Portrait"));
  landscape->setObjectName(QStringLiteral("Landscape"));
  row->addWidget(portrait);
  row->addWidget(landscape);
  (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
  form->addRow(tr("Orientation"), orientation);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Apply();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PrinterSetupDialog::ShowPaperFor(const QPageSize& keep, bool printerInUse) {
  const QString name = printers->currentData().toString();
  const QList<QPageSize> supported = name.isEmpty() || !catalogue_.sizes ? QList<QPageSize>() : catalogue_.sizes(name);
  QPageSize wanted = keep;
  // The paper in use stays, even when the printer does not list it. Another
  // printer keeps the paper chosen here if it takes it, else the paper in
  // use, else starts on its own default.
  if (!printerInUse && !supported.isEmpty()) {
    const QPageSize fallback = catalogue_.defaultSize ? catalogue_.defaultSize(name) : QPageSize();
    for (const QPageSize& candidate : {keep, printer_.pageLayout().pageSize(), fallback, supported.front()})
      if (IndexOfSame(supported, candidate) >= 0) {
        wanted = candidate;
        break;
      }
  }
  const PaperChoices choices = ChoosePaper(supported, wanted);
  const QSignalBlocker quiet(paper);
  paper->clear();
  sizes_ = choices.sizes;
  for (const QPageSize& size : sizes_) paper->addItem(size.name(), static_cast<int>(size.id()));
  paper->setCurrentIndex(std::max(0, choices.index));
}

void PrinterSetupDialog::Apply() {
  const QString name = printers->currentData().toString();
  if (!name.isEmpty()) printer_.setPrinterName(name);
  if (const QPageSize size = PaperAt(paper->currentIndex()); size.isValid()) printer_.setPageSize(size);
  printer_.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

}  // namespace corvale
