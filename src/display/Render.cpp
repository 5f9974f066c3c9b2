#include "display/Render.h"

#include "display/LeadLabels.h"

namespace corvale {
namespace {

using G = ViewGeometry;

void DrawPaper(Image& image, const ColorScheme& colors, int width, int height) {
  for (int i = 0; i < width / G::GridPitch; ++i) {
    if (i % G::MajorLineEvery == 0) image.SetPenColor(colors.MajorGridColor);
    image.MoveTo(G::GridPitch * i, 0);
    image.LineTo(G::GridPitch * i, height);
    image.SetPenColor(colors.MinorGridColor);
  }
  for (int i = 0; i < height / G::GridPitch; ++i) {
    if (i % G::MajorLineEvery == 0) image.SetPenColor(colors.MajorGridColor);
    image.MoveTo(0, G::GridPitch * i);
    image.LineTo(width, G::GridPitch * i);
    image.SetPenColor(colors.MinorGridColor);
  }
}

void Prepare(Image& image, const ColorScheme& colors, Color pen) {
  image.SetBrushColor(colors.BackgroundColor);
  image.SetPenColor(pen);
  image.Fill();
}

// The calibration pulse: baseline, a rise of 1 mV at the lead's gain, the top,
// the fall and the baseline again, at x0 + steps[0..2] along the time axis.
void DrawPulse(Image& image, int x0, const int (&steps)[3], int zero, double gain) {
  const int top = static_cast<int>(zero - static_cast<Real>(G::PulseHeight) / gain);
  image.MoveTo(x0, zero);
  image.LineTo(x0 + steps[0], zero);
  image.LineTo(x0 + steps[0], top);
  image.LineTo(x0 + steps[1], top);
  image.LineTo(x0 + steps[1], zero);
  image.LineTo(x0 + steps[2], zero);
}

// One lead's trace and calibration pulse in one pass; x0 is the column's left edge.
void DrawLead(Image& image, const LeadArrays& leads, const TraceLayout& layout, double gain, int lead, int columnStart,
              int x0, int pass) {
  const int zero = layout.ZeroLineY(lead) + pass;
  auto y = [&](int j) { return zero - AmplitudePixels(leads.Sample(lead, j), gain); };
  image.MoveTo(x0, y(columnStart));
  for (int k = 0; k < G::WindowSamples; ++k) image.LineTo(x0 + k / G::SamplesPerPixel, y(columnStart + k));
  // 4 px of baseline, 12 px at the top, 4 px of baseline: up to the next column.
  DrawPulse(image, x0 + G::TraceWidth, {4, 16, 20}, zero, gain);
}

// Marks the part of the record the main view shows: the 5 s window from x0,
// or the whole ten seconds.
void DrawWindowFrame(Image& image, int x0, int width) {
  image.MoveTo(x0, G::FrameTop);
  image.LineTo(x0 + width, G::FrameTop);
  image.LineTo(x0 + width, G::FrameBottom);
  image.LineTo(x0, G::FrameBottom);
  image.LineTo(x0, G::FrameTop);
}

}  // namespace

void RenderGrid(const DisplayState& state, const LeadArrays& leads, Image& grid, Image& stripGrid) {
  const ColorScheme& c = state.Colors;
  Prepare(grid, c, c.MinorGridColor);
  Prepare(stripGrid, c, c.MinorGridColor);
  DrawPaper(grid, c, G::ViewWidth, G::MainViewHeight);
  DrawPaper(stripGrid, c, G::ViewWidth, G::StripViewHeight);

  // Rhythm strip: lead II over all ten seconds, with its pulse.
  const double gain = state.LeadGain[1];
  stripGrid.SetPenColor(c.TraceColor);
  const int shift = static_cast<int>(static_cast<Real>(G::LimbSlotPitch) * leads.LeadOffset[1] / 2.0);
  constexpr int stripEnd = SamplesPerLead / G::SamplesPerPixel;  // the pulse follows the ten seconds
  for (int pass = 0; pass < 2; ++pass) {
    auto y = [&](int j) { return G::StripZeroY - AmplitudePixels(leads.Sample(1, j), gain) - shift + pass; };
    stripGrid.MoveTo(0, y(0));
    for (int j = 0; j < SamplesPerLead; ++j) stripGrid.LineTo(j / G::SamplesPerPixel, y(j));
    // 10 px of baseline, 20 px at the top, 10 px of baseline: to the view's edge.
    DrawPulse(stripGrid, stripEnd, {10, 30, 40}, G::StripZeroY - shift + pass, gain);
  }
}

TraceLayout RenderTraces(const DisplayState& state, const LeadArrays& leads, const Image& grid, const Image& stripGrid,
                         Image& trace, Image& strip) {
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
  const int limbStart = tenSeconds ? 0 : ClampTimeOffset(state.TimeOffset);
  const int chestStart = tenSeconds ? G::WindowSamples : ClampTimeOffset(state.TimeOffset);
  for (int pass = 0; pass < 2; ++pass)
    for (int lead = 0; lead < 6; ++lead)
      DrawLead(trace, leads, layout, state.LeadGain[static_cast<std::size_t>(lead)], lead, limbStart, 0, pass);
  for (int pass = 0; pass < 2; ++pass)
    for (int lead = 6; lead < 12; ++lead)
      DrawLead(trace, leads, layout, state.LeadGain[static_cast<std::size_t>(lead)], lead, chestStart, G::ColumnPitch,
               pass);

  strip.SetPenColor(c.WindowFrameColor);
  if (!tenSeconds) DrawWindowFrame(strip, limbStart / G::SamplesPerPixel, G::TraceWidth);
  else DrawWindowFrame(strip, 0, SamplesPerLead / G::SamplesPerPixel - 1);
  if (state.LeadNames) DrawLeadLabels(state, layout, trace, strip);
  return layout;
}

}  // namespace corvale
