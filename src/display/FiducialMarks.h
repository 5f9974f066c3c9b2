// Fiducial marks on the screen images: thin ticks at the onsets and offsets
// of the waves, on every lead's trace and on the rhythm strip, so that a user
// can see where the measurements were taken. Marks found by the program stand
// above each zero line, marks from a reference annotation below it, each in a
// colour of its own that none of the colour schemes uses, so that the two
// can be compared where they meet.
#pragma once

#include <vector>

#include "display/DisplayState.h"
#include "display/TraceLayout.h"
#include "gfx/Image.h"

namespace corvale {

/// Positions to mark, as sample indices at 500 Hz from the start of the record.
struct FiducialMarkSet {
  std::vector<int> measured;
  std::vector<int> reference;  // from annotation files; empty when there are none
};

/// Tick colours (0x00BBGGRR): a clear blue and an orange, on white and on black paper.
inline constexpr Color MeasuredMarkColor = 0xFF8000;
inline constexpr Color ReferenceMarkColor = 0x0080FF;
/// Tick lengths in pixels, from the zero line outwards.
inline constexpr int TraceMarkLength = 16;
inline constexpr int StripMarkLength = 10;

/// The x of `sample` in the main view's limb (column 0) or chest (column 1)
/// column for this state, or -1 when the column does not show it.
int MarkX(const DisplayState& state, int column, int sample);

/// Draws the ticks into the images that RenderTraces has just finished with
/// `layout`: on each lead's band of the main view where its column shows the
/// sample, and on the whole ten seconds of the strip.
void DrawFiducialMarks(const DisplayState& state, const TraceLayout& layout, const LeadArrays& leads,
                       const FiducialMarkSet& marks, Image& trace, Image& strip);

}  // namespace corvale
