// The main window, driven through its controls by object name.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/AboutBox.h"
#include "app/SdiAppForm.h"
#include "app/Widgets.h"
#include "display/Render.h"
#include "support/RecordBuilder.h"

using namespace corvale;

namespace {

QStringList Items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// A record whose header says which one it is.
test::RecordBuilder Numbered(int n) {
  test::RecordBuilder b;
  const std::string id = QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0')).toStdString();
  b.Set(Field::PatientId, id).Set(Field::Sex, "1").Set(Field::AgeUnit, "1").Set(Field::ProcessingResult, "2");
  b.Lead(0, [n](int s) { return static_cast<std::int16_t>((s % 500 < 10 ? 400 : 0) * n); });
  return b;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSDIAppForm> w;
  std::unique_ptr<QTemporaryDir> tmp;
  QStringList messages;
  QString startDir;

  template <class T>
  T* Get(const char* name) {
    T* child = w->findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  QString Text(const char* label) { return Get<QLabel>(label)->text(); }
  void Open(const QString& path) { w->DirectoryListBox1->SetDirectory(path); }
  void Select(QListWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
  }
  void AnalyseAll() {
    Select(w->ListBox1, {});
    for (int i = 0; i < w->ListBox1->count(); ++i) w->ListBox1->item(i)->setSelected(true);
    QTest::mouseClick(w->ButtonAdd, Qt::LeftButton);
    QTest::mouseClick(w->ButtonAnalyse, Qt::LeftButton);
  }

 private Q_SLOTS:
  void initTestCase() { startDir = QDir::currentPath(); }

  void init() {
    QDir::setCurrent(startDir);
    tmp = std::make_unique<QTemporaryDir>();
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

  void directoryListSelectsTheCurrentDirectory() {
    // Siblings that sort before it make the background-loaded rows move.
    for (int i = 0; i < 40; ++i)
      for (const QString& d : {QStringLiteral("a%1").arg(i), QStringLiteral("deep/b%1").arg(i), QStringLiteral("deep/z%1").arg(i)})
        QVERIFY(QDir(tmp->path()).mkpath(d));
    QVERIFY(QDir(tmp->path()).mkpath("deep/target"));
    const QString target = tmp->filePath("deep/target");
    QDir::setCurrent(target);
    TSDIAppForm window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(500);  // the tree loads in the background meanwhile
    QTRY_COMPARE(window.DirectoryListBox1->currentIndex().data(QFileSystemModel::FilePathRole).toString(), target);
    QCOMPARE(window.DirectoryListBox1->Directory(), target);
  }

  void startUpState() {
    QCOMPARE(w->windowTitle(), QStringLiteral("CORVALE"));
    QCOMPARE(w->centralWidget()->size(), QSize(1216, 918));
    QVERIFY(w->minimumSize() == w->maximumSize());
    QVERIFY(!w->PageControl1->isTabEnabled(1));
    QVERIFY(!w->PageControl1->isTabEnabled(2));
    QCOMPARE(w->PageControl1->currentIndex(), 0);
    QVERIFY(!w->ButtonAnalyse->isEnabled());
    QCOMPARE(Text("Label142"), QStringLiteral("2"));
    QCOMPARE(Text("Label144"), QStringLiteral("50"));
    QCOMPARE(Text("Label140"), QStringLiteral("000"));
    QCOMPARE(Text("Label147"), QStringLiteral("0000/0000"));
    QCOMPARE(Text("Label50"), QStringLiteral("RV5/RV6 :"));
    QCOMPARE(w->EditOut->text(), QStringLiteral("filename"));
    QVERIFY(!w->EditOut->isEnabled() && !w->EditBMP->isEnabled());
    QVERIFY(!w->Button3->isEnabledTo(w->TabSheet2) && !w->Button4->isEnabledTo(w->TabSheet2));
    QVERIFY(w->Button5->isEnabledTo(w->TabSheet2));
    QVERIFY(!w->CheckBoxID->isEnabledTo(w->TabSheet2));
    QVERIFY(Get<QCheckBox>("CheckBox5")->isChecked() && Get<QCheckBox>("CheckBox5")->isHidden());
    QVERIFY(w->Button1->isHidden());
    QVERIFY(w->DirectoryListBox2->isHidden());
    QVERIFY(Get<QGroupBox>("GroupBoxLimb")->isHidden());
    QVERIFY(Get<QRadioButton>("RadioButtonR3")->isChecked());
    QVERIFY(w->ProgressBar1->isHidden() && w->Label148->isHidden());
    QCOMPARE(w->ProgressBar1->maximum(), 580);
    QCOMPARE(w->ScrollBarFile->maximum(), 100);
    QCOMPARE(w->ScrollBar1->maximum(), 2499);
    QCOMPARE(w->PaintBox1->size(), QSize(1040, 760));
    QCOMPARE(w->PaintBox2->size(), QSize(1040, 100));
    QCOMPARE(w->TraceImage().Qt().size(), QSize(1040, 760));
    QCOMPARE(w->OverlayImage().Qt().size(), QSize(1040, 760));
    QCOMPARE(w->StripGridImage().Qt().size(), QSize(1040, 100));
    const ViewerState& s = w->State();
    QCOMPARE(s.display.LimbLeadMode, 3);
    QCOMPARE(s.display.DisplaySpan, 1);
    QCOMPARE(s.display.TimeOffset, 0);
    QCOMPARE(s.display.Colors, SchemeColors(1));
    QCOMPARE(s.print.PenPattern, 2);
    QCOMPARE(s.print.GridPattern, 2);
    for (int i = 0; i < 12; ++i) {
      QCOMPARE(s.display.LeadGain[i], 1.0);
      QCOMPARE(s.leads.LeadRange[i], 1.0);
    }
    QCOMPARE(w->DirectoryListBox2->Directory(), QDir::currentPath());
  }

  void menus_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("new") << "FileNew1" << "新規作成(&N)" << "Ctrl+N";
    QTest::newRow("open") << "FileOpen1" << "開く(&O)..." << "Ctrl+O";
    QTest::newRow("save") << "FileSave1" << "上書き保存(&S)" << "Ctrl+S";
    QTest::newRow("save as") << "FileSaveAs1" << "名前をつけて保存(&A)..." << "";
    QTest::newRow("print") << "printout1" << "印刷(&P)" << "Ctrl+P";
    QTest::newRow("printer setup") << "U1" << "印刷設定(&U)" << "Ctrl+U";
    QTest::newRow("exit") << "FileExit1" << "終了(&X)" << "";
    QTest::newRow("cut") << "EditCut1" << "切り取り(&T)" << "Ctrl+X";
    QTest::newRow("about") << "HelpAbout1" << "バージョン情報(&A)..." << "";
  }
  void menus() {
    QFETCH(QString, action);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    auto* a = w->findChild<QAction*>(action);
    QVERIFY(a);
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
  }

  void menuItemsThatDoNothing() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    Open(tmp->path());
    AnalyseAll();
    const QString title = w->windowTitle();
    const QImage before = w->TraceImage().Qt().copy();
    for (const char* name : {"FileNew1", "FileOpen1", "FileSave1", "FileSaveAs1"}) w->findChild<QAction*>(name)->trigger();
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->TraceImage().Qt(), before);
    QVERIFY(w->isVisible());
    QVERIFY(messages.isEmpty());
  }

  void aboutBox() {
    TAboutBox* about = w->AboutBox();
    QTimer::singleShot(0, about, [about] {
      QCOMPARE(about->size(), QSize(298, 218));
      QVERIFY(about->findChild<QLabel*>("Version"));
      QCOMPARE(about->findChild<QLabel*>("Version")->text(), QStringLiteral("Version : 1.41421356"));
      QTest::keyClick(about, Qt::Key_Return);  // OK is the default button
    });
    w->HelpAbout1->trigger();
    QCOMPARE(about->result(), int(QDialog::Accepted));
    QVERIFY(w->isVisible());
  }

  void scanOrderNrmFirstRegularFilesOnly() {
    for (const char* name : {"b.nrm", "c.msd", "a.nrm", "D.NRM", "e.Msd", "notes.txt", "f.nrm.bak"})
      Numbered(1).Write(tmp->filePath(name));
    QDir(tmp->path()).mkdir("folder.nrm");
    Open(tmp->path());
    const QStringList items = Items(w->ListBox1);
    QCOMPARE(items.size(), 5);
    QCOMPARE(QSet<QString>(items.begin(), items.begin() + 3), (QSet<QString>{"a.nrm", "b.nrm", "D.NRM"}));
    QCOMPARE(QSet<QString>(items.begin() + 3, items.end()), (QSet<QString>{"c.msd", "e.Msd"}));
    QVERIFY(w->ButtonAdd->isEnabled());
    QVERIFY(!w->ButtonAnalyse->isEnabled());
    QVERIFY(messages.isEmpty());
  }

  void addAndDeleteKeepOrder() {
    for (int i = 1; i <= 5; ++i) Numbered(i).Write(tmp->filePath(QStringLiteral("r%1.nrm").arg(i)));
    Open(tmp->path());
    const QStringList scanned = Items(w->ListBox1);
    Select(w->ListBox1, {1, 3});
    QTest::mouseClick(w->ButtonAdd, Qt::LeftButton);
    QCOMPARE(Items(w->ListBox2), (QStringList{scanned[1], scanned[3]}));
    QCOMPARE(Items(w->ListBox1), (QStringList{scanned[0], scanned[2], scanned[4]}));
    QVERIFY(w->ButtonAnalyse->isEnabled());
    Select(w->ListBox1, {0, 2});
    QTest::mouseClick(w->ButtonAdd, Qt::LeftButton);
    QCOMPARE(Items(w->ListBox2), (QStringList{scanned[1], scanned[3], scanned[0], scanned[4]}));
    // Back to the end of the file list, in work-list order.
    Select(w->ListBox2, {0, 2});
    QTest::mouseClick(w->ButtonDelete, Qt::LeftButton);
    QCOMPARE(Items(w->ListBox1), (QStringList{scanned[2], scanned[1], scanned[0]}));
    QCOMPARE(Items(w->ListBox2), (QStringList{scanned[3], scanned[4]}));
    Select(w->ListBox2, {0, 1});
    QTest::mouseClick(w->ButtonDelete, Qt::LeftButton);
    QVERIFY(!w->ButtonAnalyse->isEnabled());
  }

  void analyseAndStep() {
    for (int i = 1; i <= 3; ++i) Numbered(i).Write(tmp->filePath(QStringLiteral("r%1.nrm").arg(i)));
    Open(tmp->path());
    AnalyseAll();
    QVERIFY(w->PageControl1->isTabEnabled(1) && w->PageControl1->isTabEnabled(2));
    QCOMPARE(w->PageControl1->currentIndex(), 1);
    QCOMPARE(w->ScrollBarFile->maximum(), 2);
    QCOMPARE(w->ScrollBarFile->value(), 0);
    const QString first = w->ListBox2->item(0)->text();
    QCOMPARE(Text("Label147"), QStringLiteral("1/3"));
    QCOMPARE(Text("LabelFile"), first);
    QCOMPARE(w->windowTitle(), tmp->path() + "/" + first);
    QCOMPARE(w->EditOut->text(), first);
    QCOMPARE(w->EditBMP->text(), first.left(first.size() - 3) + "BMP");
    QCOMPARE(Text("Label12"), QStringLiteral("0000000") + first.mid(1, 1));
    QCOMPARE(Text("Label13"), QStringLiteral("M"));
    QCOMPARE(Text("Label14"), QStringLiteral("m.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("データエラー"));
    QCOMPARE(Text("Label30"), QStringLiteral("0"));
    // The right arrow of the scroll bar steps one record.
    QTest::mouseClick(w->ScrollBarFile, Qt::LeftButton, {}, QPoint(w->ScrollBarFile->width() - 4, 8));
    QCOMPARE(w->ScrollBarFile->value(), 1);
    QCOMPARE(Text("Label147"), QStringLiteral("2/3"));
    QCOMPARE(Text("LabelFile"), w->ListBox2->item(1)->text());
    // Display state carries over; the trace shows the new record's lead I.
    const int lead0Peak = w->State().leads.LeadRange[0] > 1 ? 1 : 0;
    QCOMPARE(lead0Peak, 1);
    QVERIFY(messages.isEmpty());
  }

  void oddCodesLeaveLabelsAsTheyWere() {
    test::RecordBuilder first = Numbered(1);
    first.Set(Field::AgeUnit, "2").Set(Field::ProcessingResult, " ").Set(Field::LateralLeadSelector, "5");
    first.Write(tmp->filePath("a.nrm"));
    test::RecordBuilder second = Numbered(2);
    second.Set(Field::AgeUnit, "9").Set(Field::ProcessingResult, "3").Set(Field::LateralLeadSelector, "6");
    second.Write(tmp->filePath("b.nrm"));
    Open(tmp->path());
    Select(w->ListBox1, {});
    for (int i = 0; i < 2; ++i) w->ListBox1->item(i)->setSelected(w->ListBox1->item(i)->text() == "a.nrm");
    QTest::mouseClick(w->ButtonAdd, Qt::LeftButton);
    w->ListBox1->item(0)->setSelected(true);
    QTest::mouseClick(w->ButtonAdd, Qt::LeftButton);
    QTest::mouseClick(w->ButtonAnalyse, Qt::LeftButton);
    QCOMPARE(Text("Label14"), QStringLiteral("d.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("正常終了"));
    QCOMPARE(Text("Label50"), QStringLiteral("RV5"));
    QCOMPARE(Text("Label35"), QStringLiteral("V5"));
    w->ScrollBarFile->setValue(1);
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    QCOMPARE(Text("Label14"), QStringLiteral("d.o."));   // AgeUnit 9: unchanged
    QCOMPARE(Text("Label90"), QStringLiteral("正常終了"));  // ProcessingResult 3: unchanged
    QCOMPARE(Text("Label50"), QStringLiteral("RV6"));
    QCOMPARE(Text("Label33"), QStringLiteral("RV6"));
  }

  void unreadableRecordsKeepTheProgramRunning_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << -1 << "No such file";
    QTest::newRow("short") << 400 << "has 400 bytes; a record needs 120424 bytes";
  }
  void unreadableRecordsKeepTheProgramRunning() {
    QFETCH(int, size);
    QFETCH(QString, reason);
    Numbered(7).Write(tmp->filePath("a.nrm"));
    Numbered(8).Write(tmp->filePath("b.nrm"));
    Open(tmp->path());
    AnalyseAll();
    const QString second = w->ListBox2->item(1)->text();
    if (size < 0) QVERIFY(QFile::remove(tmp->filePath(second)));
    else Numbered(9).Write(tmp->filePath(second), size);
    w->ScrollBarFile->setValue(1);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(tmp->filePath(second)), qPrintable(messages[0]));
    QVERIFY2(messages[0].contains(reason), qPrintable(messages[0]));
    // No other record's values under this name; traces as at start-up.
    QCOMPARE(Text("Label12"), QStringLiteral("00000000"));
    QCOMPARE(Text("Label13"), QStringLiteral("F"));
    QCOMPARE(Text("Label14"), QStringLiteral("y.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("Label90"));
    QCOMPARE(Text("LabelFile"), second);
    QCOMPARE(w->State().leads.LeadRange[0], 1.0);
    const Color ink = w->State().display.Colors.TraceColor;
    QCOMPARE(w->TraceImage().Pixel(100, 140), ink);
    QCOMPARE(w->TraceImage().Pixel(100, 141), ink);
    QVERIFY(w->isVisible());
    // And the next good record shows again.
    w->ScrollBarFile->setValue(0);
    QCOMPARE(messages.size(), 1);
    QVERIFY(Text("Label12") != QStringLiteral("00000000"));
  }

  void workListChangedAfterAnalyse() {
    for (int i = 1; i <= 3; ++i) Numbered(i).Write(tmp->filePath(QStringLiteral("r%1.nrm").arg(i)));
    Open(tmp->path());
    AnalyseAll();
    w->ScrollBarFile->setValue(2);
    const QString shown = Text("Label12");
    Select(w->ListBox2, {1, 2});
    QTest::mouseClick(w->ButtonDelete, Qt::LeftButton);
    w->ScrollBarFile->setValue(1);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("Analyse"));
    QCOMPARE(Text("Label12"), shown);  // the previous record stays
    QVERIFY(w->isVisible());
  }

  void directoryChangeDuringScanDoesNotMix() {
    QTemporaryDir other;
    for (int i = 0; i < 5; ++i) Numbered(1).Write(tmp->filePath(QStringLiteral("old%1.nrm").arg(i)));
    for (int i = 0; i < 3; ++i) Numbered(1).Write(other.filePath(QStringLiteral("new%1.msd").arg(i)));
    // The first file the scan lists lets events run; the queued change of
    // directory runs a second refresh right there.
    QTimer::singleShot(0, w.get(), [&] { Open(other.path()); });
    Open(tmp->path());
    const QStringList items = Items(w->ListBox1);
    QCOMPARE(QSet<QString>(items.begin(), items.end()), (QSet<QString>{"new0.msd", "new1.msd", "new2.msd"}));
    QCOMPARE(items.size(), 3);
    QVERIFY(w->ButtonAdd->isEnabled());
  }

  void displayOptions() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    Open(tmp->path());
    AnalyseAll();
    auto& s = w->State().display;
    QTest::mouseClick(Get<QRadioButton>("RadioButton12"), Qt::LeftButton);  // aVR 1/4
    QCOMPARE(s.LeadGain[3], 4.0);
    for (int i = 0; i < 12; ++i)
      if (i != 3) QCOMPARE(s.LeadGain[i], 1.0);
    QTest::mouseClick(Get<QRadioButton>("RadioButton5"), Qt::LeftButton);  // II 1/2
    QCOMPARE(s.LeadGain[1], 2.0);
    QTest::mouseClick(Get<QRadioButton>("RadioButtonCol2"), Qt::LeftButton);
    QCOMPARE(s.Colors, SchemeColors(2));
    QCOMPARE(w->GridImage().Pixel(2, 2), 0x000000u);
    QCOMPARE(w->TraceImage().Pixel(2, 2), 0x000000u);
    QTest::mouseClick(Get<QRadioButton>("RadioButtonD2"), Qt::LeftButton);
    QCOMPARE(s.DisplaySpan, 2);
    QVERIFY(!w->ScrollBar1->isEnabled());
    QTest::mouseClick(Get<QRadioButton>("RadioButtonD1"), Qt::LeftButton);
    QVERIFY(w->ScrollBar1->isEnabled());
    w->ScrollBar1->setValue(2499);
    QCOMPARE(s.TimeOffset, 2499);
    QCOMPARE(w->StripImage().Pixel(499, 50), 0x00FFFFu);  // the frame moved, in yellow
    w->RadioButtonR1Click(1);
    QCOMPARE(s.LimbLeadMode, 1);
    // The main view shows the overlay, which without measurements is the trace image.
    QCOMPARE(w->OverlayImage().Qt(), w->TraceImage().Qt());
    QCOMPARE(w->PaintBox1->ShownImage(), &w->OverlayImage());
    QCOMPARE(w->PaintBox2->ShownImage(), &w->StripImage());
    // Another record keeps every option.
    Numbered(2).Write(tmp->filePath("a.nrm"));
    w->ScrollBarFile->setValue(0);
    w->ShowRecord();
    QCOMPARE(s.LeadGain[3], 4.0);
    QCOMPARE(s.Colors, SchemeColors(2));
    QCOMPARE(s.TimeOffset, 2499);
  }

  void caliperEndToEnd() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    Numbered(2).Write(tmp->filePath("b.nrm"));
    Open(tmp->path());
    AnalyseAll();
    PaintBox* view = w->PaintBox1;
    const Image& overlay = w->OverlayImage();
    auto caption = [&] { return w->SpeedButtonS1->palette().color(QPalette::ButtonText); };
    QTest::mouseClick(w->SpeedButtonS1, Qt::LeftButton);
    QCOMPARE(caption(), QColor(255, 0, 0));
    QTest::mouseMove(view, QPoint(100, 50));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Red);  // guide line
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(view, QPoint(137, 300));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Red);  // rubber band from the first point
    QCOMPARE(overlay.Pixel(104, 300), Colors::Red);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(137, 300));
    QCOMPARE(caption(), QColor(0, 0, 0));
    QCOMPARE(overlay.Pixel(104, 300), Colors::Red);  // stays until the pointer moves
    QCOMPARE(w->State().measurements.MeasurementCount, 1);
    QCOMPARE(w->State().measurements.items[0].Value, 370);
    QTest::mouseMove(view, QPoint(400, 600));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Blue);
    QCOMPARE(overlay.Pixel(137, 700), Colors::Blue);
    QCOMPARE(overlay.Pixel(104, 300), Colors::Blue);  // the bar
    QCOMPARE(overlay.Pixel(110, 292), Colors::Grey);  // the label's box
    QTest::mouseMove(view, QPoint(101, 600));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Magenta);
    QVERIFY(w->TraceImage().Pixel(100, 700) != Colors::Magenta);
    // Drag the left mark with the left button.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(101, 600));
    QTest::mouseMove(view, QPoint(80, 620));
    QCOMPARE(overlay.Pixel(80, 10), Colors::Red);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(80, 620));
    QCOMPARE(w->State().measurements.items[0].X1, 80);
    QCOMPARE(w->State().measurements.items[0].Value, 570);
    // Marks stay on the screen through scrolling and another record.
    w->ScrollBar1->setValue(700);
    QCOMPARE(overlay.Pixel(80, 10), Colors::Blue);
    w->ScrollBarFile->setValue(1);
    QCOMPARE(overlay.Pixel(80, 10), Colors::Blue);
    QCOMPARE(w->State().measurements.items[0].Value, 570);
    for (int y : {0, 100, 759}) QVERIFY(w->TraceImage().Pixel(80, y) != Colors::Blue);
    // Shift-click removes it; AC on an empty list is harmless.
    QTest::mouseMove(view, QPoint(80, 10));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, QPoint(80, 10));
    QCOMPARE(w->State().measurements.MeasurementCount, 0);
    QTest::mouseClick(w->SpeedButtonS3, Qt::LeftButton);
    QCOMPARE(overlay.Qt(), w->TraceImage().Qt());
  }

  void clipboardBmpAndCopy() {
    Numbered(3).Write(tmp->filePath("A0001.msd"));
    Open(tmp->path());
    AnalyseAll();
    w->State().measurements.items[0] = {100, 0, 200, 300, 1000};
    w->State().measurements.MeasurementCount = 1;
    w->ComposeOverlay();
    QCOMPARE(w->OverlayImage().Pixel(100, 10), Colors::Blue);
    QTest::mouseClick(w->Button5, Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("ファイルをクリップボードへ転送しました。")});
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), w->TraceImage().Qt());
    // The disabled buttons' handlers, into the hidden output directory.
    QTemporaryDir out;
    w->DirectoryListBox2->SetDirectory(out.path());
    QCOMPARE(w->EditBMP->text(), QStringLiteral("A0001.BMP"));
    w->Button3Click();
    QCOMPARE(messages.last(), QStringLiteral("ＢＭＰファイルを出力しました。"));
    QCOMPARE(QImage(out.filePath("A0001.BMP")).convertToFormat(QImage::Format_RGB32), w->TraceImage().Qt());
    w->CheckBoxID->setChecked(true);
    w->Button4Click();
    QCOMPARE(messages.last(), QStringLiteral("ファイルをコピーしました。"));
    QFile copy(out.filePath("A0001.msd"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll().mid(25, 8), QByteArray("00000000"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));  // labels are not updated
    // Same directory, default name: the original is never overwritten.
    w->DirectoryListBox2->SetDirectory(tmp->path());
    w->Button4Click();
    QVERIFY(messages.last().contains("own file"));
    QFile original(tmp->filePath("A0001.msd"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), Numbered(3).Bytes());
    // A BMP that cannot be written: a reason, no success message.
    w->EditBMP->setText(QStringLiteral("no/such/dir/x.BMP"));
    const int count = messages.size();
    w->Button3Click();
    QCOMPARE(messages.size(), count + 1);
    QVERIFY(messages.last().contains("not saved"));
    QVERIFY(w->isVisible());
  }

  void systemPaintRendersFromState() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    Open(tmp->path());
    AnalyseAll();
    // Spoil the overlay, then let the system repaint: the paint handler renders again.
    w->State().measurements.items[0] = {100, 0, 200, 300, 1000};
    w->State().measurements.MeasurementCount = 1;
    w->PaintBox1->update();
    QTest::qWait(50);
    QCOMPARE(w->OverlayImage().Pixel(100, 10), Colors::Blue);
    QCOMPARE(w->TraceImage().Pixel(100, 10) == Colors::Blue, false);
  }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
