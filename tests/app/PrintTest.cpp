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

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>

#include "app/EcgTab.h"
#include "app/PrinterSetupDialog.h"
#include "app/SdiAppForm.h"
#include "app/Widgets.h"
#include "output/PrintPage.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"
#include "support/Require.h"

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
  double scale = 1;  // raster pixels per device pixel
  QPointF origin;    // raster position of the printable area's corner
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
  QStringList notices;
  QString record;

  template <class T>
  T* Get(const char* name) const {
    T* child = w->findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  bool ShownOnEcgTab(const char* name) const { return Get<QWidget>(name)->isVisibleTo(Get<QWidget>("TabSheet2")); }

  // The named files of the record's directory into the work list, in this order, then "Analyse".
  void Analyse(const QStringList& names = {QStringLiteral("A0001.nrm")}) {
    Get<DirectoryListBox>("DirectoryListBox1")->SetDirectory(QFileInfo(record).path());
    auto* found = Get<QListWidget>("ListBox1");
    for (const QString& name : names) {
      for (int i = 0; i < found->count(); ++i) found->item(i)->setSelected(found->item(i)->text() == name);
      Get<QPushButton>("ButtonAdd")->click();
    }
    Get<QPushButton>("ButtonAnalyse")->click();
  }

  // Where the page's landmarks lie, in device pixels of the job.
  struct PageMarks {
    double u;           // PrintUnit
    int left, top;      // PrintOriginX, PrintOriginY
    int right, bottom;  // trunc(left + 760u), trunc(top + 1040u)
    double leadStart;   // lead I's first sample at the bottom of the grid
    double pulseBase;   // lead I's zero line, where its pulses stand
  };

  // The marks from the job's own geometry and layout. Only for a queue whose
  // paper, margins and resolution the machine decides; the PDF file test
  // pins its numbers.
  PageMarks MarksFromTheJob() {
    const QRect area = w->Printer().pageLayout().paintRectPixels(w->Printer().resolution());
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), w->State().print.Margin);
    const double u = g.PrintUnit;
    RecordImage image;
    if (ReadRecordFile(record, image)) qFatal("the record does not read");
    const TraceLayout layout = ComputePrintLayout(w->State().display, w->State().leads, u);
    const int a = static_cast<int>(image.Sample(0, 0) * 4.88 * u * 0.04);
    const double base = static_cast<int>(layout.LeadBaseY[0]) - layout.LeadZeroShift[0] + 40 * u + g.PrintOriginX;
    return {u,
            g.PrintOriginX,
            g.PrintOriginY,
            static_cast<int>(g.PrintOriginX + 760 * u),
            static_cast<int>(g.PrintOriginY + 1040 * u),
            base - a,
            base};
  }

  // The marks, checked on a PDF of the job.
  void CheckPage(const QString& pdf, const QRectF& paintRectPoints, double resolution, const PageMarks& m) {
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
    const double u = m.u;
    QVERIFY(r.Dark(QPointF(m.left, m.top), 2));
    QVERIFY(r.Dark(QPointF(m.left, m.bottom), 2));
    QVERIFY(r.Dark(QPointF(m.right - 4 * u, m.top), 2));
    QVERIFY(!r.Dark(QPointF(m.left + 6 * u, m.bottom - 6 * u), 0));   // inside a square: paper
    QVERIFY(!r.Dark(QPointF(m.right + 20 * u, m.top + 100 * u), 1));  // beyond the grid
    // Lead I starts at the bottom of the grid, at its baseline less its first sample.
    QVERIFY(r.Dark(QPointF(m.leadStart, m.bottom - 2 * u), 2));
    // Its calibration pulse: 1 mV to the left at 127.5 mm.
    QVERIFY(r.Dark(QPointF(m.pulseBase - 40 * u, m.top + 1040 * u - 127.5 * 4 * u), 2));
    QVERIFY(!r.Dark(QPointF(m.pulseBase - 50 * u, m.top + 1040 * u - 127.5 * 4 * u), 0));
  }

 private Q_SLOTS:
  void init() {
    tmp = std::make_unique<QTemporaryDir>();
    record = tmp->filePath("A0001.nrm");
    QVERIFY(QFile::copy(test::SourcePath("samples/A0001.nrm"), record));
    w = std::make_unique<TSDIAppForm>();
    messages.clear();
    notices.clear();
    w->showMessage = [this](QMessageBox::Icon, const QString& text) { messages << text; };
    w->showNotice = [this](QMessageBox::Icon, const QString& text) { notices << text; };
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  }
  void cleanup() {
    w.reset();
    tmp.reset();
  }

  // A4 at 600 dpi with the printer's default margins.
  void ToPdf(const QString& pdf) {
    QPrinter& printer = w->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
  }

  void printsToAPdfFile() {
    Analyse();
    const QString pdf = tmp->filePath("page.pdf");
    ToPdf(pdf);
    // While the job runs, the window is disabled and shows the print status.
    bool sawStatus = false;
    QTimer::singleShot(0, w.get(), [&] {
      sawStatus =
          !w->isEnabled() && ShownOnEcgTab("Label148") && ShownOnEcgTab("ProgressBar1") && !ShownOnEcgTab("GroupBox13");
    });
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(sawStatus);
    QVERIFY(w->isEnabled());
    QVERIFY(ShownOnEcgTab("GroupBox13"));
    QVERIFY(!ShownOnEcgTab("Label148"));
    QVERIFY(!ShownOnEcgTab("ProgressBar1"));
    QCOMPARE(Get<QProgressBar>("ProgressBar1")->value(), 580);  // eight passes fill the bar
    // A4 at 600 dpi less the default 10 pt margins is 4792 x 6851 pixels:
    // 6851 * 0.95 and 4792 * 0.95.
    QCOMPARE(Get<QLabel>("Label140")->text(), QStringLiteral("6508.45"));
    QCOMPARE(Get<QLabel>("Label141")->text(), QStringLiteral("4552.4"));
    // u = 4552.4 / 760 = 5.99; the grid from (trunc(5 * 4u), trunc(40u)) to
    // (trunc(left + 760u), trunc(top + 1040u)); lead I's zero line at
    // trunc(LeadBaseY[0] = 100u) - LeadZeroShift[0] (53) + 40u + left = 904.6,
    // its first sample (-14 units, trunc(-14 * 4.88 * u * 0.04) = -16) 16 px right of it.
    const PageMarks m{5.99, 119, 239, 4671, 6468, 920.6, 904.6};
    QVERIFY(Run("pdfinfo", {pdf}).contains("CORVALE < A0001.nrm > "));
    CheckPage(pdf, w->Printer().pageLayout().paintRect(QPageLayout::Point), 600, m);
  }

  void identifiedPage_data() {
    QTest::addColumn<bool>("annotations");
    QTest::addColumn<bool>("deleteId");
    QTest::addColumn<QStringList>("has");
    QTest::addColumn<QStringList>("lacks");
    QTest::newRow("identified") << true << false << QStringList{"見本",      "00000079", "47 y.o.",  "2003/05/14",
                                                                "A0001.nrm", "25 mm/s",  "10 mm/mV", "aVR"}
                                << QStringList{};
    QTest::newRow("delete ID") << true << true << QStringList{"47 y.o.", "A0001.nrm", "25 mm/s"}
                               << QStringList{"見本", "00000079"};
    QTest::newRow("annotations off") << false << false << QStringList{"aVR", "V6"}
                                     << QStringList{"見本", "00000079", "A0001.nrm", "25 mm/s"};
  }
  // The page names the record on the screen unless "annotations" is off.
  void identifiedPage() {
    QFETCH(bool, annotations);
    QFETCH(bool, deleteId);
    QFETCH(QStringList, has);
    QFETCH(QStringList, lacks);
    Analyse();
    auto* box = Get<QCheckBox>("CheckBoxAnnotations");
    QVERIFY(box->isChecked());
    if (!annotations) box->click();
    QCOMPARE(w->State().print.Annotations, annotations);
    Get<QCheckBox>("CheckBoxID")->setChecked(deleteId);  // the control stays disabled; its state counts
    const QString pdf = tmp->filePath("page.pdf");
    ToPdf(pdf);
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
    QVERIFY2(messages.isEmpty() && notices.isEmpty(), qPrintable((messages + notices).join('\n')));
    const QString text = Run("pdftotext", {pdf, "-"}).simplified();
    for (const QString& piece : has) QVERIFY2(text.contains(piece), qPrintable(piece + " in " + text));
    for (const QString& piece : lacks) QVERIFY2(!text.contains(piece), qPrintable(piece + " in " + text));
  }

  void previewShowsThePageAndPrintsFromIt() {
    // Refused as printing is, before a record is on the screen.
    Get<QAction>("printPreview1")->trigger();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("Analyse"));
    messages.clear();
    Analyse();
    const QString pdf = tmp->filePath("preview.pdf");
    ToPdf(pdf);
    int pages = 0, dark = 0;
    QString title;
    QTimer::singleShot(100, w.get(), [&] {
      auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      title = dialog->windowTitle();
      auto* preview = dialog->findChild<QPrintPreviewWidget*>();
      pages = preview->pageCount();
      // The page is drawn: grid and traces darken the sheet.
      const QImage shot = preview->grab().toImage();
      for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) dark += qGray(shot.pixel(x, y)) < 96;
      QVERIFY(!QFile::exists(pdf));  // showing it printed nothing
      preview->print();              // what the dialog's print button runs after its print dialog
      dialog->accept();
    });
    Get<QAction>("printPreview1")->trigger();
    QCOMPARE(pages, 1);
    QVERIFY2(dark > 2000, qPrintable(QString::number(dark)));
    QVERIFY2(title.contains("A0001.nrm"), qPrintable(title));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    // The job ran as printing runs it: the page geometry shown, the job named.
    QCOMPARE(Get<QLabel>("Label140")->text(), QStringLiteral("6508.45"));
    QVERIFY(Run("pdfinfo", {pdf}).contains("CORVALE < A0001.nrm > "));
    QVERIFY(Run("pdftotext", {pdf, "-"}).contains("25 mm/s"));
    QVERIFY(w->isEnabled());
  }

  void refusedBeforeAnalyse() {
    ToPdf(tmp->filePath("never.pdf"));
    Get<EcgTab>("TabSheet2")->Button2Click();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("Analyse"));
    QVERIFY(!QFile::exists(tmp->filePath("never.pdf")));
    QVERIFY(w->isEnabled());
    QVERIFY(ShownOnEcgTab("GroupBox13"));
  }

  void refusedForARecordThatCouldNotBeRead() {
    QVERIFY(QFile::copy(test::SourcePath("samples/A0002.nrm"), tmp->filePath("A0002.nrm")));
    Analyse({"A0001.nrm", "A0002.nrm"});
    QVERIFY(QFile::remove(tmp->filePath("A0002.nrm")));
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(notices.size(), 1);  // "cannot be read", without blocking the window
    QVERIFY(messages.isEmpty());
    ToPdf(tmp->filePath("blank.pdf"));
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains("nothing to print") && messages[0].contains("A0002.nrm"), qPrintable(messages[0]));
    QVERIFY(!QFile::exists(tmp->filePath("blank.pdf")));
    QCOMPARE(Get<QLabel>("Label140")->text(), QStringLiteral("000"));
    QVERIFY(w->isEnabled());
    QVERIFY(ShownOnEcgTab("GroupBox13"));
  }

  void refusedWhenTheWorkListNoLongerNamesTheRecordOnTheScreen_data() {
    QTest::addColumn<bool>("deleted");  // else: the same name added from another directory
    QTest::addColumn<QString>("printsAs");
    QTest::newRow("deleted from the work list") << true << "CORVALE < A0002.nrm > ";
    QTest::newRow("added from another directory") << false << "CORVALE < A0001.nrm > ";
  }
  void refusedWhenTheWorkListNoLongerNamesTheRecordOnTheScreen() {
    QFETCH(bool, deleted);
    QFETCH(QString, printsAs);
    QVERIFY(QFile::copy(test::SourcePath("samples/A0002.nrm"), tmp->filePath("A0002.nrm")));
    Analyse({"A0001.nrm", "A0002.nrm"});
    auto* work = Get<QListWidget>("ListBox2");
    if (deleted) {
      // A0001 stays on the screen while it leaves the work list.
      work->clearSelection();
      work->item(0)->setSelected(true);
      Get<QPushButton>("ButtonDelete")->click();
    } else {
      // Another record under the same name, from another directory, without "Analyse".
      QVERIFY(QDir(tmp->path()).mkdir("other"));
      QVERIFY(QFile::copy(test::SourcePath("samples/A0002.nrm"), tmp->filePath("other/A0001.nrm")));
      Get<DirectoryListBox>("DirectoryListBox1")->SetDirectory(tmp->filePath("other"));
      Get<QListWidget>("ListBox1")->item(0)->setSelected(true);
      Get<QPushButton>("ButtonAdd")->click();
    }
    QCOMPARE(Get<QLabel>("LabelFile")->text(), QStringLiteral("A0001.nrm"));
    const QString pdf = tmp->filePath("named.pdf");
    ToPdf(pdf);
    bool dialogOpened = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialogOpened = true;
        dialog->reject();
      }
    });
    watch.start(100);
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
    Get<QAction>("printout1")->trigger();  // Ctrl+P
    QVERIFY(!dialogOpened);
    QCOMPARE(messages.size(), 2);
    for (const QString& m : messages)
      QVERIFY2(m.contains("work list has changed") && m.contains("A0001.nrm"), qPrintable(m));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(w->isEnabled());
    // "Analyse" makes the work list and the screen agree again.
    Get<QPushButton>("ButtonAnalyse")->click();
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(messages.size(), 2);
    const QString info = Run("pdfinfo", {pdf});
    QVERIFY2(info.contains(printsAs), qPrintable(info));
  }

  void cancelledPrintDialogDoesNothing() {
    Analyse();
    ToPdf(tmp->filePath("cancelled.pdf"));
    QTimer::singleShot(100, w.get(), [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) static_cast<QDialog*>(dialog)->reject();
    });
    Get<QAction>("printout1")->trigger();
    QVERIFY(!QFile::exists(tmp->filePath("cancelled.pdf")));
    QCOMPARE(Get<QLabel>("Label140")->text(), QStringLiteral("000"));
    QVERIFY(messages.isEmpty());
  }

  void printerSetupChoosesPaperAndOrientation() {
    QTimer::singleShot(100, w.get(), [] {
      auto* dialog = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      auto* paper = dialog->findChild<QComboBox*>("Paper");
      QVERIFY(paper);
      paper->setCurrentIndex(paper->findData(static_cast<int>(QPageSize::Letter)));
      dialog->findChild<QRadioButton*>("Landscape")->setChecked(true);
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    Get<QAction>("U1")->trigger();
    QCOMPARE(w->Printer().pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(w->Printer().pageLayout().pageSize().id(), QPageSize::Letter);
    // Letter landscape at 1200 dpi less the 10 pt margins: 12866 x 9866 pixels.
    const QRect area = w->Printer().pageLayout().paintRectPixels(w->Printer().resolution());
    QCOMPARE(area.size(), QSize(12866, 9866));
    // The page height is the short side and sets the scale: 9866 * 0.95 / 1040.
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), 50);
    QCOMPARE(GeneralFormat(g.UsableHeight), QStringLiteral("9372.7"));
    QCOMPARE(GeneralFormat(g.PrintUnit), QStringLiteral("9.01221153846154"));
  }

  void printerSetupKeepsThePaperInUse_data() {
    QTest::addColumn<QPageSize>("size");
    QTest::newRow("JIS B5") << QPageSize(QPageSize::JisB5);
    QTest::newRow("A5") << QPageSize(QPageSize::A5);
    QTest::newRow("a size of its own") << QPageSize(QSizeF(200, 250), QPageSize::Millimeter, "ECG roll");
  }
  void printerSetupKeepsThePaperInUse() {
    QFETCH(QPageSize, size);
    ToPdf(tmp->filePath("setup.pdf"));
    QVERIFY(w->Printer().setPageSize(size));
    QString offered;
    QTimer::singleShot(100, w.get(), [&] {
      auto* dialog = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      offered = dialog->findChild<QComboBox*>(QStringLiteral("Paper"))->currentText();
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    Get<QAction>("U1")->trigger();
    QCOMPARE(offered, size.name());
    QVERIFY2(w->Printer().pageLayout().pageSize().isEquivalentTo(size),
             qPrintable(w->Printer().pageLayout().pageSize().name()));
    QCOMPARE(w->Printer().outputFormat(), QPrinter::PdfFormat);
  }

  void paperListFollowsTheChosenPrinter() {
    PrinterCatalogue printers;
    printers.names = {"P1", "P2"};
    printers.sizes = [](const QString& name) {
      QList<QPageSize> sizes;
      const auto ids = name == "P1" ? QList{QPageSize::A4, QPageSize::A5, QPageSize::JisB5}
                                    : QList{QPageSize::Letter, QPageSize::Legal};
      for (QPageSize::PageSizeId id : ids) sizes << QPageSize(id);
      return sizes;
    };
    printers.defaultSize = [](const QString& name) {
      return QPageSize(name == "P1" ? QPageSize::A4 : QPageSize::Legal);
    };
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::JisB5));
    PrinterSetupDialog dialog(printer, w.get(), printers);
    auto offered = [&] {
      QList<QPageSize::PageSizeId> ids;
      for (int i = 0; i < dialog.findChild<QComboBox*>(QStringLiteral("Paper"))->count(); ++i)
        ids << dialog.PaperAt(i).id();
      return ids;
    };
    QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("Printers"))->count(), 3);  // the PDF file first
    QCOMPARE(dialog.PaperAt(dialog.findChild<QComboBox*>(QStringLiteral("Paper"))->currentIndex()).id(),
             QPageSize::JisB5);
    QCOMPARE(offered().size(), StandardPaperSizes().size());  // a PDF file takes the standard set
    // Each step picks a printer (or, with -1, the second paper of the list).
    struct Step {
      int printer;
      QList<QPageSize::PageSizeId> sizes;
      QPageSize::PageSizeId chosen;
    };
    const Step steps[] = {
        {2, {QPageSize::Letter, QPageSize::Legal}, QPageSize::Legal},             // its default
        {1, {QPageSize::A4, QPageSize::A5, QPageSize::JisB5}, QPageSize::JisB5},  // the paper in use
        {-1, {QPageSize::A4, QPageSize::A5, QPageSize::JisB5}, QPageSize::A5},    // the user's choice...
        {0, offered(), QPageSize::A5},                                            // ...stays where it can
    };
    for (const Step& step : steps) {
      if (step.printer < 0) dialog.findChild<QComboBox*>(QStringLiteral("Paper"))->setCurrentIndex(1);
      else dialog.findChild<QComboBox*>(QStringLiteral("Printers"))->setCurrentIndex(step.printer);
      QCOMPARE(offered(), step.sizes);
      QCOMPARE(dialog.PaperAt(dialog.findChild<QComboBox*>(QStringLiteral("Paper"))->currentIndex()).id(), step.chosen);
    }
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A5);
  }

  void printsThroughACupsQueue() {
    if (Run("lpstat", {"-r"}).trimmed() != QStringLiteral("scheduler is running"))
      CORVALE_QMISSING("a running CUPS scheduler (scripts/print-queue.sh starts one)");
    if (QPrinterInfo::defaultPrinterName() != QStringLiteral("corvale-pdf"))
      CORVALE_QMISSING("the corvale-pdf queue as the default destination (scripts/print-queue.sh makes it)");
    const QDir out(QDir::homePath() + "/PDF");
    const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
    Analyse();
    QCOMPARE(w->Printer().printerName(), QStringLiteral("corvale-pdf"));
    QTest::mouseClick(Get<QPushButton>("Button2"), Qt::LeftButton);
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
    CheckPage(arrived, w->Printer().pageLayout().paintRect(QPageLayout::Point), w->Printer().resolution(),
              MarksFromTheJob());
    if (QTest::currentTestFailed()) return;  // keep the file to look at
    QFile::remove(arrived);
  }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
