// The measurements beside the record's own: for each measurement row of the
// header, the value the record carries, or where its field is blank the
// measured value as the device would write it. What the window shows in a
// blank row, what the printed page lists and what "import --measure" writes.
#pragma once

#include <QString>
#include <vector>

#include "analysis/Measurement.h"
#include "record/RecordFormat.h"

namespace corvale {

/// The record's measurement fields, in the order of the window's rows. The
/// lateral lead selector belongs to RvAmplitude and is not one of them.
inline constexpr FieldLayout MeasurementFieldList[] = {Field::HeartRate,   Field::RrInterval,   Field::PrInterval,
                                                       Field::QrsDuration, Field::QrsAxis,      Field::QtInterval,
                                                       Field::QtcInterval, Field::Sv1Amplitude, Field::RvAmplitude};

/// Where a row's value comes from.
enum class ValueSource { Recorded, Measured, Absent };

struct MeasurementValue {
  FieldLayout field;
  QString text;  // recorded: the field's text, trimmed; measured: as the device writes it
  ValueSource source = ValueSource::Absent;
};

struct MeasurementRows {
  std::vector<MeasurementValue> values;  // one per MeasurementFieldList entry, in that order
  /// '5' or '6': the lead of the RV row. The record's selector ("5", anything
  /// else V6) unless RvAmplitude is measured; then the lead the selector names
  /// when it names one that was measured, else the larger of RV5 and RV6, as a
  /// device reports it.
  char lateralLead = '6';
  bool lateralLeadMeasured = false;  // the RV row's lead comes from the measurement
};

/// The rows of `image` with what was measured in its blank fields (blank: the
/// header decodes no value there, HeaderValues). Measured values are rounded
/// as the device writes them: bpm, ms and degrees to whole numbers (half away
/// from zero), mV to two decimals.
MeasurementRows CombineMeasurements(const RecordImage& image, const Measurements& m);

}  // namespace corvale
