#include "display/Render.h"

#include "display/LeadLabels.h"

namespace corvale {
namespace {

void DrawPaper(Image& image, const ColorScheme& colors, int width, int height, int columns, int rows) {
  for (int i = 0; i < columns; ++i) {
    if (i % 5 == 0) image.SetPenColor(colors.MajorGridColor);
    image.MoveTo(4 * i, 0);
    image.LineTo(4 * i, height);
    image.SetPenColor(colors.MinorGridColor);
  }
  for (int i = 0; i < rows; ++i) {
    if (i % 5 == 0) image.SetPenColor(colors.MajorGridColor);
    image.MoveTo(0, 4 * i);
    image.LineTo(width, 4 * i);
    image.SetPenColor(colors.MinorGridColor);
  }
}

void Prepare(Image& image, const ColorScheme& colors, Color pen) {
  image.SetBrushColor(colors.BackgroundColor);
  image.SetPenColor(pen);
  image.Fill();
}

// One lead's trace and calibration pulse in one pass; x0 is the column's left edge.
void DrawLead(Image& image, const LeadArrays& leads, const TraceLayout& layout, double gain, int lead,
              int columnStart, int x0, int pass) {
  const int zero = layout.ZeroLineY(lead) + pass;
  auto y = [&](int j) { return zero - AmplitudePixels(leads.Sample(lead, j), gain); };
  image.MoveTo(x0, y(columnStart));
  for (int k = 0; k < 2500; ++k) image.LineTo(x0 + k / 5, y(columnStart + k));
  const int top = static_cast<int>(zero - 40.0L / gain);
  image.MoveTo(x0 + 500, zero);
  image.LineTo(x0 + 504, zero);
  image.LineTo(x0 + 504, top);
  image.LineTo(x0 + 516, top);
  image.LineTo(x0 + 516, zero);
  image.LineTo(x0 + 520, zero);
}

}  // namespace

void RenderGrid(const DisplayState& state, const LeadArrays& leads, Image& grid, Image& stripGrid) {
  const ColorScheme& c = state.Colors;
  Prepare(grid, c, c.MinorGridColor);
  Prepare(stripGrid, c, c.MinorGridColor);
  DrawPaper(grid, c, 1040, 760, 260, 190);
  DrawPaper(stripGrid, c, 1040, 100, 260, 25);

  // Rhythm strip: lead II over all ten seconds, with its pulse.
  const double gain = state.LeadGain[1];
  stripGrid.SetPenColor(c.TraceColor);
  const int shift = static_cast<int>(static_cast<Real>(LimbSlotPitch) * leads.LeadOffset[1] / 2.0);
  for (int pass = 0; pass < 2; ++pass) {
    auto y = [&](int j) { return 70 - AmplitudePixels(leads.Sample(1, j), gain) - shift + pass; };
    stripGrid.MoveTo(0, y(0));
    for (int j = 0; j < SamplesPerLead; ++j) stripGrid.LineTo(j / 5, y(j));
    const int y0 = 70 - shift + pass;
    const int top = static_cast<int>(y0 - 40.0L / gain);
    stripGrid.MoveTo(1000, y0);
    stripGrid.LineTo(1010, y0);
    stripGrid.LineTo(1010, top);
    stripGrid.LineTo(1030, top);
    stripGrid.LineTo(1030, y0);
    stripGrid.LineTo(1040, y0);
  }
}

TraceLayout RenderTraces(const DisplayState& state, const LeadArrays& leads, const Image& grid,
                         const Image& stripGrid, Image& trace, Image& strip) {
  const ColorScheme& c = state.Colors;
  // The paper copied next covers the whole image when the sizes agree, so the
  // background fill is only needed where it would not.
  trace.SetBrushColor(c.BackgroundColor);
  trace.SetPenColor(c.TraceColor);
  if (grid.Width() < trace.Width() || grid.Height() < trace.Height()) trace.Fill();
  strip.SetBrushColor(c.BackgroundColor);
  strip.SetPenColor(c.TraceColor);
  if (stripGrid.Width() < strip.Width() || stripGrid.Height() < strip.Height()) strip.Fill();

  const TraceLayout layout = ComputeScreenLayout(state, leads);
  trace.CopyFrom(grid);
  strip.CopyFrom(stripGrid);

  const bool tenSeconds = state.DisplaySpan == 2;
  const int limbStart = tenSeconds ? 0 : state.TimeOffset;
  const int chestStart = tenSeconds ? 2500 : state.TimeOffset;
  for (int pass = 0; pass < 2; ++pass)
    for (int lead = 0; lead < 6; ++lead)
      DrawLead(trace, leads, layout, state.LeadGain[static_cast<std::size_t>(lead)], lead, limbStart, 0, pass);
  for (int pass = 0; pass < 2; ++pass)
    for (int lead = 6; lead < 12; ++lead)
      DrawLead(trace, leads, layout, state.LeadGain[static_cast<std::size_t>(lead)], lead, chestStart, 520, pass);

  strip.SetPenColor(c.WindowFrameColor);
  if (!tenSeconds) {
    const int x0 = limbStart / 5;
    strip.MoveTo(x0, 10);
    strip.LineTo(x0 + 500, 10);
    strip.LineTo(x0 + 500, 90);
    strip.LineTo(x0, 90);
    strip.LineTo(x0, 10);
  } else {
    strip.MoveTo(0, 10);
    strip.LineTo(999, 10);
    strip.LineTo(999, 90);
    strip.LineTo(0, 90);
    strip.LineTo(0, 10);
  }
  if (state.LeadNames) DrawLeadLabels(state, layout, trace, strip);
  return layout;
}

}  // namespace corvale
