// The screen pictures: ECG paper with the lead II rhythm strip, and the
// twelve-lead traces over it with the shown window marked below.
#pragma once

#include "display/DisplayState.h"
#include "display/TraceLayout.h"
#include "display/ViewGeometry.h"
#include "gfx/Image.h"
#include "record/LeadArrays.h"

namespace corvale {

/// Redraws the main view's paper and the lower view's paper with the rhythm strip.
void RenderGrid(const DisplayState& state, const LeadArrays& leads, Image& grid, Image& stripGrid);

/// Draws the twelve leads over a copy of `grid` into `trace`, and the window
/// frame over a copy of `stripGrid` into `strip`. Returns the layout it used.
TraceLayout RenderTraces(const DisplayState& state, const LeadArrays& leads, const Image& grid, const Image& stripGrid,
                         Image& trace, Image& strip);

/// Screen amplitude of a sample in pixels, truncated toward zero.
inline int AmplitudePixels(double sample, double gain) {
  return static_cast<int>(static_cast<Real>(sample) * ViewGeometry::MicrovoltsPerUnit *
                          ViewGeometry::PixelsPerMicrovolt / gain);
}

}  // namespace corvale
