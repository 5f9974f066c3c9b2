// Filtering one real record (12 leads x 5000 samples) with every filter on.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/DisplayFilters.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;

void BM_FilterRecord(benchmark::State& state, const char* filters) {
  auto image = std::make_unique<RecordImage>();
  if (auto err = ReadRecordFile(QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm"), *image)) {
    state.SkipWithError(err->Describe().toStdString().c_str());
    return;
  }
  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(*image, *arrays);
  const FilterSettings settings = ParseFilterSettings(QString::fromLatin1(filters)).settings;
  // Filtering the filtered samples again is the same work, and no copy is timed.
  for (auto _ : state) {
    FilterLeadSamples(settings, arrays->LeadSamples);
    benchmark::DoNotOptimize(arrays->LeadSamples.data());
  }
}
// The two heaviest combinations: with a low-pass the notch takes only the
// fundamental; without one it takes the harmonics up to 150 Hz.
BENCHMARK_CAPTURE(BM_FilterRecord, all_on, "baseline=0.67,mains=50,muscle=40")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterRecord, baseline_mains50, "baseline=0.67,mains=50")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
