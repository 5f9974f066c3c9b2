// The printed page's texts: the lead names beside the traces, and in the
// margin outside the grid who and what the page shows (patient, recording,
// file, scale), so that a sheet that leaves the printer cannot be filed under
// the wrong patient. The page is read turned a quarter turn (its top edge to
// the right), so every text reads upwards on the sheet. Placement is a pure
// function in device pixels; drawing goes through the canvas.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "analysis/DisplayFilters.h"
#include "display/DisplayState.h"
#include "display/TraceLayout.h"
#include "gfx/Canvas.h"
#include "output/PageMeasurements.h"
#include "output/PrintPage.h"
#include "record/RecordFormat.h"

namespace corvale {

/// Who and what the page shows, as display texts (empty when the header has none).
struct PageIdentity {
  QString patientName;
  QString patientId;
  QString age;       // "47 y.o."
  QString sex;       // "M" or "F"; empty when the header does not say
  QString recorded;  // "2024/05/01 10:20:30"
  QString fileName;  // the work-list entry
};

/// The identification from a record's header, decoded and trimmed as the
/// window shows it (the patient's name from cp932).
PageIdentity PageIdentityFromRecord(const RecordImage& image, const QString& fileName);

struct PageAnnotationInput {
  PageIdentity identity;
  std::array<double, LeadCount> leadGain{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // the display's divisors
  bool deleteId = false;                      // leave the patient's name and ID off the page
  std::vector<PageMeasurement> measurements;  // after the scale; none when nothing was measured
  FilterSettings filters;                     // the filters the traces went through
};

/// The identification items in reading order: name, ID, age, sex, recording
/// date and time, file. Empty values are left out; so are the name and the
/// ID when `deleteId` is set.
QStringList IdentificationTexts(const PageAnnotationInput& input);

/// "25 mm/s", "10 mm/mV", then "aVR 5 mm/mV" (or 2.5) for each lead whose
/// divisor is not 1, in lead order.
QStringList ScaleTexts(const std::array<double, LeadCount>& leadGain);

/// With any filter on, the frequency response of the traces ("0.67–40 Hz,
/// 50 Hz notch") and the filters by name; nothing for an unfiltered page,
/// which stays as it always was.
QStringList FilterTexts(const FilterSettings& filters);

/// One text on the page.
struct PageText {
  QString text;
  QPoint origin;         // start of the baseline, device pixels
  int quarterTurns = 1;  // 1: reads upwards on the sheet
  TextFont font;
  QRect box;  // the text's cell on the page (ascent to descent, whole advance)
};

struct PageAnnotations {
  std::vector<PageText> texts;
  QStringList unplaced;  // items no margin had room for, even in the smallest size
};

/// The grid's rectangle on the page: PrintOriginX..trunc(PrintOriginX + 760u)
/// across, PrintOriginY..trunc(PrintOriginY + 1040u) down.
QRect PageGridRect(const PageGeometry& g);

/// Where the identification and scale items go (the measurements follow the scale). The identification reads
/// along the sheet's upper margin (left of the grid on the page), the scale
/// along its lower margin (right of the grid), both from the grid's start of
/// time; what does not fit there goes to the margins at the ends of the time
/// axis (below, then above the grid on the page), one item per line. Sizes
/// from 3 mm down to 1.5 mm (of the page's millimetre, 4u) are tried until
/// everything fits. Every text stays at least 1 mm clear of the grid and of
/// the printable area's edge.
PageAnnotations ComputePageAnnotations(const PageGeometry& g, const PageAnnotationInput& input);

/// The lead names beside the traces, the page's counterpart of the screen's:
/// at the start of each lead's trace, in the upper corner of its band as the
/// turned sheet is read, in the screen's font scaled by u.
std::vector<PageText> ComputePrintLeadLabels(const PageGeometry& g, const DisplayState& state,
                                             const TraceLayout& layout);

/// Draws the texts in black.
void DrawPageTexts(Canvas& canvas, const std::vector<PageText>& texts);

}  // namespace corvale
