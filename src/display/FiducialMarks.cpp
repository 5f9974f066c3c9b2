#include "display/FiducialMarks.h"

#include "display/ViewGeometry.h"

namespace corvale {
namespace {

using G = ViewGeometry;

// One tick from the zero line upwards (measured) or downwards (reference),
// leaving the zero line itself to the trace.
void Tick(Image& image, int x, int zero, int length, bool above) {
  if (above) {
    image.MoveTo(x, zero - 1);
    image.LineTo(x, zero - 1 - length);
  } else {
    image.MoveTo(x, zero + 2);
    image.LineTo(x, zero + 2 + length);
  }
}

void DrawSet(const DisplayState& state, const TraceLayout& layout, const LeadArrays& leads,
             const std::vector<int>& samples, bool above, Image& trace, Image& strip) {
  const int stripZero =
      G::StripZeroY - static_cast<int>(static_cast<Real>(G::LimbSlotPitch) * leads.LeadOffset[1] / 2.0);
  for (int s : samples) {
    if (s < 0 || s >= SamplesPerLead) continue;
    for (int column = 0; column < 2; ++column) {
      const int x = MarkX(state, column, s);
      if (x < 0) continue;
      for (int row = 0; row < G::LeadsPerColumn; ++row)
        Tick(trace, x, layout.ZeroLineY(column * G::LeadsPerColumn + row), TraceMarkLength, above);
    }
    Tick(strip, s / G::SamplesPerPixel, stripZero, StripMarkLength, above);
  }
}

}  // namespace

int MarkX(const DisplayState& state, int column, int sample) {
  const bool tenSeconds = state.DisplaySpan == 2;
  const int start = tenSeconds ? column * G::WindowSamples : ClampTimeOffset(state.TimeOffset);
  const int k = sample - start;
  if (k < 0 || k >= G::WindowSamples) return -1;
  return column * G::ColumnPitch + k / G::SamplesPerPixel;
}

void DrawFiducialMarks(const DisplayState& state, const TraceLayout& layout, const LeadArrays& leads,
                       const FiducialMarkSet& marks, Image& trace, Image& strip) {
  const Color tracePen = trace.PenColor(), stripPen = strip.PenColor();
  trace.SetPenColor(MeasuredMarkColor);
  strip.SetPenColor(MeasuredMarkColor);
  DrawSet(state, layout, leads, marks.measured, true, trace, strip);
  trace.SetPenColor(ReferenceMarkColor);
  strip.SetPenColor(ReferenceMarkColor);
  DrawSet(state, layout, leads, marks.reference, false, trace, strip);
  trace.SetPenColor(tracePen);
  strip.SetPenColor(stripPen);
}

}  // namespace corvale
