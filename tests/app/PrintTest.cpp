// Printing from the window: to a PDF file, and through a real CUPS queue.
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <QComboBox>
#include <QRadioButton>

#include "app/PrinterSetupDialog.h"
#include "app/SdiAppForm.h"
#include "app/Widgets.h"
#include "output/PrintPage.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

using namespace corvale;

namespace {

QString Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The page as a picture at `dpi`, and where a device pixel of the job lands on it.
struct Raster {
  QImage image;
  double scale = 1;        // raster pixels per device pixel
  QPointF origin;          // raster position of the printable area's corner
  bool Dark(QPointF device, int radius) const {
    const QPointF at = origin + device * scale;
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx) {
        const QPoint p(qRound(at.x()) + dx, qRound(at.y()) + dy);
        if (image.valid(p) && qGray(image.pixel(p)) < 128) return true;
      }
    return false;
  }
};

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSDIAppForm> w;
  std::unique_ptr<QTemporaryDir> tmp;
  QStringList messages;
  QString record;

  void Analyse() {
    w->DirectoryListBox1->SetDirectory(QFileInfo(record).path());
    for (int i = 0; i < w->ListBox1->count(); ++i)
      w->ListBox1->item(i)->setSelected(w->ListBox1->item(i)->text() == QFileInfo(record).fileName());
    w->ButtonAddClick();
    w->ButtonAnalyseClick();
  }

  // Everything the geometry predicts, checked on a PDF of the job.
  void CheckPage(const QString& pdf, const QRectF& paintRectPoints, double resolution) {
    const QString info = Run("pdfinfo", {pdf});
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    const double dpi = 150;
    const QString stem = tmp->filePath("page");
    Run("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", pdf, stem});
    Raster r;
    r.image = QImage(stem + ".png");
    QVERIFY(!r.image.isNull());
    r.scale = dpi / resolution;
    r.origin = paintRectPoints.topLeft() * dpi / 72.0;

    const QRect area = w->Printer().pageLayout().paintRectPixels(w->Printer().resolution());
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), w->ScrollBarM->value());
    const double u = g.PrintUnit;
    const int left = g.PrintOriginX, top = g.PrintOriginY;
    const int right = static_cast<int>(left + 760 * u), bottom = static_cast<int>(top + 1040 * u);
    QVERIFY(r.Dark(QPointF(left, top), 2));
    QVERIFY(r.Dark(QPointF(left, bottom), 2));
    QVERIFY(r.Dark(QPointF(right - 4 * u, top), 2));
    QVERIFY(!r.Dark(QPointF(left + 6 * u, bottom - 6 * u), 0));  // inside a square: paper
    QVERIFY(!r.Dark(QPointF(right + 20 * u, top + 100 * u), 1));  // beyond the grid
    // Lead I starts at the bottom of the grid, at its baseline less its first sample.
    RecordImage image;
    QVERIFY(!ReadRecordFile(record, image));
    const TraceLayout layout = ComputePrintLayout(w->State().display, w->State().leads, u);
    const int a = static_cast<int>(image.Sample(0, 0) * 4.88 * u * 0.04);
    const double x0 = static_cast<int>(layout.LeadBaseY[0]) - layout.LeadZeroShift[0] - a + 40 * u + left;
    QVERIFY(r.Dark(QPointF(x0, bottom - 2 * u), 2));
    // Its calibration pulse: 1 mV to the left at 127.5 mm.
    const double base = static_cast<int>(layout.LeadBaseY[0]) - layout.LeadZeroShift[0] + 40 * u + left;
    QVERIFY(r.Dark(QPointF(base - 40 * u, top + 1040 * u - 127.5 * 4 * u), 2));
    QVERIFY(!r.Dark(QPointF(base - 50 * u, top + 1040 * u - 127.5 * 4 * u), 0));
  }

 private Q_SLOTS:
  void init() {
    tmp = std::make_unique<QTemporaryDir>();
    record = tmp->filePath("A0001.nrm");
    QVERIFY(QFile::copy(test::SourcePath("samples/A0001.nrm"), record));
    w = std::make_unique<TSDIAppForm>();
    messages.clear();
    w->showMessage = [this](QMessageBox::Icon, const QString& text) { messages << text; };
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  }
  void cleanup() {
    w.reset();
    tmp.reset();
  }

  void printsToAPdfFile() {
    Analyse();
    QPrinter& printer = w->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = tmp->filePath("page.pdf");
    printer.setOutputFileName(pdf);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // While the job runs, the window is disabled and shows the print status.
    bool sawStatus = false;
    QTimer::singleShot(0, w.get(), [&] {
      sawStatus = !w->isEnabled() && w->Label148->isVisibleTo(w->TabSheet2) &&
                  w->ProgressBar1->isVisibleTo(w->TabSheet2) && !w->GroupBox13->isVisibleTo(w->TabSheet2);
    });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(sawStatus);
    QVERIFY(w->isEnabled());
    QVERIFY(w->GroupBox13->isVisibleTo(w->TabSheet2));
    QVERIFY(!w->Label148->isVisibleTo(w->TabSheet2));
    QVERIFY(!w->ProgressBar1->isVisibleTo(w->TabSheet2));
    QCOMPARE(w->ProgressBar1->value(), 580);  // eight passes fill the bar
    const QRect area = printer.pageLayout().paintRectPixels(600);
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), 50);
    QCOMPARE(w->findChild<QLabel*>("Label140")->text(), GeneralFormat(g.UsableHeight));
    QCOMPARE(w->findChild<QLabel*>("Label141")->text(), GeneralFormat(g.UsableWidth));
    QVERIFY(Run("pdfinfo", {pdf}).contains("CORVALE < A0001.nrm > "));
    CheckPage(pdf, printer.pageLayout().paintRect(QPageLayout::Point), 600);
    if (QTest::currentTestFailed()) return;
  }

  void refusedBeforeAnalyse() {
    w->Printer().setOutputFormat(QPrinter::PdfFormat);
    w->Printer().setOutputFileName(tmp->filePath("never.pdf"));
    w->Button2Click();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("Analyse"));
    QVERIFY(!QFile::exists(tmp->filePath("never.pdf")));
    QVERIFY(w->isEnabled());
    QVERIFY(w->GroupBox13->isVisibleTo(w->TabSheet2));
  }

  void cancelledPrintDialogDoesNothing() {
    Analyse();
    w->Printer().setOutputFormat(QPrinter::PdfFormat);
    w->Printer().setOutputFileName(tmp->filePath("cancelled.pdf"));
    QTimer::singleShot(100, w.get(), [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) static_cast<QDialog*>(dialog)->reject();
    });
    w->printout1->trigger();
    QVERIFY(!QFile::exists(tmp->filePath("cancelled.pdf")));
    QCOMPARE(w->findChild<QLabel*>("Label140")->text(), QStringLiteral("000"));
    QVERIFY(messages.isEmpty());
  }

  void printerSetupChoosesPaperAndOrientation() {
    QTimer::singleShot(100, w.get(), [] {
      auto* dialog = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->paper->setCurrentIndex(dialog->paper->findData(static_cast<int>(QPageSize::Letter)));
      dialog->landscape->setChecked(true);
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    w->U1->trigger();
    QCOMPARE(w->Printer().pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(w->Printer().pageLayout().pageSize().id(), QPageSize::Letter);
    // Landscape: the page height is the short side and sets the scale.
    const QRect area = w->Printer().pageLayout().paintRectPixels(w->Printer().resolution());
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), 50);
    QCOMPARE(g.PrintUnit, static_cast<double>(static_cast<long double>(g.UsableHeight) * (1.0 / 1040)));
  }

  void printsThroughACupsQueue() {
    if (Run("lpstat", {"-r"}).trimmed() != QStringLiteral("scheduler is running"))
      QSKIP("no CUPS scheduler runs on this machine; the PDF file test covers the page");
    if (QPrinterInfo::defaultPrinterName() != QStringLiteral("corvale-pdf"))
      QSKIP("the default destination is not the corvale-pdf queue that the test script sets up");
    const QDir out(QDir::homePath() + "/PDF");
    const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
    Analyse();
    QCOMPARE(w->Printer().printerName(), QStringLiteral("corvale-pdf"));
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    // Wait for the queue to finish the job (the backend writes the file last).
    for (int i = 0; i < 600 && !Run("lpstat", {"-o", "corvale-pdf"}).trimmed().isEmpty(); ++i) QTest::qWait(100);
    QVERIFY2(Run("lpstat", {"-o", "corvale-pdf"}).trimmed().isEmpty(), "the job did not finish within 60 s");
    QString arrived;
    for (int i = 0; i < 50 && arrived.isEmpty(); ++i) {
      for (const QString& f : out.entryList({"*.pdf"}, QDir::Files, QDir::Time))
        if (!before.contains(f) && f.contains("CORVALE") && f.contains("A0001")) arrived = out.filePath(f);
      if (arrived.isEmpty()) QTest::qWait(100);
    }
    QVERIFY2(!arrived.isEmpty(), "no PDF arrived from the cups-pdf queue");
    CheckPage(arrived, w->Printer().pageLayout().paintRect(QPageLayout::Point), w->Printer().resolution());
    if (QTest::currentTestFailed()) return;  // keep the file to look at
    QFile::remove(arrived);
  }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
