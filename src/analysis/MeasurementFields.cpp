#include "analysis/MeasurementFields.h"

#include <algorithm>
#include <cmath>

#include "record/HeaderPresentation.h"

namespace corvale {
namespace {

bool Same(const FieldSpec& a, const FieldSpec& b) { return a.offset == b.offset && a.length == b.length; }

QString Whole(double v) { return QString::number(std::lround(v)); }
QString Millivolts(double v) { return QString::number(v, 'f', 2); }

const std::optional<double>& LateralR(const Measurements& m, char lead) { return lead == '5' ? m.rv5Mv : m.rv6Mv; }

}  // namespace

bool IsBlankField(const RecordImage& image, const FieldSpec& field) {
  const auto* begin = image.bytes.data() + field.offset;
  return std::all_of(begin, begin + field.length, [](std::uint8_t b) { return b == ' ' || b == 0; });
}

std::optional<char> MeasuredLateralLead(const RecordImage& image, const Measurements& m) {
  const auto selector = static_cast<char>(image.bytes[Field::LateralLeadSelector.offset]);
  if ((selector == '5' || selector == '6') && LateralR(m, selector)) return selector;
  if (m.rv5Mv && (!m.rv6Mv || *m.rv5Mv > *m.rv6Mv)) return '5';
  if (m.rv6Mv) return '6';
  return std::nullopt;
}

std::optional<QString> MeasuredText(const RecordImage& image, const Measurements& m, const FieldSpec& field) {
  struct Row {
    const FieldSpec* field;
    const std::optional<double> Measurements::*value;
  };
  static const Row kWhole[] = {
      {&Field::HeartRate, &Measurements::hrBpm},    {&Field::RrInterval, &Measurements::rrMs},
      {&Field::PrInterval, &Measurements::prMs},    {&Field::QrsDuration, &Measurements::qrsMs},
      {&Field::QrsAxis, &Measurements::qrsAxisDeg}, {&Field::QtInterval, &Measurements::qtMs},
      {&Field::QtcInterval, &Measurements::qtcMs}};
  for (const Row& row : kWhole)
    if (Same(*row.field, field)) return (m.*row.value) ? std::optional(Whole(*(m.*row.value))) : std::nullopt;
  if (Same(field, Field::Sv1Amplitude)) return m.sv1Mv ? std::optional(Millivolts(*m.sv1Mv)) : std::nullopt;
  if (Same(field, Field::RvAmplitude)) {
    const auto lead = MeasuredLateralLead(image, m);
    return lead ? std::optional(Millivolts(*LateralR(m, *lead))) : std::nullopt;
  }
  return std::nullopt;
}

std::vector<MeasurementValue> CombineMeasurements(const RecordImage& image, const Measurements& m) {
  std::vector<MeasurementValue> out;
  for (const FieldSpec& field : MeasurementFieldList) {
    MeasurementValue v{field, {}, ValueSource::Absent};
    if (!IsBlankField(image, field)) {
      v.text = FieldText(image, field);
      v.source = ValueSource::Recorded;
    } else if (auto text = MeasuredText(image, m, field)) {
      v.text = *text;
      v.source = ValueSource::Measured;
    }
    out.push_back(v);
  }
  return out;
}

char LateralLeadShown(const RecordImage& image, const Measurements& m) {
  const auto measured = MeasuredLateralLead(image, m);
  if (IsBlankField(image, Field::RvAmplitude) && measured) return *measured;
  return image.bytes[Field::LateralLeadSelector.offset] == '5' ? '5' : '6';
}

}  // namespace corvale
