// Measuring one record: the real sample records the viewer ships, and the
// development records of the accuracy table when they are in tests/data.
#include <benchmark/benchmark.h>

#include <QDir>
#include <memory>
#include <vector>

#include "analysis/Measurement.h"
#include "formats/Formats.h"

namespace {

using namespace corvale;

std::vector<std::unique_ptr<RecordImage>> Records() {
  std::vector<std::unique_ptr<RecordImage>> out;
  const QDir dir(QStringLiteral(CORVALE_SOURCE_DIR "/tests/data/ludb"));
  for (const QString& name : dir.entryList({QStringLiteral("*.hea")}, QDir::Files, QDir::Name)) {
    auto opened = formats::ReadAnyRecord(dir.filePath(name));
    if (auto* r = std::get_if<formats::OpenedRecord>(&opened)) out.push_back(std::move(r->image));
  }
  return out;
}

// One record per iteration, going round the set.
void BM_MeasureRecord(benchmark::State& state) {
  const auto records = Records();
  if (records.empty()) {
    state.SkipWithError("no records in tests/data/ludb");
    return;
  }
  std::size_t next = 0;
  for (auto _ : state) {
    Measurements m = MeasureRecord(*records[next]);
    benchmark::DoNotOptimize(m);
    next = (next + 1) % records.size();
  }
}
BENCHMARK(BM_MeasureRecord)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Hostile input costs no more than a record: a flat record and pure noise.
void BM_MeasureNoise(benchmark::State& state) {
  auto image = std::make_unique<RecordImage>();
  unsigned x = 12345;
  for (int L = 0; L < LeadCount; ++L)
    for (int i = 0; i < SamplesPerLead; ++i) {
      x = x * 1103515245U + 12345U;
      image->SetSample(L, i, static_cast<std::int16_t>(static_cast<int>((x >> 16) & 0x3FF) - 512));
    }
  for (auto _ : state) {
    Measurements m = MeasureRecord(*image);
    benchmark::DoNotOptimize(m);
  }
}
BENCHMARK(BM_MeasureNoise)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
