// Screen rendering of a real sample record: grid, traces, overlay.
#include <benchmark/benchmark.h>

#include <memory>

#include "display/LeadLabels.h"
#include "display/Render.h"
#include "display/ViewGeometry.h"
#include "measure/Calipers.h"
#include "measure/Overlay.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;
using G = ViewGeometry;

struct Fixture {
  std::unique_ptr<RecordImage> record = std::make_unique<RecordImage>();
  std::unique_ptr<LeadArrays> leads = std::make_unique<LeadArrays>();
  DisplayState state;
  Image grid{G::ViewWidth, G::MainViewHeight}, stripGrid{G::ViewWidth, G::StripViewHeight};
  Image trace{G::ViewWidth, G::MainViewHeight}, strip{G::ViewWidth, G::StripViewHeight};
  Fixture() {
    if (ReadRecordFile(QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm"), *record)) std::abort();
    DeriveLeadArrays(*record, *leads);
    RenderGrid(state, *leads, grid, stripGrid);
    RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  }
};

// Nineteen calipers spread over the view, at different heights.
MeasurementList NineteenMeasurements() {
  MeasurementList list;
  for (int i = 0; i < 19; ++i)
    list.items[static_cast<std::size_t>(i)] = {40 + 50 * i, 0, 70 + 50 * i, 30 + 35 * i, 300};
  list.MeasurementCount = 19;
  return list;
}

void BM_RenderGrid(benchmark::State& s) {
  Fixture f;
  for (auto _ : s) RenderGrid(f.state, *f.leads, f.grid, f.stripGrid);
}
BENCHMARK(BM_RenderGrid)->Unit(benchmark::kMicrosecond);

void BM_RenderTraces(benchmark::State& s) {
  Fixture f;
  for (auto _ : s) benchmark::DoNotOptimize(RenderTraces(f.state, *f.leads, f.grid, f.stripGrid, f.trace, f.strip));
}
BENCHMARK(BM_RenderTraces)->Unit(benchmark::kMicrosecond);

// The trace render with lead names off (0, the picture without text) and on (1).
void BM_RenderTracesLeadNames(benchmark::State& s) {
  Fixture f;
  f.state.LeadNames = s.range(0) != 0;
  for (auto _ : s) benchmark::DoNotOptimize(RenderTraces(f.state, *f.leads, f.grid, f.stripGrid, f.trace, f.strip));
}
BENCHMARK(BM_RenderTracesLeadNames)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The names' own share of that render: placing and drawing the thirteen labels.
void BM_DrawLeadLabels(benchmark::State& s) {
  Fixture f;
  const TraceLayout layout = ComputeScreenLayout(f.state, *f.leads);
  for (auto _ : s) DrawLeadLabels(f.state, layout, f.trace, f.strip);
}
BENCHMARK(BM_DrawLeadLabels)->Unit(benchmark::kMicrosecond);

void BM_ComposeOverlay19(benchmark::State& s) {
  Fixture f;
  Overlay overlay;
  overlay.OverlayImage.SetSize(G::ViewWidth, G::MainViewHeight);
  MeasurementList list = NineteenMeasurements();
  for (auto _ : s) ComposeOverlay(f.trace, list, overlay);
}
BENCHMARK(BM_ComposeOverlay19)->Unit(benchmark::kMicrosecond);

void BM_HoverPass19(benchmark::State& s) {
  Fixture f;
  Overlay overlay;
  overlay.OverlayImage.SetSize(G::ViewWidth, G::MainViewHeight);
  MeasurementList list = NineteenMeasurements();
  CaliperState state;
  int x = 0;
  for (auto _ : s) {
    x = (x + 7) % G::ViewWidth;  // over marks, bars and paper
    Present(HoverPass(list, state, x, 300), list, f.trace, overlay);
  }
}
BENCHMARK(BM_HoverPass19)->Unit(benchmark::kMicrosecond);

}  // namespace
