// Load + header presentation + lead arrays of a real sample record.
#include <benchmark/benchmark.h>

#include <memory>

#include "record/HeaderPresentation.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;

void BM_LoadPresentDerive(benchmark::State& state) {
  const QString path = QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm");
  auto image = std::make_unique<RecordImage>();
  auto arrays = std::make_unique<LeadArrays>();
  for (auto _ : state) {
    if (auto err = ReadRecordFile(path, *image)) {
      state.SkipWithError(err->Describe().toStdString().c_str());
      break;
    }
    auto labels = PresentHeaderTexts(*image);
    benchmark::DoNotOptimize(labels);
    DeriveLeadArrays(*image, *arrays);
    benchmark::DoNotOptimize(arrays->LeadRange);
  }
}
BENCHMARK(BM_LoadPresentDerive)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
