// The automatic measurements in the window: the value labels of the ECG tab's
// measurement rows and of the header tab's SV1 and RV rows show the measured
// value where the record's field is blank, in italics and a colour of their
// own, with a tool tip saying it was measured from the waveform. A row that
// the record fills keeps exactly what the header labels show. Also the rows
// of the printed page's measurement list.
#pragma once

#include <QColor>
#include <vector>

#include "analysis/Measurement.h"
#include "output/PageMeasurements.h"
#include "record/RecordFormat.h"

namespace corvale {

class HeaderLabelSet;

/// The measured rows' text colour.
inline const QColor MeasuredValueColor{0x00, 0x66, 0xCC};

/// Puts the measured values on the labels after HeaderLabelSet::Show (or
/// ShowDesignCaptions, with nothing measured): every measurement label goes
/// back to the plain style first, so nothing of another record stays.
void ShowMeasuredValues(HeaderLabelSet& labels, const RecordImage& image, const Measurements& measured);

/// The margin's list for the printed page: every row, each marked recorded or
/// measured, when at least one was measured; none otherwise, so that the page
/// of a record carrying all its measurements is the page it always was.
std::vector<PageMeasurement> PageMeasurements(const RecordImage& image, const Measurements& measured);

}  // namespace corvale
