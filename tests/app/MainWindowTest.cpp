// The main window as a whole: start-up state, menus, the About box, the
// header labels made from their table, "Analyse" and stepping through the
// work list, and records that cannot be shown.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include "WindowFixture.h"
#include "app/AboutBox.h"
#include "app/RecordFiles.h"

using namespace corvale;
using namespace corvale::test;

class MainWindowTest : public WindowFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Open(); }
  void cleanup() { Close(); }

  void startUpState() {
    QCOMPARE(w->windowTitle(), QStringLiteral("CORVALE"));
    QCOMPARE(w->centralWidget()->size(), QSize(1216, 918));
    QVERIFY(w->minimumSize() == w->maximumSize());
    auto* tabs = Get<QTabWidget>("PageControl1");
    QVERIFY(!tabs->isTabEnabled(1));
    QVERIFY(!tabs->isTabEnabled(2));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("TabSheet1"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("TabSheet2"));
    QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("TabSheet3"));
    QVERIFY(!Get<QPushButton>("ButtonAnalyse")->isEnabled());
    QCOMPARE(Text("Label142"), QStringLiteral("2"));
    QCOMPARE(Text("Label144"), QStringLiteral("50"));
    QCOMPARE(Text("Label140"), QStringLiteral("000"));
    QCOMPARE(Text("Label147"), QStringLiteral("0000/0000"));
    QCOMPARE(Text("Label50"), QStringLiteral("RV5/RV6 :"));
    auto* page = Get<QWidget>("TabSheet2");
    QCOMPARE(Get<QLineEdit>("EditOut")->text(), QStringLiteral("filename"));
    QVERIFY(!Get<QLineEdit>("EditOut")->isEnabled() && !Get<QLineEdit>("EditBMP")->isEnabled());
    QVERIFY(!Get<QPushButton>("Button3")->isEnabledTo(page) && !Get<QPushButton>("Button4")->isEnabledTo(page));
    QVERIFY(Get<QPushButton>("Button5")->isEnabledTo(page));
    QVERIFY(!Get<QCheckBox>("CheckBoxID")->isEnabledTo(page));
    QVERIFY(Get<QCheckBox>("CheckBox5")->isChecked() && Get<QCheckBox>("CheckBox5")->isHidden());
    QVERIFY(Get<QPushButton>("Button1")->isHidden());
    QVERIFY(Get<DirectoryListBox>("DirectoryListBox2")->isHidden());
    QVERIFY(Get<QGroupBox>("GroupBoxLimb")->isHidden());
    QVERIFY(Get<QRadioButton>("RadioButtonR3")->isChecked());
    QVERIFY(Get<QProgressBar>("ProgressBar1")->isHidden() && Get<QLabel>("Label148")->isHidden());
    QCOMPARE(Get<QProgressBar>("ProgressBar1")->maximum(), 580);
    QCOMPARE(Get<QScrollBar>("ScrollBarFile")->maximum(), 100);
    QCOMPARE(Get<QScrollBar>("ScrollBar1")->maximum(), 2499);
    QCOMPARE(Get<PaintBox>("PaintBox1")->size(), QSize(1040, 760));
    QCOMPARE(Get<PaintBox>("PaintBox2")->size(), QSize(1040, 100));
    QCOMPARE(w->TraceImage().Qt().size(), QSize(1040, 760));
    QCOMPARE(w->OverlayImage().Qt().size(), QSize(1040, 760));
    QCOMPARE(w->StripGridImage().Qt().size(), QSize(1040, 100));
    const ViewerState& s = w->State();
    QCOMPARE(s.display.LimbLeadMode, 3);
    QCOMPARE(s.display.DisplaySpan, 1);
    QCOMPARE(s.display.TimeOffset, 0);
    QCOMPARE(s.display.Colors, SchemeColors(1));
    QCOMPARE(s.print.PenWidth, 2);
    QCOMPARE(s.print.Margin, 50);
    QCOMPARE(s.print.PenPattern, 2);
    QCOMPARE(s.print.GridPattern, 2);
    for (int i = 0; i < 12; ++i) {
      QCOMPARE(s.display.LeadGain[i], 1.0);
      QCOMPARE(s.leads.LeadRange[i], 1.0);
    }
    QCOMPARE(s.study.directory, QDir::currentPath());
    QCOMPARE(s.output.directory, QDir::currentPath());
    QCOMPARE(Get<DirectoryListBox>("DirectoryListBox2")->Directory(), QDir::currentPath());
    QVERIFY(!s.study.analysed);
    QVERIFY(!s.shown);
  }

  void menus_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("new") << "FileNew1"
                         << "新規作成(&N)"
                         << "Ctrl+N"
                         << "新規ファイルの作成";
    QTest::newRow("open") << "FileOpen1"
                          << "開く(&O)..."
                          << "Ctrl+O"
                          << "ファイルを開く";
    QTest::newRow("save") << "FileSave1"
                          << "上書き保存(&S)"
                          << "Ctrl+S"
                          << "現在のファイルを保存";
    QTest::newRow("save as") << "FileSaveAs1"
                             << "名前をつけて保存(&A)..."
                             << ""
                             << "現在のファイルに別の名前をつけて保存";
    QTest::newRow("preview") << "printPreview1"
                             << "印刷プレビュー(&V)..."
                             << ""
                             << "";
    QTest::newRow("print") << "printout1"
                           << "印刷(&P)"
                           << "Ctrl+P"
                           << "";
    QTest::newRow("printer setup") << "U1"
                                   << "印刷設定(&U)"
                                   << "Ctrl+U"
                                   << "";
    QTest::newRow("export") << "FileExport1"
                            << "エクスポート(&E)..."
                            << ""
                            << "";
    QTest::newRow("exit") << "FileExit1"
                          << "終了(&X)"
                          << ""
                          << "アプリケーション終了";
    QTest::newRow("cut") << "EditCut1"
                         << "切り取り(&T)"
                         << "Ctrl+X"
                         << "選択部分を切り取りクリップボードに送る";
    QTest::newRow("copy") << "EditCopy1"
                          << "コピー(&C)"
                          << "Ctrl+C"
                          << "選択部分をコピーしクリップボードに送る";
    QTest::newRow("paste") << "EditPaste1"
                           << "貼り付け(&P)"
                           << "Ctrl+V"
                           << "クリップボードの内容を貼り付け";
    QTest::newRow("about") << "HelpAbout1"
                           << "バージョン情報(&A)..."
                           << ""
                           << "バージョンなど固有の情報を表示";
  }
  void menus() {
    QFETCH(QString, action);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(QString, statusTip);
    auto* a = w->findChild<QAction*>(action);
    QVERIFY(a);
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->statusTip(), statusTip);
  }

  void menuOrder() {
    // File: eight items, a separator, exit; then edit and help.
    QStringList file;
    for (QAction* a : Get<QMenu>("File1")->actions()) file << (a->isSeparator() ? "-" : a->objectName());
    QCOMPARE(file, QStringList({"FileNew1", "FileOpen1", "FileSave1", "FileSaveAs1", "FileExport1", "printPreview1",
                                "printout1", "U1", "-", "FileExit1"}));
    QCOMPARE(Get<QMenu>("Edit1")->actions().size(), 3);
    QCOMPARE(Get<QMenu>("Help1")->menuAction()->statusTip(), QStringLiteral("ヘルプトピック"));
  }

  void menuItemsThatDoNothing() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    const QString title = w->windowTitle();
    const QImage before = w->TraceImage().Qt().copy();
    // Open with its dialog cancelled changes nothing either.
    w->Files().chooseOpenFiles = [](const QString&) { return QStringList(); };
    for (const char* name : {"FileNew1", "FileOpen1", "FileSave1", "FileSaveAs1"}) Get<QAction>(name)->trigger();
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
    Get<QAction>("HelpAbout1")->trigger();
    QCOMPARE(about->result(), int(QDialog::Accepted));
    QVERIFY(w->isVisible());
  }

  void headerLabelsAreMadeFromTheirTable() {
    for (const HeaderLabel& row : HeaderLabels) {
      const QString name = QString::fromLatin1(row.control.data());
      auto* label = w->findChild<QLabel*>(name);
      QVERIFY2(label, qPrintable(name));
      QCOMPARE(label->parentWidget()->objectName(),
               QString::fromLatin1(row.page == HeaderPage::Ecg ? "TabSheet2" : "TabSheet3"));
      QCOMPARE(label->geometry(), QRect(row.x, row.y, row.width, row.height));
      QCOMPARE(label->text(), QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size())));
      QCOMPARE(bool(label->alignment() & Qt::AlignRight), row.look == HeaderLook::RightAligned);
      QCOMPARE(w->findChildren<QLabel*>(name).size(), 1);
    }
    QCOMPARE(Get<QLabel>("Label11")->font().pixelSize(), 16);
    QVERIFY(Get<QLabel>("Label11")->font().bold());
  }

  void analyseAndStep() {
    AnalyseNumbered(3);
    auto* tabs = Get<QTabWidget>("PageControl1");
    QVERIFY(tabs->isTabEnabled(1) && tabs->isTabEnabled(2));
    QCOMPARE(tabs->currentIndex(), 1);
    auto* records = Get<QScrollBar>("ScrollBarFile");
    QCOMPARE(records->maximum(), 2);
    QCOMPARE(records->value(), 0);
    QCOMPARE(Text("Label147"), QStringLiteral("1/3"));
    QCOMPARE(Text("LabelFile"), QStringLiteral("r1.nrm"));
    QCOMPARE(w->windowTitle(), tmp->path() + "/r1.nrm");
    QCOMPARE(Get<QLineEdit>("EditOut")->text(), QStringLiteral("r1.nrm"));
    QCOMPARE(Get<QLineEdit>("EditBMP")->text(), QStringLiteral("r1.BMP"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000001"));
    QCOMPARE(Text("Label13"), QStringLiteral("M"));
    QCOMPARE(Text("Label14"), QStringLiteral("m.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("データエラー"));
    QCOMPARE(Text("Label30"), QStringLiteral("0"));
    QCOMPARE(w->State().study.current, 0);
    QCOMPARE(w->State().shown->path, tmp->path() + "/r1.nrm");
    // The right arrow of the scroll bar steps one record.
    QTest::mouseClick(records, Qt::LeftButton, {}, QPoint(records->width() - 4, 8));
    QCOMPARE(records->value(), 1);
    QCOMPARE(w->State().study.current, 1);
    QCOMPARE(Text("Label147"), QStringLiteral("2/3"));
    QCOMPARE(Text("LabelFile"), QStringLiteral("r2.nrm"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    // The second record's lead I pulses are 800 units: range 800.
    QCOMPARE(w->State().leads.LeadRange[0], 800.0);
    QVERIFY(messages.isEmpty());
  }

  void analyseFromAnotherPositionEndsOnTheFirstRecord() {
    AnalyseNumbered(3);
    Get<QScrollBar>("ScrollBarFile")->setValue(2);
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));
    Click("ButtonAnalyse");
    QCOMPARE(Get<QScrollBar>("ScrollBarFile")->value(), 0);
    QCOMPARE(Text("Label12"), QStringLiteral("00000001"));
    QCOMPARE(Text("Label147"), QStringLiteral("1/3"));
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
    AnalyseNumbered(2);
    const QString second = tmp->filePath("r2.nrm");
    if (size < 0) QVERIFY(QFile::remove(second));
    else Numbered(9).Write(second, size);
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(second), qPrintable(messages[0]));
    QVERIFY2(messages[0].contains(reason), qPrintable(messages[0]));
    // No other record's values under this name; traces as at start-up.
    QCOMPARE(Text("Label12"), QStringLiteral("00000000"));
    QCOMPARE(Text("Label13"), QStringLiteral("F"));
    QCOMPARE(Text("Label14"), QStringLiteral("y.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("Label90"));
    QCOMPARE(Text("Label11"), QStringLiteral("Patient Name"));
    QCOMPARE(Get<QLabel>("Label11")->toolTip(), QString());
    QCOMPARE(Text("LabelFile"), QStringLiteral("r2.nrm"));
    QCOMPARE(Text("Label147"), QStringLiteral("2/2"));
    QVERIFY(w->State().shown->error);
    QCOMPARE(w->State().leads.LeadRange[0], 1.0);
    const Color ink = w->State().display.Colors.TraceColor;
    QCOMPARE(w->TraceImage().Pixel(100, 140), ink);
    QCOMPARE(w->TraceImage().Pixel(100, 141), ink);
    QVERIFY(w->isVisible());
    // And the next good record shows again.
    Get<QScrollBar>("ScrollBarFile")->setValue(0);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(Text("Label12"), QStringLiteral("00000001"));
    QVERIFY(!w->State().shown->error);
  }

  void workListChangedAfterAnalyse() {
    AnalyseNumbered(3);
    Get<QScrollBar>("ScrollBarFile")->setValue(2);
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));
    Select(List(2), {1, 2});
    Click("ButtonDelete");
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0],
             QStringLiteral("The work list has changed since \"Analyse\": it has no record 2 any more (it holds 1).\n"
                            "The screen still shows r3.nrm.\n"
                            "Press \"Analyse\" again to view the records of the work list."));
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));  // the previous record stays
    QCOMPARE(w->State().shown->entry, QStringLiteral("r3.nrm"));
    QVERIFY(w->isVisible());
  }

  void nothingOfAnotherRecordStaysAfterAFailedLoad() {
    // The start-up picture of an all-zero record, for comparison.
    RecordBuilder().Write(tmp->filePath("zero.nrm"));
    RecordBuilder first = Numbered(7);
    first.Set(Field::PatientName, "Distinct Patient").Set(Field::HeartRate, "8123").Set(Field::Age, "097");
    first.Set(Field::MinnesotaCodes, "7-7", 13).Write(tmp->filePath("first.nrm"));
    Numbered(1).Write(tmp->filePath("broken.nrm"), 1000);
    OpenDirectory(tmp->path());
    AddInOrder({"zero.nrm", "first.nrm", "broken.nrm"});
    Click("ButtonAnalyse");
    const QImage flatTrace = w->TraceImage().Qt().copy(), flatStrip = w->StripImage().Qt().copy();
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(Text("Label11"), QStringLiteral("Distinct Patient"));
    QVERIFY(w->TraceImage().Qt() != flatTrace);
    Get<QScrollBar>("ScrollBarFile")->setValue(2);
    QCOMPARE(messages.size(), 1);
    // No label, tool tip or title holds anything of the first record.
    for (const QWidget* widget : w->findChildren<QWidget*>()) {
      QString shown = widget->toolTip();
      if (auto* label = qobject_cast<const QLabel*>(widget)) shown += u'|' + label->text();
      for (const char* value : {"Distinct", "8123", "097", "7-7", "00000007", "first.nrm"})
        QVERIFY2(!shown.contains(QLatin1String(value)), qPrintable(widget->objectName() + ": " + shown));
    }
    QCOMPARE(w->windowTitle(), tmp->filePath("broken.nrm"));
    // The pictures are those of an all-zero record.
    QCOMPARE(w->TraceImage().Qt(), flatTrace);
    QCOMPARE(w->StripImage().Qt(), flatStrip);
    QCOMPARE(w->OverlayImage().Qt(), flatTrace);
  }

  void textsFromFilesAreShownAsTheyStand_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("heartRate");
    QTest::newRow("markup in the name") << "a.nrm"
                                        << "<img src=/tmp/x.png>"
                                        << " 72 ";
    QTest::newRow("markup in the heart rate") << "a.nrm"
                                              << "Yamada & Sons"
                                              << "<b>7";
    QTest::newRow("markup in the file name") << "a <i>x<u>y.nrm"
                                             << "Yamada"
                                             << " 72 ";
    QTest::newRow("a title placeholder in the file name") << "x[*]y.nrm"
                                                          << "Yamada"
                                                          << " 72 ";
  }
  void textsFromFilesAreShownAsTheyStand() {
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(QString, heartRate);
    Close();
    Open(false);  // the window's own boxes
    RecordBuilder b = Numbered(1);
    b.Set(Field::PatientName, name.toStdString()).Set(Field::HeartRate, heartRate.toStdString());
    const QString path = tmp->filePath(file);
    b.Write(path);
    OpenDirectory(tmp->path());
    AnalyseAll();
    QCOMPARE(Text("Label11"), name);
    QCOMPARE(Text("Label51"), heartRate);
    QCOMPARE(Text("LabelFile"), file);
    // Qt reads a label's text as markup unless it is plain text or looks like none.
    for (const QLabel* label : w->findChildren<QLabel*>())
      QVERIFY2(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()),
               qPrintable(label->objectName() + ": " + label->text()));
    // A tool tip is read the same way.
    const QString tip = Get<QLabel>("Label11")->toolTip();
    QTextDocument shownTip;
    if (Qt::mightBeRichText(tip)) shownTip.setHtml(tip);
    else shownTip.setPlainText(tip);
    QCOMPARE(shownTip.toPlainText(), name);
    QCOMPARE(w->windowHandle()->title(), path);
    // A message that names the file: its box reads it as plain text.
    Numbered(1).Write(path, 400);
    w->ShowRecord();
    QTRY_COMPARE(VisibleBoxes().size(), 1);
    QCOMPARE(VisibleBoxes()[0]->textFormat(), Qt::PlainText);
    QVERIFY(VisibleBoxes()[0]->text().contains(path));
    QCOMPARE(w->windowHandle()->title(), path);
  }

  void oneClickOnTheRecordScrollBarIsOneStep_data() {
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("named");  // what the box names: the record on the screen
    QTest::newRow("17 unreadable records") << true << "bad2.nrm";
    QTest::newRow("work list shortened after Analyse") << false << "bad1.nrm";
  }
  void oneClickOnTheRecordScrollBarIsOneStep() {
    QFETCH(bool, unreadable);
    QFETCH(QString, named);
    Close();
    Open(false);  // the window's own boxes
    QStringList names;
    for (int i = 1; i <= 17; ++i) {
      names << QStringLiteral("bad%1.nrm").arg(i);
      Numbered(i).Write(tmp->filePath(names.back()), unreadable ? 400 : RecordFileSize);
    }
    OpenDirectory(tmp->path());
    AddInOrder(names);
    Click("ButtonAnalyse");
    if (!unreadable) {
      Select(List(2), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
      Click("ButtonDelete");
    }
    QTest::qWait(50);
    auto* records = Get<QScrollBar>("ScrollBarFile");
    const QPoint arrow(records->width() - 4, 8);
    QTest::mousePress(records, Qt::LeftButton, {}, arrow);
    QTest::qWait(50);  // a click: the deferred box shows while the button is down
    QTest::mouseRelease(records, Qt::LeftButton, {}, arrow);
    QTest::qWait(800);  // beyond the scroll bar's auto-repeat delay
    QCOMPARE(records->value(), 1);
    QCOMPARE(modalBoxes, 0);
    QCOMPARE(VisibleBoxes().size(), 1);
    QMessageBox* box = VisibleBoxes()[0];
    QVERIFY2(box->text().contains(named), qPrintable(box->text()));
    // Later warnings join its text, none lost; it stays until dismissed, then comes back for the next.
    records->setValue(2);
    records->setValue(3);
    QTest::qWait(50);
    QCOMPARE(VisibleBoxes(), QList<QMessageBox*>{box});
    QVERIFY2(box->text().contains(named), qPrintable(box->text()));
    if (unreadable) QVERIFY2(box->text().contains("bad4.nrm"), qPrintable(box->text()));
    box->button(QMessageBox::Ok)->click();
    QVERIFY(VisibleBoxes().isEmpty());
    records->setValue(4);
    QTRY_COMPARE(VisibleBoxes(), QList<QMessageBox*>{box});
    QCOMPARE(w->findChildren<QMessageBox*>().size(), 1);
  }

  // A paint the system asks for shows the pictures as they are; a change of
  // what they show draws them again, and the screen shows exactly that.
  void paintsShowAndChangesRender() {
    AnalyseNumbered(1);
    auto* view = Get<PaintBox>("PaintBox1");
    const QImage before = w->OverlayImage().Qt();
    w->State().measurements.items[0] = {100, 0, 200, 300, 1000};
    w->State().measurements.MeasurementCount = 1;
    view->update();
    QTest::qWait(50);
    QCOMPARE(w->OverlayImage().Qt(), before);     // nothing rendered
    Get<QScrollBar>("ScrollBar1")->setValue(20);  // the time window moves: traces and overlay again
    QCOMPARE(w->OverlayImage().Pixel(100, 10), Colors::Blue);
    QCOMPARE(w->TraceImage().Pixel(100, 10) == Colors::Blue, false);
    QCOMPARE(view->grab().toImage().convertToFormat(QImage::Format_RGB32), w->OverlayImage().Qt());
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
