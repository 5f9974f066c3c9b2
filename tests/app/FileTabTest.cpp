// The "File" tab: the directory list, the scan, the two lists and the study
// lists of the viewer state behind them.
#include <QScrollBar>
#include <QTimer>

#include "WindowFixture.h"
#include "app/FileTab.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace corvale;
using namespace corvale::test;

class FileTabTest : public WindowFixture {
  Q_OBJECT

  // The lists on the screen are the state's lists.
  void CheckMirror() {
    QCOMPARE(Items(List(1)), w->State().study.found);
    QCOMPARE(Items(List(2)), w->State().study.work);
  }

 private Q_SLOTS:
  void init() { Open(); }
  void cleanup() { Close(); }

  void directoryListSelectsTheCurrentDirectory() {
    // Siblings that sort before it make the background-loaded rows move.
    for (int i = 0; i < 40; ++i)
      for (const QString& d :
           {QStringLiteral("a%1").arg(i), QStringLiteral("deep/b%1").arg(i), QStringLiteral("deep/z%1").arg(i)})
        QVERIFY(QDir(tmp->path()).mkpath(d));
    QVERIFY(QDir(tmp->path()).mkpath("deep/target"));
    const QString target = tmp->filePath("deep/target");
    QDir::setCurrent(target);
    TSDIAppForm window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* list = window.findChild<DirectoryListBox*>("DirectoryListBox1");
    QCOMPARE(list->currentIndex().data(DirectoryTreeModel::PathRole).toString(), target);
    QCOMPARE(list->Directory(), target);
    QCOMPARE(window.State().study.directory, target);
    QCOMPARE(window.focusWidget(), list);  // Enter reads the current directory
  }

  void scanListsRegularFilesInNameOrderNrmFirst() {
    for (const char* name :
         {"b10.nrm", "c.msd", "B9.nrm", "A0002.NRM", "a0001.nrm", "e.Msd", "C2.msd", "notes.txt", "f.nrm.bak"})
      Numbered(1).Write(tmp->filePath(name));
    const QString base = tmp->path() + u'/';
    QVERIFY(QDir(tmp->path()).mkdir("folder.nrm"));
    QCOMPARE(::mkfifo(QFile::encodeName(base + "fifo.nrm").constData(), 0600), 0);
    QVERIFY(QFile::link(base + "gone.nrm", base + "dangling.msd"));
    QVERIFY(QFile::link(base + "b10.nrm", base + "link.nrm"));
    OpenDirectory(tmp->path());
    QCOMPARE(Items(List(1)),
             (QStringList{"a0001.nrm", "A0002.NRM", "B9.nrm", "b10.nrm", "link.nrm", "c.msd", "C2.msd", "e.Msd"}));
    QCOMPARE(w->State().study.directory, tmp->path());
    CheckMirror();
    QVERIFY(Get<QPushButton>("ButtonAdd")->isEnabled());
    QVERIFY(!Get<QPushButton>("ButtonAnalyse")->isEnabled());
    QVERIFY(Get<QLabel>("LabelScanNote")->isHidden());
    QVERIFY(messages.isEmpty());
  }

  void namesInAnotherEncodingAreListedAndOpened() {
    // A Shift-JIS name, and two names valid in no encoding tried that show alike.
    std::vector<std::unique_ptr<NativeFile>> files;
    for (const QByteArray& name :
         {QByteArray("\x8C\xA9\x96\x7B.nrm"), QByteArray("r\xFF.msd"), QByteArray("r\xFE.msd")}) {
      files.push_back(std::make_unique<NativeFile>(QFile::encodeName(tmp->path()) + '/' + name, Numbered(7).Bytes()));
      QVERIFY(files.back()->Made());
    }
    Numbered(1).Write(tmp->filePath("a.nrm"));
    OpenDirectory(tmp->path());
    QCOMPARE(Items(List(1)), (QStringList{"a.nrm", "見本.nrm", "r\uFFFD.msd"}));
    QCOMPARE(List(1)->item(1)->data(FileTab::NativeNameRole).toByteArray(), QByteArray("\x8C\xA9\x96\x7B.nrm"));
    QCOMPARE(List(1)->item(0)->data(FileTab::NativeNameRole).toByteArray(), QByteArray("a.nrm"));
    auto* note = Get<QLabel>("LabelScanNote");
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(),
             QStringLiteral("1 record file is not listed: its name cannot be shown apart from another's"));
    // Opened by its bytes, through the work list.
    AddInOrder({"見本.nrm", "r\uFFFD.msd"});
    Click("ButtonAnalyse");
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
    QCOMPARE(Text("Label12"), QStringLiteral("00000007"));
    QCOMPARE(Text("LabelFile"), QStringLiteral("見本.nrm"));
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
    QCOMPARE(Text("Label12"), QStringLiteral("00000007"));
    // Another directory forgets the bytes and the note.
    QTemporaryDir other;
    OpenDirectory(other.path());
    QVERIFY(w->State().study.nativeNames.isEmpty());
    QVERIFY(note->isHidden());
  }

  void listGrowsWhileTheWindowAnswers() {
    constexpr int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i) {
      QFile f(tmp->filePath(QStringLiteral("r%1.nrm").arg(i)));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // What a timer sees of the list while the scan runs.
    QList<int> seen;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] { seen << List(1)->count(); });
    probe.start();
    OpenDirectory(tmp->path());
    probe.stop();
    QCOMPARE(List(1)->count(), kFiles);
    QCOMPARE(List(1)->item(kFiles - 1)->text(), QStringLiteral("r1499.nrm"));
    QVERIFY2(std::any_of(seen.begin(), seen.end(), [](int n) { return n > 0 && n < kFiles; }),
             "the window's events never ran while the list was partly filled");
  }

  void clickSelectsDoubleClickAndEnterOpen() {
    QVERIFY(QDir(tmp->path()).mkpath("empty"));
    Numbered(1).Write(tmp->filePath("a.nrm"));
    OpenDirectory(tmp->path());
    auto* tree = Get<DirectoryListBox>("DirectoryListBox1");
    auto* model = static_cast<DirectoryTreeModel*>(tree->model());
    const QModelIndex empty = model->IndexOf(tmp->filePath("empty"));
    QVERIFY(empty.isValid());
    tree->scrollTo(empty);
    const QPoint at = tree->visualRect(empty).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(tree->currentIndex(), empty);
    QCOMPARE(tree->Directory(), tmp->path());  // only selected
    QCOMPARE(Items(List(1)), QStringList{"a.nrm"});
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(tree->Directory(), tmp->filePath("empty"));
    QCOMPARE(w->State().study.directory, tmp->filePath("empty"));
    QCOMPARE(Items(List(1)), QStringList());
    // Enter opens the selected directory.
    tree->SelectPath(tmp->path());
    QCOMPARE(tree->Directory(), tmp->filePath("empty"));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(tree->Directory(), tmp->path());
    QCOMPARE(Items(List(1)), QStringList{"a.nrm"});
    // Directories made and removed since the tree listed them.
    QVERIFY(QDir(tmp->path()).mkdir("later"));
    QVERIFY(QDir(tmp->path()).rmdir("empty"));
    OpenDirectory(tmp->filePath("later"));
    QCOMPARE(tree->currentIndex().data(DirectoryTreeModel::PathRole).toString(), tmp->filePath("later"));
    const QModelIndex parent = tree->currentIndex().parent();
    QCOMPARE(model->rowCount(parent), 1);
    QCOMPARE(model->index(0, 0, parent).data().toString(), QStringLiteral("later"));
  }

  void addAndDeleteKeepOrder() {
    for (int i = 1; i <= 5; ++i) Numbered(i).Write(tmp->filePath(QStringLiteral("r%1.nrm").arg(i)));
    OpenDirectory(tmp->path());
    const QStringList scanned = Items(List(1));
    Select(List(1), {1, 3});
    Click("ButtonAdd");
    QCOMPARE(Items(List(2)), (QStringList{scanned[1], scanned[3]}));
    QCOMPARE(Items(List(1)), (QStringList{scanned[0], scanned[2], scanned[4]}));
    CheckMirror();
    QVERIFY(Get<QPushButton>("ButtonAnalyse")->isEnabled());
    Select(List(1), {0, 2});
    Click("ButtonAdd");
    QCOMPARE(Items(List(2)), (QStringList{scanned[1], scanned[3], scanned[0], scanned[4]}));
    // Back to the end of the file list, in work-list order.
    Select(List(2), {0, 2});
    Click("ButtonDelete");
    QCOMPARE(Items(List(1)), (QStringList{scanned[2], scanned[1], scanned[0]}));
    QCOMPARE(Items(List(2)), (QStringList{scanned[3], scanned[4]}));
    CheckMirror();
    Select(List(2), {0, 1});
    Click("ButtonDelete");
    QVERIFY(!Get<QPushButton>("ButtonAnalyse")->isEnabled());
    CheckMirror();
  }

  void newDirectoryEmptiesBothLists() {
    QTemporaryDir other;
    Numbered(1).Write(tmp->filePath("a.nrm"));
    Numbered(2).Write(other.filePath("b.msd"));
    OpenDirectory(tmp->path());
    AddInOrder({"a.nrm"});
    QCOMPARE(w->State().study.work, QStringList{"a.nrm"});
    OpenDirectory(other.path());
    QCOMPARE(w->State().study.work, QStringList());
    QCOMPARE(w->State().study.found, QStringList{"b.msd"});
    QCOMPARE(w->State().study.directory, other.path());
    CheckMirror();
    QVERIFY(!Get<QPushButton>("ButtonAnalyse")->isEnabled());
  }

  void searchScansTheDirectoryAgain() {
    Numbered(1).Write(tmp->filePath("a.nrm"));
    OpenDirectory(tmp->path());
    Numbered(2).Write(tmp->filePath("b.nrm"));
    QCOMPARE(Items(List(1)), QStringList{"a.nrm"});
    Get<QPushButton>("Button1")->click();  // "Search", hidden
    QCOMPARE(Items(List(1)), (QStringList{"a.nrm", "b.nrm"}));
    CheckMirror();
  }

  void directoryChangeDuringScanDoesNotMix() {
    QTemporaryDir other;
    for (int i = 0; i < 5; ++i) Numbered(1).Write(tmp->filePath(QStringLiteral("old%1.nrm").arg(i)));
    for (int i = 0; i < 3; ++i) Numbered(1).Write(other.filePath(QStringLiteral("new%1.msd").arg(i)));
    // The first names the scan shows let events run; the queued change of
    // directory runs a second refresh right there.
    QTimer::singleShot(0, w.get(), [&] { OpenDirectory(other.path()); });
    OpenDirectory(tmp->path());
    QCOMPARE(Items(List(1)), (QStringList{"new0.msd", "new1.msd", "new2.msd"}));
    CheckMirror();
    QVERIFY(Get<QPushButton>("ButtonAdd")->isEnabled());
  }
};

QTEST_MAIN(FileTabTest)
#include "FileTabTest.moc"
