// Window-level hot paths: showing a record, scanning a large directory.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

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

void BM_ShowRecord(benchmark::State& s) {
  TSDIAppForm w;
  w.showMessage = [](QMessageBox::Icon, const QString&) {};
  w.show();
  Control<DirectoryListBox>(w, "DirectoryListBox1")->SetDirectory(QStringLiteral(CORVALE_SOURCE_DIR "/samples"));
  Control<QListWidget>(w, "ListBox1")->item(0)->setSelected(true);
  Control<QPushButton>(w, "ButtonAdd")->click();
  Control<QPushButton>(w, "ButtonAnalyse")->click();
  for (auto _ : s) w.ShowRecord();
}
BENCHMARK(BM_ShowRecord)->Unit(benchmark::kMillisecond);

void BM_ScanDirectory10000(benchmark::State& s) {
  QTemporaryDir dir;
  for (int i = 0; i < 10000; ++i) {
    QFile f(dir.filePath(QStringLiteral("R%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 3 ? "nrm" : "msd")));
    if (!f.open(QIODevice::WriteOnly)) std::abort();
  }
  TSDIAppForm w;
  w.show();  // the list paints as it grows
  auto* files = Control<FileTab>(w, "TabSheet1");
  auto* found = Control<QListWidget>(w, "ListBox1");
  for (auto _ : s) {
    // The list emptied as a new directory empties it, then the scan.
    w.State().study.found.clear();
    found->clear();
    files->ScanDirectory(dir.path() + QLatin1Char('/'));
  }
  if (found->count() != 10000 || w.State().study.found.size() != 10000)
    s.SkipWithError("scan listed the wrong number of files");
}
BENCHMARK(BM_ScanDirectory10000)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(1);

}  // namespace
