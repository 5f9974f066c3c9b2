// Lead names on the screen images: each lead's name at the top-left of its
// band on the trace image, and "II" over the rhythm strip of the lower view,
// in the trace colour and without a background box, so that the paper shows
// through and the grid and traces stay exactly where they are.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

#include "display/DisplayState.h"
#include "display/TraceLayout.h"
#include "gfx/Image.h"

namespace corvale {

/// The name of lead 0..11: I, II, III, aVR, aVL, aVF, V1 … V6.
QString LeadName(int lead);

/// Font of the lead names on the trace image (bold Arial, 13 px: 2-pixel
/// strokes like the traces, capitals 10 px = 2.5 mm of paper).
TextFont LeadLabelFont();
/// Font of "II" over the rhythm strip: capitals 8 px, so that it fits in the
/// rows above the window frame.
TextFont StripLabelFont();

/// The upper edge of each lead's band, in the layout's units from the top of
/// the view (screen y; on the page, x from the grid's edge), where `unit` is
/// the size of one screen pixel in those units (1 on the screen, the print
/// unit on the page). In equal-slot mode the limb column's 700 units are six
/// slots of 700/6 from 40; every proportional band starts where the band
/// before it ends (40 for the first of a column).
std::array<double, LeadCount> LeadBandTops(const DisplayState& state, const TraceLayout& layout, double unit);

/// Tops of one column's six labels, each `height` tall: `wanted` when they
/// are at least `height` + `gap` apart, otherwise pushed down just enough, and
/// then pulled up where needed so that the last ends before `limit`. Labels
/// never overlap, even over bands thinner than a label.
std::array<int, 6> SpreadLabels(std::array<int, 6> wanted, int height, int gap, int limit);

struct LeadLabel {
  QString text;
  QPoint origin;  // start of the baseline, where the text is drawn
  QRect box;      // the pixels its ink covers
};

struct LeadLabelPlacement {
  std::array<LeadLabel, LeadCount> leads;  // on the trace image
  LeadLabel strip;                         // "II" on the strip image
};

/// Where the names go for this state and layout (the screen's, in pixels).
LeadLabelPlacement PlaceLeadLabels(const DisplayState& state, const TraceLayout& layout);

/// Draws the names into the images that the trace render has just finished,
/// in `TraceColor`.
void DrawLeadLabels(const DisplayState& state, const TraceLayout& layout, Image& trace, Image& strip);

}  // namespace corvale
