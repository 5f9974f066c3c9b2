// The "File" tab: the directory list, the scan, the two lists and the study
// lists of the viewer state behind them.
#include <QFileSystemModel>
#include <QTimer>

#include "WindowFixture.h"

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
      for (const QString& d : {QStringLiteral("a%1").arg(i), QStringLiteral("deep/b%1").arg(i), QStringLiteral("deep/z%1").arg(i)})
        QVERIFY(QDir(tmp->path()).mkpath(d));
    QVERIFY(QDir(tmp->path()).mkpath("deep/target"));
    const QString target = tmp->filePath("deep/target");
    QDir::setCurrent(target);
    TSDIAppForm window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(500);  // the tree loads in the background meanwhile
    auto* list = window.findChild<DirectoryListBox*>("DirectoryListBox1");
    QTRY_COMPARE(list->currentIndex().data(QFileSystemModel::FilePathRole).toString(), target);
    QCOMPARE(list->Directory(), target);
    QCOMPARE(window.State().study.directory, target);
    QCOMPARE(window.focusWidget(), list);  // Enter reads the current directory
  }

  void scanOrderNrmFirstRegularFilesOnly() {
    for (const char* name : {"b.nrm", "c.msd", "a.nrm", "D.NRM", "e.Msd", "notes.txt", "f.nrm.bak"})
      Numbered(1).Write(tmp->filePath(name));
    QDir(tmp->path()).mkdir("folder.nrm");
    OpenDirectory(tmp->path());
    const QStringList items = Items(List(1));
    QCOMPARE(items.size(), 5);
    QCOMPARE(QSet<QString>(items.begin(), items.begin() + 3), (QSet<QString>{"a.nrm", "b.nrm", "D.NRM"}));
    QCOMPARE(QSet<QString>(items.begin() + 3, items.end()), (QSet<QString>{"c.msd", "e.Msd"}));
    QCOMPARE(w->State().study.directory, tmp->path());
    CheckMirror();
    QVERIFY(Get<QPushButton>("ButtonAdd")->isEnabled());
    QVERIFY(!Get<QPushButton>("ButtonAnalyse")->isEnabled());
    QVERIFY(messages.isEmpty());
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
    const QStringList items = Items(List(1));
    QCOMPARE(QSet<QString>(items.begin(), items.end()), (QSet<QString>{"a.nrm", "b.nrm"}));
    CheckMirror();
  }

  void directoryChangeDuringScanDoesNotMix() {
    QTemporaryDir other;
    for (int i = 0; i < 5; ++i) Numbered(1).Write(tmp->filePath(QStringLiteral("old%1.nrm").arg(i)));
    for (int i = 0; i < 3; ++i) Numbered(1).Write(other.filePath(QStringLiteral("new%1.msd").arg(i)));
    // The first file the scan lists lets events run; the queued change of
    // directory runs a second refresh right there.
    QTimer::singleShot(0, w.get(), [&] { OpenDirectory(other.path()); });
    OpenDirectory(tmp->path());
    const QStringList items = Items(List(1));
    QCOMPARE(QSet<QString>(items.begin(), items.end()), (QSet<QString>{"new0.msd", "new1.msd", "new2.msd"}));
    QCOMPARE(items.size(), 3);
    CheckMirror();
    QVERIFY(Get<QPushButton>("ButtonAdd")->isEnabled());
  }
};

QTEST_MAIN(FileTabTest)
#include "FileTabTest.moc"
