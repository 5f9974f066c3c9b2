// Batch export as corvale-tool export runs it: N records read and written in
// each format on one and on two threads. N defaults to 1,000 for routine runs;
// --records=10000 gives the figures the targets are stated for.
//
// No file is deleted while the benchmarks run, only at the end: on a file
// system without a journal, ext4 will not reuse an inode freed in the last
// minutes, and checks every such inode it meets on each file it creates, so
// tens of thousands of files removed just before a run would make that run
// measure the file system's search instead of the export. Each run's outputs
// are truncated instead (their space is freed, their inodes kept).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <string>

#include "SampleRecords.h"
#include "export/Batch.h"
#include "formats/Formats.h"
#include "output/ExportService.h"

namespace {

using namespace corvale;

int gRecords = 1000;

// The inputs and every run's outputs, removed when the program ends.
std::vector<std::unique_ptr<QTemporaryDir>>& Scratch() {
  static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
  return dirs;
}

const QTemporaryDir& NewScratchDir() {
  Scratch().push_back(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvale-bench-XXXXXX")));
  if (!Scratch().back()->isValid()) std::abort();
  return *Scratch().back();
}

// N record files made from the samples, once for the whole run.
const std::vector<batch::Job>& Inputs() {
  static std::vector<batch::Job> jobs;
  if (jobs.empty())
    for (const QString& path : bench::WriteSampleRecords(NewScratchDir().path(), gRecords))
      jobs.push_back({path, {}, std::nullopt});
  return jobs;
}

// Frees a run's disk space but keeps its inodes until the program ends.
void TruncateAll(const QString& directory) {
  const QDir dir(directory);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) QFile::resize(dir.filePath(name), 0);
}

QString LoadAverage() {
  QFile f(QStringLiteral("/proc/loadavg"));
  return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(u' ', 0, 2) : QStringLiteral("?");
}

// Exports every input into a fresh directory: `to` is a format name or png/pdf.
void BM_Export(benchmark::State& state, const char* to) {
  const int threads = static_cast<int>(state.range(0));
  const formats::FileFormat& target = *formats::ExportFormatNamed(QString::fromLatin1(to));
  std::vector<batch::Job> jobs = Inputs();
  int failed = 0;
  const QString loadBefore = LoadAverage();
  for (auto _ : state) {
    state.PauseTiming();
    const QTemporaryDir& out = NewScratchDir();
    for (batch::Job& j : jobs) j.output = out.filePath(formats::OutputFileName(j.input, target.kind));
    state.ResumeTiming();
    const auto summary = batch::RunJobs(jobs, threads,
                                        [&](const batch::Job& job) -> formats::Prepared {
                                          auto read = formats::ReadAnyRecord(job.input);
                                          if (auto* err = std::get_if<FileError>(&read)) return *err;
                                          const auto& record = std::get<formats::OpenedRecord>(read);
                                          ExportOptions options;
                                          options.name = record.displayName;
                                          options.policy.overwrite = false;
                                          options.policy.inputs = record.sourceFiles;
                                          return PrepareExport(*record.image, target.kind, job.output, options);
                                        },
                                        {});
    failed += summary.failed;
    state.PauseTiming();
    TruncateAll(out.path());
    state.ResumeTiming();
  }
  state.SetLabel(QStringLiteral("load %1 before, %2 after").arg(loadBefore, LoadAverage()).toStdString());
  if (failed) state.SkipWithError("some records failed");
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(jobs.size()) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Export, wfdb, "wfdb")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, edf, "edf")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, csv, "csv")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, dicom, "dicom")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, png, "png")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--records=", 10) == 0) gRecords = std::max(11, std::atoi(argv[i] + 10));
  batch::KeepMemoryBetweenRecords();  // as corvale-tool export does
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Scratch().clear();
  return 0;
}
