// Batch export as corvale-tool export runs it: N records read and written in
// each format on one and on two threads. N defaults to 1,000 for routine runs;
// --records=10000 gives the figures the targets are stated for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <string>

#include "export/Batch.h"
#include "export/ImageExport.h"
#include "formats/Formats.h"

namespace {

using namespace corvale;

int gRecords = 1000;

// N record files made from the samples, once for the whole run.
const std::vector<batch::Job>& Inputs() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/corvale-bench-XXXXXX"));
  static std::vector<batch::Job> jobs;
  if (jobs.empty()) {
    const QDir samples(QStringLiteral(CORVALE_SOURCE_DIR "/samples"));
    const QStringList names = samples.entryList({"*.nrm", "*.msd"}, QDir::Files, QDir::Name);
    for (int i = 0; i < gRecords; ++i) {
      const QString path = dir.filePath(QStringLiteral("R%1.nrm").arg(i, 5, 10, QLatin1Char('0')));
      if (!QFile::copy(samples.filePath(names[i % names.size()]), path)) std::abort();
      jobs.push_back({path, {}, std::nullopt});
    }
  }
  return jobs;
}

// Exports every input into a fresh directory: `to` is a format name or png/pdf.
void BM_Export(benchmark::State& state, const char* to) {
  const int threads = static_cast<int>(state.range(0));
  const auto format = formats::ParseOutputFormat(QString::fromLatin1(to));
  const ImageKind image = std::strcmp(to, "pdf") == 0 ? ImageKind::Pdf : ImageKind::Png;
  std::vector<batch::Job> jobs = Inputs();
  int failed = 0;
  std::vector<std::unique_ptr<QTemporaryDir>> outputs;  // removed after the timing
  for (auto _ : state) {
    state.PauseTiming();
    outputs.push_back(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvale-bench-out-XXXXXX")));
    const QTemporaryDir& out = *outputs.back();
    for (batch::Job& j : jobs)
      j.output = out.filePath(format ? formats::OutputFileName(j.input, *format) : ImageFileName(j.input, image));
    state.ResumeTiming();
    const auto summary = batch::RunJobs(jobs, threads, [&](const batch::Job& job) -> formats::Prepared {
      auto read = formats::ReadAnyRecord(job.input);
      if (auto* err = std::get_if<FileError>(&read)) return *err;
      const auto& record = std::get<formats::OpenedRecord>(read);
      OutputPolicy policy;
      policy.overwrite = false;
      policy.inputs = record.sourceFiles;
      if (format) return formats::PrepareRecordAs(*record.image, *format, job.output, policy);
      return PrepareImage(*record.image, record.displayName, image, job.output, policy);
    }, {});
    failed += summary.failed;
  }
  if (failed) state.SkipWithError("some records failed");
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(jobs.size()) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Export, wfdb, "wfdb")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, edf, "edf")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, csv, "csv")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, dicom, "dicom")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, png, "png")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--records=", 10) == 0) gRecords = std::max(11, std::atoi(argv[i] + 10));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
