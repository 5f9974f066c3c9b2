// corvale-tool measure over many records: read, measured and formatted as a
// JSON line each, in input order, on one and on two threads. 10,000 records
// by default (the figure the target is stated for); --records=N for another.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "SampleRecords.h"
#include "measure/Measure.h"

namespace {

using namespace corvale;

int gRecords = 10000;

QTemporaryDir& Scratch() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/corvale-measure-bench-XXXXXX"));
  return dir;
}

// N record files made from the samples, once for the whole run.
const std::vector<batch::Input>& Inputs() {
  static std::vector<batch::Input> inputs;
  if (inputs.empty()) {
    if (!Scratch().isValid()) std::abort();
    for (const QString& path : bench::WriteSampleRecords(Scratch().path(), gRecords))
      inputs.push_back({path, std::nullopt});
  }
  return inputs;
}

// Arg: threads (-j).
void BM_MeasureRecords(benchmark::State& state) {
  const std::vector<batch::Input>& inputs = Inputs();
  qsizetype bytes = 0;
  int failed = 0;
  for (auto _ : state)
    failed += measure::MeasureAll(
        inputs, static_cast<int>(state.range(0)),
        [&](const measure::Row& row) { bytes += measure::RowLine(row, measure::Format::Json).size(); },
        [](const FileError&) {});
  if (failed) state.SkipWithError("some records could not be read");
  benchmark::DoNotOptimize(bytes);
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(inputs.size()) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MeasureRecords)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--records=", 10) == 0) gRecords = std::max(11, std::atoi(argv[i] + 10));
  batch::KeepMemoryBetweenRecords();  // as corvale-tool measure does
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
