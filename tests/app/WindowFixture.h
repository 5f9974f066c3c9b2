// What the window tests share: a fresh main window per test with its messages
// collected, controls found by object name, and records that say which they are.
#pragma once

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/SdiAppForm.h"
#include "app/Widgets.h"
#include "support/RecordBuilder.h"

namespace corvale::test {

// The window tests run on a screen the window is designed for (1600x1000),
// beside a laptop's (1366x768) for the tests of a smaller one: the off-screen
// platform's own 800x600 screen would scroll the window. Set before the
// application is made (QTEST_MAIN), and only for that platform.
inline const bool kScreensChosen = [] {
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" CORVALE_SOURCE_DIR "/tests/app/screens.json");
  return true;
}();

/// A record whose header says which one it is: PatientId n, male, months,
/// a data error, and 400-unit pulses on lead I every second, times n.
inline RecordBuilder Numbered(int n) {
  RecordBuilder b;
  const std::string id = QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0')).toStdString();
  b.Set(Field::PatientId, id).Set(Field::Sex, "1").Set(Field::AgeUnit, "1").Set(Field::ProcessingResult, "2");
  b.Lead(0, [n](int s) { return static_cast<std::int16_t>((s % 500 < 10 ? 400 : 0) * n); });
  return b;
}

inline QStringList Items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// No Q_OBJECT here: each test class adds its own, and a moc of this header
// would be compiled again in every window test program.
class WindowFixture : public QObject {
 protected:
  std::unique_ptr<TSDIAppForm> w;
  std::unique_ptr<QTemporaryDir> tmp;
  QStringList messages;
  QStringList notices;  // the boxes that do not block the window
  QString startDir = QDir::currentPath();
  // The window tests pin the design's captions, which the window shows with
  // no translation installed, whatever the machine's locale: the program
  // installs one in main(), the tests do not. A test of another language
  // clears this.
  bool designLanguage = true;
  // With the window's own boxes, a modal one would stop the test: it is
  // counted and closed after a while (longer than a scroll bar's auto-repeat delay).
  int modalBoxes = 0;
  QTimer closeModalBoxes;

  WindowFixture() {
    connect(&closeModalBoxes, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++modalBoxes;
        box->done(QMessageBox::Ok);
      }
    });
  }

  /// A new window, shown, with its messages going to `messages` (or shown in
  /// the window's own boxes).
  void Open(bool collectMessages = true) {
    QDir::setCurrent(startDir);
    tmp = std::make_unique<QTemporaryDir>();
    w = std::make_unique<TSDIAppForm>();
    if (designLanguage)
      QVERIFY2(Get<QMenu>("File1")->title() == QStringLiteral("ファイル(&F)"), "a translation is installed");
    messages.clear();
    notices.clear();
    modalBoxes = 0;
    if (collectMessages) {
      w->showMessage = [this](QMessageBox::Icon, const QString& text) { messages << text; };
      // A notice is a message too; `notices` keeps the ones that did not block.
      w->showNotice = [this](QMessageBox::Icon, const QString& text) {
        messages << text;
        notices << text;
      };
    } else {
      closeModalBoxes.start(700);
    }
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  }
  void Close() {
    closeModalBoxes.stop();
    w.reset();
    tmp.reset();
  }

  template <class T>
  T* Get(const char* name) const {
    T* child = w->findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  QString Text(const char* label) const { return Get<QLabel>(label)->text(); }
  /// The window's boxes on the screen.
  QList<QMessageBox*> VisibleBoxes() const {
    QList<QMessageBox*> boxes;
    for (QMessageBox* box : w->findChildren<QMessageBox*>())
      if (box->isVisible()) boxes << box;
    return boxes;
  }
  QListWidget* List(int n) const { return Get<QListWidget>(n == 1 ? "ListBox1" : "ListBox2"); }
  void Click(const char* button) const { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
  void OpenDirectory(const QString& path) const { Get<DirectoryListBox>("DirectoryListBox1")->SetDirectory(path); }
  void Select(QListWidget* list, std::initializer_list<int> rows) const {
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
  }
  /// Moves the named files to the work list in this order.
  void AddInOrder(const QStringList& names) const {
    for (const QString& name : names) {
      QListWidget* found = List(1);
      found->clearSelection();
      const auto items = found->findItems(name, Qt::MatchExactly);
      if (items.size() != 1) qFatal("%s is not listed once", qPrintable(name));
      items.front()->setSelected(true);
      Click("ButtonAdd");
    }
  }
  /// Every file found into the work list, then "Analyse".
  void AnalyseAll() const {
    for (int i = 0; i < List(1)->count(); ++i) List(1)->item(i)->setSelected(true);
    Click("ButtonAdd");
    Click("ButtonAnalyse");
  }
  /// Files r1.nrm ... rN.nrm holding Numbered(1..N), analysed in that order.
  void AnalyseNumbered(int count) const {
    QStringList names;
    for (int i = 1; i <= count; ++i) {
      names << QStringLiteral("r%1.nrm").arg(i);
      Numbered(i).Write(tmp->filePath(names.back()));
    }
    OpenDirectory(tmp->path());
    AddInOrder(names);
    Click("ButtonAnalyse");
  }
};

}  // namespace corvale::test
