// The measurements in the printed page's margin: each row with its value and
// whether the record carried it or it was measured from the waveform. A page
// is given them only when something was measured, so that the page of a
// record that carries all of its measurements stays as it always was.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/Measurement.h"
#include "record/RecordFormat.h"

namespace corvale {

/// One row of the margin's list.
struct PageMeasurement {
  QString name;   // "HR", "RV5"
  QString value;  // "72", "1.25", as the window's row shows it
  QString unit;   // "bpm", "ms", "deg", "mV"
  bool measured = false;
};

/// The list for a record: every measurement row it carries or that was
/// measured, each marked, when at least one was measured; none otherwise, so
/// that the page of a record carrying all its measurements is the page it
/// always was. Values as the window's rows show them, trimmed.
std::vector<PageMeasurement> PageMeasurementsOf(const RecordImage& image, const Measurements& measured);

/// "HR 72 bpm (measured)", "QRS 0090 ms (recorded)", one item per row, in order.
QStringList MeasurementTexts(const std::vector<PageMeasurement>& rows);

}  // namespace corvale
