// The measurements as the record's header fields hold them, and which of the
// record's measurement fields are blank: what the window shows in a blank
// row, what the printed page lists and what "import --measure" writes.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "analysis/Measurement.h"
#include "record/RecordFormat.h"

namespace corvale {

/// True when every byte of the field is a space or a NUL: the record holds no
/// value there.
bool IsBlankField(const RecordImage& image, const FieldSpec& field);

/// The record's measurement fields, in the order of the window's rows. The
/// lateral lead selector belongs to RvAmplitude and is not one of them.
inline constexpr FieldSpec MeasurementFieldList[] = {Field::HeartRate,   Field::RrInterval,   Field::PrInterval,
                                                     Field::QrsDuration, Field::QrsAxis,      Field::QtInterval,
                                                     Field::QtcInterval, Field::Sv1Amplitude, Field::RvAmplitude};

/// '5' or '6': the lead whose measured R amplitude fills a blank
/// RvAmplitude. The lead the record's selector names when it names one and
/// that lead was measured; else the larger of RV5 and RV6, as a device
/// reports it. Empty when neither was measured.
std::optional<char> MeasuredLateralLead(const RecordImage& image, const Measurements& m);

/// The measured value for one of the fields above as the device writes it:
/// beats per minute, milliseconds and degrees as whole numbers (rounded half
/// away from zero), millivolts with two decimals; RvAmplitude from the lead
/// MeasuredLateralLead chooses. Empty when it was not measured.
std::optional<QString> MeasuredText(const RecordImage& image, const Measurements& m, const FieldSpec& field);

/// Where a row's value comes from.
enum class ValueSource { Recorded, Measured, Absent };

/// One measurement row: the record's own text where its field holds one,
/// else the measured text.
struct MeasurementValue {
  FieldSpec field;
  QString text;
  ValueSource source = ValueSource::Absent;
};

/// Every field of MeasurementFieldList, in that order.
std::vector<MeasurementValue> CombineMeasurements(const RecordImage& image, const Measurements& m);

/// The lateral lead the rows show: the record's selector ('5', anything
/// else '6') while RvAmplitude is recorded or nothing was measured, else the
/// measured lead.
char LateralLeadShown(const RecordImage& image, const Measurements& m);

}  // namespace corvale
