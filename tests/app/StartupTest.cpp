// How the window starts: what the command line names, and the remembered
// settings in a scratch file, applied through the controls and written back.
#include <QCheckBox>
#include <QComboBox>
#include <QMenuBar>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>

#include "WindowFixture.h"
#include "app/CommandLine.h"
#include "app/RecordFiles.h"
#include "app/Settings.h"
#include "formats/Formats.h"

using namespace corvale;
using namespace corvale::test;

class StartupTest : public WindowFixture {
  Q_OBJECT

  // Outlives the windows and their scratch directories, one file per test.
  QTemporaryDir settingsDir;
  QString settingsFile() const {
    return settingsDir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".conf");
  }
  bool Checked(const char* name) const { return Get<QAbstractButton>(name)->isChecked(); }
  int CurrentTab() const { return Get<QTabWidget>("PageControl1")->currentIndex(); }

  // ecg/ holds r1..r3, other/ holds b1.msd, b2.hea with its b2.dat and a
  // LICENSE.txt, empty/ nothing.
  void MakeDirectories() {
    const QDir root(tmp->path());
    QVERIFY(root.mkpath("ecg") && root.mkpath("other") && root.mkpath("empty"));
    for (int i = 1; i <= 3; ++i) Numbered(i).Write(tmp->filePath(QStringLiteral("ecg/r%1.nrm").arg(i)));
    Numbered(7).Write(tmp->filePath("other/b1.msd"));
    QVERIFY(!formats::WriteRecordAs(Numbered(8).Image(), formats::FormatKind::Wfdb, tmp->filePath("other/b2.hea")));
    QFile licence(tmp->filePath("other/LICENSE.txt"));
    QVERIFY(licence.open(QIODevice::WriteOnly) && licence.write("Licence text\n") > 0);
  }

  // Settings unlike the start-up state in every value.
  static ViewerSettings Remembered() {
    ViewerSettings s;
    s.colorScheme = 2;
    s.displaySpan = 2;
    s.limbLeadMode = 1;
    s.leadNames = false;
    s.filters = {BaselineFilter::HighPass005, MainsFilter::Notch60, MuscleFilter::LowPass35};
    s.paper = QPageSize::Letter;
    s.orientation = QPageLayout::Landscape;
    s.printerName = QStringLiteral("no-such-printer");
    s.penWidth = 5;
    s.margin = 120;
    s.penPattern = 1;
    s.gridPattern = 1;
    s.annotations = false;
    s.windowPosition = QPoint(0, 0);
    return s;
  }

 private Q_SLOTS:
  void init() {
    Open();
    MakeDirectories();
  }
  void cleanup() { Close(); }

  void commandLine_data() {
    QTest::addColumn<QStringList>("args");  // relative to the scratch directory
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("work");   // "@" stands for the scratch directory
    QTest::addColumn<QString>("shown");      // the record shown, by path, if any
    QTest::addColumn<QStringList>("found");  // the directory's records left in the found list
    QTest::addColumn<QString>("noticeHas");
    const QStringList all = {"r1.nrm", "r2.nrm", "r3.nrm"};
    QTest::newRow("directory") << QStringList{"ecg"} << 0 << QStringList{} << "" << all << "";
    QTest::newRow("directory without records")
        << QStringList{"empty"} << 0 << QStringList{} << "" << QStringList{} << "holds no record files";
    QTest::newRow("files of two directories")
        << QStringList{"ecg/r2.nrm", "other/b1.msd", "ecg/r1.nrm"} << 1
        << QStringList{"r2.nrm", "@/other/b1.msd", "r1.nrm"} << "ecg/r2.nrm" << QStringList{"r3.nrm"} << "";
    QTest::newRow("a missing file") << QStringList{"ecg/gone.nrm", "ecg/r3.nrm"} << 1 << QStringList{"r3.nrm"}
                                    << "ecg/r3.nrm" << QStringList{"r1.nrm", "r2.nrm"} << "ecg/gone.nrm: no such file";
    // Named as a shell names "other/*": the header and its signal file are one
    // record, and a file no format reads is told, not listed as a flat line.
    QTest::newRow("a shell's other/*") << QStringList{"other/LICENSE.txt", "other/b1.msd", "other/b2.dat",
                                                      "other/b2.hea"}
                                       << 1 << QStringList{"b1.msd", "b2.hea"} << "other/b1.msd" << QStringList{}
                                       << "LICENSE.txt: CORVALE does not read";
    // Then the default directory is read.
    QTest::newRow("nothing that exists") << QStringList{"gone.nrm", "nowhere/"} << 0 << QStringList{} << "" << all
                                         << "nowhere/: no such file";
  }
  void commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, tab);
    QFETCH(QStringList, work);
    QFETCH(QString, shown);
    QFETCH(QStringList, found);
    QFETCH(QString, noticeHas);
    const StartRequest request = OpenRequest(args, tmp->path());  // as main() asks
    w->OpenAtStart(request, tmp->filePath("ecg"));
    QCOMPARE(CurrentTab(), tab);
    QStringList expectedWork;
    for (const QString& entry : work) expectedWork << QString(entry).replace("@", tmp->path());
    QCOMPARE(w->State().study.work, expectedWork);
    QCOMPARE(Items(List(2)), expectedWork);
    if (shown.isEmpty()) {
      QVERIFY(!w->State().shown);
      QCOMPARE(w->windowTitle(), QStringLiteral("CORVALE"));
    } else {
      QCOMPARE(w->windowTitle(), tmp->filePath(shown));
      QCOMPARE(Text("LabelFile"), QFileInfo(shown).fileName());
    }
    QStringList left = w->State().study.found;
    left.sort();
    QCOMPARE(left, found);
    if (noticeHas.isEmpty()) {
      QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
    } else {
      QCOMPARE(notices.size(), 1);
      QVERIFY2(notices[0].contains(noticeHas), qPrintable(notices[0]));
    }
    QCOMPARE(messages, notices);  // nothing that blocks the window
    // The window goes on as usual: another directory, "Analyse".
    OpenDirectory(tmp->filePath("other"));
    AnalyseAll();
    QCOMPARE(w->windowTitle(), tmp->filePath("other/b1.msd"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000007"));
  }

  // Through the window's own notice box: what the start-up and the first
  // record have to say both reach the user, in a box that fits the screen.
  void noticesJoinAndFitTheScreen() {
    w->showNotice = [this](QMessageBox::Icon icon, const QString& text) {
      w->ShowMessageBox(TSDIAppForm::MessageKind::Notice, icon, text);
    };
    test::RecordBuilder().Write(tmp->filePath("ecg/short.nrm"), 100);
    auto box = [this] { return w->findChild<QMessageBox*>(QStringLiteral("RecordNotice")); };
    w->OpenAtStart(ResolveStartPaths({"ecg/short.nrm", "ecg/missing.nrm"}, tmp->path()), {});
    QTRY_VERIFY(box() && box()->isVisible());
    QVERIFY2(box()->text().contains("short.nrm: the file has 100 bytes"), qPrintable(box()->text()));
    QVERIFY2(box()->text().contains("missing.nrm: no such file"), qPrintable(box()->text()));
    box()->close();

    QStringList many;
    for (int i = 0; i < 500; ++i) many << QStringLiteral("gone%1.nrm").arg(i);
    w->OpenAtStart(ResolveStartPaths(many + QStringList{"ecg/r1.nrm"}, tmp->path()), {});
    QTRY_VERIFY(box()->isVisible());
    const QStringList lines = box()->text().split('\n');
    const QRegularExpression more(QStringLiteral("^and (\\d+) more$"));
    const QRegularExpressionMatch counted = more.match(lines.back());
    QVERIFY2(counted.hasMatch(), qPrintable(lines.back()));
    QCOMPARE(lines.size() - 1 + counted.captured(1).toInt(), 500);
    QVERIFY(lines.front().contains("gone0.nrm"));
    QVERIFY(box()->frameGeometry().height() <= w->screen()->availableGeometry().height());
  }

  // The window never opens with its menu bar or tabs off the screen; a screen
  // smaller than the window scrolls the tabs, which keep their size.
  void theWindowFitsTheScreen_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("wanted");  // where the settings put it; (0, 0) for centred
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("1600x1000") << QRect(0, 0, 1600, 1000) << QPoint() << false;
    QTest::newRow("1366x768 below a panel") << QRect(0, 27, 1366, 741) << QPoint() << true;
    QTest::newRow("1366x768 at scale 2") << QRect(0, 0, 683, 384) << QPoint() << true;
    QTest::newRow("a screen left of the first") << QRect(-1366, 0, 1366, 768) << QPoint() << true;
    QTest::newRow("remembered above the top") << QRect(0, 0, 1920, 1080) << QPoint(100, -300) << false;
    QTest::newRow("remembered beyond the corner") << QRect(0, 0, 1920, 1080) << QPoint(5000, 3000) << false;
  }
  void theWindowFitsTheScreen() {
    QFETCH(QRect, available);
    QFETCH(QPoint, wanted);
    QFETCH(bool, scrolls);
    auto* tabs = Get<QTabWidget>("PageControl1");
    const QSize design(tabs->width(), tabs->height() + w->menuBar()->sizeHint().height());
    const WindowPlacement place =
        PlaceWindow(design, available, wanted.isNull() ? std::nullopt : std::optional(wanted));
    QCOMPARE(place.scrolls, scrolls);
    QVERIFY(available.contains(QRect(place.topLeft, place.size)));
    if (!scrolls) QCOMPARE(place.size, design);

    // This window: as designed on a screen that holds it, scrolled on a laptop's.
    QVERIFY(!w->findChild<QScrollArea*>());
    QCOMPARE(w->size(), design);
    const QList<QScreen*> screens = QGuiApplication::screens();
    QVERIFY2(screens.size() == 2, "the window tests' screens (tests/app/screens.json)");
    w->FitOnScreen(*screens[1]);
    const QRect screen = screens[1]->availableGeometry();
    QVERIFY(design.width() > screen.width() || design.height() > screen.height());
    QVERIFY2(screen.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                 .arg(w->frameGeometry().x())
                                                                 .arg(w->frameGeometry().y())
                                                                 .arg(w->frameGeometry().width())
                                                                 .arg(w->frameGeometry().height())));
    auto* scroll = Get<QScrollArea>("ScrollBox1");
    QCOMPARE(scroll->widget(), tabs);
    QCOMPARE(tabs->size(), QSize(1216, 918));
    // The far corner is reached by scrolling.
    scroll->ensureWidgetVisible(Get<QPushButton>("ButtonAnalyse"));
    const QPoint button = Get<QPushButton>("ButtonAnalyse")->mapTo(scroll->viewport(), QPoint(0, 0));
    QVERIFY(scroll->viewport()->rect().contains(button));
  }

  void filesKeepTheirDirectoriesWhileStepping() {
    w->OpenAtStart(ResolveStartPaths({"ecg/r2.nrm", "other/b1.msd"}, tmp->path()), {});
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(w->windowTitle(), tmp->filePath("other/b1.msd"));
    QCOMPARE(Text("Label147"), QStringLiteral("2/2"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000007"));
    QCOMPARE(w->State().shown->entry, QStringLiteral("b1.msd"));
    QCOMPARE(messages, notices);  // nothing that blocks the window
  }

  // Remembered settings act as the user's clicks: the same controls, the
  // same state, the same pictures.
  void settingsAreAppliedAsClicks() {
    {
      QSettings store(settingsFile(), QSettings::IniFormat);
      WriteSettings(store, Remembered());
    }
    QSettings store(settingsFile(), QSettings::IniFormat);
    QCOMPARE(w->UseSettings(store), Remembered());
    for (const char* on : {"RadioButtonCol2", "RadioButtonD2", "RadioButtonR1", "RadioButton37", "RadioButtonG1"})
      QVERIFY2(Checked(on), on);
    QVERIFY(!Checked("CheckBoxLeadNames") && !Checked("CheckBoxAnnotations"));
    QVERIFY(!Get<QScrollBar>("ScrollBar1")->isEnabled());  // the span's handler ran
    QCOMPARE(Get<QScrollBar>("ScrollBarP")->value(), 5);
    QCOMPARE(Text("Label142"), QStringLiteral("5"));
    QCOMPARE(Text("Label144"), QStringLiteral("120"));
    const ViewerState& s = w->State();
    QCOMPARE(s.display.Colors, SchemeColors(2));
    QVERIFY(s.display.DisplaySpan == 2 && s.display.LimbLeadMode == 1 && !s.display.LeadNames);
    QVERIFY(s.print.PenWidth == 5 && s.print.Margin == 120 && s.print.PenPattern == 1 && s.print.GridPattern == 1);
    QVERIFY(!s.print.Annotations);
    QCOMPARE(s.filters, Remembered().filters);
    QCOMPARE(Get<QComboBox>("ComboBoxBaseline")->currentText(), QStringLiteral("baseline 0.05 Hz"));
    QCOMPARE(Get<QComboBox>("ComboBoxMuscle")->currentText(), QStringLiteral("muscle 35 Hz"));
    // The printer, made later, gets the paper and orientation; a printer
    // that is not installed is not used, but stays remembered.
    QCOMPARE(w->Printer().pageLayout().pageSize().id(), QPageSize::Letter);
    QCOMPARE(w->Printer().pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(w->Printer().printerName() != QStringLiteral("no-such-printer"));
    QCOMPARE(w->CurrentSettings().printerName, QStringLiteral("no-such-printer"));
    AnalyseNumbered(2);
    const QImage remembered = w->TraceImage().Qt().copy();
    const QImage strip = w->StripImage().Qt().copy();
    // A window whose user clicked the same choices shows the same pictures.
    Close();
    Open();
    AnalyseNumbered(2);
    for (const char* name : {"RadioButtonCol2", "RadioButtonD2", "RadioButtonR1"})
      QTest::mouseClick(Get<QRadioButton>(name), Qt::LeftButton);
    QTest::mouseClick(Get<QCheckBox>("CheckBoxLeadNames"), Qt::LeftButton);
    for (const auto& [name, item] : {std::pair{"ComboBoxBaseline", 2}, {"ComboBoxMains", 2}, {"ComboBoxMuscle", 2}}) {
      auto* list = Get<QComboBox>(name);
      list->setCurrentIndex(item);
      Q_EMIT list->activated(item);
    }
    QCOMPARE(w->TraceImage().Qt(), remembered);
    QCOMPARE(w->StripImage().Qt(), strip);
  }

  void settingsAreWrittenOnClose() {
    QSettings store(settingsFile(), QSettings::IniFormat);
    QCOMPARE(w->UseSettings(store), ViewerSettings{});  // the first start
    const QString ecg = tmp->filePath("ecg");
    OpenDirectory(ecg);
    AnalyseAll();
    QTest::mouseClick(Get<QRadioButton>("RadioButtonCol3"), Qt::LeftButton);
    Get<QCheckBox>("CheckBoxLeadNames")->click();
    Get<QCheckBox>("CheckBoxAnnotations")->click();
    Get<QScrollBar>("ScrollBarM")->setValue(80);
    Get<QRadioButton>("RadioButtonG1")->click();
    w->move(30, 40);
    const ViewerSettings now = w->CurrentSettings();
    QVERIFY(w->close());
    QSettings reread(settingsFile(), QSettings::IniFormat);
    const ViewerSettings saved = ReadSettings(reread);
    QCOMPARE(saved, now);
    QCOMPARE(saved.directory, ecg);
    QCOMPARE(saved.colorScheme, 3);
    QVERIFY(!saved.leadNames && !saved.annotations);
    QCOMPARE(saved.margin, 80);
    QCOMPARE(saved.gridPattern, 1);
    QCOMPARE(saved.windowPosition, w->pos());
    // A window that reads nothing else keeps the directory it was given.
    Close();
    Open();
    QSettings again(settingsFile(), QSettings::IniFormat);
    w->UseSettings(again);
    w->close();
    QSettings last(settingsFile(), QSettings::IniFormat);
    QCOMPARE(ReadSettings(last).directory, ecg);
  }

  void damagedSettingsGiveTheStartUpState() {
    QFile f(settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[display]\ncolorScheme=3\n\x01\x02 not a setting\n[window\nx=");
    f.close();
    const QPoint centred = w->pos();
    QSettings store(settingsFile(), QSettings::IniFormat);
    QCOMPARE(w->UseSettings(store), ViewerSettings{});
    QVERIFY(Checked("RadioButtonCol1") && Checked("RadioButtonD1") && Checked("RadioButtonR3"));
    QVERIFY(Checked("CheckBoxLeadNames") && Checked("CheckBoxAnnotations"));
    QCOMPARE(Text("Label144"), QStringLiteral("50"));
    QCOMPARE(w->pos(), centred);
    // A place on no screen is not taken either.
    ViewerSettings far;
    far.windowPosition = QPoint(90000, 90000);
    w->ApplySettings(far);
    QCOMPARE(w->pos(), centred);
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
