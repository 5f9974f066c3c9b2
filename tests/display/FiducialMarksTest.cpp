// Fiducial ticks land at the sample's x in whichever column shows it, above
// the zero line for measured points and below it for reference points, on
// every lead and on the strip, and touch nothing else.
#include <gtest/gtest.h>

#include <memory>

#include "display/FiducialMarks.h"
#include "display/Render.h"
#include "record/LeadArrays.h"

namespace corvale {
namespace {

class Marks : public ::testing::Test {
 protected:
  std::unique_ptr<LeadArrays> leads = std::make_unique<LeadArrays>();
  DisplayState state;
  Image grid{1040, 760}, stripGrid{1040, 100}, trace{1040, 760}, strip{1040, 100};

  TraceLayout Render() {
    RenderGrid(state, *leads, grid, stripGrid);
    return RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  }
  // The columns of the image where `color` appears anywhere.
  static std::vector<int> ColumnsWith(const Image& image, Color color) {
    std::vector<int> xs;
    for (int x = 0; x < image.Width(); ++x)
      for (int y = 0; y < image.Height(); ++y)
        if (image.Pixel(x, y) == color) {
          xs.push_back(x);
          break;
        }
    return xs;
  }
};

TEST_F(Marks, TicksWhereTheColumnsShowTheSample) {
  struct Row {
    const char* what;
    int span, offset, sample;
    std::vector<int> traceXs;  // in the main view
  };
  const Row rows[] = {
      {"5 s from 0: both columns", 1, 0, 600, {120, 640}},
      {"5 s from 1000: before the window", 1, 1000, 600, {}},
      {"5 s from 1000", 1, 1000, 3000, {400, 920}},
      {"5 s: last sample of the window", 1, 0, 2499, {499, 1019}},
      {"10 s: first half in the limb column", 2, 1000, 600, {120}},
      {"10 s: second half in the chest column", 2, 1000, 3000, {620}},
  };
  for (const Row& r : rows) {
    state.DisplaySpan = r.span;
    state.TimeOffset = r.offset;
    const TraceLayout layout = Render();
    DrawFiducialMarks(state, layout, *leads, {{r.sample}, {}}, trace, strip);
    EXPECT_EQ(ColumnsWith(trace, MeasuredMarkColor), r.traceXs) << r.what;
    // The strip shows all ten seconds.
    EXPECT_EQ(ColumnsWith(strip, MeasuredMarkColor), std::vector<int>{r.sample / 5}) << r.what;
  }
}

TEST_F(Marks, MeasuredAboveReferenceBelowOnEveryLead) {
  const TraceLayout layout = Render();
  const Image before = trace;
  DrawFiducialMarks(state, layout, *leads, {{600}, {1300}}, trace, strip);
  for (int lead = 0; lead < LeadCount; ++lead) {
    const int x0 = lead < 6 ? 0 : 520, zero = layout.ZeroLineY(lead);
    for (int y = zero - 40; y <= zero + 40; ++y) {
      const bool measured = y >= zero - TraceMarkLength && y <= zero - 1;
      const bool reference = y >= zero + 2 && y <= zero + 1 + TraceMarkLength;
      EXPECT_EQ(trace.Pixel(x0 + 120, y) == MeasuredMarkColor, measured) << lead << " y " << y;
      EXPECT_EQ(trace.Pixel(x0 + 260, y) == ReferenceMarkColor, reference) << lead << " y " << y;
    }
    // The trace's own two rows stay.
    EXPECT_EQ(trace.Pixel(x0 + 120, zero), before.Pixel(x0 + 120, zero));
    EXPECT_EQ(trace.Pixel(x0 + 260, zero + 1), before.Pixel(x0 + 260, zero + 1));
  }
  // Strip: lead II flat at its zero line, y 70.
  EXPECT_EQ(strip.Pixel(120, 69), MeasuredMarkColor);
  EXPECT_EQ(strip.Pixel(120, 70 - StripMarkLength), MeasuredMarkColor);
  EXPECT_NE(strip.Pixel(120, 69 - StripMarkLength), MeasuredMarkColor);
  EXPECT_EQ(strip.Pixel(260, 72), ReferenceMarkColor);
  EXPECT_EQ(strip.Pixel(260, 71 + StripMarkLength), ReferenceMarkColor);
  // Nothing else changed, and samples outside the record draw nothing.
  int changed = 0;
  for (int y = 0; y < trace.Height(); ++y)
    for (int x = 0; x < trace.Width(); ++x) changed += trace.Pixel(x, y) != before.Pixel(x, y);
  EXPECT_EQ(changed, 2 * 12 * TraceMarkLength);
  const Image marked = trace;
  DrawFiducialMarks(state, layout, *leads, {{-1, 5000}, {-7, 99999}}, trace, strip);
  for (int y = 0; y < trace.Height(); ++y)
    for (int x = 0; x < trace.Width(); ++x) ASSERT_EQ(trace.Pixel(x, y), marked.Pixel(x, y));
}

}  // namespace
}  // namespace corvale
