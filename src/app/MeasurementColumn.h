// The automatic measurements in the window: the value labels of the ECG tab's
// measurement rows and of the header tab's SV1 and RV rows show the measured
// value where the record's field is blank, in italics and a colour of their
// own, with a tool tip saying it was measured from the waveform. A row that
// the record fills keeps exactly what the header labels show.
#pragma once

#include <QColor>

#include "analysis/Measurement.h"
#include "record/RecordFormat.h"

namespace corvale {

class HeaderLabelSet;

/// The measured rows' text colour.
inline const QColor MeasuredValueColor{0x00, 0x66, 0xCC};

/// Puts the measured values on the labels after HeaderLabelSet::Show (or
/// ShowDesignCaptions, with nothing measured): every measurement label goes
/// back to the plain style first, so nothing of another record stays.
void ShowMeasuredValues(HeaderLabelSet& labels, const RecordImage& image, const Measurements& measured);

}  // namespace corvale
