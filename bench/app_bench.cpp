// Window-level hot paths: showing a record, scanning a large directory.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/SdiAppForm.h"
#include "app/Widgets.h"

namespace {

using namespace corvale;

void BM_ShowRecord(benchmark::State& s) {
  TSDIAppForm w;
  w.showMessage = [](QMessageBox::Icon, const QString&) {};
  w.show();
  w.DirectoryListBox1->SetDirectory(QStringLiteral(CORVALE_SOURCE_DIR "/samples"));
  w.ListBox1->item(0)->setSelected(true);
  w.ButtonAddClick();
  w.ButtonAnalyseClick();
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
  for (auto _ : s) {
    w.ListBox1->clear();
    w.ScanDirectory(dir.path() + QLatin1Char('/'));
  }
  if (w.ListBox1->count() != 10000) s.SkipWithError("scan listed the wrong number of files");
}
BENCHMARK(BM_ScanDirectory10000)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(1);

}  // namespace
