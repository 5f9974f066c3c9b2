// Window-level hot paths: showing a record, and the scan of a large directory
// as a user waits for it.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/FileTab.h"
#include "app/SdiAppForm.h"
#include "app/Widgets.h"

namespace {

using namespace corvale;

template <class T>
T* Control(const TSDIAppForm& w, const char* name) {
  T* child = w.findChild<T*>(QString::fromLatin1(name));
  if (!child) std::abort();
  return child;
}

// The window shown, on the first bundled sample, as a user gets there.
void ShowFirstSample(TSDIAppForm& w) {
  w.showMessage = [](QMessageBox::Icon, const QString&) {};
  w.show();
  Control<DirectoryListBox>(w, "DirectoryListBox1")->SetDirectory(QStringLiteral(CORVALE_SOURCE_DIR "/samples"));
  auto* found = Control<QAbstractItemView>(w, "ListBox1");
  found->selectionModel()->select(found->model()->index(0, 0), QItemSelectionModel::Select);
  Control<QPushButton>(w, "ButtonAdd")->click();
  Control<QPushButton>(w, "ButtonAnalyse")->click();
}

// Arg: lead names off (0) or on (1, the default), set through their check box.
// Showing a record measures it; BM_ShowRecordFiducialMarks draws the marks too.
void BM_ShowRecord(benchmark::State& s) {
  TSDIAppForm w;
  ShowFirstSample(w);
  Control<QCheckBox>(w, "CheckBoxLeadNames")->setChecked(s.range(0) != 0);
  for (auto _ : s) w.ShowRecord();
}
BENCHMARK(BM_ShowRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShowRecordFiducialMarks(benchmark::State& s) {
  TSDIAppForm w;
  ShowFirstSample(w);
  Control<QCheckBox>(w, "CheckBoxFiducials")->click();
  for (auto _ : s) w.ShowRecord();
}
BENCHMARK(BM_ShowRecordFiducialMarks)->Unit(benchmark::kMillisecond);

// Arg: every filter off (0) or on (1: baseline 0.67 Hz, mains 50 Hz, muscle
// 40 Hz), set through their lists. Showing a record filters it once.
void BM_ShowRecordFiltered(benchmark::State& s) {
  TSDIAppForm w;
  ShowFirstSample(w);
  for (const auto& [name, item] : {std::pair{"ComboBoxBaseline", 1}, {"ComboBoxMains", 1}, {"ComboBoxMuscle", 3}}) {
    auto* list = Control<QComboBox>(w, name);
    const int chosen = s.range(0) != 0 ? item : 0;
    list->setCurrentIndex(chosen);
    Q_EMIT list->activated(chosen);
  }
  for (auto _ : s) w.ShowRecord();
}
BENCHMARK(BM_ShowRecordFiltered)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a user waits for: a shown window on a display server, a directory of
// 10,000 records selected in the directory list, Enter, until ListBox1 holds
// them all and has been painted. Each repetition is a new window, so nothing
// of the directory is cached. The longest stretch in which the event loop did
// not run, from the key press until a second after the list is complete, is
// reported as max_event_gap_ms: how long the window could not answer.
void BM_ScanDirectory10000(benchmark::State& s) {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
    s.SkipWithError("needs a display server (run under xvfb-run -a), not the offscreen platform");
    return;
  }
  constexpr int kFiles = 10000;
  QTemporaryDir root;
  const QString records = root.filePath(QStringLiteral("records"));
  QDir().mkpath(records);
  for (int i = 0; i < kFiles; ++i) {
    QFile f(records + QStringLiteral("/R%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 3 ? "nrm" : "msd"));
    if (!f.open(QIODevice::WriteOnly)) std::abort();
  }
  qint64 maxGap = 0;
  for (auto _ : s) {
    s.PauseTiming();
    TSDIAppForm w;
    w.showMessage = [](QMessageBox::Icon, const QString&) {};
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) {
      s.SkipWithError("the window was not shown");
      return;
    }
    auto* tree = Control<DirectoryListBox>(w, "DirectoryListBox1");
    auto* found = Control<QAbstractItemView>(w, "ListBox1");
    auto* add = Control<QPushButton>(w, "ButtonAdd");
    // Open the parent, then select the records' directory in the tree as a
    // click would, without opening it.
    tree->SetDirectory(root.path());
    QModelIndex target;
    for (int tries = 0; tries < 500 && !target.isValid(); ++tries) {
      QTest::qWait(10);
      const QModelIndex parent = tree->currentIndex();
      for (int r = 0; r < tree->model()->rowCount(parent); ++r)
        if (tree->model()->index(r, 0, parent).data().toString() == QLatin1String("records"))
          target = tree->model()->index(r, 0, parent);
    }
    if (!target.isValid()) {
      s.SkipWithError("the directory list does not show the records' directory");
      return;
    }
    tree->setFocus();
    QTest::qWait(200);  // settle: nothing of the set-up left to paint
    tree->setCurrentIndex(target);
    int refreshes = 0;
    QObject::connect(tree, &DirectoryListBox::directoryChanged, [&] { ++refreshes; });
    // A timer that asks to run every millisecond: the gaps between its ticks
    // are how long the window could not answer.
    QElapsedTimer sinceTick;
    qint64 gap = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { gap = std::max(gap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    s.ResumeTiming();

    QTest::keyClick(tree, Qt::Key_Return);
    // The list may still fill from the event loop after the key's handler.
    QElapsedTimer waited;
    waited.start();
    while (refreshes == 0 || found->model()->rowCount() < kFiles || !add->isEnabled()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      if (waited.elapsed() > 60000) {
        s.SkipWithError("the list was not complete after 60 s");
        return;
      }
    }
    found->viewport()->repaint();  // the complete list on the screen
    QCoreApplication::processEvents();

    s.PauseTiming();
    QTest::qWait(1000);  // the window must stay responsive after the list is complete too
    ticker.stop();
    maxGap = std::max(maxGap, gap);
    s.counters["max_event_gap_ms"] = static_cast<double>(gap);
    if (found->model()->rowCount() != kFiles || w.State().study.found.size() != kFiles)
      s.SkipWithError("scan listed the wrong number of files");
    s.ResumeTiming();
  }
}
BENCHMARK(BM_ScanDirectory10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

}  // namespace
